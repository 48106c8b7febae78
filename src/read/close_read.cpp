// Closing a read handle; a write or append handle given here is finished as
// its own close would, so no written data is lost.
#include "frame/handle_table.h"
#include "write/close_write.h"
#include "xovaio32.h"

namespace xova {
namespace {

int CloseRead(int handle) {
  FileState* fs = LookupHandle(handle);
  if (!fs) return XOVA_BAD_HANDLE;
  if (fs->mode != FileMode::kRead) {
    CloseWrite(handle);
    return XOVA_OPEN_FOR_WRITE;
  }
  fs->stream.reset();
  ReleaseFileState(handle);
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

extern "C" XOVA_API int XOVA_CALL xovaCloseRead(int handle) noexcept {
  return xova::CloseRead(handle);
}
