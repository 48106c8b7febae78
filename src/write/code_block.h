// The compression encoder's block of eight codes and its raw elements.
#ifndef XOVA_WRITE_CODE_BLOCK_H
#define XOVA_WRITE_CODE_BLOCK_H

#include "frame/file_state.h"

namespace xova {

constexpr unsigned char kCodeEndOfData = 252;

// Writes the code block (unused codes set to 0) and its raw elements, then
// empties it whatever the outcome: 0 or XOVA_FILE_WRITE_ERROR.
int WriteOutBlock(FileState& fs);

// At close: appends the end code to a partly filled block and writes it; a
// block with no codes writes nothing.
int FlushFinalBlock(FileState& fs);

}  // namespace xova

#endif
