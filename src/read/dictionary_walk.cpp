#include "read/dictionary_walk.h"

#include <cstdint>
#include <memory>
#include <new>

#include "dict/long_name_repair.h"
#include "read/display_apply.h"
#include "read/extension_decode.h"
#include "read/long_name_apply.h"
#include "read/reader_record_decode.h"
#include "read/record_input.h"
#include "read/special_values_apply.h"
#include "read/value_label_decode.h"
#include "read/variable_record_decode.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::int32_t kVariableRecord = 2;
constexpr std::int32_t kValueLabelRecord = 3;
constexpr std::int32_t kReaderRecordType = 5;
constexpr std::int32_t kDocumentRecord = 6;
constexpr std::int32_t kExtensionRecord = 7;
constexpr std::int32_t kTerminator = 999;
constexpr int kDisplaySubtype = 11;
constexpr int kLongNameSubtype = 13;
// A case must stay below 4294967264 bytes.
constexpr std::int64_t kMaxElements = 536870908;

struct Walk {
  FileState& fs;
  NameIndex& shortNames;
  std::int32_t type = 0;

  // The next record type; a short read is a read error.
  int Next() { return ReadInt32(fs, &type) ? XOVA_OK : XOVA_FILE_READ_ERROR; }
};

int AddVariable(Walk& w, std::int64_t position) {
  std::unique_ptr<VariableRecord> var(new (std::nothrow) VariableRecord);
  if (!var) return XOVA_OUT_OF_MEMORY;
  var->position = static_cast<std::int32_t>(position);
  if (int rc = DecodeVariableRecord(w.fs, *var)) return rc;
  VariableRecord* record = var.get();
  w.fs.dict.vars.push_back(std::move(var));
  // A repeated short name is no error: only its first variable is found.
  const int rc = w.shortNames.Insert(record->shortName, record, CompareRecordShortName);
  return rc == XOVA_OUT_OF_MEMORY ? rc : XOVA_OK;
}

int ReadVariables(Walk& w) {
  if (int rc = w.Next()) return rc;
  if (w.type != kVariableRecord) return XOVA_NO_VARIABLE_RECORD;
  std::int64_t position = 1;
  while (w.type == kVariableRecord) {
    // Positions are checked as they grow, so none ever overflows.
    if (position > kMaxElements) return XOVA_BAD_FILE;
    if (int rc = AddVariable(w, position)) return rc;
    position += w.fs.dict.vars.back()->Elements();
    if (position - 1 > kMaxElements) return XOVA_BAD_FILE;
    if (int rc = w.Next()) return rc;
  }
  w.fs.elementCount = static_cast<std::int32_t>(position - 1);
  return XOVA_OK;
}

int ReadRecordsAfterVariables(Walk& w) {
  while (w.type == kValueLabelRecord) {
    if (int rc = DecodeValueLabelPair(w.fs)) return rc;
    if (int rc = w.Next()) return rc;
  }
  if (w.type == kReaderRecordType) {
    if (int rc = DecodeReaderRecord(w.fs)) return rc;
    if (int rc = w.Next()) return rc;
  }
  if (w.type == kDocumentRecord) {
    w.fs.present[0] = 1;
    if (int rc = ReadExtensionPayload(&w.fs.blocks[0], w.fs, 0)) return rc;
    if (int rc = w.Next()) return rc;
  }
  while (w.type == kExtensionRecord) {
    if (int rc = ReadExtensionRecord(w.fs)) return rc;
    if (int rc = w.Next()) return rc;
  }
  return XOVA_OK;
}

int ApplyDictionaryBlocks(Walk& w) {
  int rc = ApplyLongNames(w.fs, w.shortNames);
  w.fs.blocks[kLongNameSubtype].reset();
  if (rc > 0) return rc;
  rc = ApplyDisplayParameters(w.fs);
  w.fs.blocks[kDisplaySubtype].reset();
  if (rc > 0) return rc;
  if ((rc = RepairLongNames(w.fs)) != XOVA_OK) return rc;
  ApplySpecialValues(w.fs);
  return XOVA_OK;
}

int ReadTerminator(Walk& w) {
  if (w.type != kTerminator) return XOVA_UNEXPECTED_RECORD;
  std::int32_t filler = 0;
  return ReadInt32(w.fs, &filler) ? XOVA_OK : XOVA_BAD_FILE;
}

}  // namespace

int WalkDictionary(FileState& fs, NameIndex& shortNames) {
  Walk w{fs, shortNames};
  if (int rc = ReadVariables(w)) return rc;
  if (int rc = ReadRecordsAfterVariables(w)) return rc;
  if (int rc = ApplyDictionaryBlocks(w)) return rc;
  return ReadTerminator(w);
}

}  // namespace xova
