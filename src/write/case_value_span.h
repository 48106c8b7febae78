// Where a variable handle's value lives in the case buffer.
#ifndef XOVA_WRITE_CASE_VALUE_SPAN_H
#define XOVA_WRITE_CASE_VALUE_SPAN_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dict/variable_handle.h"
#include "frame/file_state.h"
#include "xovaio32.h"

namespace xova {

struct CaseValueSpan {
  std::size_t offset = 0;  // first byte in the case buffer
  std::size_t size = 0;    // 8 bytes per element of the variable
  std::int32_t width = 0;  // 0 numeric, else the string width
};

enum class ValueKind { kNumeric, kString };

// Whether a variable of type `parts.width` starts at `parts.position` (at
// least 1): through the table of starts, or a search of the dictionary for a
// state built without one.
bool StartsBySearch(const FileState& fs, const VarHandleParts& parts);

inline bool StartsThere(const FileState& fs, const VarHandleParts& parts) {
  const auto at = static_cast<std::size_t>(parts.position) - 1;
  if (fs.valueStarts.empty()) return StartsBySearch(fs, parts);
  return at < fs.valueStarts.size() && fs.valueStarts[at] == parts.width + 1;
}

inline std::int32_t ElementsOfType(std::int32_t type) {
  return type == 0 ? 1 : (type + 7) / 8;
}

// Resolves a handle for a value of `kind`: XOVA_NOT_NUMERIC or XOVA_NOT_STRING
// when its width byte is of the other kind; XOVA_NO_SUCH_VARIABLE when no
// variable of this file starts at its position with its width (a handle from
// another file, or made up), so nothing outside the variable's own elements
// is ever touched. 0 with the span stored otherwise. Inline: it runs once per
// value set.
inline int ResolveValueSpan(const FileState& fs, double varHandle, ValueKind kind,
                            CaseValueSpan* span) {
  const VarHandleParts parts = DecodeVarHandle(varHandle);
  if (kind == ValueKind::kNumeric && parts.width != 0) return XOVA_NOT_NUMERIC;
  if (kind == ValueKind::kString && parts.width == 0) return XOVA_NOT_STRING;
  if (parts.position < 1 || !StartsThere(fs, parts)) return XOVA_NO_SUCH_VARIABLE;
  const std::size_t offset = 8 * (static_cast<std::size_t>(parts.position) - 1);
  const std::size_t size = 8 * static_cast<std::size_t>(ElementsOfType(parts.width));
  const std::size_t caseSize = fs.caseBuffer.size();
  if (offset > caseSize || size > caseSize - offset) return XOVA_NO_SUCH_VARIABLE;
  span->offset = offset;
  span->size = size;
  span->width = parts.width;
  return XOVA_OK;
}

// The table of variable starts for `elements` elements, made aside: 0 with it
// in `starts`, or XOVA_OUT_OF_MEMORY with `starts` untouched.
int MakeValueStarts(const Dictionary& dict, std::size_t elements,
                    std::vector<std::uint16_t>* starts);

}  // namespace xova

#endif
