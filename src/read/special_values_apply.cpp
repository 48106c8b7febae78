#include "read/special_values_apply.h"

#include "frame/special_values.h"
#include "write/product_info.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::int32_t kSpecialValueCount = 3;

// The three values, already in host order; false when the block can't give them.
bool ReadFromBlock(ExtensionBlock* block, double values[kSpecialValueCount]) {
  if (!block || block->elemSize != 8 || block->count < kSpecialValueCount) return false;
  block->cursor = 0;
  std::int32_t got = 0;
  const bool ok =
      BlockRead(block, kSpecialValueCount, &got, values) == XOVA_OK && got == kSpecialValueCount;
  // Later readers of the block start at its first element with the file closed.
  BlockCloseSpill(block);
  block->cursor = 0;
  return ok;
}

}  // namespace

void ApplySpecialValues(FileState& fs) {
  double values[kSpecialValueCount];
  if (!ReadFromBlock(fs.blocks[kSpecialValuesSubtype].get(), values)) {
    values[0] = BitsToDouble(kFileDefaultSysmisBits);
    values[1] = BitsToDouble(kFileDefaultHighestBits);
    values[2] = BitsToDouble(kFileDefaultLowestBits);
  }
  fs.sysmis = values[0];
  fs.highest = values[1];
  fs.lowest = values[2];
}

}  // namespace xova
