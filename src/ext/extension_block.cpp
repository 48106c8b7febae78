// PLACEHOLDER: link-only stand-ins, to be replaced by the real implementation.
#include "ext/extension_block.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "xovaio32.h"

namespace xova {

void BlockFree(ExtensionBlock* block) {
  if (!block) return;
  std::free(block->data);
  delete block;
}

BlockPtr BlockCreate(std::int32_t elemSize) {
  BlockPtr block(new (std::nothrow) ExtensionBlock);
  if (block) block->elemSize = elemSize;
  return block;
}

int BlockAppend(ExtensionBlock* block, std::int32_t n, const void* src) {
  if (n == 0 || !src) return XOVA_OK;
  const std::size_t old = static_cast<std::size_t>(block->elemSize) * block->count;
  const std::size_t add = static_cast<std::size_t>(block->elemSize) * n;
  void* grown = std::realloc(block->data, old + add + 1);
  if (!grown) return XOVA_TEMP_FILE_ERROR;
  block->data = static_cast<unsigned char*>(grown);
  std::memcpy(block->data + old, src, add);
  block->data[old + add] = 0;
  block->count += n;
  return XOVA_OK;
}

int BlockReplace(BlockPtr* slot, std::int32_t elemSize, std::int32_t n, const void* src) {
  slot->reset();
  *slot = BlockCreate(elemSize);
  if (!*slot) return XOVA_OUT_OF_MEMORY;
  return BlockAppend(slot->get(), n, src);
}

int BlockLoad(ExtensionBlock*) { return XOVA_OK; }
void BlockUnload(ExtensionBlock*) {}

std::int64_t BlockBytes(const ExtensionBlock* block) {
  return block ? static_cast<std::int64_t>(block->elemSize) * block->count : 0;
}

}  // namespace xova
