// The blank case of a file read or appended: all bits set in numeric
// elements, blanks in string elements. Case input tells string elements from
// numeric ones by it.
#ifndef XOVA_READ_READ_BLANK_CASE_H
#define XOVA_READ_READ_BLANK_CASE_H

#include "frame/file_state.h"

namespace xova {

// Sizes the case buffer and the blank case to the element count and fills the
// blank case: 0 or XOVA_OUT_OF_MEMORY (nothing changed then).
int AllocateReadCase(FileState& fs);

}  // namespace xova

#endif
