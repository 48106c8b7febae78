#include "dict/formats.h"

#include <cstddef>

namespace xova {
namespace {

enum class Applies : std::uint8_t { kString, kNumeric };

// One row of the validation table. Numeric rows: decimals 0..maxDecimals and a
// width from minWidth (plus the decimals when minPlusDecimals) to maxWidth;
// with decimals above 0 the width must also reach decimals + minWhenDecimals
// (when that is not 0). String rows: width = widthFactor * varType, at most 255.
struct FormatRule {
  int code;
  Applies applies;
  bool writeOnly;
  int maxDecimals;
  int minWidth;
  bool minPlusDecimals;
  int maxWidth;
  bool evenWidth;
  int minWhenDecimals;
  int widthFactor;
};

constexpr Applies S = Applies::kString;
constexpr Applies N = Applies::kNumeric;

constexpr FormatRule kRules[] = {
    // code, applies, write only, max dec, min width, +dec, max width, even, +dec when dec>0, factor
    {1, S, false, 0, 0, false, 255, false, 0, 1},   {2, S, false, 0, 0, false, 255, false, 0, 2},
    {3, N, false, 16, 1, true, 40, false, 0, 0},    {4, N, false, 16, 2, true, 40, false, 0, 0},
    {5, N, false, 16, 1, true, 40, false, 0, 0},    {6, N, true, 16, 1, false, 8, false, 0, 0},
    {7, N, false, 0, 2, false, 16, true, 0, 0},     {8, N, true, 16, 1, false, 16, false, 0, 0},
    {9, N, true, 16, 1, false, 8, false, 0, 0},     {10, N, true, 16, 1, false, 16, false, 0, 0},
    {11, N, true, 0, 2, false, 8, false, 0, 0},     {12, N, false, 0, 4, false, 16, true, 0, 0},
    {15, N, false, 16, 1, false, 40, false, 0, 0},  {16, N, false, 16, 1, false, 40, false, 0, 0},
    {17, N, false, 16, 6, true, 40, false, 0, 0},   {20, N, false, 0, 9, false, 40, false, 0, 0},
    {21, N, false, 16, 5, false, 40, false, 9, 0},  {22, N, false, 16, 17, false, 40, false, 21, 0},
    {23, N, false, 0, 8, false, 40, false, 0, 0},   {24, N, false, 0, 5, false, 40, false, 0, 0},
    {25, N, false, 16, 8, false, 40, false, 12, 0}, {26, N, false, 0, 2, false, 40, false, 0, 0},
    {27, N, false, 0, 3, false, 40, false, 0, 0},   {28, N, false, 0, 6, false, 40, false, 0, 0},
    {29, N, false, 0, 6, false, 40, false, 0, 0},   {30, N, false, 0, 8, false, 40, false, 0, 0},
    {31, N, false, 16, 2, true, 40, false, 0, 0},   {32, N, false, 16, 1, true, 40, false, 0, 0},
    {33, N, false, 16, 2, true, 40, false, 0, 0},   {34, N, false, 16, 2, true, 40, false, 0, 0},
    {35, N, false, 16, 2, true, 40, false, 0, 0},   {36, N, false, 16, 2, true, 40, false, 0, 0},
    {37, N, false, 16, 2, true, 40, false, 0, 0},   {38, N, false, 0, 8, false, 40, false, 0, 0},
    {39, N, false, 0, 8, false, 40, false, 0, 0},
};

const FormatRule* RuleOf(int code) {
  for (const FormatRule& rule : kRules) {
    if (rule.code == code) return &rule;
  }
  return nullptr;
}

bool StringRuleHolds(const FormatRule& rule, int varType, int decimals, int width) {
  if (varType == 0 || decimals != 0) return false;
  // 64 bits: the read path may hand over any type word.
  const std::int64_t expected = static_cast<std::int64_t>(rule.widthFactor) * varType;
  return width == expected && width <= 255;
}

bool NumericRuleHolds(const FormatRule& rule, int varType, int decimals, int width, int isPrint) {
  if (varType != 0) return false;
  if (rule.writeOnly && isPrint == 1) return false;
  if (decimals < 0 || decimals > rule.maxDecimals) return false;
  // The decimals are at most 16 here, so the sums cannot overflow.
  int minWidth = rule.minWidth + (rule.minPlusDecimals ? decimals : 0);
  if (rule.minWhenDecimals != 0 && decimals > 0 && decimals + rule.minWhenDecimals > minWidth) {
    minWidth = decimals + rule.minWhenDecimals;
  }
  if (width < minWidth || width > rule.maxWidth) return false;
  return !rule.evenWidth || width % 2 == 0;
}

}  // namespace

int ValidateFormat(int varType, int code, int decimals, int width, int isPrint) {
  const FormatRule* rule = RuleOf(code);
  if (!rule) return kFormatAccepted;  // codes without a row carry no rule
  const bool holds = rule->applies == Applies::kString
                         ? StringRuleHolds(*rule, varType, decimals, width)
                         : NumericRuleHolds(*rule, varType, decimals, width, isPrint);
  return holds ? kFormatAccepted : kFormatRefused;
}

bool FormatFitsPacking(int code, int width, int decimals) {
  const Format back = UnpackFormat(PackFormat(code, width, decimals));
  return back.code == code && back.width == width && back.decimals == decimals;
}

std::int32_t PackFormat(int code, int width, int decimals) {
  const std::uint32_t v = static_cast<std::uint32_t>(code) * 65536u +
                          static_cast<std::uint32_t>(width) * 256u +
                          static_cast<std::uint32_t>(decimals);
  return static_cast<std::int32_t>(v);
}

Format UnpackFormat(std::int32_t v) {
  Format f;
  f.decimals = v % 256;
  f.width = (v / 256) % 256;
  f.code = (v / 65536) % 256;
  return f;
}

std::int32_t DefaultFormat(int varType) {
  return varType == 0 ? PackFormat(5, 8, 2) : PackFormat(1, varType, 0);
}

}  // namespace xova
