// The byte-code decoder of a compressed file: reads 8-byte code blocks and
// their raw values through the data stream and turns codes into elements.
#ifndef XOVA_READ_DECOMPRESSION_STATE_H
#define XOVA_READ_DECOMPRESSION_STATE_H

#include <cstdint>
#include <cstdio>

#include "xovaio32.h"

namespace xova {

struct FileState;

// Results of the decoder operations.
constexpr int kDecodeDone = 0;
constexpr int kDecodeEnd = 1;
constexpr int kDecodeReadError = 2;

// Bytes read from the stream ahead of the decoding, so that a block costs no
// stream call of its own.
constexpr std::int32_t kDecodeWindowSize = 1024;

struct DecompressionState {
  double sysmis = 0.0;  // the file's own; the value of code 255
  unsigned char codes[8] = {};
  unsigned char raw[8][8] = {};
  std::FILE* stream = nullptr;  // not owned
  std::int64_t start = 0;       // first-case position
  std::int64_t blockPosition = 0;
  std::int64_t streamPosition = -1;  // where the stream stands, -1 unknown
  std::int64_t wantedPosition = -1;  // where the next block is read, -1 none
  // The window holds the file's bytes from windowPosition on; it is only
  // used while the stream stands just after them.
  std::int64_t windowPosition = -1;
  std::int32_t windowLength = 0;
  std::int32_t codeIndex = 8;  // next code of the block; 8 = used up
  std::int32_t rawIndex = 0;
  std::int32_t rawCount = 0;  // raw values read after the block
  std::int32_t byteSwap = 0;
  // Slack after the window's bytes, so a block at its end can be copied
  // with all eight raw values.
  unsigned char window[kDecodeWindowSize + 64] = {};
  // What each code that stands for a fixed value gives, sysmis included;
  // filled on first use and again when the sysmis changes.
  unsigned char fixed[256][8] = {};
  std::uint64_t fixedSysmisBits = 0;
  bool fixedReady = false;

  // Offset of the last code consumed; start - 1 before the first case.
  std::int64_t CodePosition() const { return blockPosition + codeIndex - 1; }
};

// Creates the decoder of a compressed read handle at its first case, with the
// file's sysmis and byte order: 0 or XOVA_OUT_OF_MEMORY (nothing changed).
int CreateDecoder(FileState& fs);

void Rewind(DecompressionState& d);
// Reads the block at the wanted position and its raw values, through the
// window. A failure leaves the decoder as it was, with the stream position
// unknown and the window empty.
int LoadCodeBlock(DecompressionState& d);
// Produces n elements of 8 bytes into `buffer`; an end met after the first
// element is a case cut short (kDecodeReadError).
int DecodeElements(DecompressionState& d, unsigned char* buffer, std::int32_t n);
// Consumes the codes of n elements; stops on the end code and stays on it.
int SkipElements(DecompressionState& d, std::int64_t n);
// Puts the decoder just after the code at file offset p (start - 1: before
// the first case). Lands on p exactly, zero codes before it included.
int GoToCodePosition(DecompressionState& d, std::int64_t p);

// 0 -> 0, 1 -> XOVA_END_OF_DATA, 2 -> XOVA_FILE_READ_ERROR, else
// XOVA_BAD_CASE_DATA. Inline: it runs once per case.
inline int MapDecodeResult(int result) {
  switch (result) {
    case kDecodeDone:
      return XOVA_OK;
    case kDecodeEnd:
      return XOVA_END_OF_DATA;
    case kDecodeReadError:
      return XOVA_FILE_READ_ERROR;
    default:
      return XOVA_BAD_CASE_DATA;
  }
}

}  // namespace xova

#endif
