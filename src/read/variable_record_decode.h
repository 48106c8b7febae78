// A variable record of a file being read, with its continuation records.
#ifndef XOVA_READ_VARIABLE_RECORD_DECODE_H
#define XOVA_READ_VARIABLE_RECORD_DECODE_H

#include "dict/variable_record.h"
#include "frame/file_state.h"

namespace xova {

// Decodes the record whose type has just been read into `var`, whose position
// the caller has set, and consumes the continuation records a long string
// has. XOVA_OK; XOVA_BAD_FILE for a field out of range, a short read or a
// name the dictionary refuses; XOVA_OUT_OF_MEMORY. On failure `var` is left
// as it was.
//
// A short name of blanks only leaves the name and key empty instead of
// failing: it is as invalid as any other bad name, and the long-name repair
// after the dictionary gives it a name of its own.
int DecodeVariableRecord(FileState& fs, VariableRecord& var) noexcept;

}  // namespace xova

#endif
