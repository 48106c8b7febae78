#include "read/open_for_reading.h"

#include <cstdint>
#include <memory>
#include <new>

#include "dict/name_index.h"
#include "ext/set_text_translator.h"
#include "frame/api_guard.h"
#include "frame/handle_table.h"
#include "frame/special_values.h"
#include "frame/text.h"
#include "platform/shared_file.h"
#include "read/append_position.h"
#include "read/decompression_state.h"
#include "read/dictionary_walk.h"
#include "read/header_decode.h"
#include "read/read_blank_case.h"
#include "write/blank_case.h"
#include "write/case_value_span.h"
#include "xovaio32.h"

namespace xova {
namespace {

// Variable sets and multiple-response sets name variables by their short
// names in the file; in memory they carry the long ones.
int TranslateSetTexts(FileState& fs, const NameIndex& shortNames) {
  for (int subtype : {kVariableSetsSubtype, kMultRespSetsSubtype}) {
    BlockPtr& slot = fs.blocks[static_cast<std::size_t>(subtype)];
    if (!slot) continue;
    BlockPtr translated;
    if (int rc = TranslateSetText(slot.get(), &translated, shortNames, subtype, 0)) return rc;
    slot = std::move(translated);
  }
  return XOVA_OK;
}

int DecodeDictionary(FileState& fs, NameIndex& shortNames) {
  if (DecodeHeader(fs) != XOVA_OK) return XOVA_BAD_FILE;
  // Any non-zero field means compressed data; the writer knows only 1.
  fs.compression = fs.compression != 0 ? 1 : 0;
  if (int rc = WalkDictionary(fs, shortNames)) return rc;
  return TranslateSetTexts(fs, shortNames);
}

// New cases start as a written file's do: system-missing in numeric elements
// (the all-ones pattern would be stored as a value), blanks in strings.
void PrepareAppendedCase(FileState& fs) {
  for (const auto& var : fs.dict.vars) FillBlankElements(*var, fs.sysmis, fs.blankCase);
  fs.caseBuffer = fs.blankCase;
}

int PrepareCases(FileState& fs, OpenPurpose purpose) {
  fs.firstCasePosition = platform::Tell(fs.stream.get());
  if (fs.firstCasePosition < 0) return XOVA_FILE_READ_ERROR;
  if (fs.compression != 0 && CreateDecoder(fs) != XOVA_OK) return XOVA_OUT_OF_MEMORY;
  if (int rc = AllocateReadCase(fs)) return rc;
  if (purpose != OpenPurpose::kAppend) return XOVA_OK;
  // Allocated before the file is touched, so a failure leaves it as it was.
  if (int rc = MakeValueStarts(fs.dict, fs.blankCase.size() / 8, &fs.valueStarts)) return rc;
  if (int rc = PositionForAppend(fs)) return rc;
  PrepareAppendedCase(fs);
  fs.mode = FileMode::kAppend;
  return XOVA_OK;
}

// Everything after the file state exists. Any failure closes the handle.
int ReadIntoState(FileState& fs, OpenPurpose purpose) {
  std::unique_ptr<NameIndex> shortNames = NameIndex::Create(kNameIndexBuckets);
  if (!shortNames) return XOVA_OUT_OF_MEMORY;
  if (int rc = DecodeDictionary(fs, *shortNames)) return rc;
  if (purpose == OpenPurpose::kDictionaryOnly) return XOVA_OK;
  return PrepareCases(fs, purpose);
}

void CloseReadHandle(int slot) {
  if (FileState* fs = LookupHandle(slot)) fs->stream.reset();
  ReleaseFileState(slot);
}

}  // namespace

int OpenForReading(const char* fileName, int* handle, OpenPurpose purpose) {
  int slot = 0;
  if (int rc = ClaimSlot(&slot)) return rc;
  const platform::OpenMode mode =
      purpose == OpenPurpose::kAppend ? platform::OpenMode::kUpdate : platform::OpenMode::kRead;
  bool outOfMemory = false;
  platform::StreamPtr stream = platform::OpenDataStream(OrEmpty(fileName), mode, &outOfMemory);
  if (!stream) return outOfMemory ? XOVA_OUT_OF_MEMORY : XOVA_FILE_OPEN_ERROR;
  std::unique_ptr<FileState> owned(new (std::nothrow) FileState);
  if (!owned) return XOVA_OUT_OF_MEMORY;
  FileState& fs = *owned;
  InstallFileState(slot, std::move(owned));
  StoreOut(handle, slot);
  fs.stream = std::move(stream);
  fs.sysmis = Sysmis();
  fs.committed = 1;
  fs.mode = FileMode::kRead;
  const int rc = Guarded([&] { return ReadIntoState(fs, purpose); });
  if (rc != XOVA_OK) CloseReadHandle(slot);
  return rc;
}

}  // namespace xova

extern "C" {

XOVA_API int XOVA_CALL xovaOpenRead(const char* fileName, int* handle) noexcept {
  return xova::Guarded(
      [&] { return xova::OpenForReading(fileName, handle, xova::OpenPurpose::kRead); });
}

XOVA_API int XOVA_CALL xovaOpenAppend(const char* fileName, int* handle) noexcept {
  return xova::Guarded(
      [&] { return xova::OpenForReading(fileName, handle, xova::OpenPurpose::kAppend); });
}

}  // extern "C"
