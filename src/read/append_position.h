// Positioning a file opened for appending after its last case.
#ifndef XOVA_READ_APPEND_POSITION_H
#define XOVA_READ_APPEND_POSITION_H

#include "frame/file_state.h"

namespace xova {

// Counts the cases already in the file into the case count and leaves the
// stream (and, for compressed data, the code block being filled) where the
// next case goes: 0, XOVA_APPEND_REFUSED or XOVA_FILE_READ_ERROR.
int PositionForAppend(FileState& fs);

}  // namespace xova

#endif
