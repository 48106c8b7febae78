#include "dict/label_set_assignment.h"

#include <iterator>

namespace xova {
namespace {

// Variables the set keeps once the positions have left their first sets.
std::size_t RemainingAfterRemoval(const LabelSetList& sets, const ValueLabelSet& set,
                                  const PositionList& positions) {
  std::size_t leaving = 0;
  for (VariablePosition p : positions) {
    if (FirstSetListing(sets, set.typeClass, p.value) == &set) ++leaving;
  }
  return set.variables.size() - leaving;
}

// The set to join: the first identical one that is not released by the removal.
ValueLabelSet* SurvivingIdenticalSet(LabelSetList& sets, std::int32_t cls,
                                     const std::vector<ValueLabelEntry>& entries,
                                     const PositionList& positions) {
  for (ValueLabelSet& set : sets) {
    if (!set.IdenticalTo(cls, entries)) continue;
    if (RemainingAfterRemoval(sets, set, positions) > 0) return &set;
  }
  return nullptr;
}

}  // namespace

void AssignLabelSet(LabelSetList& sets, std::int32_t cls, std::vector<ValueLabelEntry> entries,
                    const PositionList& positions) {
  ValueLabelSet* target = SurvivingIdenticalSet(sets, cls, entries, positions);
  LabelSetList fresh;
  if (target) {
    target->variables.reserve(target->variables.size() + positions.size());
  } else {
    fresh.emplace_back();
    fresh.back().typeClass = cls;
    fresh.back().variables = positions;
    fresh.back().entries = std::move(entries);
  }
  // From here on nothing allocates.
  for (VariablePosition p : positions) RemoveFromLabelSet(sets, cls, p.value);
  if (target) {
    target->variables.insert(target->variables.end(), positions.begin(), positions.end());
  } else {
    sets.splice(sets.end(), fresh);
  }
}

}  // namespace xova
