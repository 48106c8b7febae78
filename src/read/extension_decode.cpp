#include "read/extension_decode.h"

#include <cstdint>
#include <cstdio>
#include <limits>

#include "platform/shared_file.h"
#include "read/record_input.h"
#include "write/document_record.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::int64_t kMaxPayloadBytes = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kStaging = kPayloadStaging;
constexpr std::size_t kTailBytes = sizeof ExtensionBlock::tail;

struct PayloadHeader {
  std::int32_t elemSize = 0;
  std::int32_t count = 0;
  std::int64_t total = 0;  // bytes
};

// Element size and count of an extension record. Negative sizes are refused:
// skipped, they would move the stream back and could make the record loop
// meet the same record for ever.
int ReadSizeFields(FileState& fs, PayloadHeader* h) {
  if (!ReadInt32(fs, &h->elemSize) || !ReadInt32(fs, &h->count)) return XOVA_BAD_FILE;
  if (h->elemSize < 1 || h->count < 0) return XOVA_BAD_FILE;
  h->total = static_cast<std::int64_t>(h->elemSize) * h->count;
  return XOVA_OK;
}

int ReadDocumentHeader(FileState& fs, PayloadHeader* h) {
  std::int32_t lines = 0;
  if (!ReadInt32(fs, &lines) || lines < 0) return XOVA_BAD_FILE;
  h->elemSize = 1;
  h->total = static_cast<std::int64_t>(kDocumentLineLength) * lines;
  h->count = h->total <= kMaxPayloadBytes ? static_cast<std::int32_t>(h->total) : 0;
  return XOVA_OK;
}

// The block counts elements and bytes in 32 bits: a payload beyond that could
// not be held, and a wrapped product would describe bytes never read.
int ReadPayloadHeader(FileState& fs, int subtype, PayloadHeader* h) {
  const int rc = subtype == kDocumentsSlot ? ReadDocumentHeader(fs, h) : ReadSizeFields(fs, h);
  if (rc != XOVA_OK) return rc;
  return h->total <= kMaxPayloadBytes ? XOVA_OK : XOVA_BAD_FILE;
}

void ReverseElements(const FileState& fs, unsigned char* bytes, std::int64_t count,
                     std::int32_t elemSize) {
  if (!fs.byteSwap || elemSize <= 1) return;
  const std::size_t size = static_cast<std::size_t>(elemSize);
  for (std::int64_t i = 0; i < count; ++i) ReverseBytes(bytes + i * elemSize, size);
}

int ReadInMemory(FileState& fs, ExtensionBlock* block, const PayloadHeader& h) {
  unsigned char buffer[kBlockMemoryLimit];
  if (!ReadBytes(fs, buffer, static_cast<std::size_t>(h.total))) return XOVA_BAD_FILE;
  ReverseElements(fs, buffer, h.count, h.elemSize);
  return BlockAppend(block, h.count, buffer);  // adds the NUL after a text
}

bool WriteSpill(ExtensionBlock* block, const unsigned char* src, std::size_t n) {
  return platform::Write(block->spillFile, src, n);
}

// Elements of up to 512 bytes: as many whole ones as the staging buffer holds.
int CopyWholeElements(FileState& fs, ExtensionBlock* block, const PayloadHeader& h) {
  unsigned char staging[kStaging];
  const std::int32_t perPiece = static_cast<std::int32_t>(kStaging) / h.elemSize;
  for (std::int32_t left = h.count; left > 0;) {
    const std::int32_t k = left < perPiece ? left : perPiece;
    const std::size_t bytes = static_cast<std::size_t>(k) * static_cast<std::size_t>(h.elemSize);
    if (!ReadBytes(fs, staging, bytes)) return XOVA_FILE_READ_ERROR;
    ReverseElements(fs, staging, k, h.elemSize);
    if (!WriteSpill(block, staging, bytes)) return XOVA_TEMP_FILE_ERROR;
    block->count += k;
    left -= k;
  }
  return XOVA_OK;
}

