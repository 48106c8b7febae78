// The variable handle: a double whose bits carry a variable's place in the
// case, handed to callers once and read back by the case value functions.
#ifndef XOVA_DICT_VARIABLE_HANDLE_H
#define XOVA_DICT_VARIABLE_HANDLE_H

#include <cstdint>

#include "frame/special_values.h"

namespace xova {

struct VarHandleParts {
  std::int32_t position;  // 1-based index of the first element
  std::int32_t width;     // 0 numeric, else the string width
};

// Low 32 bits: position; high 32 bits: 0x3FF00000 with the low byte of `type`
// in their lowest byte.
double EncodeVarHandle(std::int32_t position, std::int32_t type);

// Position from the low 32 bits, width from the byte above them. Inline: it
// runs once per value a caller sets or gets.
inline VarHandleParts DecodeVarHandle(double varHandle) {
  const std::uint64_t bits = DoubleToBits(varHandle);
  VarHandleParts parts;
  parts.position = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
  parts.width = static_cast<std::int32_t>((bits >> 32) & 0xFFu);
  return parts;
}

}  // namespace xova

#endif
