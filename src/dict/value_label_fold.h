// Folding the pending label edit into the shared label sets.
#ifndef XOVA_DICT_VALUE_LABEL_FOLD_H
#define XOVA_DICT_VALUE_LABEL_FOLD_H

#include "frame/file_state.h"

namespace xova {

// Moves the variable of the pending edit out of its old set of its class and
// into the first identical set or a new one, then empties the slot. 0 also
// when the slot is empty; XOVA_BAD_LABEL_SET when the variable can no longer
// be found (the edit stays). A std::bad_alloc leaves sets and edit unchanged,
// so the variable keeps its old labels and the edit can be folded again.
int FoldPendingLabels(FileState& fs);

}  // namespace xova

#endif
