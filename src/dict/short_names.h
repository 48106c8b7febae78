// Unique short names of at most 8 bytes, derived from the folded long names
// when a dictionary is committed.
#ifndef XOVA_DICT_SHORT_NAMES_H
#define XOVA_DICT_SHORT_NAMES_H

#include <cstddef>

#include "dict/dictionary.h"
#include "frame/file_state.h"

namespace xova {

constexpr std::size_t kShortNameLength = 8;

// Gives every variable a short name no earlier variable holds: its folded
// name when that fits, else the folded name cut to 8 bytes without trailing
// '.' and '_', else a suffixed form of it. Earlier variables win. The first
// failure ends the work and is the result (XOVA_OUT_OF_MEMORY, or
// XOVA_BAD_FILE when no suffix is left); the short names set so far stay.
int AssignShortNames(Dictionary& dict);
int AssignShortNames(FileState& fs);

}  // namespace xova

#endif
