// The byte-code decoder of a compressed file: reads 8-byte code blocks and
// their raw values through the data stream and turns codes into elements.
#ifndef XOVA_READ_DECOMPRESSION_STATE_H
#define XOVA_READ_DECOMPRESSION_STATE_H

#include <cstdint>
#include <cstdio>

namespace xova {

// Results of the decoder operations.
constexpr int kDecodeDone = 0;
constexpr int kDecodeEnd = 1;
constexpr int kDecodeReadError = 2;

struct DecompressionState {
  double sysmis = 0.0;  // the file's own; the value of code 255
  unsigned char codes[8] = {};
  unsigned char raw[8][8] = {};
  std::FILE* stream = nullptr;  // not owned
  std::int64_t start = 0;       // first-case position
  std::int64_t blockPosition = 0;
  std::int64_t streamPosition = -1;  // where the stream stands, -1 unknown
  std::int64_t wantedPosition = -1;  // where the next block is read, -1 none
  std::int32_t codeIndex = 8;        // next code of the block; 8 = used up
  std::int32_t rawIndex = 0;
  std::int32_t rawCount = 0;  // raw values read after the block
  std::int32_t byteSwap = 0;

  // Offset of the last code consumed; start - 1 before the first case.
  std::int64_t CodePosition() const { return blockPosition + codeIndex - 1; }
};

void Rewind(DecompressionState& d);
int LoadCodeBlock(DecompressionState& d);
// Produces n elements of 8 bytes into `buffer`.
int DecodeElements(DecompressionState& d, unsigned char* buffer, std::int32_t n);
int SkipElements(DecompressionState& d, std::int64_t n);
int GoToCodePosition(DecompressionState& d, std::int64_t p);

// 0 -> 0, 1 -> XOVA_END_OF_DATA, 2 -> XOVA_FILE_READ_ERROR, else XOVA_BAD_CASE_DATA.
int MapDecodeResult(int result);

}  // namespace xova

#endif
