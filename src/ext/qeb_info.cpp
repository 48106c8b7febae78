// The exported QEB functions: opaque bytes written and read in pieces. The
// block's read cursor tells a "next" read whether a "first" one started.
#include <cstdint>
#include <cstring>

#include "ext/block_slots.h"
#include "ext/side_slots.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kQebSubtype = 8;

int SetQebFirst(int handle, const void* qebData, int byteCount) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  if (byteCount < 0) return XOVA_BAD_EXT_INDEX;  // no piece has a negative size
  return StoreBlock(handle, kQebSubtype, 1, byteCount, qebData);
}

int SetQebNext(int handle, const void* qebData, int byteCount) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  const ExtensionBlock* block = fs->blocks[kQebSubtype].get();
  if (!block) return XOVA_QEB_NEXT_WITHOUT_FIRST;
  // Bytes appended to wider elements would be read beyond the caller's data.
  if (byteCount < 0 || block->elemSize != 1) return XOVA_BAD_EXT_INDEX;
  return AppendBlock(handle, kQebSubtype, byteCount, qebData);
}

// The block the getters read, or null when there is nothing they may hand out.
ExtensionBlock* ReadableQeb(const FileState& fs) {
  ExtensionBlock* block = fs.blocks[kQebSubtype].get();
  if (!block || block->count <= 0 || fs.byteSwap) return nullptr;
  return block;
}

int GetQebInfo(int handle, int* totalBytes, int* lastWord) {
  StoreOut(totalBytes, 0);
  StoreOut(lastWord, 0);
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  const ExtensionBlock* block = ReadableQeb(*fs);
  if (!block) return XOVA_QEB_ABSENT;
  const std::int64_t bytes = BlockBytes(block);
  StoreOut(totalBytes, bytes < INT32_MAX ? bytes : INT32_MAX);
  std::int32_t word = 0;
  std::memcpy(&word, block->tail, sizeof word);
  StoreOut(lastWord, word);
  return XOVA_OK;
}

// Reads the next piece of at most maxBytes bytes (whole elements).
int ReadPiece(ExtensionBlock* block, void* qebData, int maxBytes, int* bytesRead) {
  if (!qebData || maxBytes <= 0) return XOVA_OK;
  std::int32_t got = 0;
  const int rc = BlockRead(block, maxBytes / block->elemSize, &got, qebData);
  if (rc != XOVA_OK) {
    RewindBlock(block);  // a broken read cannot be continued
    return rc;
  }
  StoreOut(bytesRead, got * block->elemSize);
  return XOVA_OK;
}

int GetQebFirst(int handle, void* qebData, int maxBytes, int* bytesRead) {
  StoreOut(bytesRead, 0);
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  ExtensionBlock* block = ReadableQeb(*fs);
  if (!block) return XOVA_QEB_ABSENT;
  RewindBlock(block);
  return ReadPiece(block, qebData, maxBytes, bytesRead);
}

int GetQebNext(int handle, void* qebData, int maxBytes, int* bytesRead) {
  StoreOut(bytesRead, 0);
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  ExtensionBlock* block = fs->blocks[kQebSubtype].get();
  if (!block || block->cursor == 0) return XOVA_QEB_NEXT_WITHOUT_FIRST;
  return ReadPiece(block, qebData, maxBytes, bytesRead);
}

}  // namespace
}  // namespace xova

extern "C" {

XOVA_API int XOVA_CALL xovaSetQEBFirst(int handle, const void* qebData, int byteCount) noexcept {
  return xova::SetQebFirst(handle, qebData, byteCount);
}

XOVA_API int XOVA_CALL xovaSetQEBNext(int handle, const void* qebData, int byteCount) noexcept {
  return xova::SetQebNext(handle, qebData, byteCount);
}

XOVA_API int XOVA_CALL xovaGetQEBInfo(int handle, int* totalBytes, int* lastWord) noexcept {
  return xova::GetQebInfo(handle, totalBytes, lastWord);
}

XOVA_API int XOVA_CALL xovaGetQEBFirst(int handle, void* qebData, int maxBytes,
                                       int* bytesRead) noexcept {
  return xova::GetQebFirst(handle, qebData, maxBytes, bytesRead);
}

XOVA_API int XOVA_CALL xovaGetQEBNext(int handle, void* qebData, int maxBytes,
                                      int* bytesRead) noexcept {
  return xova::GetQebNext(handle, qebData, maxBytes, bytesRead);
}

}  // extern "C"
