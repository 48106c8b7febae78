// The name a variable read from a file starts with: its short name lowered.
#ifndef XOVA_READ_SHORT_NAME_LOWERING_H
#define XOVA_READ_SHORT_NAME_LOWERING_H

#include <climits>
#include <cstddef>

namespace xova {

// Bytes LowerName may write for a text of `n` bytes, terminator included: a
// lowered character may take up to MB_LEN_MAX bytes whatever it took before.
constexpr std::size_t LoweredSize(std::size_t n) {
  return n * MB_LEN_MAX + 1;
}

// Writes `text` (`n` bytes, no NUL) to `out` (LoweredSize(n) bytes) with every
// character lower-cased under the current locale, and terminates it. Bytes
// that are not a whole character, and characters whose lower case the locale
// cannot encode, stay as they are. Returns the bytes written.
std::size_t LowerName(const char* text, std::size_t n, char* out);

}  // namespace xova

#endif
