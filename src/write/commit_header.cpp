// Committing the dictionary of a file being written: every dictionary record
// in file order, after which the handle takes cases.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

#include "dict/short_names.h"
#include "dict/value_label_fold.h"
#include "ext/set_text_translator.h"
#include "frame/api_guard.h"
#include "frame/entry_checks.h"
#include "frame/handle_table.h"
#include "write/blank_case.h"
#include "write/case_value_span.h"
#include "write/display_block.h"
#include "write/document_record.h"
#include "write/extension_records.h"
#include "write/header_record.h"
#include "write/le_writer.h"
#include "write/long_name_block.h"
#include "write/value_label_records.h"
#include "write/variable_records.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::int32_t kTerminatorType = 999;

// Both buffers are made aside and installed together, so a failure leaves
// the file as it was (with no buffers) and the commit can be tried again.
int AllocateCaseBuffers(FileState& fs, std::int64_t elements) {
  std::vector<unsigned char> blank;
  std::vector<unsigned char> buffer;
  std::vector<std::uint16_t> starts;
  const auto maxElements = static_cast<std::uint64_t>(std::numeric_limits<std::size_t>::max() / 8);
  bool ok = static_cast<std::uint64_t>(elements) <= maxElements &&
            elements <= std::numeric_limits<std::int32_t>::max();
  if (ok) {
    const std::size_t bytes = 8 * static_cast<std::size_t>(elements);
    try {
      blank.assign(bytes, 0);
      buffer.assign(bytes, 0);
    } catch (...) {
      ok = false;
    }
  }
  ok = ok && MakeValueStarts(fs.dict, static_cast<std::size_t>(elements), &starts) == XOVA_OK;
  if (!ok) {
    std::vector<unsigned char>().swap(fs.blankCase);
    std::vector<unsigned char>().swap(fs.caseBuffer);
    return XOVA_OUT_OF_MEMORY;
  }
  fs.blankCase.swap(blank);
  fs.caseBuffer.swap(buffer);
  fs.valueStarts.swap(starts);
  fs.elementCount = static_cast<std::int32_t>(elements);
  return XOVA_OK;
}

int WriteVariables(LeWriter& out, FileState& fs) {
  if (int rc = AssignShortNames(fs)) return rc;
  for (const auto& var : fs.dict.vars) {
    FillBlankElements(*var, fs.sysmis, fs.blankCase);
    WriteVariableRecord(out, *var);
  }
  return out.Result();
}

// The set texts name variables by long name in memory and by short name in
// the file; the stored blocks keep the long names.
int TranslateSetTexts(FileState& fs, BlockPtr* variableSets, BlockPtr* multResp) {
  if (int rc = TranslateSetText(fs.blocks[kVariableSetsSubtype].get(), variableSets, fs.dict.index,
                                kVariableSetsSubtype, 1)) {
    return rc;
  }
  return TranslateSetText(fs.blocks[kMultRespSetsSubtype].get(), multResp, fs.dict.index,
                          kMultRespSetsSubtype, 1);
}

int WriteSideRecords(LeWriter& out, FileState& fs) {
  if (int rc = RebuildDisplayBlock(fs)) return rc;
  if (int rc = RebuildLongNameBlock(fs)) return rc;
  BlockPtr variableSets;
  BlockPtr multResp;
  if (int rc = TranslateSetTexts(fs, &variableSets, &multResp)) return rc;
  BlockView view{};
  for (int s = 0; s < kBlockSlots; ++s) view[s] = fs.blocks[s].get();
  view[kVariableSetsSubtype] = variableSets.get();
  view[kMultRespSetsSubtype] = multResp.get();
  return WriteExtensionRecords(out, view);
}

// Everything from the header on; any failure here ends the handle.
int WriteDictionary(FileState& fs) {
  LeWriter out(fs.stream.get());
  fs.headerCaseSize = fs.elementCount;
  fs.versionCode = HeaderVersionCode(fs);
  WriteHeaderRecord(out, fs);
  if (int rc = out.Result()) return rc;
  if (int rc = WriteVariables(out, fs)) return rc;
  std::copy(fs.blankCase.begin(), fs.blankCase.end(), fs.caseBuffer.begin());
  if (int rc = FoldPendingLabels(fs)) return rc;
  WriteValueLabelRecords(out, fs.labelSets);
  if (int rc = out.Result()) return rc;
  if (int rc = WriteDocumentRecord(out, fs.blocks[kDocumentsSlot].get())) return rc;
  if (int rc = WriteSideRecords(out, fs)) return rc;
  out.Int32(kTerminatorType);
  out.Int32(0);
  return out.Result();
}

int GuardedWriteDictionary(FileState& fs) {
  try {
    return WriteDictionary(fs);
  } catch (...) {
    return XOVA_OUT_OF_MEMORY;
  }
}

int CommitHeader(int handle) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  const std::int64_t elements = fs->dict.ElementCount();
  if (fs->dict.empty() || elements <= 0) return XOVA_EMPTY_DICTIONARY;
  if (int rc = AllocateCaseBuffers(*fs, elements)) return rc;
  if (int rc = GuardedWriteDictionary(*fs)) {
    CloseAndRelease(handle);
    return rc;
  }
  fs->committed = 1;
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

extern "C" XOVA_API int XOVA_CALL xovaCommitHeader(int handle) noexcept {
  return xova::Guarded([&] { return xova::CommitHeader(handle); });
}
