#include "dict/value_label_entry.h"

#include <cmath>
#include <cstring>

#include "frame/special_values.h"

namespace xova {

ValueLabelEntry ValueLabelEntry::Numeric(double value) {
  ValueLabelEntry entry;
  entry.number = value;
  return entry;
}

ValueLabelEntry ValueLabelEntry::String(const char* padded) {
  ValueLabelEntry entry;
  std::memcpy(entry.text, padded, kShortStringWidth);
  entry.text[kShortStringWidth] = '\0';
  return entry;
}

int CompareNumbers(double a, double b) {
  const bool aNan = std::isnan(a);
  const bool bNan = std::isnan(b);
  if (!aNan && !bNan) return a < b ? -1 : (b < a ? 1 : 0);
  if (aNan != bNan) return aNan ? 1 : -1;
  const std::uint64_t x = DoubleToBits(a);
  const std::uint64_t y = DoubleToBits(b);
  return x < y ? -1 : (y < x ? 1 : 0);
}

int CompareTexts(const char* a, const char* b) {
  return std::memcmp(a, b, kShortStringWidth);
}

int CompareValues(std::int32_t typeClass, const ValueLabelEntry& a, const ValueLabelEntry& b) {
  return typeClass == kNumericClass ? CompareNumbers(a.number, b.number)
                                    : CompareTexts(a.text, b.text);
}

bool SameEntry(std::int32_t typeClass, const ValueLabelEntry& a, const ValueLabelEntry& b) {
  const bool sameValue = typeClass == kNumericClass
                             ? DoubleToBits(a.number) == DoubleToBits(b.number)
                             : CompareTexts(a.text, b.text) == 0;
  return sameValue && a.label == b.label;
}

std::string CutLabel(const char* label, bool* cut) {
  const std::size_t length = std::strlen(label);
  *cut = length > static_cast<std::size_t>(kMaxValueLabelLength);
  return std::string(label, *cut ? static_cast<std::size_t>(kMaxValueLabelLength) : length);
}

}  // namespace xova
