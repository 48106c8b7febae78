// The display-attribute block (subtype 11), rebuilt from the variables at
// commit.
#ifndef XOVA_WRITE_DISPLAY_BLOCK_H
#define XOVA_WRITE_DISPLAY_BLOCK_H

#include "frame/file_state.h"

namespace xova {

constexpr int kDisplaySubtype = 11;

// Discards the old block; when there are variables and some display
// attribute was set, puts in a block of 4-byte elements holding measurement
// level, column width and alignment of each variable in dictionary order.
// 0, XOVA_OUT_OF_MEMORY or XOVA_TEMP_FILE_ERROR (the slot is then empty).
int RebuildDisplayBlock(FileState& fs);

}  // namespace xova

#endif
