#include "ext/extension_block.h"

#include <cstring>
#include <limits>
#include <new>

#include "ext/temp_file_name.h"
#include "platform/shared_file.h"
#include "platform/temp_file.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::int64_t kMaxCount = std::numeric_limits<std::int32_t>::max();

bool IsText(const ExtensionBlock& block) {
  return block.elemSize == 1;
}

// Bytes of n elements as a size_t; false when they don't fit one. The int64
// product of two int32 values cannot overflow.
bool ElementBytes(std::int32_t elemSize, std::int64_t n, std::size_t* bytes) {
  const std::int64_t b = static_cast<std::int64_t>(elemSize) * n;
  if (b < 0 || static_cast<std::uint64_t>(b) > std::numeric_limits<std::size_t>::max()) {
    return false;
  }
  *bytes = static_cast<std::size_t>(b);
  return true;
}

// In-memory size of `count` elements, with the NUL that ends a text block.
std::int64_t MemoryBytes(const ExtensionBlock& block, std::int64_t count) {
  return static_cast<std::int64_t>(block.elemSize) * count + (IsText(block) ? 1 : 0);
}

std::int64_t OffsetOf(const ExtensionBlock& block, std::int32_t index) {
  return static_cast<std::int64_t>(block.elemSize) * index;
}

bool WriteAll(std::FILE* stream, const void* src, std::size_t bytes) {
  return platform::Write(stream, src, bytes);
}

bool ReadAll(std::FILE* stream, void* dst, std::size_t bytes) {
  return bytes == 0 || std::fread(dst, 1, bytes, stream) == bytes;
}

// Closes the spill stream; false when buffered data could not be written.
bool CloseChecked(ExtensionBlock* block) {
  std::FILE* stream = block->spillFile;
  block->spillFile = nullptr;
  return platform::CloseShared(stream);
}

enum class InMemory { kDone, kMustSpill, kNoMemory };

// The block spills when it already has, when the result would pass the
// memory limit, or when the larger buffer can't be had.
InMemory AppendInMemory(ExtensionBlock* block, std::int32_t n, const void* src, std::size_t bytes) {
  const std::int64_t newBytes = MemoryBytes(*block, static_cast<std::int64_t>(block->count) + n);
  if (block->spilled || newBytes > kBlockMemoryLimit) return InMemory::kMustSpill;
  unsigned char* grown = new (std::nothrow) unsigned char[static_cast<std::size_t>(newBytes)];
  if (!grown) return InMemory::kNoMemory;
  const std::size_t old = static_cast<std::size_t>(OffsetOf(*block, block->count));
  if (old > 0) std::memcpy(grown, block->data, old);
  std::memcpy(grown + old, src, bytes);
  if (IsText(*block)) grown[old + bytes] = '\0';
  delete[] block->data;
  block->data = grown;
  block->capacity = static_cast<std::int32_t>(newBytes);
  block->count += n;
  BlockUpdateTail(block, n, src);
  return InMemory::kDone;
}

// First spill: a new file that receives the in-memory elements. Only once
// they are safely written does the block give up its buffer.
int CreateSpill(ExtensionBlock* block) {
  std::string path;
  if (MakeTempFile(&path) != XOVA_OK) return XOVA_TEMP_FILE_ERROR;
  std::FILE* stream = platform::OpenShared(path.c_str(), platform::OpenMode::kCreateUpdate, 0);
  const std::size_t bytes = static_cast<std::size_t>(OffsetOf(*block, block->count));
  const bool ok = stream && WriteAll(stream, block->data, bytes) && platform::Flush(stream) &&
                  platform::Seek(stream, 0, SEEK_SET);
  if (!ok) {
    if (stream) platform::CloseShared(stream);
    platform::RemoveFile(path.c_str());
    return XOVA_TEMP_FILE_ERROR;
  }
  block->spillPath.swap(path);
  block->spilled = true;
  block->spillFile = stream;
  delete[] block->data;
  block->data = nullptr;
  block->capacity = 0;
  return XOVA_OK;
}

int AppendSpilled(ExtensionBlock* block, std::int32_t n, const void* src, std::size_t bytes) {
  if (BlockOpenSpill(block) != XOVA_OK) return XOVA_TEMP_FILE_ERROR;
  bool ok = platform::Seek(block->spillFile, OffsetOf(*block, block->count), SEEK_SET) &&
            WriteAll(block->spillFile, src, bytes);
  ok = CloseChecked(block) && ok;
  // Bytes past `count` that a failed write may have left are never read.
  if (!ok) return XOVA_TEMP_FILE_ERROR;
  block->count += n;
  BlockUpdateTail(block, n, src);
  return XOVA_OK;
}

int ReadSpilled(ExtensionBlock* block, std::int32_t k, std::size_t bytes, void* dst) {
  if (!block->spilled) return XOVA_TEMP_FILE_ERROR;
  if (!block->spillFile && BlockOpenSpill(block) != XOVA_OK) return XOVA_TEMP_FILE_ERROR;
  const bool ok = platform::Seek(block->spillFile, OffsetOf(*block, block->cursor), SEEK_SET) &&
                  ReadAll(block->spillFile, dst, bytes);
  // The stream stays open between the parts of a sequential read.
  if (!ok || block->cursor + k >= block->count) BlockCloseSpill(block);
  return ok ? XOVA_OK : XOVA_TEMP_FILE_ERROR;
}

}  // namespace

