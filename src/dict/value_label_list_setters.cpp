// Giving a list of variables one complete set of value labels.
#include "dict/value_label_list_setters.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "dict/dictionary.h"
#include "dict/label_set_assignment.h"
#include "dict/name_fold.h"
#include "dict/value_class_check.h"
#include "dict/value_label_fold.h"
#include "frame/api_guard.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

struct ListedVariables {
  PositionList positions;             // in list order
  int narrowest = kShortStringWidth;  // narrowest listed string width
};

bool ArrayFits(int count, std::size_t elementSize, std::size_t maxBytes) {
  return static_cast<std::size_t>(count) <= maxBytes / elementSize;
}

// The per-variable checks, in list order. A variable named twice (in any
// spelling) is refused: its set would list it twice, and removing it later
// would leave the second occurrence behind.
int CollectListed(const Dictionary& dict, const char* const* names, int count, std::int32_t cls,
                  ListedVariables* listed) {
  listed->positions.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const char* name = OrEmpty(names[i]);
    char key[kMaxNameLength + 1];
    if (FoldName(key, name) != XOVA_OK) return XOVA_BAD_VARIABLE_NAME;
    const VariableRecord* var = FindVariable(dict, name);
    if (!var) return XOVA_NO_SUCH_VARIABLE;
    if (int rc = CheckValueClass(*var, cls)) return rc;
    auto& positions = listed->positions;
    if (std::find(positions.begin(), positions.end(), VariablePosition{var->position}) !=
        positions.end()) {
      return XOVA_DUPLICATE_VARIABLE;
    }
    positions.push_back(VariablePosition{var->position});
    if (cls == kStringClass) listed->narrowest = std::min<int>(listed->narrowest, var->type);
  }
  return XOVA_OK;
}

// The checks before the fold: counts, sizes and every listed variable.
int CheckList(const FileState& fs, const char* const* names, int numVars, bool haveLabels,
              int numLabels, std::int32_t cls, ListedVariables* listed) {
  if (numVars < 1 || !names) return XOVA_EMPTY_VARIABLE_LIST;
  if (numLabels < 1 || !haveLabels) return XOVA_NO_VALUE_LABELS;
  if (!ListArraysFit(numVars, numLabels)) return XOVA_OUT_OF_MEMORY;
  return CollectListed(fs.dict, names, numVars, cls, listed);
}

// Sorts the entries and refuses two equal values.
int SortEntries(std::int32_t cls, std::vector<ValueLabelEntry>* entries) {
  auto less = [cls](const ValueLabelEntry& a, const ValueLabelEntry& b) {
    return CompareValues(cls, a, b) < 0;
  };
  std::sort(entries->begin(), entries->end(), less);
  for (std::size_t i = 1; i < entries->size(); ++i) {
    if (CompareValues(cls, (*entries)[i - 1], (*entries)[i]) == 0) return XOVA_DUPLICATE_VALUE;
  }
  return XOVA_OK;
}

// Attaches the cut labels, in the caller's order; true when any was cut.
bool AttachLabels(std::vector<ValueLabelEntry>* entries, const char* const* labels) {
  bool anyCut = false;
  for (std::size_t i = 0; i < entries->size(); ++i) {
    bool cut = false;
    (*entries)[i].label = CutLabel(OrEmpty(labels[i]), &cut);
    anyCut = anyCut || cut;
  }
  return anyCut;
}

// Sorting, the duplicate check and the new set, once the entries are built.
int FinishList(FileState& fs, std::int32_t cls, std::vector<ValueLabelEntry> entries,
               const char* const* labels, const ListedVariables& listed) {
  const bool cut = AttachLabels(&entries, labels);
  if (int rc = SortEntries(cls, &entries)) return rc;
  AssignLabelSet(fs.labelSets, cls, std::move(entries), listed.positions);
  return cut ? XOVA_LABEL_TRUNCATED : XOVA_OK;
}

int SetNumericLabels(FileState& fs, const char* const* names, int numVars, const double* values,
                     const char* const* labels, int numLabels) {
  ListedVariables listed;
  const bool haveLabels = values && labels;
  if (int rc = CheckList(fs, names, numVars, haveLabels, numLabels, kNumericClass, &listed)) {
    return rc;
  }
  if (int rc = FoldPendingLabels(fs)) return rc;
  std::vector<ValueLabelEntry> entries;
  entries.reserve(static_cast<std::size_t>(numLabels));
  for (int i = 0; i < numLabels; ++i) entries.push_back(ValueLabelEntry::Numeric(values[i]));
  return FinishList(fs, kNumericClass, std::move(entries), labels, listed);
}

int SetStringLabels(FileState& fs, const char* const* names, int numVars, const char* const* values,
                    const char* const* labels, int numLabels) {
  ListedVariables listed;
  const bool haveLabels = values && labels;
  if (int rc = CheckList(fs, names, numVars, haveLabels, numLabels, kStringClass, &listed)) {
    return rc;
  }
  if (int rc = FoldPendingLabels(fs)) return rc;
  std::vector<ValueLabelEntry> entries;
  entries.reserve(static_cast<std::size_t>(numLabels));
  for (int i = 0; i < numLabels; ++i) {
    char padded[kShortStringWidth + 1];
    if (!FitAndPadShortString(padded, OrEmpty(values[i]), listed.narrowest)) {
      return XOVA_BAD_STRING_VALUE;
    }
    entries.push_back(ValueLabelEntry::String(padded));
  }
  return FinishList(fs, kStringClass, std::move(entries), labels, listed);
}

}  // namespace

bool ListArraysFit(int numVars, int numLabels, std::size_t maxBytes) {
  return ArrayFits(numVars, sizeof(std::int32_t), maxBytes) &&
         ArrayFits(numLabels, sizeof(ValueLabelEntry), maxBytes);
}

}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaSetVarNValueLabels(int handle, const char** varNames, int numVars,
                                              const double* values, const char** labels,
                                              int numLabels) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  return Guarded(
      [&] { return SetNumericLabels(*fs, varNames, numVars, values, labels, numLabels); });
}

XOVA_API int XOVA_CALL xovaSetVarCValueLabels(int handle, const char** varNames, int numVars,
                                              const char** values, const char** labels,
                                              int numLabels) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  return Guarded(
      [&] { return SetStringLabels(*fs, varNames, numVars, values, labels, numLabels); });
}

}  // extern "C"
