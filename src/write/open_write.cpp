#include "write/open_write.h"

#include <cstring>
#include <memory>
#include <new>

#include "frame/api_guard.h"
#include "frame/handle_table.h"
#include "frame/text.h"
#include "platform/local_time.h"
#include "write/product_info.h"
#include "write/time_stamp.h"
#include "xovaio32.h"

namespace xova {

int BuildProductBlocks(FileState& fs) {
  int rc = BlockReplace(&fs.blocks[kReleaseSubtype], 4, 8, kReleaseInfo);
  if (rc != XOVA_OK) return rc;
  const double special[3] = {fs.sysmis, fs.highest, fs.lowest};
  return BlockReplace(&fs.blocks[kSpecialValuesSubtype], 8, 3, special);
}

void InitialiseForWrite(FileState& fs) {
  fs.committed = 0;
  fs.mode = FileMode::kWrite;
  std::memcpy(fs.systemString, kSystemString, sizeof kSystemString);
  std::tm now = {};
  if (!platform::LocalTimeNow(&now)) now.tm_mday = 1;
  FormatTimeStamp(now, fs.timeStamp);
}

namespace {

int OpenWrite(const char* fileName, int* handle) {
  int slot = 0;
  if (int rc = ClaimSlot(&slot)) return rc;
  bool outOfMemory = false;
  platform::StreamPtr stream =
      platform::OpenDataStream(OrEmpty(fileName), platform::OpenMode::kCreateWrite, &outOfMemory);
  if (!stream) return outOfMemory ? XOVA_OUT_OF_MEMORY : XOVA_FILE_OPEN_ERROR;
  std::unique_ptr<FileState> fs(new (std::nothrow) FileState);
  if (!fs) return XOVA_OUT_OF_MEMORY;  // the stream closes on the way out
  fs->stream = std::move(stream);
  InitialiseForWrite(*fs);
  // Built before the slot is filled, so a failure leaves the table untouched.
  if (int rc = BuildProductBlocks(*fs)) return rc;
  InstallFileState(slot, std::move(fs));
  StoreOut(handle, slot);
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

extern "C" XOVA_API int XOVA_CALL xovaOpenWrite(const char* fileName, int* handle) noexcept {
  return xova::Guarded([&] { return xova::OpenWrite(fileName, handle); });
}
