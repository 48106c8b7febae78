#include "write/code_block.h"

#include <cstring>

#include "platform/shared_file.h"
#include "xovaio32.h"

namespace xova {

int WriteOutBlock(FileState& fs) {
  if (fs.codeCount < 8) {
    std::memset(fs.codeBlock + fs.codeCount, 0, static_cast<std::size_t>(8 - fs.codeCount));
  }
  std::FILE* out = fs.stream.get();
  bool ok = platform::Write(out, fs.codeBlock, 8);
  if (ok && fs.rawCount > 0) {
    ok = platform::Write(out, fs.rawValues, 8 * static_cast<std::size_t>(fs.rawCount));
  }
  fs.codeCount = 0;
  fs.rawCount = 0;
  return ok ? XOVA_OK : XOVA_FILE_WRITE_ERROR;
}

int FlushFinalBlock(FileState& fs) {
  if (fs.codeCount == 0) return XOVA_OK;
  if (fs.codeCount < 8) fs.codeBlock[fs.codeCount++] = kCodeEndOfData;
  return WriteOutBlock(fs);
}

}  // namespace xova
