// The long-name record of a file read: "short=long" pairs separated by tabs,
// which give the variables, found under the short names stored in the file,
// back the full names they were written with.
#ifndef XOVA_READ_LONG_NAME_APPLY_H
#define XOVA_READ_LONG_NAME_APPLY_H

#include "dict/name_index.h"
#include "frame/file_state.h"

namespace xova {

// Applies block 13 (if any) through `shortNames`, an index of the variables
// by stored short name (exact bytes). A long name of 1 to 64 bytes is set as
// it stands; names are checked later. A pair without '=' (looked for within
// the pair only), with an empty or unknown short name, or with an empty or
// overlong long name changes nothing; of two pairs for one variable the later
// wins. Reads through the block's text reader, so a spilled block is scanned
// in bounded memory. 0; XOVA_BAD_FILE for an element size other than 1;
// XOVA_OUT_OF_MEMORY when a name can't be set; XOVA_TEMP_FILE_ERROR when the
// block's temporary file can't be read. Names set before a failure stay.
int ApplyLongNames(FileState& fs, const NameIndex& shortNames);

}  // namespace xova

#endif
