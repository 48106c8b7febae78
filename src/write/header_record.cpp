#include "write/header_record.h"

#include <cstring>

#include "write/product_info.h"

namespace xova {
namespace {

constexpr char kMagic[] = "$FL2";
constexpr std::size_t kProductField = 60;
constexpr double kCodeBias = 100.0;  // code c stands for the number c - 100
constexpr int kMultRespSubtype = 7;
constexpr int kQebSubtype = 8;

bool HoldsElements(const BlockPtr& block) {
  return block && block->count > 0;
}

void WriteProductString(LeWriter& out) {
  char product[kProductField + 1] = {};
  std::strncat(product, kProductPrefix, kProductField);
  std::strncat(product, kSystemString, kProductField - std::strlen(product));
  out.Field(product, kProductField);
}

std::size_t BoundedLength(const char* text, std::size_t max) {
  std::size_t n = 0;
  while (n < max && text[n] != '\0') ++n;
  return n;
}

// The creation date and time of the open call: 9 and 8 characters.
void WriteTimeStamp(LeWriter& out, const char* stamp) {
  const std::size_t n = BoundedLength(stamp, kDateLength + kTimeLength);
  out.Text(stamp, n < kDateLength ? n : kDateLength, kDateLength);
  const std::size_t timeLength = n > kDateLength ? n - kDateLength : 0;
  out.Text(stamp + (n > kDateLength ? kDateLength : n), timeLength, kTimeLength);
}

}  // namespace

std::int32_t HeaderVersionCode(const FileState& fs) {
  const bool extended =
      HoldsElements(fs.blocks[kMultRespSubtype]) || HoldsElements(fs.blocks[kQebSubtype]);
  return extended ? 3 : 2;
}

void WriteHeaderRecord(LeWriter& out, const FileState& fs) {
  out.Bytes(kMagic, 4);
  WriteProductString(out);
  out.Int32(fs.versionCode);
  out.Int32(fs.headerCaseSize);
  out.Int32(fs.compression);
  out.Int32(fs.weightIndex);
  out.Int32(fs.caseCount);
  out.Double(kCodeBias);
  WriteTimeStamp(out, fs.timeStamp);
  out.Field(fs.idString, kIdStringLength);
  out.Fill(0, 3);
}

}  // namespace xova
