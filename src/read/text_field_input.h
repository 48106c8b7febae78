// Texts of a file being read whose stored length may exceed what is kept.
#ifndef XOVA_READ_TEXT_FIELD_INPUT_H
#define XOVA_READ_TEXT_FIELD_INPUT_H

#include <cstddef>
#include <cstdint>

#include "frame/file_state.h"

namespace xova {

// Reads the first `keep` bytes of a field of `field` bytes (keep <= field)
// into `dst` and consumes the rest by reading it in small pieces: a hostile
// length costs no memory, and a field longer than the file fails at its end.
bool ReadFieldPrefix(FileState& fs, char* dst, std::size_t keep, std::int64_t field);

}  // namespace xova

#endif
