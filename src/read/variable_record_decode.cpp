#include "read/variable_record_decode.h"

#include <cstring>
#include <new>
#include <utility>

#include "dict/name_fold.h"
#include "dict/record_name.h"
#include "read/read_format_repair.h"
#include "read/record_input.h"
#include "read/short_name_lowering.h"
#include "read/text_field_input.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::int32_t kVariableRecordType = 2;
constexpr std::int32_t kContinuationWidth = -1;
constexpr std::int32_t kMaxWidth = 255;
constexpr std::int32_t kShortWidth = 8;  // widest string with missing values
constexpr std::size_t kNameField = 8;
constexpr std::int64_t kOldLabelField = 40;  // fixed label of version 1 files
constexpr std::int64_t kValueSize = 8;

bool OldLayout(const FileState& fs) {
  return fs.versionCode < 2;
}

bool ValidFlag(std::int32_t flag) {
  return flag == 0 || flag == 1;
}

// Ranges are numeric only, and a string wider than a missing value can hold
// has none.
bool ValidMissingCode(std::int32_t width, std::int32_t code) {
  if (code == -2 || code == -3) return width == 0;
  if (code < 0 || code > 3) return false;
  return code == 0 || width <= kShortWidth;
}

// The stored size of a label of `length` bytes after its length word; 64
// bits so that a length near the 32-bit limit cannot wrap.
std::int64_t PaddedLabelField(std::int32_t length) {
  return (static_cast<std::int64_t>(length) + 3) / 4 * 4;
}

int DecodeFixedFields(FileState& fs, VariableRecord& var) {
  std::int32_t width, hasLabel, missing, print, write;
  if (!ReadInt32(fs, &width) || width < 0 || width > kMaxWidth) return XOVA_BAD_FILE;
  if (!ReadInt32(fs, &hasLabel) || !ValidFlag(hasLabel)) return XOVA_BAD_FILE;
  if (!ReadInt32(fs, &missing) || !ValidMissingCode(width, missing)) return XOVA_BAD_FILE;
  if (!ReadInt32(fs, &print) || !ReadInt32(fs, &write)) return XOVA_BAD_FILE;
  var.type = width;
  var.hasLabel = hasLabel;
  var.missingCode = missing;
  var.printFormat = RepairReadFormat(width, print, 1);
  var.writeFormat = RepairReadFormat(width, write, 0);
  return XOVA_OK;
}

int DecodeName(FileState& fs, VariableRecord& var) {
  char field[kNameField + 1] = {};
  if (!ReadBytes(fs, field, kNameField)) return XOVA_BAD_FILE;
  const std::size_t n = TrimmedLength(field);  // stops at a NUL, too
  std::memcpy(var.shortName, field, n);
  var.shortName[n] = '\0';
  if (n == 0) return XOVA_OK;
  char lowered[LoweredSize(kNameField)];
  LowerName(field, n, lowered);
  const int rc = SetRecordName(var, lowered);
  if (rc == XOVA_OUT_OF_MEMORY) return rc;
  return rc == XOVA_OK ? XOVA_OK : XOVA_BAD_FILE;
}

// Reads the label into `text`; `kept` receives the bytes kept.
int ReadLabelText(FileState& fs, char* text, std::size_t* kept) {
  if (OldLayout(fs)) {
    if (!ReadBytes(fs, text, kOldLabelField)) return XOVA_BAD_FILE;
    *kept = TrimmedLength(text, kOldLabelField);
    return XOVA_OK;
  }
  std::int32_t length;
  if (!ReadInt32(fs, &length) || length < 0) return XOVA_BAD_FILE;
  const std::size_t keep =
      length > kMaxLabelLength ? kMaxLabelLength : static_cast<std::size_t>(length);
  if (!ReadFieldPrefix(fs, text, keep, PaddedLabelField(length))) return XOVA_BAD_FILE;
  *kept = keep;
  return XOVA_OK;
}

int DecodeLabel(FileState& fs, VariableRecord& var) {
  char text[kMaxLabelLength];
  std::size_t kept = 0;
  if (int rc = ReadLabelText(fs, text, &kept)) return rc;
  var.label.assign(text, kept);  // the data is there: only now allocate
  return XOVA_OK;
}

// A string value keeps its first `width` bytes, terminated, so that the
// string getter hands back exactly the width.
bool DecodeMissingValues(FileState& fs, VariableRecord& var) {
  const int n = var.missingCode < 0 ? -var.missingCode : var.missingCode;
  for (int i = 0; i < n; ++i) {
    unsigned char* slot = var.missing[i];
    if (!var.IsString()) {
      double value;
      if (!ReadDouble(fs, &value)) return false;
      std::memcpy(slot, &value, sizeof value);
      continue;
    }
    unsigned char value[kValueSize];
    if (!ReadBytes(fs, value, sizeof value)) return false;
    std::memset(slot, 0, sizeof var.missing[i]);
    std::memcpy(slot, value, static_cast<std::size_t>(var.type));
  }
  return true;
}

bool SkipContinuationLabel(FileState& fs) {
  if (OldLayout(fs)) return SkipByReading(fs, kOldLabelField);
  std::int32_t length;
  if (!ReadInt32(fs, &length) || length < 0) return false;
  return SkipByReading(fs, PaddedLabelField(length));
}

// Formats and name of a continuation record are ignored, but must be there.
bool SkipContinuation(FileState& fs) {
  std::int32_t type, width, hasLabel, missing, formats[2];
  if (!ReadInt32(fs, &type) || type != kVariableRecordType) return false;
  if (!ReadInt32(fs, &width) || width != kContinuationWidth) return false;
  if (!ReadInt32(fs, &hasLabel) || !ValidFlag(hasLabel)) return false;
  if (!ReadInt32(fs, &missing) || missing < 0 || missing > 3) return false;
  if (!ReadInt32(fs, &formats[0]) || !ReadInt32(fs, &formats[1])) return false;
  if (!SkipByReading(fs, kNameField)) return false;
  if (hasLabel && !SkipContinuationLabel(fs)) return false;
  return SkipByReading(fs, missing * kValueSize);
}

int DecodeInto(FileState& fs, VariableRecord& var) {
  if (int rc = DecodeFixedFields(fs, var)) return rc;
  if (int rc = DecodeName(fs, var)) return rc;
  if (var.hasLabel) {
    if (int rc = DecodeLabel(fs, var)) return rc;
  }
  if (!DecodeMissingValues(fs, var)) return XOVA_BAD_FILE;
  ApplyDisplayDefaults(&var, kAllDisplayDefaults);
  const std::int32_t continuations = var.type > kShortWidth ? (var.type - 1) / 8 : 0;
  for (std::int32_t i = 0; i < continuations; ++i) {
    if (!SkipContinuation(fs)) return XOVA_BAD_FILE;
  }
  return XOVA_OK;
}

}  // namespace

int DecodeVariableRecord(FileState& fs, VariableRecord& var) noexcept {
  VariableRecord decoded;
  decoded.position = var.position;
  try {
    if (int rc = DecodeInto(fs, decoded)) return rc;
  } catch (const std::bad_alloc&) {
    return XOVA_OUT_OF_MEMORY;
  }
  var = std::move(decoded);
  return XOVA_OK;
}

}  // namespace xova
