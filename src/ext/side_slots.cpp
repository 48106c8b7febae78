#include "ext/side_slots.h"

#include <cstring>
#include <new>

#include "ext/block_slots.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {

void RewindBlock(ExtensionBlock* block) {
  if (!block) return;
  block->cursor = 0;
  if (block->spillFile) BlockCloseSpill(block);
}

int ReadBlockPrefix(ExtensionBlock* block, std::int32_t maxBytes, void* dst,
                    std::int32_t* gotBytes) {
  *gotBytes = 0;
  if (!block || block->count <= 0 || block->elemSize <= 0 || maxBytes <= 0) return XOVA_OK;
  std::int32_t got = 0;
  block->cursor = 0;
  const int rc = BlockRead(block, maxBytes / block->elemSize, &got, dst);
  RewindBlock(block);
  if (rc != XOVA_OK) return rc;
  *gotBytes = got * block->elemSize;
  return XOVA_OK;
}

int StoreSlotText(int handle, int subtype, const char* text, int absentCode) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  const char* t = OrEmpty(text);
  const std::size_t n = std::strlen(t);
  // A block counts its elements in 32 bits and keeps a NUL behind a text.
  if (n > static_cast<std::size_t>(INT32_MAX - 1)) return XOVA_OUT_OF_MEMORY;
  const int rc = StoreBlock(handle, subtype, 1, static_cast<std::int32_t>(n), t);
  if (rc != XOVA_OK) return rc;
  return n == 0 ? absentCode : XOVA_OK;
}

int CopySlotText(int handle, int subtype, int absentCode, char** text) {
  StoreOut(text, nullptr);
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  ExtensionBlock* block = fs->blocks[subtype].get();
  if (!block || block->count <= 0) return absentCode;
  if (block->elemSize != 1) return XOVA_BAD_EXT_INDEX;
  if (!text) return XOVA_OK;  // nowhere to hand a copy to
  char* copy = new (std::nothrow) char[static_cast<std::size_t>(block->count) + 1];
  if (!copy) return XOVA_OUT_OF_MEMORY;
  std::int32_t got = 0;
  block->cursor = 0;
  const int rc = BlockRead(block, block->count, &got, copy);
  RewindBlock(block);
  if (rc != XOVA_OK) {
    delete[] copy;
    return rc;
  }
  copy[got] = '\0';
  *text = copy;
  return XOVA_OK;
}

void FreeSlotText(char* text) {
  delete[] text;
}

int StoreCutText(int handle, int subtype, const char* text, std::int32_t maxBytes) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  const char* t = OrEmpty(text);
  const std::size_t n = std::strlen(t);
  const std::int32_t keep =
      n < static_cast<std::size_t>(maxBytes) ? static_cast<std::int32_t>(n) : maxBytes;
  return BlockReplace(&fs->blocks[subtype], 1, keep, t);
}

int CopyCutText(int handle, int subtype, std::int32_t maxBytes, char* dst) {
  if (!dst) return XOVA_OK;
  dst[0] = '\0';
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  std::int32_t got = 0;
  const int rc = ReadBlockPrefix(fs->blocks[subtype].get(), maxBytes, dst, &got);
  dst[got] = '\0';
  return rc;
}

}  // namespace xova
