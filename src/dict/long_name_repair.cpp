#include "dict/long_name_repair.h"

#include <cstdio>
#include <cstring>

#include "dict/name_index.h"
#include "dict/name_rules.h"
#include "dict/record_name.h"
#include "dict/short_names.h"
#include "dict/suffixed_name.h"
#include "xovaio32.h"

namespace xova {
namespace {

// Folded names of the variables not yet walked: each key maps to the last
// variable holding it, and leaves when the walk reaches that variable.
int IndexLaterKeys(const Dictionary& dict, NameIndex& later) {
  for (auto it = dict.vars.rbegin(); it != dict.vars.rend(); ++it) {
    const int rc = later.Insert((*it)->key.c_str(), it->get(), CompareRecordKey);
    if (rc == XOVA_OUT_OF_MEMORY) return rc;  // a repeated key keeps its last holder
  }
  return XOVA_OK;
}

void LeaveLaterKeys(NameIndex& later, VariableRecord& var) {
  if (later.Find(var.key.c_str(), CompareRecordKey) == &var) later.Remove(var.key.c_str(), &var);
}

bool NeedsNewName(const Dictionary& dict, const VariableRecord& var) {
  if (ValidateName(var.name.size(), var.name.c_str()) != XOVA_NAME_VALID) return true;
  return dict.index.Find(var.key.c_str(), CompareRecordKey) != nullptr;
}

bool IsTaken(const Dictionary& dict, const NameIndex& later, const char* candidate) {
  return dict.index.Find(candidate, CompareRecordKey) || later.Find(candidate, CompareRecordKey);
}

int Rename(Dictionary& dict, const NameIndex& later, VariableRecord& var, long long ordinal) {
  char base[32];
  std::snprintf(base, sizeof base, "V%lld", ordinal);
  char candidate[sizeof base];
  std::memcpy(candidate, base, sizeof base);
  // Every taken candidate belongs to another variable, so this ends.
  for (int n = 0; IsTaken(dict, later, candidate); ++n) {
    if (int rc = MakeSuffixedName(candidate, base, n, static_cast<int>(kShortNameLength))) {
      return rc;
    }
  }
  if (int rc = SetRecordName(var, candidate)) return rc;
  return AddToIndex(dict, &var);
}

}  // namespace

int RepairLongNames(Dictionary& dict) {
  dict.index.Clear();
  std::unique_ptr<NameIndex> later = NameIndex::Create(kNameIndexBuckets);
  if (!later) return XOVA_OUT_OF_MEMORY;
  if (int rc = IndexLaterKeys(dict, *later)) return rc;
  long long ordinal = 0;
  for (auto& var : dict.vars) {
    ++ordinal;
    LeaveLaterKeys(*later, *var);
    const int rc = NeedsNewName(dict, *var) ? Rename(dict, *later, *var, ordinal)
                                            : AddToIndex(dict, var.get());
    if (rc != XOVA_OK) return rc;
  }
  return XOVA_OK;
}

int RepairLongNames(FileState& fs) {
  return RepairLongNames(fs.dict);
}

}  // namespace xova
