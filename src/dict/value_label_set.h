// Value-label sets: one list of (value, label) entries shared by the variables
// whose labels are identical. The file holds one value-label record and one
// variable-index record per set, in list order.
#ifndef XOVA_DICT_VALUE_LABEL_SET_H
#define XOVA_DICT_VALUE_LABEL_SET_H

#include <cstdint>
#include <list>
#include <vector>

#include "dict/value_label_entry.h"

namespace xova {

// A variable's position as a label set lists it. A class of the library's own:
// container code instantiated for a plain int would be exported with the
// library's functions.
struct VariablePosition {
  std::int32_t value;
  bool operator==(const VariablePosition& other) const { return value == other.value; }
};
using PositionList = std::vector<VariablePosition>;

struct ValueLabelSet {
  std::int32_t typeClass = kNumericClass;
  // At least one. Sets built by the setters are ascending with distinct
  // values; sets decoded from a file keep the file's order.
  std::vector<ValueLabelEntry> entries;
  // Positions of the variables that use the set, in the order they joined.
  PositionList variables;

  bool Lists(std::int32_t position) const;
  // Same count and, entry by entry, the same value and label.
  bool IdenticalTo(std::int32_t cls, const std::vector<ValueLabelEntry>& other) const;
};

// In order of creation; std::list so that sets can be built aside and linked
// in without a step that can fail.
using LabelSetList = std::list<ValueLabelSet>;

// The first set of the class that lists the position; null when there is none.
const ValueLabelSet* FirstSetListing(const LabelSetList& sets, std::int32_t cls,
                                     std::int32_t position);
ValueLabelSet* FirstSetListing(LabelSetList& sets, std::int32_t cls, std::int32_t position);

// Unlinks the first occurrence of the position from the first set of the class
// that lists it, and releases that set when no variable is left in it.
void RemoveFromLabelSet(LabelSetList& sets, std::int32_t cls, std::int32_t position) noexcept;

}  // namespace xova

#endif
