// The process-wide table that maps handles 0..999 to open files.
#ifndef XOVA_FRAME_HANDLE_TABLE_H
#define XOVA_FRAME_HANDLE_TABLE_H

#include <memory>

#include "frame/file_state.h"

namespace xova {

constexpr int kHandleSlots = 1000;

// The file of a handle; null for a handle outside 0..999 or an empty slot.
FileState* LookupHandle(int handle);

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
