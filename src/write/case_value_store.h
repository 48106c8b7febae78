// Putting single values into the case buffer of a file being written.
#ifndef XOVA_WRITE_CASE_VALUE_STORE_H
#define XOVA_WRITE_CASE_VALUE_STORE_H

#include <cstdint>
#include <cstring>

#include "frame/file_state.h"
#include "frame/special_values.h"
#include "write/case_value_span.h"

namespace xova {

// Stores a number through the full resolution: the refusal of
// ResolveValueSpan, in its order, with nothing changed.
int StoreNumericValueResolved(FileState& fs, double varHandle, double value);

// Stores a number into its variable's element: 0, or the refusal of
// ResolveValueSpan with nothing changed. Inline, with a path that needs no
// stack frame: it runs once per value set. A numeric handle at position p
// has p - 1 in its low 40 bits less one; a width or a position below 1
// lands beyond any case, and anything the table of starts doesn't confirm
// takes the full resolution.
inline int StoreNumericValue(FileState& fs, double varHandle, double value) {
  const std::uint64_t index = (DoubleToBits(varHandle) & 0xFFFFFFFFFFu) - 1;
  if (index < fs.valueStarts.size() && fs.valueStarts[index] == 1 &&
      index < fs.caseBuffer.size() / 8) {
    std::memcpy(fs.caseBuffer.data() + 8 * index, &value, sizeof value);
    return XOVA_OK;
  }
  return StoreNumericValueResolved(fs, varHandle, value);
}

// Stores a text blank-padded over its variable's elements. Trailing blanks
// beyond the width are dropped silently; a text still too long is stored cut
// to the width with XOVA_BAD_STRING_VALUE. A refusal of ResolveValueSpan
// changes nothing.
int StoreStringValue(FileState& fs, double varHandle, const char* text);

}  // namespace xova

#endif
