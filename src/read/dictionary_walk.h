// The walk over the dictionary records of a file being opened, from the first
// record type after the header to the filler after the terminator.
#ifndef XOVA_READ_DICTIONARY_WALK_H
#define XOVA_READ_DICTIONARY_WALK_H

#include "dict/name_index.h"
#include "frame/file_state.h"

namespace xova {

// Decodes every record into the file state, indexing the variables by their
// short names as stored in `shortNames`, and applies the long names, display
// attributes and special values. 0 or the code the open fails with.
int WalkDictionary(FileState& fs, NameIndex& shortNames);

}  // namespace xova

#endif
