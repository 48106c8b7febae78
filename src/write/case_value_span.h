// Where a variable handle's value lives in the case buffer.
#ifndef XOVA_WRITE_CASE_VALUE_SPAN_H
#define XOVA_WRITE_CASE_VALUE_SPAN_H

#include <cstddef>
#include <cstdint>

#include "frame/file_state.h"

namespace xova {

struct CaseValueSpan {
  std::size_t offset = 0;  // first byte in the case buffer
  std::size_t size = 0;    // 8 bytes per element of the variable
  std::int32_t width = 0;  // 0 numeric, else the string width
};

enum class ValueKind { kNumeric, kString };

// Resolves a handle for a value of `kind`: XOVA_NOT_NUMERIC or XOVA_NOT_STRING
// when its width byte is of the other kind; XOVA_NO_SUCH_VARIABLE when no
// variable of this file starts at its position with its width (a handle from
// another file, or made up), so nothing outside the variable's own elements
// is ever touched. 0 with the span stored otherwise.
int ResolveValueSpan(const FileState& fs, double varHandle, ValueKind kind, CaseValueSpan* span);

}  // namespace xova

#endif
