#include "write/case_encoder.h"

#include <cstring>

#include "frame/special_values.h"
#include "write/code_block.h"
#include "write/element_classifier.h"
#include "xovaio32.h"

namespace xova {

constexpr int kCodesPerBlock = 8;

// The counts stay in locals for the whole case and go back to the state
// before a block is written and at the end.
int EncodeCase(FileState& fs) {
  const std::uint64_t sysmisBits = DoubleToBits(fs.sysmis);
  const unsigned char* element = fs.caseBuffer.data();
  const unsigned char* const end = element + fs.caseBuffer.size() / 8 * 8;
  std::int32_t codes = fs.codeCount;
  std::int32_t raws = fs.rawCount;
  for (; element != end; element += 8) {
    if (codes >= kCodesPerBlock) {
      fs.codeCount = codes;
      fs.rawCount = raws;
      if (WriteOutBlock(fs) != XOVA_OK) return XOVA_FILE_WRITE_ERROR;
      codes = 0;
      raws = 0;
    }
    const unsigned char code = ClassifyElement(element, sysmisBits);
    fs.codeBlock[codes++] = code;
    if (code == kCodeRaw) std::memcpy(fs.rawValues[raws++], element, 8);
  }
  fs.codeCount = codes;
  fs.rawCount = raws;
  return XOVA_OK;
}

}  // namespace xova
