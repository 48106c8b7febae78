// The label of one value of a variable, as the label sets hold it.
#include <algorithm>
#include <cstring>

#include "dict/value_class_check.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kShortFormBuffer = kMaxValueLabelLength + 1;

struct LabelBuffer {
  char* text;
  int length;
  int* copied;
};

// An empty text and a copied length of 0, whatever the query finds later.
void ClearLabelBuffer(const LabelBuffer& out) {
  if (out.text && out.length >= 1) out.text[0] = '\0';
  StoreOut(out.copied, 0);
}

// Searches every set of the class that lists the variable, in list order, as a
// file read may list a variable in several: 0 with the label, XOVA_LABEL_ABSENT
// when some set lists the variable, else XOVA_NO_VALUE_LABELS.
int FindLabel(const LabelSetList& sets, std::int32_t cls, std::int32_t position,
              const ValueLabelEntry& probe, const std::string** label) {
  bool listed = false;
  for (const ValueLabelSet& set : sets) {
    if (set.typeClass != cls || !set.Lists(position)) continue;
    listed = true;
    for (const ValueLabelEntry& entry : set.entries) {
      if (CompareValues(cls, entry, probe) == 0) {
        *label = &entry.label;
        return XOVA_OK;
      }
    }
  }
  return listed ? XOVA_LABEL_ABSENT : XOVA_NO_VALUE_LABELS;
}

// A buffer below 1 byte cannot even hold the terminator: refused, untouched.
int DeliverLabel(const FileState& fs, std::int32_t cls, const VariableRecord& var,
                 const ValueLabelEntry& probe, const LabelBuffer& out) {
  if (out.length < 1) return XOVA_BUFFER_TOO_SMALL;
  const std::string* label = nullptr;
  const int rc = FindLabel(fs.labelSets, cls, var.position, probe, &label);
  if (label && out.text) {
    const std::size_t room = static_cast<std::size_t>(out.length) - 1;
    const std::size_t n = std::min(label->size(), room);
    std::memcpy(out.text, label->data(), n);
    out.text[n] = '\0';
    StoreOut(out.copied, n);
  }
  return rc;
}

int QueryNumeric(int handle, const char* name, double value, const LabelBuffer& out) {
  FileState* fs = nullptr;
  const VariableRecord* var = nullptr;
  if (int rc = LookupValueVariable(handle, name, kNumericClass, &fs, &var)) return rc;
  return DeliverLabel(*fs, kNumericClass, *var, ValueLabelEntry::Numeric(value), out);
}

int QueryString(int handle, const char* name, const char* value, const LabelBuffer& out) {
  FileState* fs = nullptr;
  const VariableRecord* var = nullptr;
  if (int rc = LookupValueVariable(handle, name, kStringClass, &fs, &var)) return rc;
  char padded[kShortStringWidth + 1];
  if (!FitAndPadShortString(padded, value, var->type)) return XOVA_BAD_STRING_VALUE;
  return DeliverLabel(*fs, kStringClass, *var, ValueLabelEntry::String(padded), out);
}

}  // namespace
}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaGetVarNValueLabelLong(int handle, const char* varName, double value,
                                                 char* labelBuff, int lenBuff,
                                                 int* lenLabel) noexcept {
  const LabelBuffer out{labelBuff, lenBuff, lenLabel};
  ClearLabelBuffer(out);
  return QueryNumeric(handle, varName, value, out);
}

XOVA_API int XOVA_CALL xovaGetVarCValueLabelLong(int handle, const char* varName, const char* value,
                                                 char* labelBuff, int lenBuff,
                                                 int* lenLabel) noexcept {
  const LabelBuffer out{labelBuff, lenBuff, lenLabel};
  ClearLabelBuffer(out);
  return QueryString(handle, varName, OrEmpty(value), out);
}

XOVA_API int XOVA_CALL xovaGetVarNValueLabel(int handle, const char* varName, double value,
                                             char* label) noexcept {
  return xovaGetVarNValueLabelLong(handle, varName, value, label, kShortFormBuffer, nullptr);
}

XOVA_API int XOVA_CALL xovaGetVarCValueLabel(int handle, const char* varName, const char* value,
                                             char* label) noexcept {
  return xovaGetVarCValueLabelLong(handle, varName, value, label, kShortFormBuffer, nullptr);
}

}  // extern "C"
