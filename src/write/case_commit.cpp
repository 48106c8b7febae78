#include "write/case_commit.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/shared_file.h"
#include "write/case_encoder.h"
#include "xovaio32.h"

namespace xova {
namespace {

int WriteRawCase(FileState& fs) {
  std::FILE* out = fs.stream.get();
  const std::size_t size = fs.caseBuffer.size();
  if (!out) return XOVA_FILE_WRITE_ERROR;
  return platform::Write(out, fs.caseBuffer.data(), size) ? XOVA_OK : XOVA_FILE_WRITE_ERROR;
}

void ResetToBlankCase(FileState& fs) {
  const std::size_t size = std::min(fs.caseBuffer.size(), fs.blankCase.size());
  if (size > 0) std::memcpy(fs.caseBuffer.data(), fs.blankCase.data(), size);
}

}  // namespace

int CommitCase(FileState& fs) {
  // The header stores the count as an int32; one more case could not be
  // counted and would leave a file whose header lies about its contents.
  if (fs.caseCount == std::numeric_limits<std::int32_t>::max()) return XOVA_FILE_WRITE_ERROR;
  const int rc = fs.compression == 1 ? EncodeCase(fs) : WriteRawCase(fs);
  if (rc != XOVA_OK) fs.writeFailed = true;
  ResetToBlankCase(fs);
  ++fs.caseCount;
  if (fs.caseNumber < std::numeric_limits<std::int32_t>::max()) ++fs.caseNumber;
  return rc;
}

}  // namespace xova
