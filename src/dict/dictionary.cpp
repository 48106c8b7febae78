#include "dict/dictionary.h"

#include "dict/name_fold.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {

std::int64_t Dictionary::ElementCount() const {
  if (vars.empty()) return 0;
  const VariableRecord& last = *vars.back();
  return static_cast<std::int64_t>(last.position) + last.Elements() - 1;
}

VariableRecord* FindVariable(const Dictionary& dict, const char* name) {
  char key[kMaxNameLength + 1];
  if (FoldName(key, OrEmpty(name)) != XOVA_OK) return nullptr;
  return static_cast<VariableRecord*>(dict.index.Find(key, CompareRecordKey));
}

int AddToIndex(Dictionary& dict, VariableRecord* record) {
  return dict.index.Insert(record->key.c_str(), record, CompareRecordKey);
}

void ApplyDisplayDefaults(VariableRecord* record, int mask) {
  if (!record) return;
  const bool numeric = record->type == 0;
  if (mask & kDefaultMeasureLevel) record->measureLevel = numeric ? 3 : 1;
  if (mask & kDefaultColumnWidth) record->columnWidth = 0;
  if (mask & kDefaultAlignment) record->alignment = numeric ? 1 : 0;
}

}  // namespace xova
