// The byte-code encoder: turns the elements of the case buffer into code
// blocks, carrying a partly filled block from one case to the next.
#ifndef XOVA_WRITE_CASE_ENCODER_H
#define XOVA_WRITE_CASE_ENCODER_H

#include "frame/file_state.h"

namespace xova {

// Adds the codes of every element of the case buffer to the file's encoder
// state. A full block is written out only when a further code arrives, so a
// case that ends on a block boundary leaves the full block in memory. A
// failed block write stops the case (its remaining elements are dropped) and
// gives XOVA_FILE_WRITE_ERROR; the encoder then starts a fresh block.
// Allocates nothing.
int EncodeCase(FileState& fs);

}  // namespace xova

#endif
