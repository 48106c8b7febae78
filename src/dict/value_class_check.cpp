#include "dict/value_class_check.h"

#include "dict/dictionary.h"
#include "dict/fit_short_string.h"
#include "dict/value_label_entry.h"
#include "frame/entry_checks.h"
#include "xovaio32.h"

namespace xova {

int CheckValueClass(const VariableRecord& var, std::int32_t cls) {
  if (cls == kNumericClass) return var.IsString() ? XOVA_NOT_NUMERIC : XOVA_OK;
  if (!var.IsString()) return XOVA_NOT_STRING;
  return var.type > kShortStringWidth ? XOVA_STRING_TOO_WIDE : XOVA_OK;
}

int LookupValueVariable(int handle, const char* name, std::int32_t cls, FileState** fs,
                        const VariableRecord** var) {
  FileState* state = nullptr;
  if (int rc = CheckHandle(handle, &state)) return rc;
  const VariableRecord* found = FindVariable(state->dict, name);
  if (!found) return XOVA_NO_SUCH_VARIABLE;
  if (int rc = CheckValueClass(*found, cls)) return rc;
  *fs = state;
  *var = found;
  return XOVA_OK;
}

}  // namespace xova
