// Writes the fields of dictionary records into the data stream: integers and
// doubles little-endian whatever the host, texts blank-padded to their field
// and never terminated. The first short write is remembered and every later
// write skipped, so an encoder writes a whole record and asks once.
#ifndef XOVA_WRITE_LE_WRITER_H
#define XOVA_WRITE_LE_WRITER_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace xova {

class LeWriter {
 public:
  explicit LeWriter(std::FILE* out) : out_(out), ok_(out != nullptr) {}

  void Int32(std::int32_t value);
  // The double's 64 bits, least significant byte first.
  void Double(double value);
  void Bytes(const void* data, std::size_t size);
  // The first `width` bytes of `text` (of `length` bytes), padded with
  // blanks to `width`.
  void Text(const char* text, std::size_t length, std::size_t width);
  // A NUL-terminated text in a field of `width` bytes.
  void Field(const char* text, std::size_t width);
  void Fill(unsigned char byte, std::size_t count);

  bool ok() const { return ok_; }
  // 0, or XOVA_FILE_WRITE_ERROR once any write came up short.
  int Result() const;

 private:
  std::FILE* out_;
  bool ok_;
};

// Blanks after `length` bytes so that the total is a multiple of `unit`.
inline std::size_t PadTo(std::size_t length, std::size_t unit) {
  return (unit - length % unit) % unit;
}

}  // namespace xova

#endif
