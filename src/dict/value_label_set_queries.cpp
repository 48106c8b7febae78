// Handing a variable's whole label set to the caller, and taking it back.
#include <cstring>
#include <new>

#include "dict/value_class_check.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

// Releases `count` texts of the array (null entries allowed), then the array.
void FreeTexts(char** texts, int count) {
  if (texts) {
    for (int i = 0; i < count; ++i) delete[] texts[i];
  }
  delete[] texts;
}

char* CopyText(const std::string& text) {
  char* copy = new (std::nothrow) char[text.size() + 1];
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// The string value cut or padded to the variable's width.
char* CopyValue(const ValueLabelEntry& entry, int width) {
  char* copy = new (std::nothrow) char[static_cast<std::size_t>(width) + 1];
  if (copy) FitShortString(copy, entry.text, width);
  return copy;
}

// The labels of the set as caller-owned texts, or null with nothing allocated.
char** CopyLabels(const ValueLabelSet& set) {
  const int count = static_cast<int>(set.entries.size());
  char** labels = new (std::nothrow) char*[set.entries.size()]();
  if (!labels) return nullptr;
  for (int i = 0; i < count; ++i) {
    labels[i] = CopyText(set.entries[static_cast<std::size_t>(i)].label);
    if (!labels[i]) {
      FreeTexts(labels, i);
      return nullptr;
    }
  }
  return labels;
}

double* CopyNumbers(const ValueLabelSet& set) {
  double* values = new (std::nothrow) double[set.entries.size()];
  if (!values) return nullptr;
  for (std::size_t i = 0; i < set.entries.size(); ++i) values[i] = set.entries[i].number;
  return values;
}

char** CopyStrings(const ValueLabelSet& set, int width) {
  const int count = static_cast<int>(set.entries.size());
  char** values = new (std::nothrow) char*[set.entries.size()]();
  if (!values) return nullptr;
  for (int i = 0; i < count; ++i) {
    values[i] = CopyValue(set.entries[static_cast<std::size_t>(i)], width);
    if (!values[i]) {
      FreeTexts(values, i);
      return nullptr;
    }
  }
  return values;
}

// The variable's first set of the class, or XOVA_NO_VALUE_LABELS.
int FindSet(int handle, const char* name, std::int32_t cls, const ValueLabelSet** set, int* width) {
  FileState* fs = nullptr;
  const VariableRecord* var = nullptr;
  if (int rc = LookupValueVariable(handle, name, cls, &fs, &var)) return rc;
  *set = FirstSetListing(fs->labelSets, cls, var->position);
  *width = var->type;
  return *set && !(*set)->entries.empty() ? XOVA_OK : XOVA_NO_VALUE_LABELS;
}

}  // namespace
}  // namespace xova

using namespace xova;

extern "C" {

// A caller that could take only part of the lists would leak the rest, so
// without all three out-pointers the lists are not built.
XOVA_API int XOVA_CALL xovaGetVarNValueLabels(int handle, const char* varName, double** values,
                                              char*** labels, int* numLabels) noexcept {
  StoreOut(values, nullptr);
  StoreOut(labels, nullptr);
  StoreOut(numLabels, 0);
  const ValueLabelSet* set = nullptr;
  int width = 0;
  if (int rc = FindSet(handle, varName, kNumericClass, &set, &width)) return rc;
  if (!values || !labels || !numLabels) return XOVA_OK;
  double* numbers = CopyNumbers(*set);
  char** texts = numbers ? CopyLabels(*set) : nullptr;
  if (!texts) {
    delete[] numbers;
    return XOVA_OUT_OF_MEMORY;
  }
  *values = numbers;
  *labels = texts;
  *numLabels = static_cast<int>(set->entries.size());
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetVarCValueLabels(int handle, const char* varName, char*** values,
                                              char*** labels, int* numLabels) noexcept {
  StoreOut(values, nullptr);
  StoreOut(labels, nullptr);
  StoreOut(numLabels, 0);
  const ValueLabelSet* set = nullptr;
  int width = 0;
  if (int rc = FindSet(handle, varName, kStringClass, &set, &width)) return rc;
  if (!values || !labels || !numLabels) return XOVA_OK;
  const int count = static_cast<int>(set->entries.size());
  char** strings = CopyStrings(*set, width);
  char** texts = strings ? CopyLabels(*set) : nullptr;
  if (!texts) {
    FreeTexts(strings, count);
    return XOVA_OUT_OF_MEMORY;
  }
  *values = strings;
  *labels = texts;
  *numLabels = count;
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaFreeVarNValueLabels(double* values, char** labels,
                                               int numLabels) noexcept {
  if (numLabels == 0 && !values && !labels) return XOVA_OK;
  if (numLabels < 1 || !values || !labels) return XOVA_BAD_FREE_ARGS;
  FreeTexts(labels, numLabels);
  delete[] values;
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaFreeVarCValueLabels(char** values, char** labels,
                                               int numLabels) noexcept {
  if (numLabels == 0 && !values && !labels) return XOVA_OK;
  if (numLabels < 1 || !values || !labels) return XOVA_BAD_FREE_ARGS;
  for (int i = 0; i < numLabels; ++i) {
    delete[] labels[i];
    delete[] values[i];
  }
  delete[] labels;
  delete[] values;
  return XOVA_OK;
}

}  // extern "C"
