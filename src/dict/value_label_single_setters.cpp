// Setting one value label of one variable through the pending edit.
#include <memory>
#include <utility>

#include "dict/dictionary.h"
#include "dict/name_fold.h"
#include "dict/value_class_check.h"
#include "dict/value_label_fold.h"
#include "frame/api_guard.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

bool PendingBelongsTo(const FileState& fs, const char* key) {
  return fs.pendingLabels && fs.pendingLabels->key == key;
}

// Puts the labelled entry into the pending edit, opening one for `var` when
// the slot is empty. A new edit is built aside and only installed complete,
// so a failed allocation leaves the slot as it was.
int PutLabel(FileState& fs, std::int32_t cls, const char* key, const VariableRecord* var,
             ValueLabelEntry entry, const char* label) {
  bool cut = false;
  entry.label = CutLabel(OrEmpty(label), &cut);
  if (fs.pendingLabels) {
    PutPendingEntry(*fs.pendingLabels, std::move(entry));
  } else {
    auto edit = std::make_unique<PendingLabelEdit>();
    edit->typeClass = cls;
    edit->key = key;
    if (const ValueLabelSet* set = FirstSetListing(fs.labelSets, cls, var->position)) {
      edit->entries = set->entries;
    }
    PutPendingEntry(*edit, std::move(entry));
    fs.pendingLabels = std::move(edit);
  }
  return cut ? XOVA_LABEL_TRUNCATED : XOVA_OK;
}

int SetNumericLabel(FileState& fs, const char* name, double value, const char* label) {
  char key[kMaxNameLength + 1];
  if (FoldName(key, name) != XOVA_OK) return XOVA_BAD_VARIABLE_NAME;
  const VariableRecord* var = nullptr;
  // The edit of this very variable is trusted without a lookup.
  if (PendingBelongsTo(fs, key)) {
    if (fs.pendingLabels->typeClass != kNumericClass) return XOVA_NOT_NUMERIC;
  } else {
    var = FindVariable(fs.dict, name);
    if (!var) return XOVA_NO_SUCH_VARIABLE;
    if (int rc = CheckValueClass(*var, kNumericClass)) return rc;
    if (int rc = FoldPendingLabels(fs)) return rc;
  }
  return PutLabel(fs, kNumericClass, key, var, ValueLabelEntry::Numeric(value), label);
}

int SetStringLabel(FileState& fs, const char* name, const char* value, const char* label) {
  char key[kMaxNameLength + 1];
  if (FoldName(key, name) != XOVA_OK) return XOVA_BAD_VARIABLE_NAME;
  const VariableRecord* var = FindVariable(fs.dict, name);
  if (!var) return XOVA_NO_SUCH_VARIABLE;
  if (int rc = CheckValueClass(*var, kStringClass)) return rc;
  char padded[kShortStringWidth + 1];
  if (!FitAndPadShortString(padded, value, var->type)) return XOVA_BAD_STRING_VALUE;
  if (PendingBelongsTo(fs, key)) {
    if (fs.pendingLabels->typeClass != kStringClass) return XOVA_NOT_STRING;
  } else if (int rc = FoldPendingLabels(fs)) {
    return rc;
  }
  return PutLabel(fs, kStringClass, key, var, ValueLabelEntry::String(padded), label);
}

}  // namespace
}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaSetVarNValueLabel(int handle, const char* varName, double value,
                                             const char* label) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  return Guarded([&] { return SetNumericLabel(*fs, OrEmpty(varName), value, label); });
}

XOVA_API int XOVA_CALL xovaSetVarCValueLabel(int handle, const char* varName, const char* value,
                                             const char* label) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  return Guarded([&] { return SetStringLabel(*fs, OrEmpty(varName), OrEmpty(value), label); });
}

}  // extern "C"
