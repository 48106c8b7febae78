// The display-attribute record of a file read: measurement level, column
// width and alignment of every variable, as three 32-bit integers each.
#ifndef XOVA_READ_DISPLAY_APPLY_H
#define XOVA_READ_DISPLAY_APPLY_H

#include "frame/file_state.h"

namespace xova {

// Applies block 11 (if any) to the variables in dictionary order. Three
// values per variable are taken unchecked (a level of 0 becomes the default
// of the variable's type) and set the display flag; two per variable are an
// older layout, ignored. Reads through the block, so a spilled one is applied
// in bounded memory; a temporary file that fails to read ends the loop early,
// keeping what was applied. 0, or XOVA_BAD_FILE for an element size other
// than 4 or any other count.
int ApplyDisplayParameters(FileState& fs);

}  // namespace xova

#endif
