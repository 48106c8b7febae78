#include "ext/block_slots.h"

#include "ext/extension_block.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

bool ValidSubtype(int subtype) {
  return subtype >= 0 && subtype < kBlockSlots;
}

}  // namespace

int StoreBlock(int handle, int subtype, std::int32_t elemSize, std::int32_t count,
               const void* data) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  if (!ValidSubtype(subtype)) return XOVA_BAD_EXT_INDEX;
  if (data && count != 0) return BlockReplace(&fs->blocks[subtype], elemSize, count, data);
  fs->blocks[subtype].reset();
  return XOVA_OK;
}

int AppendBlock(int handle, int subtype, std::int32_t count, const void* data) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  if (!ValidSubtype(subtype) || !fs->blocks[subtype]) return XOVA_BAD_EXT_INDEX;
  if (!data || count == 0) return XOVA_OK;
  return BlockAppend(fs->blocks[subtype].get(), count, data);
}

int BlockInfo(int handle, int subtype, std::int32_t* elemSize, std::int32_t* count) {
  StoreOut(elemSize, 0);
  StoreOut(count, 0);
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  if (!ValidSubtype(subtype)) return XOVA_BAD_EXT_INDEX;
  const ExtensionBlock* block = fs->blocks[subtype].get();
  if (block && block->count > 0) {
    StoreOut(elemSize, block->elemSize);
    StoreOut(count, block->count);
  }
  return XOVA_OK;
}

int ReadBlock(int handle, int subtype, std::int32_t maxCount, std::int32_t* gotCount, void* dst) {
  StoreOut(gotCount, 0);
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  if (!ValidSubtype(subtype)) return XOVA_BAD_EXT_INDEX;
  ExtensionBlock* block = fs->blocks[subtype].get();
  if (maxCount <= 0 || !block) return XOVA_OK;
  return BlockRead(block, maxCount, gotCount, dst);
}

int DeleteBlock(int handle, int subtype) {
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  if (!ValidSubtype(subtype)) return XOVA_BAD_EXT_INDEX;
  fs->blocks[subtype].reset();
  return XOVA_OK;
}

}  // namespace xova
