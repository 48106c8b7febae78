#include "frame/handle_table.h"

#include "xovaio32.h"

namespace xova {
// Unsynchronised by design: callers serialise open and close calls.
std::unique_ptr<FileState> detail::g_slots[kHandleSlots];

namespace {

bool g_cleared = false;

}  // namespace

using detail::g_slots;

int ClaimSlot(int* slot) {
  if (!g_cleared) {
    for (auto& s : g_slots) s.reset();
    g_cleared = true;
  }
  for (int i = 0; i < kHandleSlots; ++i) {
    if (!g_slots[i]) {
      *slot = i;
      return XOVA_OK;
    }
  }
  return XOVA_TABLE_FULL;
}

void InstallFileState(int slot, std::unique_ptr<FileState> state) {
  g_slots[slot] = std::move(state);
}

void ReleaseFileState(int handle) {
  if (handle < 0 || handle >= kHandleSlots) return;
  g_slots[handle].reset();
}

int CloseAndRelease(int handle) {
  FileState* fs = LookupHandle(handle);
  if (!fs) return XOVA_BAD_HANDLE;
  if (fs->mode != FileMode::kWrite && fs->mode != FileMode::kAppend) return XOVA_OPEN_FOR_READ;
  fs->stream.reset();
  ReleaseFileState(handle);
  return XOVA_OK;
}

}  // namespace xova
