#include "write/le_writer.h"

#include <cstring>

#include "platform/shared_file.h"
#include "xovaio32.h"

namespace xova {

void LeWriter::Bytes(const void* data, std::size_t size) {
  if (!ok_ || size == 0) return;
  ok_ = platform::Write(out_, data, size);
}

void LeWriter::Int32(std::int32_t value) {
  const std::uint32_t v = static_cast<std::uint32_t>(value);
  const unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                  static_cast<unsigned char>(v >> 16),
                                  static_cast<unsigned char>(v >> 24)};
  Bytes(bytes, sizeof bytes);
}

void LeWriter::Double(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  unsigned char bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
  Bytes(bytes, sizeof bytes);
}

void LeWriter::Text(const char* text, std::size_t length, std::size_t width) {
  const std::size_t n = length < width ? length : width;
  Bytes(text, n);
  Fill(' ', width - n);
}

void LeWriter::Field(const char* text, std::size_t width) {
  Text(text, text ? std::strlen(text) : 0, width);
}

void LeWriter::Fill(unsigned char byte, std::size_t count) {
  unsigned char run[64];
  std::memset(run, byte, sizeof run);
  while (ok_ && count > 0) {
    const std::size_t n = count < sizeof run ? count : sizeof run;
    Bytes(run, n);
    count -= n;
  }
}

int LeWriter::Result() const {
  return ok_ ? XOVA_OK : XOVA_FILE_WRITE_ERROR;
}

}  // namespace xova
