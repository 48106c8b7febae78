// Committing the case buffer as one case of the data file.
#ifndef XOVA_WRITE_CASE_COMMIT_H
#define XOVA_WRITE_CASE_COMMIT_H

#include "frame/file_state.h"

namespace xova {

// Writes the case buffer raw or through the encoder, then resets it to the
// blank case and counts the case, also when the write failed: 0 or
// XOVA_FILE_WRITE_ERROR. A file that already holds the most cases its header
// can count is refused with XOVA_FILE_WRITE_ERROR before anything changes.
// Allocates nothing.
int CommitCase(FileState& fs);

}  // namespace xova

#endif
