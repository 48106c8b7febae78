#include "read/record_input.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/shared_file.h"

namespace xova {

void ReverseBytes(unsigned char* bytes, std::size_t n) {
  std::reverse(bytes, bytes + n);
}

bool ReadBytes(FileState& fs, void* dst, std::size_t n) {
  std::FILE* in = fs.stream.get();
  if (!in) return false;
  return n == 0 || platform::Read(in, dst, n) == n;
}

bool ReadInt32(FileState& fs, std::int32_t* value) {
  unsigned char bytes[4];
  if (!ReadBytes(fs, bytes, sizeof bytes)) return false;
  if (fs.byteSwap) ReverseBytes(bytes, sizeof bytes);
  std::memcpy(value, bytes, sizeof bytes);
  return true;
}

bool ReadDouble(FileState& fs, double* value) {
  unsigned char bytes[8];
  if (!ReadBytes(fs, bytes, sizeof bytes)) return false;
  if (fs.byteSwap) ReverseBytes(bytes, sizeof bytes);
  std::memcpy(value, bytes, sizeof bytes);
  return true;
}

bool SkipByReading(FileState& fs, std::int64_t n) {
  unsigned char piece[32];
  while (n > 0) {
    const std::size_t k = n < 32 ? static_cast<std::size_t>(n) : sizeof piece;
    if (!ReadBytes(fs, piece, k)) return false;
    n -= static_cast<std::int64_t>(k);
  }
  return n == 0;
}

bool SkipBySeeking(FileState& fs, std::int64_t n) {
  std::FILE* in = fs.stream.get();
  if (!in || n < 0) return false;
  return n == 0 || platform::Seek(in, n, SEEK_CUR);
}

}  // namespace xova
