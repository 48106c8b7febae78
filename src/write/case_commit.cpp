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

int WriteRawCase(FileState& fs, const unsigned char* bytes) {
  std::FILE* out = fs.stream.get();
  const std::size_t size = fs.caseBuffer.size();
  if (!out) return XOVA_FILE_WRITE_ERROR;
  return platform::Write(out, bytes, size) ? XOVA_OK : XOVA_FILE_WRITE_ERROR;
}

void ResetToBlankCase(FileState& fs) {
  const std::size_t size = std::min(fs.caseBuffer.size(), fs.blankCase.size());
  if (size > 0) std::memcpy(fs.caseBuffer.data(), fs.blankCase.data(), size);
}

// `bytes` is the case buffer, or for an uncompressed file a whole case of
// the caller's.
int Commit(FileState& fs, const unsigned char* bytes) {
  // The header stores the count as an int32; one more case could not be
  // counted and would leave a file whose header lies about its contents.
  if (fs.caseCount == std::numeric_limits<std::int32_t>::max()) return XOVA_FILE_WRITE_ERROR;
  const int rc = fs.compression == 1 ? EncodeCase(fs) : WriteRawCase(fs, bytes);
  if (rc != XOVA_OK) fs.writeFailed = true;
  ResetToBlankCase(fs);
  ++fs.caseCount;
  if (fs.caseNumber < std::numeric_limits<std::int32_t>::max()) ++fs.caseNumber;
  return rc;
}

}  // namespace

int CommitCase(FileState& fs) {
  return Commit(fs, fs.caseBuffer.data());
}

int CommitWholeCase(FileState& fs, const unsigned char* caseBytes) {
  const std::size_t size = fs.caseBuffer.size();
  if (fs.compression == 1 || size == 0) {
    if (size > 0) std::memcpy(fs.caseBuffer.data(), caseBytes, size);
    return CommitCase(fs);
  }
  return Commit(fs, caseBytes);
}

}  // namespace xova
