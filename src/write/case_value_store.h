// Putting single values into the case buffer of a file being written.
#ifndef XOVA_WRITE_CASE_VALUE_STORE_H
#define XOVA_WRITE_CASE_VALUE_STORE_H

#include <cstring>

#include "frame/file_state.h"
#include "write/case_value_span.h"

namespace xova {

// Stores a number into its variable's element: 0, or the refusal of
// ResolveValueSpan with nothing changed.
// Inline: it runs once per value set.
inline int StoreNumericValue(FileState& fs, double varHandle, double value) {
  CaseValueSpan span;
  if (int rc = ResolveValueSpan(fs, varHandle, ValueKind::kNumeric, &span)) return rc;
  std::memcpy(fs.caseBuffer.data() + span.offset, &value, sizeof value);
  return XOVA_OK;
}

// Stores a text blank-padded over its variable's elements. Trailing blanks
// beyond the width are dropped silently; a text still too long is stored cut
// to the width with XOVA_BAD_STRING_VALUE. A refusal of ResolveValueSpan
// changes nothing.
int StoreStringValue(FileState& fs, double varHandle, const char* text);

}  // namespace xova

#endif
