// Which extension records a file that was read contained.
#include "ext/extension_block.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

// Subtype 9 is never reported, whatever the file held.
constexpr int kUnreportedSubtype = 9;

int QueryType7(int handle, int subtype, int* found) {
  StoreOut(found, 0);
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  if (fs->mode == FileMode::kWrite) return XOVA_OPEN_FOR_WRITE;
  if (subtype < 0 || subtype >= kBlockSlots) return XOVA_SUBTYPE_OUT_OF_RANGE;
  const bool present = fs->present[static_cast<std::size_t>(subtype)] != 0;
  StoreOut(found, present && subtype != kUnreportedSubtype ? 1 : 0);
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

extern "C" XOVA_API int XOVA_CALL xovaQueryType7(int handle, int subtype, int* found) noexcept {
  return xova::QueryType7(handle, subtype, found);
}
