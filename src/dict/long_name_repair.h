// Making the long names of a dictionary read from a file valid and unique,
// and indexing them.
#ifndef XOVA_DICT_LONG_NAME_REPAIR_H
#define XOVA_DICT_LONG_NAME_REPAIR_H

#include "dict/dictionary.h"
#include "frame/file_state.h"

namespace xova {

// Walks the variables in order and fills the dictionary index (emptied
// first). A variable whose name breaks the naming rules or repeats an earlier
// one is renamed V<ordinal>, or V<ordinal>_A, _B, ... when that is taken by an
// earlier variable or is the name of a later one. The first failure ends the
// walk and is the result: XOVA_OUT_OF_MEMORY, or XOVA_BAD_FILE when no
// suffix is left.
int RepairLongNames(Dictionary& dict);
int RepairLongNames(FileState& fs);

}  // namespace xova

#endif