void BlockFree(ExtensionBlock* block) {
  if (!block) return;
  delete[] block->data;
  block->data = nullptr;
  BlockCloseSpill(block);
  if (block->spilled) platform::RemoveFile(block->spillPath.c_str());
  delete block;
}

BlockPtr BlockCreate(std::int32_t elemSize) {
  if (elemSize <= 0) return nullptr;
  BlockPtr block(new (std::nothrow) ExtensionBlock);
  if (block) block->elemSize = elemSize;
  return block;
}

int BlockAppend(ExtensionBlock* block, std::int32_t n, const void* src) {
  if (!block) return XOVA_BAD_EXT_INDEX;
  if (n == 0 || !src) return XOVA_OK;
  if (n < 0 || block->elemSize <= 0) return XOVA_BAD_EXT_INDEX;
  // A loaded copy would go stale and shorter than the block.
  if (block->spilled && block->data) return XOVA_BAD_EXT_INDEX;
  std::size_t bytes = 0;
  if (static_cast<std::int64_t>(block->count) + n > kMaxCount ||
      !ElementBytes(block->elemSize, n, &bytes)) {
    return XOVA_OUT_OF_MEMORY;
  }
  const InMemory inMemory = AppendInMemory(block, n, src, bytes);
  if (inMemory == InMemory::kDone) return XOVA_OK;
  const int rc = AppendSpilled(block, n, src, bytes);
  // The file was only the rescue for a failed allocation: memory is what ran out.
  if (rc != XOVA_OK && inMemory == InMemory::kNoMemory) return XOVA_OUT_OF_MEMORY;
  return rc;
}

int BlockReplace(BlockPtr* slot, std::int32_t elemSize, std::int32_t n, const void* src) {
  if (!slot || elemSize <= 0 || n < 0) return XOVA_BAD_EXT_INDEX;
  BlockPtr fresh = BlockCreate(elemSize);
  if (!fresh) return XOVA_OUT_OF_MEMORY;
  if (int rc = BlockAppend(fresh.get(), n, src)) return rc;
  *slot = std::move(fresh);  // frees the old block
  return XOVA_OK;
}

int BlockRead(ExtensionBlock* block, std::int32_t maxCount, std::int32_t* gotCount, void* dst) {
  if (gotCount) *gotCount = 0;
  if (!block || !dst) return XOVA_OK;
  const std::int32_t left = block->count - block->cursor;
  const std::int32_t k = maxCount < left ? maxCount : left;
  if (k <= 0) return XOVA_OK;
  std::size_t bytes = 0;
  if (!ElementBytes(block->elemSize, k, &bytes)) return XOVA_TEMP_FILE_ERROR;
  if (block->data) {
    std::memcpy(dst, block->data + OffsetOf(*block, block->cursor), bytes);
  } else if (int rc = ReadSpilled(block, k, bytes, dst)) {
    return rc;
  }
  block->cursor += k;
  if (block->cursor >= block->count) block->cursor = 0;
  if (gotCount) *gotCount = k;
  return XOVA_OK;
}

int BlockLoad(ExtensionBlock* block) {
  if (!block || !block->spilled || block->data) return XOVA_OK;
  const std::int64_t total = MemoryBytes(*block, block->count);
  std::size_t bytes = 0;
  if (total > kMaxCount || !ElementBytes(block->elemSize, block->count, &bytes)) {
    return XOVA_OUT_OF_MEMORY;
  }
  unsigned char* copy = new (std::nothrow) unsigned char[static_cast<std::size_t>(total)];
  if (!copy) return XOVA_OUT_OF_MEMORY;
  const bool ok = BlockOpenSpill(block) == XOVA_OK && ReadAll(block->spillFile, copy, bytes);
  BlockCloseSpill(block);
  if (!ok) {
    delete[] copy;
    return XOVA_TEMP_FILE_ERROR;
  }
  if (IsText(*block)) copy[bytes] = '\0';
  block->data = copy;
  block->capacity = static_cast<std::int32_t>(total);
  return XOVA_OK;
}

void BlockUnload(ExtensionBlock* block) {
  if (!block || !block->spilled || !block->data) return;
  delete[] block->data;
  block->data = nullptr;
  block->capacity = 0;
}

int BlockOpenSpill(ExtensionBlock* block) {
  if (!block) return XOVA_TEMP_FILE_ERROR;
  if (!block->spilled) return CreateSpill(block);
  if (block->spillFile) {
    return platform::Seek(block->spillFile, 0, SEEK_SET) ? XOVA_OK : XOVA_TEMP_FILE_ERROR;
  }
  block->spillFile = platform::OpenShared(block->spillPath.c_str(), platform::OpenMode::kUpdate, 0);
  return block->spillFile ? XOVA_OK : XOVA_TEMP_FILE_ERROR;
}

void BlockCloseSpill(ExtensionBlock* block) {
  if (block && block->spillFile) CloseChecked(block);
}

void BlockUpdateTail(ExtensionBlock* block, std::int32_t n, const void* src) {
  std::size_t total = 0;
  if (!block || !src || n <= 0 || !ElementBytes(block->elemSize, n, &total)) return;
  const std::size_t k = total < sizeof block->tail ? total : sizeof block->tail;
  std::memmove(block->tail, block->tail + k, sizeof block->tail - k);
  std::memcpy(block->tail + sizeof block->tail - k,
              static_cast<const unsigned char*>(src) + (total - k), k);
}

std::int64_t BlockBytes(const ExtensionBlock* block) {
  return block ? static_cast<std::int64_t>(block->elemSize) * block->count : 0;
}

}  // namespace xova