// Larger elements in 512-byte pieces. Reversing such an element in the file's
// other byte order turns each piece around and stores it at the mirrored
// offset, so the element need never be whole in memory.
int CopyLargeElements(FileState& fs, ExtensionBlock* block, const PayloadHeader& h) {
  unsigned char staging[kStaging];
  const std::int64_t size = h.elemSize;
  for (std::int32_t e = 0; e < h.count; ++e) {
    const std::int64_t base = size * e;
    for (std::int64_t at = 0; at < size;) {
      const std::int64_t left = size - at;
      const std::size_t n =
          left < static_cast<std::int64_t>(kStaging) ? static_cast<std::size_t>(left) : kStaging;
      if (!ReadBytes(fs, staging, n)) return XOVA_FILE_READ_ERROR;
      std::int64_t dst = base + at;
      if (fs.byteSwap) {
        ReverseBytes(staging, n);
        dst = base + size - at - static_cast<std::int64_t>(n);
      }
      if (!platform::Seek(block->spillFile, dst, SEEK_SET) || !WriteSpill(block, staging, n)) {
        return XOVA_TEMP_FILE_ERROR;
      }
      at += static_cast<std::int64_t>(n);
    }
    block->count += 1;
  }
  return XOVA_OK;
}

// Makes sure the file got every byte, then takes the block's tail from it: the
// last bytes as stored, whatever order the pieces were written in.
int FinishSpill(ExtensionBlock* block, std::int64_t total) {
  std::FILE* file = block->spillFile;
  if (!platform::Flush(file)) return XOVA_TEMP_FILE_ERROR;
  const bool ok = platform::Seek(file, total - static_cast<std::int64_t>(kTailBytes), SEEK_SET) &&
                  std::fread(block->tail, 1, kTailBytes, file) == kTailBytes;
  return ok ? XOVA_OK : XOVA_TEMP_FILE_ERROR;
}

// Only for payloads beyond the memory limit, so total is well above the tail.
int SpillPayload(FileState& fs, ExtensionBlock* block, const PayloadHeader& h) {
  if (BlockOpenSpill(block) != XOVA_OK) return XOVA_TEMP_FILE_ERROR;
  int rc = h.elemSize <= static_cast<std::int32_t>(kStaging) ? CopyWholeElements(fs, block, h)
                                                             : CopyLargeElements(fs, block, h);
  if (rc == XOVA_OK) rc = FinishSpill(block, h.total);
  BlockCloseSpill(block);
  return rc;
}

// Passes over n bytes and proves the last of them exists: a seek alone goes
// past the end of a truncated file without complaint.
bool SkipPresentBytes(FileState& fs, std::int64_t n) {
  if (n == 0) return true;
  unsigned char last = 0;
  return SkipBySeeking(fs, n - 1) && ReadBytes(fs, &last, 1);
}

int SkipExtensionRecord(FileState& fs) {
  PayloadHeader h;
  if (int rc = ReadSizeFields(fs, &h)) return rc;
  return SkipPresentBytes(fs, h.total) ? XOVA_OK : XOVA_BAD_FILE;
}

}  // namespace

int ReadExtensionPayload(BlockPtr* slot, FileState& fs, int subtype) {
  if (!slot) return XOVA_BAD_EXT_INDEX;
  PayloadHeader h;
  if (int rc = ReadPayloadHeader(fs, subtype, &h)) return rc;
  BlockPtr block = BlockCreate(h.elemSize);
  if (!block) return XOVA_OUT_OF_MEMORY;
  const std::int64_t needed = h.total + (h.elemSize == 1 ? 1 : 0);
  const int rc = needed <= kBlockMemoryLimit ? ReadInMemory(fs, block.get(), h)
                                             : SpillPayload(fs, block.get(), h);
  if (rc != XOVA_OK) return rc;  // the new block goes, and its file with it
  *slot = std::move(block);
  return XOVA_OK;
}

int ReadExtensionRecord(FileState& fs) {
  std::int32_t subtype = 0;
  if (!ReadInt32(fs, &subtype)) return XOVA_FILE_READ_ERROR;
  if (subtype < kFirstExtensionSubtype || subtype > kLastExtensionSubtype) {
    return SkipExtensionRecord(fs);
  }
  const std::size_t s = static_cast<std::size_t>(subtype);
  const int rc = ReadExtensionPayload(&fs.blocks[s], fs, subtype);
  if (rc == XOVA_OK) fs.present[s] = 1;
  return rc;
}

}  // namespace xova
