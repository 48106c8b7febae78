#include "support/open_handles.h"

#include "xovaio32.h"

namespace xova_test {

WriteHandle::WriteHandle(const std::string& name) : file_(dir_.File(name)) {
  rc_ = xovaOpenWrite(file_.c_str(), &handle_);
  open_ = rc_ == XOVA_OK;
}

WriteHandle::~WriteHandle() {
  Close();
}

int WriteHandle::Close() {
  if (!open_) return XOVA_BAD_HANDLE;
  open_ = false;
  return xovaCloseWrite(handle_);
}

}  // namespace xova_test
