// Growable arrays of fixed-size elements for per-file side data. A block stays
// in memory up to 1024 bytes and moves to a temporary file beyond that.
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
  std::int32_t capacity = 0;
  unsigned char tail[4] = {0, 0, 0, 0};
  unsigned char* data = nullptr;  // malloc'ed; null while the data lives only in the spill file
  bool spilled = false;           // spillPath is set
  std::string spillPath;
  std::FILE* spillFile = nullptr;  // open only during an operation
  std::int32_t cursor = 0;
};

void BlockFree(ExtensionBlock* block);

struct BlockDeleter {
  void operator()(ExtensionBlock* block) const { BlockFree(block); }
};
using BlockPtr = std::unique_ptr<ExtensionBlock, BlockDeleter>;

// Null when memory runs out.
BlockPtr BlockCreate(std::int32_t elemSize);
int BlockAppend(ExtensionBlock* block, std::int32_t n, const void* src);
int BlockReplace(BlockPtr* slot, std::int32_t elemSize, std::int32_t n, const void* src);
int BlockRead(ExtensionBlock* block, std::int32_t maxCount, std::int32_t* gotCount, void* dst);
int BlockLoad(ExtensionBlock* block);
void BlockUnload(ExtensionBlock* block);
int BlockOpenSpill(ExtensionBlock* block);
void BlockCloseSpill(ExtensionBlock* block);
// Shifts the last bytes of `src` (n elements) into the block's tail.
void BlockUpdateTail(ExtensionBlock* block, std::int32_t n, const void* src);

// Number of payload bytes of a block (0 for null).
std::int64_t BlockBytes(const ExtensionBlock* block);

}  // namespace xova

#endif
