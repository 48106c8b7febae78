#include "write/variable_records.h"

#include <cstdlib>
#include <cstring>

namespace xova {
namespace {

constexpr std::size_t kNameField = 8;
constexpr std::size_t kMissingSlotText = sizeof(VariableRecord{}.missing[0]) - 1;

void WriteLabel(LeWriter& out, const VariableRecord& var) {
  const std::size_t length = var.label.size();
  out.Int32(static_cast<std::int32_t>(length));
  out.Bytes(var.label.data(), length);
  out.Fill(' ', PadTo(length, 4));
}

// A string value as its characters, blank-padded to a multiple of 8 bytes.
void WriteStringMissing(LeWriter& out, const unsigned char* slot) {
  const char* text = reinterpret_cast<const char*>(slot);
  std::size_t length = 0;
  while (length < kMissingSlotText && text[length] != '\0') ++length;
  const std::size_t field = length == 0 ? 8 : length + PadTo(length, 8);
  out.Text(text, length, field);
}

void WriteMissingValues(LeWriter& out, const VariableRecord& var) {
  int n = std::abs(var.missingCode);
  if (n > 3) n = 3;
  for (int i = 0; i < n; ++i) {
    if (var.IsString()) {
      WriteStringMissing(out, var.missing[i]);
    } else {
      double value = 0.0;
      std::memcpy(&value, var.missing[i], sizeof value);
      out.Double(value);
    }
  }
}

void WriteContinuation(LeWriter& out, const VariableRecord& var) {
  out.Int32(kVariableRecordType);
  out.Int32(kContinuationWidth);
  out.Int32(0);
  out.Int32(0);
  out.Int32(var.printFormat);
  out.Int32(var.writeFormat);
  out.Fill(' ', kNameField);
}

}  // namespace

void WriteVariableRecord(LeWriter& out, const VariableRecord& var) {
  const bool labelled = var.hasLabel != 0;
  out.Int32(kVariableRecordType);
  out.Int32(var.type);
  out.Int32(labelled ? 1 : 0);
  out.Int32(var.missingCode);
  out.Int32(var.printFormat);
  out.Int32(var.writeFormat);
  out.Field(var.shortName, kNameField);
  if (labelled) WriteLabel(out, var);
  WriteMissingValues(out, var);
  for (std::int32_t e = 1; e < var.Elements(); ++e) WriteContinuation(out, var);
}

}  // namespace xova
