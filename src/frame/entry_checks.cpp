#include "frame/entry_checks.h"

#include "frame/handle_table.h"
#include "xovaio32.h"

namespace xova {

int CheckHandle(int handle, FileState** fs) {
  FileState* state = LookupHandle(handle);
  if (!state) return XOVA_BAD_HANDLE;
  *fs = state;
  return XOVA_OK;
}

int CheckDefinition(int handle, FileState** fs) {
  FileState* state = LookupHandle(handle);
  if (!state) return XOVA_BAD_HANDLE;
  if (state->mode != FileMode::kWrite) return XOVA_OPEN_FOR_READ;
  if (state->IsCommitted()) return XOVA_ALREADY_COMMITTED;
  *fs = state;
  return XOVA_OK;
}

int CheckCommitted(int handle, FileState** fs) {
  FileState* state = LookupHandle(handle);
  if (!state) return XOVA_BAD_HANDLE;
  if (!state->IsCommitted()) return XOVA_NOT_COMMITTED;
  *fs = state;
  return XOVA_OK;
}

}  // namespace xova
