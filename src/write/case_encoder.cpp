#include "write/case_encoder.h"

#include <cstring>

#include "frame/special_values.h"
#include "write/code_block.h"
#include "write/element_classifier.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kCodesPerBlock = 8;

void AddElement(FileState& fs, const unsigned char* element, std::uint64_t sysmisBits) {
  const unsigned char code = ClassifyElement(element, sysmisBits);
  fs.codeBlock[fs.codeCount++] = code;
  if (code == kCodeRaw) std::memcpy(fs.rawValues[fs.rawCount++], element, 8);
}

}  // namespace

int EncodeCase(FileState& fs) {
  const std::uint64_t sysmisBits = DoubleToBits(fs.sysmis);
  const std::size_t elements = fs.caseBuffer.size() / 8;
  for (std::size_t i = 0; i < elements; ++i) {
    if (fs.codeCount >= kCodesPerBlock && WriteOutBlock(fs) != XOVA_OK) {
      return XOVA_FILE_WRITE_ERROR;
    }
    AddElement(fs, fs.caseBuffer.data() + 8 * i, sysmisBits);
  }
  return XOVA_OK;
}

}  // namespace xova
