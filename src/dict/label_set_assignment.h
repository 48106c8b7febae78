// Giving variables a complete set of labels: they leave their old sets and
// join an identical existing set or a new one at the end of the list.
#ifndef XOVA_DICT_LABEL_SET_ASSIGNMENT_H
#define XOVA_DICT_LABEL_SET_ASSIGNMENT_H

#include <cstdint>
#include <vector>

#include "dict/value_label_set.h"

namespace xova {

// Removes each position (all distinct) from the first set of the class that
// lists it, then appends the positions, in their order, to the first set of
// the class identical to `entries` that still has variables, or else to a new
// set at the end of the list. Everything is allocated before the first change,
// so a std::bad_alloc leaves the list as it was.
void AssignLabelSet(LabelSetList& sets, std::int32_t cls, std::vector<ValueLabelEntry> entries,
                    const PositionList& positions);

}  // namespace xova

#endif
