#include "write/value_label_records.h"

#include <cstdint>

namespace xova {
namespace {

constexpr std::int32_t kLabelRecordType = 3;
constexpr std::int32_t kIndexRecordType = 4;
constexpr std::size_t kValueField = 8;
constexpr std::size_t kMaxLabelBytes = 255;  // what the length byte can say

void WriteEntry(LeWriter& out, std::int32_t typeClass, const ValueLabelEntry& entry) {
  if (typeClass == kNumericClass) {
    out.Double(entry.number);
  } else {
    out.Bytes(entry.text, kValueField);
  }
  std::size_t length = entry.label.size();
  if (length > kMaxLabelBytes) length = kMaxLabelBytes;
  const unsigned char lengthByte = static_cast<unsigned char>(length);
  out.Bytes(&lengthByte, 1);
  out.Bytes(entry.label.data(), length);
  out.Fill(' ', PadTo(1 + length, 8));
}

void WriteSet(LeWriter& out, const ValueLabelSet& set) {
  out.Int32(kLabelRecordType);
  out.Int32(static_cast<std::int32_t>(set.entries.size()));
  for (const ValueLabelEntry& entry : set.entries) WriteEntry(out, set.typeClass, entry);
  out.Int32(kIndexRecordType);
  out.Int32(static_cast<std::int32_t>(set.variables.size()));
  for (VariablePosition position : set.variables) out.Int32(position.value);
}

}  // namespace

void WriteValueLabelRecords(LeWriter& out, const LabelSetList& sets) {
  for (const ValueLabelSet& set : sets) {
    if (set.entries.empty() || set.variables.empty()) continue;
    WriteSet(out, set);
  }
}

}  // namespace xova
