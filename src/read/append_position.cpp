#include "read/append_position.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "frame/special_values.h"
#include "platform/shared_file.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr unsigned char kEndCode = 252;
constexpr unsigned char kRawCode = 253;
constexpr std::int64_t kMaxCases = std::numeric_limits<std::int32_t>::max();

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

int CountUncompressed(FileState& fs) {
  std::FILE* f = fs.stream.get();
  const std::int64_t length = platform::FileLength(f);
  const std::int64_t caseBytes = 8 * static_cast<std::int64_t>(fs.headerCaseSize);
  if (length < fs.firstCasePosition) return XOVA_FILE_READ_ERROR;
  const std::int64_t data = length - fs.firstCasePosition;
  if (data % caseBytes != 0 || data / caseBytes > kMaxCases) return XOVA_FILE_READ_ERROR;
  if (!platform::Seek(f, 0, SEEK_END)) return XOVA_FILE_READ_ERROR;
  fs.caseCount = static_cast<std::int32_t>(data / caseBytes);
  return XOVA_OK;
}

// Elements that the codes before `end` describe, and the raw values among them.
void CountCodes(const unsigned char* codes, int end, std::int64_t* elements, int* raws) {
  for (int i = 0; i < end; ++i) {
    if (codes[i] == 0) continue;
    ++*elements;
    if (codes[i] == kRawCode) ++*raws;
  }
}

struct Scan {
  std::int64_t cases = 0;
  std::int64_t carried = 0;  // elements of a case not yet complete
};

// Adds a block's elements; false when the count no longer fits the header.
bool AddElements(Scan& scan, std::int64_t elements, std::int32_t caseSize) {
  scan.carried += elements;
  scan.cases += scan.carried / caseSize;
  scan.carried %= caseSize;
  return scan.cases <= kMaxCases;
}

// The block holding the end code becomes the encoder's block, so the next
// case continues it and overwrites that code.
int ResumeBlock(FileState& fs, const unsigned char* codes, int end, unsigned char (*raw)[8],
                int raws, std::int64_t blockStart) {
  std::memcpy(fs.codeBlock, codes, 8);
  std::memcpy(fs.rawValues, raw, 8 * static_cast<std::size_t>(raws));
  fs.codeCount = end;
  fs.rawCount = raws;
  return platform::Seek(fs.stream.get(), blockStart, SEEK_SET) ? XOVA_OK : XOVA_FILE_READ_ERROR;
}

int CountCompressed(FileState& fs) {
  std::FILE* f = fs.stream.get();
  if (!platform::Seek(f, fs.firstCasePosition, SEEK_SET)) return XOVA_FILE_READ_ERROR;
  Scan scan;
  std::int64_t blockStart = fs.firstCasePosition;
  for (;;) {
    unsigned char codes[8];
    const std::size_t got = std::fread(codes, 1, 8, f);
    if (got < 8) {
      if (std::ferror(f)) return XOVA_FILE_READ_ERROR;
      // Data that ends on a block boundary: new cases start a new block.
      fs.codeCount = 0;
      fs.rawCount = 0;
      if (!platform::Seek(f, blockStart, SEEK_SET)) return XOVA_FILE_READ_ERROR;
      break;
    }
    int end = 0;
    while (end < 8 && codes[end] != kEndCode) ++end;
    std::int64_t elements = 0;
    int raws = 0;
    CountCodes(codes, end, &elements, &raws);
    unsigned char raw[8][8];
    if (std::fread(raw, 8, static_cast<std::size_t>(raws), f) != static_cast<std::size_t>(raws)) {
      return XOVA_FILE_READ_ERROR;
    }
    if (!AddElements(scan, elements, fs.headerCaseSize)) return XOVA_FILE_READ_ERROR;
    if (end < 8) {
      if (int rc = ResumeBlock(fs, codes, end, raw, raws, blockStart)) return rc;
      break;
    }
    blockStart += 8 + 8 * static_cast<std::int64_t>(raws);
  }
  if (scan.carried != 0) return XOVA_FILE_READ_ERROR;
  fs.caseCount = static_cast<std::int32_t>(scan.cases);
  return XOVA_OK;
}

}  // namespace

int PositionForAppend(FileState& fs) {
  if (fs.byteSwap != 0 || !SameBits(fs.sysmis, Sysmis())) return XOVA_APPEND_REFUSED;
  // Cases are counted in header units but written in dictionary units; a
  // header that disagrees with its dictionary would have new cases misread.
  if (fs.headerCaseSize <= 0 || fs.headerCaseSize != fs.elementCount) {
    return XOVA_FILE_READ_ERROR;
  }
  const int rc = fs.compression != 0 ? CountCompressed(fs) : CountUncompressed(fs);
  fs.caseNumber = 0;
  return rc;
}

}  // namespace xova
