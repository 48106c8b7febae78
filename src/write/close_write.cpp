#include "write/close_write.h"

#include <cstdint>
#include <cstring>

#include "frame/entry_checks.h"
#include "frame/handle_table.h"
#include "platform/shared_file.h"
#include "write/code_block.h"
#include "write/header_record.h"
#include "xovaio32.h"

namespace xova {
namespace {

int WriteCaseCount(FileState& fs) {
  std::FILE* out = fs.stream.get();
  if (!out || !platform::Seek(out, kCaseCountOffset, SEEK_SET)) return XOVA_FILE_WRITE_ERROR;
  const std::uint32_t count = static_cast<std::uint32_t>(fs.caseCount);
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(count), static_cast<unsigned char>(count >> 8),
      static_cast<unsigned char>(count >> 16), static_cast<unsigned char>(count >> 24)};
  if (!platform::Write(out, bytes, 4)) return XOVA_FILE_WRITE_ERROR;
  // A count that never reaches the disk is a failed write, not a success.
  return platform::Flush(out) ? XOVA_OK : XOVA_FILE_WRITE_ERROR;
}

}  // namespace

int CloseWrite(int handle) {
  FileState* fs = LookupHandle(handle);
  if (!fs) return XOVA_BAD_HANDLE;
  if (fs->mode == FileMode::kRead) {
    fs->stream.reset();
    ReleaseFileState(handle);
    return XOVA_OPEN_FOR_READ;
  }
  if (!fs->IsCommitted()) {
    CloseAndRelease(handle);
    return XOVA_NOT_COMMITTED;
  }
  int rc = FlushFinalBlock(*fs);
  if (rc == XOVA_OK) rc = WriteCaseCount(*fs);
  // A case lost earlier leaves a file that doesn't match its count; closing
  // must not report it as sound.
  if (rc == XOVA_OK && fs->writeFailed) rc = XOVA_FILE_WRITE_ERROR;
  CloseAndRelease(handle);
  return rc;
}

}  // namespace xova

extern "C" {

XOVA_API int XOVA_CALL xovaCloseWrite(int handle) noexcept {
  return xova::CloseWrite(handle);
}

XOVA_API int XOVA_CALL xovaCloseAppend(int handle) noexcept {
  return xova::CloseWrite(handle);
}

}  // extern "C"
