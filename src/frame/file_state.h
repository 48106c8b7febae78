// Everything one open file keeps in memory.
#ifndef XOVA_FRAME_FILE_STATE_H
#define XOVA_FRAME_FILE_STATE_H

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "dict/dictionary.h"
#include "dict/pending_label_edit.h"
#include "dict/value_label_set.h"
#include "ext/extension_block.h"
#include "platform/shared_file.h"

namespace xova {

enum class FileMode : std::uint8_t { kWrite = 0, kRead = 1, kAppend = 2, kUnset = 0xFF };

constexpr int kSystemStringLength = 40;
constexpr int kIdStringLength = 64;
constexpr int kDateLength = 9;
constexpr int kTimeLength = 8;

// The list handed out by xovaGetVarNames and cached by xovaGetVarInfo.
struct NameListCache {
  char** names = nullptr;
  int* types = nullptr;
  int count = 0;
};

struct DecompressionState;
struct CasePositionIndex;

// The type 5 record of a file read: kept, used by nothing else.
struct ReaderRecord {
  std::int32_t count = 0;
  std::int32_t extra = 0;
  std::vector<std::int32_t> values;
};

struct DecoderDeleter {
  void operator()(DecompressionState* d) const;
};
struct CaseIndexDeleter {
  void operator()(CasePositionIndex* index) const;
};

struct FileState {
  FileState();
  ~FileState();
  FileState(const FileState&) = delete;
  FileState& operator=(const FileState&) = delete;

  Dictionary dict;  // holds the name index, created with 1023 buckets
  platform::StreamPtr stream;
  double sysmis;
  double highest;
  double lowest;
  std::int32_t versionCode = 2;
  std::int32_t headerCaseSize = 0;
  std::int32_t compression = 0;
  std::int32_t weightIndex = 0;
  std::int32_t caseCount = 0;
  char systemString[kSystemStringLength + 1] = {};
  char idString[kIdStringLength + 1] = {};
  char timeStamp[kDateLength + kTimeLength + 1] = {};
  LabelSetList labelSets;
  std::unique_ptr<ReaderRecord> readerRecord;
  std::array<BlockPtr, kBlockSlots> blocks;
  std::int32_t byteSwap = 0;
  std::array<std::int32_t, kBlockSlots> present = {};
  std::int32_t displayFlag = 0;
  std::int32_t caseLoaded = 0;
  std::vector<unsigned char> caseBuffer;
  std::vector<unsigned char> blankCase;
  // Per element of a write or append handle's case: 1 + the type of the
  // variable that starts there, 0 inside one; lets a value setter check its
  // handle without a search.
  std::vector<std::uint16_t> valueStarts;
  PendingLabelSlot pendingLabels;
  std::unique_ptr<DecompressionState, DecoderDeleter> decoder;
  std::unique_ptr<CasePositionIndex, CaseIndexDeleter> caseIndex;
  std::uint8_t committed = 0;
  FileMode mode = FileMode::kUnset;
  std::int32_t elementCount = 0;
  std::int64_t firstCasePosition = -1;
  std::int32_t caseNumber = 0;
  std::int32_t estimatedCount = -1;
  unsigned char codeBlock[8] = {};
  unsigned char rawValues[8][8] = {};
  std::int32_t codeCount = 0;
  std::int32_t rawCount = 0;
  // A case write failed: the file no longer holds what its count will claim.
  bool writeFailed = false;
  NameListCache nameList;

  bool IsCommitted() const { return committed != 0; }
};

}  // namespace xova

#endif
