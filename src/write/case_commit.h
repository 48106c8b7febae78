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

// The same for a whole case the caller holds, `caseBuffer.size()` bytes:
// an uncompressed file takes it straight from there, without the copy into
// the case buffer that the encoder needs.
int CommitWholeCase(FileState& fs, const unsigned char* caseBytes);

}  // namespace xova

#endif
