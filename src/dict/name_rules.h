// The naming rules for variables.
#ifndef XOVA_DICT_NAME_RULES_H
#define XOVA_DICT_NAME_RULES_H

#include <cstddef>

namespace xova {

// Result 0..6 (XOVA_NAME_...) of the first `length` bytes of `name`.
int ValidateName(std::size_t length, const char* name);

}  // namespace xova

#endif
