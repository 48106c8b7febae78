// Small helpers for texts that cross the C boundary.
#ifndef XOVA_FRAME_TEXT_H
#define XOVA_FRAME_TEXT_H

#include <cstddef>
#include <cstring>

namespace xova {

// A null text counts as an empty one.
inline const char* OrEmpty(const char* text) {
  return text ? text : "";
}

// Copies a NUL-terminated text into a caller's buffer, if there is one.
inline void CopyOut(char* dst, const char* src) {
  if (dst) std::memcpy(dst, src, std::strlen(src) + 1);
}

// Stores a value through a caller's out-pointer, if there is one.
template <class T, class V>
inline void StoreOut(T* dst, V value) {
  if (dst) *dst = static_cast<T>(value);
}

// Copies at most `max` bytes of `src` into `dst` and terminates it; returns
// the number of bytes copied.
inline std::size_t CopyCut(char* dst, const char* src, std::size_t max) {
  std::size_t n = std::strlen(src);
  if (n > max) n = max;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
  return n;
}

}  // namespace xova

#endif
