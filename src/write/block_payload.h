// Copies the bytes of an extension block into the data file, from memory or
// from the block's temporary file.
#ifndef XOVA_WRITE_BLOCK_PAYLOAD_H
#define XOVA_WRITE_BLOCK_PAYLOAD_H

#include <cstddef>
#include <cstdint>

#include "ext/extension_block.h"
#include "write/le_writer.h"

namespace xova {

// A spilled block is copied through a buffer of this size, so a payload of
// any size is written in bounded memory.
constexpr std::size_t kPayloadChunk = 512;

// Writes the first `bytes` bytes of the block's payload (at most its size):
// 0, XOVA_TEMP_FILE_ERROR when the temporary file can't be read in full, or
// the writer's XOVA_FILE_WRITE_ERROR.
int WriteBlockPayload(LeWriter& out, ExtensionBlock& block, std::int64_t bytes);

}  // namespace xova

#endif
