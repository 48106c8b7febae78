// A value-label record of a file being read, with its variable-index record.
#ifndef XOVA_READ_VALUE_LABEL_DECODE_H
#define XOVA_READ_VALUE_LABEL_DECODE_H

#include "frame/file_state.h"

namespace xova {

// Decodes the label record whose type has just been read and the index
// record that must follow it, and appends the set to fs.labelSets. A set
// without labels or without variables is read and dropped. The first
// position must be a variable of fs.dict; its type decides the set's class.
// XOVA_OK, XOVA_BAD_FILE or XOVA_OUT_OF_MEMORY; on failure fs.labelSets is
// unchanged.
int DecodeValueLabelPair(FileState& fs) noexcept;

}  // namespace xova

#endif
