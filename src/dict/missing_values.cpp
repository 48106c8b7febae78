// User-missing values of a variable: up to three discrete values, a range, or
// (numeric only) a range plus one discrete value.
#include <cstring>

#include "dict/dictionary.h"
#include "dict/value_class_check.h"
#include "dict/value_label_entry.h"
#include "frame/entry_checks.h"
#include "frame/special_values.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kRange = -2;
constexpr int kRangePlusValue = -3;

bool IsRange(int code) {
  return code == kRange || code == kRangePlusValue;
}

// A range needs ordered bounds; NaN bounds order nothing and are refused too.
bool NumericCodeValid(int code, double low, double high) {
  if (code < kRangePlusValue || code == -1 || code > 3) return false;
  return !IsRange(code) || low <= high;
}

double Slot(const VariableRecord& var, int i) {
  double value;
  std::memcpy(&value, var.missing[i], sizeof value);
  return value;
}

void StoreSlot(VariableRecord* var, int i, double value) {
  std::memcpy(var->missing[i], &value, sizeof value);
}

int SetNumeric(int handle, const char* name, int code, const double (&values)[3]) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  if (!NumericCodeValid(code, values[0], values[1])) return XOVA_BAD_MISSING_FORMAT;
  VariableRecord* var = FindVariable(fs->dict, name);
  if (!var) return XOVA_NO_SUCH_VARIABLE;
  if (int rc = CheckValueClass(*var, kNumericClass)) return rc;
  var->missingCode = code;
  const int used = code < 0 ? -code : code;  // a range uses two slots, a range plus value three
  for (int i = 0; i < used; ++i) StoreSlot(var, i, values[i]);
  return XOVA_OK;
}

// A value that does not fit ends the call with no missing values at all.
int SetString(int handle, const char* name, int code, const char* const (&values)[3]) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  if (code < 0 || code > 3) return XOVA_BAD_MISSING_FORMAT;
  VariableRecord* var = FindVariable(fs->dict, name);
  if (!var) return XOVA_NO_SUCH_VARIABLE;
  if (int rc = CheckValueClass(*var, kStringClass)) return rc;
  var->missingCode = code;
  for (int i = 0; i < code; ++i) {
    if (!FitShortString(reinterpret_cast<char*>(var->missing[i]), OrEmpty(values[i]), var->type)) {
      var->missingCode = 0;
      return XOVA_BAD_STRING_VALUE;
    }
  }
  return XOVA_OK;
}

// Range bounds equal to the file's own lowest or highest come back as this
// library's, so open-ended ranges look the same whatever wrote the file.
int GetNumeric(int handle, const char* name, int* code, double* (&out)[3]) {
  FileState* fs = nullptr;
  const VariableRecord* var = nullptr;
  if (int rc = LookupValueVariable(handle, name, kNumericClass, &fs, &var)) return rc;
  const int stored = var->missingCode;
  StoreOut(code, stored);
  const int n = stored < 0 ? -stored : stored;
  const bool range = stored < 0;
  if (n >= 1) {
    const double low = Slot(*var, 0);
    StoreOut(out[0], range && low == fs->lowest ? Lowest() : low);
  }
  if (n >= 2) {
    const double high = Slot(*var, 1);
    StoreOut(out[1], range && high == fs->highest ? Highest() : high);
  }
  if (n >= 3) StoreOut(out[2], Slot(*var, 2));
  return XOVA_OK;
}

int GetString(int handle, const char* name, int* code, char* (&out)[3]) {
  FileState* fs = nullptr;
  const VariableRecord* var = nullptr;
  if (int rc = LookupValueVariable(handle, name, kStringClass, &fs, &var)) return rc;
  const int stored = var->missingCode;
  StoreOut(code, stored);
  for (int i = 0; i < stored && i < 3; ++i) {
    if (!out[i]) continue;
    std::memcpy(out[i], var->missing[i], static_cast<std::size_t>(var->type));
    out[i][var->type] = '\0';
  }
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaSetVarNMissingValues(int handle, const char* varName, int missingFormat,
                                                double missingVal1, double missingVal2,
                                                double missingVal3) noexcept {
  const double values[3] = {missingVal1, missingVal2, missingVal3};
  return SetNumeric(handle, varName, missingFormat, values);
}

XOVA_API int XOVA_CALL xovaSetVarCMissingValues(int handle, const char* varName, int missingFormat,
                                                const char* missingVal1, const char* missingVal2,
                                                const char* missingVal3) noexcept {
  const char* const values[3] = {missingVal1, missingVal2, missingVal3};
  return SetString(handle, varName, missingFormat, values);
}

XOVA_API int XOVA_CALL xovaGetVarNMissingValues(int handle, const char* varName, int* missingFormat,
                                                double* missingVal1, double* missingVal2,
                                                double* missingVal3) noexcept {
  double* out[3] = {missingVal1, missingVal2, missingVal3};
  return GetNumeric(handle, varName, missingFormat, out);
}

XOVA_API int XOVA_CALL xovaGetVarCMissingValues(int handle, const char* varName, int* missingFormat,
                                                char* missingVal1, char* missingVal2,
                                                char* missingVal3) noexcept {
  char* out[3] = {missingVal1, missingVal2, missingVal3};
  return GetString(handle, varName, missingFormat, out);
}

}  // extern "C"
