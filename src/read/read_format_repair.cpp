#include "read/read_format_repair.h"

#include <algorithm>

#include "dict/formats.h"

namespace xova {
namespace {

constexpr int kStringType = 1;
constexpr int kHexStringType = 2;
constexpr int kPlainNumberType = 5;
constexpr int kMaxPackedWidth = 255;
constexpr int kMaxNumericWidth = 40;
constexpr int kMaxDecimals = 16;

// Unsigned bytes, unlike UnpackFormat: a file may hold any bits there.
Format LowBytes(std::int32_t format) {
  const std::uint32_t bits = static_cast<std::uint32_t>(format);
  return Format{static_cast<int>((bits >> 16) & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                static_cast<int>(bits & 0xFF)};
}

std::int32_t RepairString(std::int32_t width, int type) {
  // 64 bits: the width comes from the caller and is not trusted to be small.
  const std::int64_t doubled = 2 * static_cast<std::int64_t>(width);
  if (type == kHexStringType && doubled <= kMaxPackedWidth) {
    return PackFormat(kHexStringType, static_cast<int>(doubled), 0);
  }
  return PackFormat(kStringType, width, 0);
}

bool Accepted(const Format& f, int isPrint) {
  return ValidateFormat(0, f.code, f.decimals, f.width, isPrint) == kFormatAccepted;
}

// The default of a date or time kind keeps that kind; anything else becomes
// a plain number.
std::int32_t FallbackFormat(int type) {
  switch (type) {
    case 20:
    case 22:
    case 23:
    case 24:
    case 28:
    case 29:
    case 30:
    case 38:
    case 39:
      return PackFormat(20, 11, 0);
    case 25:
      return PackFormat(25, 11, 0);
    case 21:
      return PackFormat(21, 8, 0);
    case 26:
    case 27:
      return PackFormat(type, 3, 0);
    default:
      return PackFormat(kPlainNumberType, 8, 2);
  }
}

std::int32_t RepairNumeric(Format f, int isPrint) {
  if (f.code == kStringType || f.code == kHexStringType) f.code = kPlainNumberType;
  f.width = std::clamp(f.width, 1, kMaxNumericWidth);
  if (f.decimals > std::min(f.width - 1, kMaxDecimals)) f.decimals = 0;
  if (Accepted(f, isPrint)) return PackFormat(f.code, f.width, f.decimals);
  f.decimals = 0;
  if (Accepted(f, isPrint)) return PackFormat(f.code, f.width, 0);
  return FallbackFormat(f.code);
}

}  // namespace

std::int32_t RepairReadFormat(std::int32_t width, std::int32_t format, int isPrint) noexcept {
  const Format f = LowBytes(format);
  if (width >= 1) return RepairString(width, f.code);
  return RepairNumeric(f, isPrint ? 1 : 0);
}

}  // namespace xova
