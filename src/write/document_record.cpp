#include "write/document_record.h"

#include <cstdint>

#include "write/block_payload.h"
#include "xovaio32.h"

namespace xova {

namespace {
constexpr std::int32_t kDocumentRecordType = 6;
}  // namespace

int WriteDocumentRecord(LeWriter& out, ExtensionBlock* documents) {
  if (!documents || documents->count <= 0) return out.Result();
  const std::int64_t bytes = BlockBytes(documents);
  const std::int64_t lines = (bytes + kDocumentLineLength - 1) / kDocumentLineLength;
  out.Int32(kDocumentRecordType);
  out.Int32(static_cast<std::int32_t>(lines));
  if (int rc = WriteBlockPayload(out, *documents, bytes)) return rc;
  out.Fill(' ', static_cast<std::size_t>(lines * kDocumentLineLength - bytes));
  return out.Result();
}

}  // namespace xova
