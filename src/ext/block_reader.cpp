#include "ext/block_reader.h"

#include <cstring>

#include "xovaio32.h"

namespace xova {
namespace {

std::int32_t Remaining(const BlockReader& reader) {
  return reader.filled - reader.offset;
}

// Moves the unread rest of the window to its front and reads behind it as
// many whole elements as fit.
bool Refill(BlockReader* reader) {
  const std::int32_t remaining = Remaining(*reader);
  std::memmove(reader->window, reader->window + reader->offset,
               static_cast<std::size_t>(remaining));
  reader->offset = 0;
  reader->filled = remaining;
  const std::int32_t elemSize = reader->block->elemSize;
  if (elemSize <= 0) return false;
  const std::int32_t want = (kReaderWindow - remaining) / elemSize;
  std::int32_t got = 0;
  if (want <= 0 || BlockRead(reader->block, want, &got, reader->window + remaining) != XOVA_OK) {
    return false;
  }
  // Nothing read while bytes are still due would stall the caller for ever.
  if (got <= 0) return false;
  const std::int32_t bytes = got * elemSize;
  reader->filled += bytes;
  reader->unread -= bytes;
  if (reader->unread < 0) reader->unread = 0;
  reader->window[reader->filled] = '\0';
  return true;
}

}  // namespace

const char* ReaderStart(BlockReader* reader, ExtensionBlock* block) {
  if (!reader) return nullptr;
  reader->block = block;
  reader->unread = BlockBytes(block);
  reader->offset = 0;
  reader->filled = 0;
  reader->window[0] = '\0';
  // Always from the first element, whatever an earlier read left behind.
  if (block) block->cursor = 0;
  return ReaderAdvance(reader, 0);
}

const char* ReaderAdvance(BlockReader* reader, std::int32_t n) {
  if (!reader) return nullptr;
  if (n > 0 && reader->block) {
    const std::int64_t step = static_cast<std::int64_t>(n) * reader->block->elemSize;
    const std::int32_t room = Remaining(*reader);
    reader->offset += step < room ? static_cast<std::int32_t>(step) : room;
  }
  if (Remaining(*reader) < kReaderLowWater && reader->unread > 0) {
    if (!Refill(reader)) return nullptr;
  }
  return reader->window + reader->offset;
}

}  // namespace xova
