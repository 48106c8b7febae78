// Opening a new file for writing.
#ifndef XOVA_WRITE_OPEN_WRITE_H
#define XOVA_WRITE_OPEN_WRITE_H

#include "frame/file_state.h"

namespace xova {

// Builds the release and special-values blocks of a file being written.
int BuildProductBlocks(FileState& fs);

// Sets what every new write handle starts with: mode, system string, time stamp.
void InitialiseForWrite(FileState& fs);

}  // namespace xova

#endif
