#include "dict/value_label_set.h"

#include <algorithm>

namespace xova {

bool ValueLabelSet::Lists(std::int32_t position) const {
  return std::find(variables.begin(), variables.end(), VariablePosition{position}) !=
         variables.end();
}

bool ValueLabelSet::IdenticalTo(std::int32_t cls, const std::vector<ValueLabelEntry>& other) const {
  if (cls != typeClass || entries.size() != other.size()) return false;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!SameEntry(cls, entries[i], other[i])) return false;
  }
  return true;
}

const ValueLabelSet* FirstSetListing(const LabelSetList& sets, std::int32_t cls,
                                     std::int32_t position) {
  for (const ValueLabelSet& set : sets) {
    if (set.typeClass == cls && set.Lists(position)) return &set;
  }
  return nullptr;
}

ValueLabelSet* FirstSetListing(LabelSetList& sets, std::int32_t cls, std::int32_t position) {
  const LabelSetList& constSets = sets;
  return const_cast<ValueLabelSet*>(FirstSetListing(constSets, cls, position));
}

void RemoveFromLabelSet(LabelSetList& sets, std::int32_t cls, std::int32_t position) noexcept {
  for (auto it = sets.begin(); it != sets.end(); ++it) {
    if (it->typeClass != cls) continue;
    auto& vars = it->variables;
    auto found = std::find(vars.begin(), vars.end(), VariablePosition{position});
    if (found == vars.end()) continue;
    vars.erase(found);
    if (vars.empty()) sets.erase(it);
    return;
  }
}

}  // namespace xova
