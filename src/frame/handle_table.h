// The process-wide table that maps handles 0..999 to open files.
#ifndef XOVA_FRAME_HANDLE_TABLE_H
#define XOVA_FRAME_HANDLE_TABLE_H

#include <memory>

#include "frame/file_state.h"

namespace xova {

constexpr int kHandleSlots = 1000;

namespace detail {
// The slots themselves, for the inline lookup only; everything else goes
// through the functions below.
extern std::unique_ptr<FileState> g_slots[kHandleSlots];
}  // namespace detail

// The file of a handle; null for a handle outside 0..999 or an empty slot.
// Inline: every exported call on a handle starts here.
inline FileState* LookupHandle(int handle) {
  if (handle < 0 || handle >= kHandleSlots) return nullptr;
  return detail::g_slots[handle].get();
}

// Finds the first empty slot (clearing the table on the first open of the
// process): 0 with the slot stored, or XOVA_TABLE_FULL.
int ClaimSlot(int* slot);

// Puts a file into a claimed slot.
void InstallFileState(int slot, std::unique_ptr<FileState> state);

// Releases the slot's file (the only way a slot becomes empty).
void ReleaseFileState(int handle);

// Closes the stream and releases the file of a write or append handle without
// writing anything further: 5, 8 or 0.
int CloseAndRelease(int handle);

}  // namespace xova

#endif
