// Growable arrays of fixed-size elements for per-file side data. A block stays
// in memory up to 1024 bytes and moves to a temporary file beyond that.
//
// None of these functions throws: allocation failures come back as result
// codes, and a failed operation leaves the block with the elements it had.
#ifndef XOVA_EXT_EXTENSION_BLOCK_H
#define XOVA_EXT_EXTENSION_BLOCK_H

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace xova {

constexpr std::int32_t kBlockMemoryLimit = 1024;
constexpr int kBlockSlots = 33;  // subtype 0 (documents) to 32

struct ExtensionBlock {
  std::int32_t elemSize = 0;
  std::int32_t count = 0;
  std::int32_t capacity = 0;  // bytes of `data`; 0 when there is none
  unsigned char tail[4] = {0, 0, 0, 0};
  // new[]'ed. A block that never spilled keeps its elements here (plus a NUL
  // for element size 1); a spilled one only between BlockLoad and BlockUnload.
  unsigned char* data = nullptr;
  bool spilled = false;  // spillPath is set and the file holds the elements
  std::string spillPath;
  std::FILE* spillFile = nullptr;  // open only during an operation or a sequential read
  std::int32_t cursor = 0;         // element index of the next BlockRead
};

// Closes and deletes the temporary file; nothing for null.
void BlockFree(ExtensionBlock* block);

struct BlockDeleter {
  void operator()(ExtensionBlock* block) const { BlockFree(block); }
};
using BlockPtr = std::unique_ptr<ExtensionBlock, BlockDeleter>;

// Null when memory runs out or the element size is not positive.
BlockPtr BlockCreate(std::int32_t elemSize);

// Appends n elements: 0 or XOVA_TEMP_FILE_ERROR. When the in-memory buffer
// can't grow the block spills instead; XOVA_OUT_OF_MEMORY only when that
// spill fails too, or when the count or byte size would overflow. n = 0 or a
// null src does nothing; a negative n, or an append while a loaded copy
// exists, gives XOVA_BAD_EXT_INDEX. A failure keeps the elements the block had.
int BlockAppend(ExtensionBlock* block, std::int32_t n, const void* src);

// Puts a new block with n elements into the slot and frees the old one. On
// failure (XOVA_OUT_OF_MEMORY, XOVA_TEMP_FILE_ERROR, XOVA_BAD_EXT_INDEX for a
// bad element size or count) the slot keeps its old block.
int BlockReplace(BlockPtr* slot, std::int32_t elemSize, std::int32_t n, const void* src);

// Reads up to maxCount elements from the cursor into dst; the cursor wraps to
// 0 once it reaches the end. gotCount may be null. 0 or XOVA_TEMP_FILE_ERROR.
int BlockRead(ExtensionBlock* block, std::int32_t maxCount, std::int32_t* gotCount, void* dst);

// Brings a spilled block's elements into `data` (with a NUL after a text
// block) until BlockUnload: 0, XOVA_OUT_OF_MEMORY or XOVA_TEMP_FILE_ERROR.
// Nothing to do for a block that never spilled.
int BlockLoad(ExtensionBlock* block);
void BlockUnload(ExtensionBlock* block);

// Opens the temporary file (positioned at 0), creating it and its name on
// first use: 0 or XOVA_TEMP_FILE_ERROR. Creating it moves the elements the
// block holds in memory into the file; if that fails the block stays as it
// was, in memory.
int BlockOpenSpill(ExtensionBlock* block);
void BlockCloseSpill(ExtensionBlock* block);

// Shifts the last bytes of `src` (n elements) into the block's tail.
void BlockUpdateTail(ExtensionBlock* block, std::int32_t n, const void* src);

// Number of payload bytes of a block (0 for null).
std::int64_t BlockBytes(const ExtensionBlock* block);

}  // namespace xova

#endif
