#include "read/value_label_decode.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "dict/name_fold.h"
#include "read/record_input.h"
#include "read/text_field_input.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::int32_t kIndexRecordType = 4;
constexpr std::int64_t kMaxLabelBytesTotal = 4294967264;  // n * 24 may not exceed it
constexpr std::int64_t kBytesPerLabel = 24;
constexpr std::size_t kValueSize = 8;
constexpr std::size_t kOldLabelField = 20;  // fixed label of version 1 files

bool ValidLabelCount(std::int32_t n) {
  return n >= 0 && static_cast<std::int64_t>(n) * kBytesPerLabel <= kMaxLabelBytesTotal;
}

// The length byte and the text take a multiple of 8 bytes together.
std::int64_t LabelField(unsigned char length) {
  return (static_cast<std::int64_t>(length) + 8) / 8 * 8 - 1;
}

bool ReadLabelText(FileState& fs, char* text, std::size_t* kept) {
  if (fs.versionCode < 2) {
    if (!ReadBytes(fs, text, kOldLabelField)) return false;
    *kept = TrimmedLength(text, kOldLabelField);
    return true;
  }
  unsigned char length;
  if (!ReadBytes(fs, &length, 1)) return false;
  const std::size_t keep = std::min<std::size_t>(length, kMaxValueLabelLength);
  if (!ReadFieldPrefix(fs, text, keep, LabelField(length))) return false;
  *kept = keep;
  return true;
}

// The value stays as raw bytes in `text` until the set's class is known.
bool ReadEntry(FileState& fs, ValueLabelEntry& entry) {
  if (!ReadBytes(fs, entry.text, kValueSize)) return false;
  entry.text[kValueSize] = '\0';
  char label[kMaxValueLabelLength];
  std::size_t kept = 0;
  if (!ReadLabelText(fs, label, &kept)) return false;
  entry.label.assign(label, kept);
  return true;
}

// Entries grow only as they are read, so a hostile count fails at the end
// of the file instead of reserving memory for it.
bool ReadEntries(FileState& fs, std::int32_t n, std::vector<ValueLabelEntry>& entries) {
  for (std::int32_t i = 0; i < n; ++i) {
    entries.emplace_back();
    if (!ReadEntry(fs, entries.back())) return false;
  }
  return true;
}

bool ReadPositions(FileState& fs, PositionList& positions) {
  std::int32_t type, m;
  if (!ReadInt32(fs, &type) || type != kIndexRecordType) return false;
  if (!ReadInt32(fs, &m) || m < 0) return false;
  for (std::int32_t i = 0; i < m; ++i) {
    std::int32_t position;
    if (!ReadInt32(fs, &position)) return false;
    positions.push_back(VariablePosition{position});
  }
  return true;
}

// Positions ascend along the variable chain, so a binary search finds one.
const VariableRecord* VariableAt(const Dictionary& dict, std::int32_t position) {
  const auto it = std::lower_bound(
      dict.vars.begin(), dict.vars.end(), position,
      [](const std::unique_ptr<VariableRecord>& var, std::int32_t p) { return var->position < p; });
  if (it == dict.vars.end() || (*it)->position != position) return nullptr;
  return it->get();
}

void ToNumericValues(const FileState& fs, std::vector<ValueLabelEntry>& entries) {
  for (ValueLabelEntry& entry : entries) {
    unsigned char bytes[kValueSize];
    std::memcpy(bytes, entry.text, kValueSize);
    if (fs.byteSwap) ReverseBytes(bytes, kValueSize);
    std::memcpy(&entry.number, bytes, kValueSize);
    std::memset(entry.text, 0, sizeof entry.text);
  }
}

int DecodePair(FileState& fs) {
  std::int32_t n;
  if (!ReadInt32(fs, &n) || !ValidLabelCount(n)) return XOVA_BAD_FILE;
  LabelSetList staged(1);
  ValueLabelSet& set = staged.front();
  if (!ReadEntries(fs, n, set.entries)) return XOVA_BAD_FILE;
  if (!ReadPositions(fs, set.variables)) return XOVA_BAD_FILE;
  if (set.entries.empty() || set.variables.empty()) return XOVA_OK;
  const VariableRecord* first = VariableAt(fs.dict, set.variables.front().value);
  if (!first) return XOVA_BAD_FILE;
  if (first->IsString()) {
    set.typeClass = kStringClass;
  } else {
    set.typeClass = kNumericClass;
    ToNumericValues(fs, set.entries);
  }
  fs.labelSets.splice(fs.labelSets.end(), staged);
  return XOVA_OK;
}

}  // namespace

int DecodeValueLabelPair(FileState& fs) noexcept {
  try {
    return DecodePair(fs);
  } catch (const std::bad_alloc&) {
    return XOVA_OUT_OF_MEMORY;
  }
}

}  // namespace xova
