#include "read/long_name_apply.h"

#include <cstring>

#include "dict/record_name.h"
#include "ext/block_reader.h"
#include "write/long_name_block.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr const char kPairSeparator[] = "\t";
constexpr char kNameSeparator = '=';

// Copies n bytes into a NUL-terminated field of at least n + 1 bytes.
void CopyField(char* dst, const char* src, std::size_t n) {
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

// One pair of `len` bytes (no tab, no NUL in it).
int ApplyPair(const char* pair, std::size_t len, const NameIndex& shortNames) {
  const char* eq = static_cast<const char*>(std::memchr(pair, kNameSeparator, len));
  if (!eq || eq == pair) return XOVA_OK;
  const std::size_t shortLen = static_cast<std::size_t>(eq - pair);
  const std::size_t longLen = len - shortLen - 1;
  // A stored short name is shorter than its field, so a longer one names nothing.
  if (shortLen >= kShortNameSize || longLen < 1 || longLen > kMaxNameLength) return XOVA_OK;
  char shortName[kShortNameSize];
  CopyField(shortName, pair, shortLen);
  auto* var = static_cast<VariableRecord*>(shortNames.Find(shortName, CompareRecordShortName));
  if (!var) return XOVA_OK;
  char longName[kMaxNameLength + 1];
  CopyField(longName, eq + 1, longLen);
  // A name the folding refuses leaves the variable as it was: names are
  // repaired after this, only memory is a reason to stop.
  const int rc = SetRecordName(*var, longName);
  return rc == XOVA_OUT_OF_MEMORY ? rc : XOVA_OK;
}

// The pair at p runs on beyond what the window holds. The reader always shows
// 2048 bytes ahead while data remains, so such a pair is far too long to
// name anything.
bool RunsPastWindow(const BlockReader& reader, const char* p, std::size_t len) {
  return p + len == reader.window + reader.filled && reader.unread > 0;
}

// Passes over a pair too long for the window, piece by piece.
const char* SkipLongPair(BlockReader* reader, const char* p) {
  while (p) {
    const std::size_t len = std::strcspn(p, kPairSeparator);
    if (!RunsPastWindow(*reader, p, len)) return ReaderAdvance(reader, static_cast<int>(len) + 1);
    p = ReaderAdvance(reader, static_cast<int>(len));
  }
  return nullptr;
}

// Pairs end at a tab or at a NUL inside the text; an empty text ends the scan.
int ScanPairs(BlockReader* reader, ExtensionBlock* block, const NameIndex& shortNames) {
  const char* p = ReaderStart(reader, block);
  while (p && *p) {
    const std::size_t len = std::strcspn(p, kPairSeparator);
    if (RunsPastWindow(*reader, p, len)) {
      p = SkipLongPair(reader, p);
      continue;
    }
    if (int rc = ApplyPair(p, len, shortNames)) return rc;
    p = ReaderAdvance(reader, static_cast<int>(len) + 1);
  }
  return p ? XOVA_OK : XOVA_TEMP_FILE_ERROR;
}

}  // namespace

int ApplyLongNames(FileState& fs, const NameIndex& shortNames) {
  ExtensionBlock* block = fs.blocks[kLongNameSubtype].get();
  if (!block || block->count <= 0) return XOVA_OK;
  if (block->elemSize != 1) return XOVA_BAD_FILE;
  BlockReader reader;
  const int rc = ScanPairs(&reader, block, shortNames);
  // A scan that stopped early leaves the block as a finished one would.
  BlockCloseSpill(block);
  block->cursor = 0;
  return rc;
}

}  // namespace xova
