// A sequential reader over a block's text through a 4096-byte window, so
// texts of any size are read in bounded memory. The caller always sees at
// least 2048 bytes ahead of its position, or everything up to the end.
#ifndef XOVA_EXT_BLOCK_READER_H
#define XOVA_EXT_BLOCK_READER_H

#include <cstdint>

#include "ext/extension_block.h"

namespace xova {

constexpr int kReaderWindow = 4096;
constexpr int kReaderLowWater = 2048;

struct BlockReader {
  ExtensionBlock* block = nullptr;
  std::int64_t unread = 0;  // bytes of the block not yet brought into the window
  std::int32_t offset = 0;  // current position in the window
  std::int32_t filled = 0;  // bytes in the window
  char window[kReaderWindow + 1] = {};
};

// Starts reading `block` from its first element (the block's cursor must be
// at 0) and returns the current position, or null when reading fails.
const char* ReaderStart(BlockReader* reader, ExtensionBlock* block);
// Moves forward by n elements and refills the window when it runs low;
// returns the current position (NUL-terminated window), or null on failure.
const char* ReaderAdvance(BlockReader* reader, std::int32_t n);

}  // namespace xova

#endif
