#include "write/block_payload.h"

#include <cstdio>

#include "xovaio32.h"

namespace xova {
namespace {

int CopySpilled(LeWriter& out, ExtensionBlock& block, std::int64_t bytes) {
  if (BlockOpenSpill(&block) != XOVA_OK) return XOVA_TEMP_FILE_ERROR;
  unsigned char chunk[kPayloadChunk];
  bool readOk = true;
  while (readOk && out.ok() && bytes > 0) {
    const std::size_t n = bytes < static_cast<std::int64_t>(sizeof chunk)
                              ? static_cast<std::size_t>(bytes)
                              : sizeof chunk;
    readOk = std::fread(chunk, 1, n, block.spillFile) == n;
    if (readOk) out.Bytes(chunk, n);
    bytes -= static_cast<std::int64_t>(n);
  }
  BlockCloseSpill(&block);
  if (!readOk) return XOVA_TEMP_FILE_ERROR;
  return out.Result();
}

}  // namespace

int WriteBlockPayload(LeWriter& out, ExtensionBlock& block, std::int64_t bytes) {
  const std::int64_t size = BlockBytes(&block);
  if (bytes > size) bytes = size;
  if (bytes <= 0) return out.Result();
  if (block.spilled) return CopySpilled(out, block, bytes);
  if (!block.data) return XOVA_TEMP_FILE_ERROR;  // a block without its bytes
  out.Bytes(block.data, static_cast<std::size_t>(bytes));
  return out.Result();
}

}  // namespace xova
