#include "dict/value_label_fold.h"

#include "dict/label_set_assignment.h"
#include "xovaio32.h"

namespace xova {

int FoldPendingLabels(FileState& fs) {
  if (!fs.pendingLabels) return XOVA_OK;
  const PendingLabelEdit& edit = *fs.pendingLabels;
  const VariableRecord* var = FindVariable(fs.dict, edit.key.c_str());
  if (!var) return XOVA_BAD_LABEL_SET;
  const std::int32_t cls = ClassOfType(var->type);
  if (edit.entries.empty()) {
    RemoveFromLabelSet(fs.labelSets, cls, var->position);  // an edit without labels means none
  } else {
    // The edit keeps its entries until the sets have taken a copy.
    AssignLabelSet(fs.labelSets, cls, edit.entries, {VariablePosition{var->position}});
  }
  fs.pendingLabels.reset();
  return XOVA_OK;
}

}  // namespace xova
