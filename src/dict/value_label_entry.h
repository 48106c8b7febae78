// One value and its label, and the order and equality of values that the
// label setters and queries use.
#ifndef XOVA_DICT_VALUE_LABEL_ENTRY_H
#define XOVA_DICT_VALUE_LABEL_ENTRY_H

#include <cstdint>
#include <string>

#include "dict/fit_short_string.h"

namespace xova {

constexpr int kMaxValueLabelLength = 60;

// Type class of labels and label sets: one class for all string widths 1..8.
constexpr std::int32_t kNumericClass = 0;
constexpr std::int32_t kStringClass = 1;

inline std::int32_t ClassOfType(std::int32_t type) {
  return type != 0 ? kStringClass : kNumericClass;
}

struct ValueLabelEntry {
  double number = 0.0;                    // value of a numeric entry
  char text[kShortStringWidth + 1] = {};  // value of a string entry: 8 characters and a NUL
  std::string label;                      // 0..60 bytes

  static ValueLabelEntry Numeric(double value);
  // `padded` holds the 8 characters of the value.
  static ValueLabelEntry String(const char* padded);
};

// Total order of numeric values: numbers in numeric order (so 0 and -0 are
// equal), every NaN after all numbers, NaNs among themselves by their bits.
// A NaN therefore equals only a NaN of the same bit pattern.
int CompareNumbers(double a, double b);

// Unsigned byte order of two 8-character string values.
int CompareTexts(const char* a, const char* b);

// Compares the values of two entries of the given class.
int CompareValues(std::int32_t typeClass, const ValueLabelEntry& a, const ValueLabelEntry& b);

// Equality that decides whether two sets are identical: numeric values bit for
// bit, string values byte for byte, labels byte for byte.
bool SameEntry(std::int32_t typeClass, const ValueLabelEntry& a, const ValueLabelEntry& b);

// The label as stored: its first 60 bytes. `cut` tells whether it was longer.
std::string CutLabel(const char* label, bool* cut);

}  // namespace xova

#endif
