// Defining a new variable of a file being written.
#ifndef XOVA_DICT_VARIABLE_CREATE_H
#define XOVA_DICT_VARIABLE_CREATE_H

#include <cstdint>

#include "dict/dictionary.h"

namespace xova {

// A case must stay below this many bytes.
constexpr std::int64_t kCaseSizeLimit = 0xFFFFFFE8;

// True when a case whose first free element is `firstFree` (0-based) still
// fits after a variable of `elements` elements is added.
bool CaseSizeFits(std::int64_t firstFree, std::int64_t elements);

// Checks the type and name and appends the variable with its defaults: 0, 17,
// 10, 13 or 7. Throws std::bad_alloc when memory runs out, with the
// dictionary unchanged.
int DefineVariable(Dictionary& dict, const char* name, int varType);

}  // namespace xova

#endif
