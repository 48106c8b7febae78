// One variable of a dictionary.
#ifndef XOVA_DICT_VARIABLE_RECORD_H
#define XOVA_DICT_VARIABLE_RECORD_H

#include <cstdint>
#include <string>

namespace xova {

constexpr int kMaxNameLength = 64;
constexpr int kMaxLabelLength = 256;
constexpr int kShortNameSize = 12;

struct VariableRecord {
  std::int32_t type = 0;  // 0 numeric, 1..255 string width
  std::int32_t hasLabel = 0;
  std::int32_t missingCode = 0;  // 0..3 discrete, -2 range, -3 range plus value
  std::int32_t printFormat = 0;
  std::int32_t writeFormat = 0;
  std::int32_t position = 0;  // 1-based index of the first 8-byte element
  std::string label;          // 1..256 bytes when hasLabel
  // A numeric value is a double at the start of a slot; a string value is the
  // value blank-padded to the width, then a NUL.
  unsigned char missing[3][16] = {};
  char shortName[kShortNameSize] = {};
  std::string name;  // as the caller spelled it, no trailing blanks
  std::string key;   // folded name, the key of the dictionary index
  std::int32_t measureLevel = 0;
  std::int32_t columnWidth = 0;
  std::int32_t alignment = 0;

  bool IsString() const { return type != 0; }
  // 8-byte elements the variable takes in a case.
  std::int32_t Elements() const { return type <= 0 ? 1 : (type + 7) / 8; }
};

// Bits of the display-default mask.
constexpr int kDefaultMeasureLevel = 1;
constexpr int kDefaultColumnWidth = 2;
constexpr int kDefaultAlignment = 4;
constexpr int kAllDisplayDefaults = 7;

void ApplyDisplayDefaults(VariableRecord* record, int mask);

}  // namespace xova

#endif
