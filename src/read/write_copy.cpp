// Starting a new file for writing with the dictionary of an existing one.
#include <cstring>

#include "frame/api_guard.h"
#include "frame/handle_table.h"
#include "frame/special_values.h"
#include "frame/text.h"
#include "platform/shared_file.h"
#include "read/open_for_reading.h"
#include "write/open_write.h"
#include "write/product_info.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kGuidSubtype = 12;

// What belonged to the source file and not to its dictionary.
void ResetForNewFile(FileState& fs) {
  fs.sysmis = Sysmis();
  // The special-values record of the copy is built from these: the host's.
  fs.highest = Highest();
  fs.lowest = Lowest();
  InitialiseForWrite(fs);
  fs.byteSwap = 0;
  fs.headerCaseSize = 0;
  fs.caseCount = 0;
  fs.caseNumber = 0;
  for (int subtype : {kGuidSubtype, kReleaseSubtype, kSpecialValuesSubtype}) {
    fs.blocks[static_cast<std::size_t>(subtype)].reset();
  }
}

int OpenWriteCopy(const char* fileName, const char* dictFileName, int* handle) {
  // Creating the new file empties it, so it must not be the dictionary's.
  if (platform::SameExistingFile(OrEmpty(fileName), OrEmpty(dictFileName))) {
    return XOVA_FILE_OPEN_ERROR;
  }
  bool outOfMemory = false;
  platform::StreamPtr stream =
      platform::OpenDataStream(OrEmpty(fileName), platform::OpenMode::kCreateWrite, &outOfMemory);
  if (!stream) return outOfMemory ? XOVA_OUT_OF_MEMORY : XOVA_FILE_OPEN_ERROR;
  int slot = -1;
  if (int rc = OpenForReading(dictFileName, &slot, OpenPurpose::kDictionaryOnly)) return rc;
  FileState* fs = LookupHandle(slot);
  fs->stream = std::move(stream);
  ResetForNewFile(*fs);
  if (int rc = BuildProductBlocks(*fs)) {
    CloseAndRelease(slot);
    return rc;
  }
  StoreOut(handle, slot);
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

extern "C" XOVA_API int XOVA_CALL xovaOpenWriteCopy(const char* fileName, const char* dictFileName,
                                                    int* handle) noexcept {
  return xova::Guarded([&] { return xova::OpenWriteCopy(fileName, dictFileName, handle); });
}
