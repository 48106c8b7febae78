#include "read/case_conversion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "frame/special_values.h"

namespace xova {
namespace {

void Reverse(unsigned char* element) {
  std::reverse(element, element + 8);
}

void MapSysmis(unsigned char* element, std::uint64_t fileSysmis) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, element, 8);
  if (bits == fileSysmis) std::memcpy(element, &kSysmisBits, 8);
}

// The decoder already reversed raw values, string elements included; those
// go back to the file's order. Numbers from codes are host values already.
void ConvertCompressed(unsigned char* element, bool string, const FileState& fs,
                       std::uint64_t fileSysmis) {
  if (string) {
    if (fs.byteSwap) Reverse(element);
    return;
  }
  MapSysmis(element, fileSysmis);
}

void ConvertUncompressed(unsigned char* element, bool string, const FileState& fs,
                         std::uint64_t fileSysmis) {
  if (string) return;
  if (fs.byteSwap) Reverse(element);
  MapSysmis(element, fileSysmis);
}

}  // namespace

void ConvertElements(FileState& fs) {
  const std::uint64_t fileSysmis = DoubleToBits(fs.sysmis);
  const std::size_t elements = std::min(fs.caseBuffer.size(), fs.blankCase.size()) / 8;
  for (std::size_t i = 0; i < elements; ++i) {
    unsigned char* element = fs.caseBuffer.data() + 8 * i;
    const bool string = fs.blankCase[8 * i] == ' ';
    if (fs.compression) {
      ConvertCompressed(element, string, fs, fileSysmis);
    } else {
      ConvertUncompressed(element, string, fs, fileSysmis);
    }
  }
}

}  // namespace xova
