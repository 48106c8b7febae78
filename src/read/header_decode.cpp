#include "read/header_decode.h"

#include <cstdio>
#include <cstring>

#include "platform/shared_file.h"
#include "read/record_input.h"
#include "xovaio32.h"

namespace xova {
namespace {

// The magic and the start of the product text are neither read nor checked,
// so files whose writers put something else there still open.
constexpr std::int64_t kSystemStringOffset = 24;
constexpr std::int64_t kBiasSize = 8;  // the decoder always uses its own bias
constexpr std::size_t kPaddingSize = 3;
constexpr std::size_t kTimeStampLength = kDateLength + kTimeLength;

struct HeaderFields {
  std::int32_t byteSwap = 0;
  std::int32_t versionCode = 0;
  std::int32_t caseSize = 0;
  std::int32_t compression = 0;
  std::int32_t weightIndex = 0;
  std::int32_t caseCount = 0;
  char systemString[kSystemStringLength + 1] = {};
  char timeStamp[kTimeStampLength + 1] = {};
  char idString[kIdStringLength + 1] = {};
};

bool KnownVersion(std::int32_t code) {
  return code >= 1 && code <= 3;
}

// Reads the fields into `h` rather than `fs`: ReadInt32 would follow
// fs.byteSwap, which must not change unless the whole header is sound.
bool ReadField(FileState& fs, const HeaderFields& h, std::int32_t* value) {
  unsigned char bytes[4];
  if (!ReadBytes(fs, bytes, sizeof bytes)) return false;
  if (h.byteSwap) ReverseBytes(bytes, sizeof bytes);
  std::memcpy(value, bytes, sizeof bytes);
  return true;
}

bool ReadText(FileState& fs, char* dst, std::size_t n) {
  if (!ReadBytes(fs, dst, n)) return false;
  dst[n] = '\0';
  return true;
}

bool ReadByteOrder(FileState& fs, HeaderFields* h) {
  unsigned char bytes[4];
  if (!ReadBytes(fs, bytes, sizeof bytes)) return false;
  std::int32_t code;
  std::memcpy(&code, bytes, sizeof code);
  if (KnownVersion(code)) {
    h->versionCode = code;
    return true;
  }
  ReverseBytes(bytes, sizeof bytes);
  std::memcpy(&code, bytes, sizeof code);
  if (!KnownVersion(code)) return false;
  h->byteSwap = 1;
  h->versionCode = code;
  return true;
}

bool ReadHeaderFields(FileState& fs, HeaderFields* h) {
  return ReadText(fs, h->systemString, kSystemStringLength) && ReadByteOrder(fs, h) &&
         ReadField(fs, *h, &h->caseSize) && ReadField(fs, *h, &h->compression) &&
         ReadField(fs, *h, &h->weightIndex) && ReadField(fs, *h, &h->caseCount) &&
         SkipByReading(fs, kBiasSize) && ReadText(fs, h->timeStamp, kTimeStampLength) &&
         ReadText(fs, h->idString, kIdStringLength) && SkipByReading(fs, kPaddingSize);
}

void StoreHeader(FileState& fs, const HeaderFields& h) {
  fs.byteSwap = h.byteSwap;
  fs.versionCode = h.versionCode;
  fs.headerCaseSize = h.caseSize;
  fs.compression = h.compression;
  fs.weightIndex = h.weightIndex;
  fs.caseCount = h.caseCount;
  std::memcpy(fs.systemString, h.systemString, sizeof fs.systemString);
  std::memcpy(fs.timeStamp, h.timeStamp, sizeof fs.timeStamp);
  std::memcpy(fs.idString, h.idString, sizeof fs.idString);
}

}  // namespace

int DecodeHeader(FileState& fs) noexcept {
  std::FILE* in = fs.stream.get();
  if (!in || !platform::Seek(in, kSystemStringOffset, SEEK_SET)) return XOVA_BAD_FILE;
  HeaderFields h;
  if (!ReadHeaderFields(fs, &h)) return XOVA_BAD_FILE;
  StoreHeader(fs, h);
  return XOVA_OK;
}

}  // namespace xova
