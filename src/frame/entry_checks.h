// The entry checks of the exported functions, one helper per group. Each
// returns the code of the first failing check and on success stores the
// handle's file; none changes anything.
#ifndef XOVA_FRAME_ENTRY_CHECKS_H
#define XOVA_FRAME_ENTRY_CHECKS_H

#include "frame/file_state.h"

namespace xova {

// Handle, slot; write mode; not committed (5, 8, 30).
int CheckDefinition(int handle, FileState** fs);
// Handle, slot; not a read handle; committed (5, 8, 31).
int CheckCaseOutput(int handle, FileState** fs);
// Handle, slot; read mode (5, 9).
int CheckCaseInput(int handle, FileState** fs);
// Handle, slot; committed in any mode (5, 31).
int CheckCommitted(int handle, FileState** fs);
// Handle, slot (5).
int CheckHandle(int handle, FileState** fs);

}  // namespace xova

#endif
