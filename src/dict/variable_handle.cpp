#include "dict/variable_handle.h"

#include "frame/special_values.h"

namespace xova {
namespace {

constexpr std::uint32_t kHandleTag = 0x3FF00000u;

}  // namespace

double EncodeVarHandle(std::int32_t position, std::int32_t type) {
  const std::uint32_t high = kHandleTag | (static_cast<std::uint32_t>(type) & 0xFFu);
  const std::uint32_t low = static_cast<std::uint32_t>(position);
  return BitsToDouble((static_cast<std::uint64_t>(high) << 32) | low);
}

}  // namespace xova
