// Internals of the setters that give a list of variables one complete set.
#ifndef XOVA_DICT_VALUE_LABEL_LIST_SETTERS_H
#define XOVA_DICT_VALUE_LABEL_LIST_SETTERS_H

#include <cstddef>
#include <cstdint>

namespace xova {

// Largest array, in bytes, that the list setters may ask for.
constexpr std::size_t kMaxListBytes = PTRDIFF_MAX;

// Whether the arrays a list call builds for its counts (both at least 1) stay
// within `maxBytes` each.
bool ListArraysFit(int numVars, int numLabels, std::size_t maxBytes = kMaxListBytes);

}  // namespace xova

#endif
