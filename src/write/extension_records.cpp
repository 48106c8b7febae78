#include "write/extension_records.h"

#include <cstdint>

#include "write/block_payload.h"
#include "xovaio32.h"

namespace xova {

namespace {
constexpr std::int32_t kExtensionRecordType = 7;
}  // namespace

int WriteExtensionRecord(LeWriter& out, int subtype, ExtensionBlock& block) {
  out.Int32(kExtensionRecordType);
  out.Int32(subtype);
  out.Int32(block.elemSize);
  out.Int32(block.count);
  return WriteBlockPayload(out, block, BlockBytes(&block));
}

int WriteExtensionRecords(LeWriter& out, const BlockView& blocks) {
  for (int subtype = 1; subtype < kBlockSlots; ++subtype) {
    ExtensionBlock* block = blocks[static_cast<std::size_t>(subtype)];
    if (!block || block->count <= 0) continue;
    if (int rc = WriteExtensionRecord(out, subtype, *block)) return rc;
  }
  return out.Result();
}

}  // namespace xova
