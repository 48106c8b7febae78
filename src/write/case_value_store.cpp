#include "write/case_value_store.h"

#include <cstring>

#include "write/case_value_span.h"
#include "xovaio32.h"

namespace xova {
namespace {

// Length of the text that fits the width, and whether a non-blank character
// had to go.
std::size_t FittedLength(const char* text, std::size_t width, bool* cut) {
  std::size_t length = std::strlen(text);
  while (length > width && text[length - 1] == ' ') --length;
  *cut = length > width;
  return *cut ? width : length;
}

}  // namespace

int StoreNumericValueResolved(FileState& fs, double varHandle, double value) {
  CaseValueSpan span;
  if (int rc = ResolveValueSpan(fs, varHandle, ValueKind::kNumeric, &span)) return rc;
  std::memcpy(fs.caseBuffer.data() + span.offset, &value, sizeof value);
  return XOVA_OK;
}

int StoreStringValue(FileState& fs, double varHandle, const char* text) {
  CaseValueSpan span;
  if (int rc = ResolveValueSpan(fs, varHandle, ValueKind::kString, &span)) return rc;
  bool cut = false;
  const std::size_t length = FittedLength(text, static_cast<std::size_t>(span.width), &cut);
  unsigned char* target = fs.caseBuffer.data() + span.offset;
  std::memcpy(target, text, length);
  std::memset(target + length, ' ', span.size - length);
  return cut ? XOVA_BAD_STRING_VALUE : XOVA_OK;
}

}  // namespace xova
