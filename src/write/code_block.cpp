#include "write/code_block.h"

#include <cstring>

#include "platform/shared_file.h"
#include "xovaio32.h"

namespace xova {

int WriteOutBlock(FileState& fs) {
  if (fs.codeCount < 8) {
    std::memset(fs.codeBlock + fs.codeCount, 0, static_cast<std::size_t>(8 - fs.codeCount));
  }
  // Codes and raw values leave in one write: a block is in the file whole
  // or not at all, and the stream is entered once per block.
  unsigned char block[8 + sizeof fs.rawValues];
  const std::size_t raw = 8 * static_cast<std::size_t>(fs.rawCount);
  std::memcpy(block, fs.codeBlock, 8);
  std::memcpy(block + 8, fs.rawValues, raw);
  const bool ok = platform::Write(fs.stream.get(), block, 8 + raw);
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
