// The entry checks of the exported functions, one helper per group. Each
// returns the code of the first failing check and on success stores the
// handle's file; none changes anything.
#ifndef XOVA_FRAME_ENTRY_CHECKS_H
#define XOVA_FRAME_ENTRY_CHECKS_H

#include "frame/file_state.h"
#include "frame/handle_table.h"
#include "xovaio32.h"

namespace xova {

// Handle, slot; write mode; not committed (5, 8, 30).
int CheckDefinition(int handle, FileState** fs);
// Handle, slot; not a read handle; committed (5, 8, 31). Inline, as the
// next one: they run once per value on the case paths.
inline int CheckCaseOutput(int handle, FileState** fs) {
  FileState* state = LookupHandle(handle);
  if (!state) return XOVA_BAD_HANDLE;
  if (state->mode == FileMode::kRead) return XOVA_OPEN_FOR_READ;
  if (!state->IsCommitted()) return XOVA_NOT_COMMITTED;
  *fs = state;
  return XOVA_OK;
}

// Handle, slot; read mode (5, 9).
inline int CheckCaseInput(int handle, FileState** fs) {
  FileState* state = LookupHandle(handle);
  if (!state) return XOVA_BAD_HANDLE;
  if (state->mode != FileMode::kRead) return XOVA_OPEN_FOR_WRITE;
  *fs = state;
  return XOVA_OK;
}
// Handle, slot; read mode; a case loaded (5, 9, 50). Only reading loads a
// case, so a loaded case answers the mode check too: one test per value.
inline int CheckLoadedCase(int handle, FileState** fs) {
  FileState* state = LookupHandle(handle);
  if (!state) return XOVA_BAD_HANDLE;
  if (!state->caseLoaded) {
    return state->mode != FileMode::kRead ? XOVA_OPEN_FOR_WRITE : XOVA_NO_CASE_DATA;
  }
  *fs = state;
  return XOVA_OK;
}
// Handle, slot; committed in any mode (5, 31).
int CheckCommitted(int handle, FileState** fs);
// Handle, slot (5).
int CheckHandle(int handle, FileState** fs);

}  // namespace xova

#endif
