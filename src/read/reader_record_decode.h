// The type 5 record of a file being read: kept with the file, used by nothing.
#ifndef XOVA_READ_READER_RECORD_DECODE_H
#define XOVA_READ_READER_RECORD_DECODE_H

#include "frame/file_state.h"

namespace xova {

// Decodes the record whose type has just been read into fs.readerRecord: a
// count above 0, one further integer, then that many integers. XOVA_OK,
// XOVA_BAD_FILE or XOVA_OUT_OF_MEMORY; on failure fs.readerRecord is
// unchanged.
int DecodeReaderRecord(FileState& fs) noexcept;

}  // namespace xova

#endif
