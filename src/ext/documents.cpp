// Copying the documents of one open file to a file being written.
#include <cstdint>

#include "ext/side_slots.h"
#include "frame/entry_checks.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kDocumentsSubtype = 0;
constexpr std::int32_t kCopyBufferBytes = 1024;

// Copies the whole source block into a new block of its element size, in
// pieces of at most 1024 bytes, so the source never has to be loaded whole.
int CopyBlock(ExtensionBlock* source, BlockPtr* copy) {
  const std::int32_t elemSize = source->elemSize;
  if (elemSize < 1 || elemSize > kCopyBufferBytes) return XOVA_BAD_EXT_INDEX;
  BlockPtr target = BlockCreate(elemSize);
  if (!target) return XOVA_OUT_OF_MEMORY;
  unsigned char buffer[kCopyBufferBytes];
  const std::int32_t piece = kCopyBufferBytes / elemSize;
  std::int32_t remaining = source->count;
  int rc = XOVA_OK;
  RewindBlock(source);
  while (rc == XOVA_OK && remaining > 0) {
    std::int32_t got = 0;
    rc = BlockRead(source, piece < remaining ? piece : remaining, &got, buffer);
    if (rc == XOVA_OK && got <= 0) rc = XOVA_TEMP_FILE_ERROR;  // the source came up short
    if (rc == XOVA_OK) rc = BlockAppend(target.get(), got, buffer);
    remaining -= got;
  }
  RewindBlock(source);
  if (rc == XOVA_OK) *copy = std::move(target);
  return rc;
}

// The destination's documents are replaced only once the whole copy exists,
// so a failed copy leaves them as they were.
int CopyDocuments(int fromHandle, int toHandle) {
  FileState* from = nullptr;
  FileState* to = nullptr;
  if (int rc = CheckHandle(fromHandle, &from)) return rc;
  if (int rc = CheckHandle(toHandle, &to)) return rc;
  if (int rc = CheckDefinition(toHandle, &to)) return rc;
  if (fromHandle == toHandle) return XOVA_OK;
  ExtensionBlock* source = from->blocks[kDocumentsSubtype].get();
  BlockPtr copy;
  if (source && source->count > 0) {
    if (int rc = CopyBlock(source, &copy)) return rc;
  }
  to->blocks[kDocumentsSubtype] = std::move(copy);
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

extern "C" XOVA_API int XOVA_CALL xovaCopyDocuments(int fromHandle, int toHandle) noexcept {
  return xova::CopyDocuments(fromHandle, toHandle);
}
