#include "write/display_block.h"

#include <cstdint>

#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::int32_t kValuesPerVariable = 3;
// Variables gathered before one append, so a large dictionary touches the
// temporary file once per batch rather than once per variable.
constexpr std::size_t kBatchVariables = 256;

int AppendAttributes(ExtensionBlock& block, const Dictionary& dict) {
  std::int32_t batch[kBatchVariables * kValuesPerVariable];
  std::size_t gathered = 0;
  for (std::size_t i = 0; i < dict.size(); ++i) {
    const VariableRecord& var = *dict.vars[i];
    batch[kValuesPerVariable * gathered] = var.measureLevel;
    batch[kValuesPerVariable * gathered + 1] = var.columnWidth;
    batch[kValuesPerVariable * gathered + 2] = var.alignment;
    ++gathered;
    if (gathered == kBatchVariables || i + 1 == dict.size()) {
      const auto n = static_cast<std::int32_t>(kValuesPerVariable * gathered);
      if (int rc = BlockAppend(&block, n, batch)) return rc;
      gathered = 0;
    }
  }
  return XOVA_OK;
}

}  // namespace

int RebuildDisplayBlock(FileState& fs) {
  BlockPtr& slot = fs.blocks[kDisplaySubtype];
  slot.reset();
  if (fs.dict.empty() || fs.displayFlag == 0) return XOVA_OK;
  BlockPtr block = BlockCreate(sizeof(std::int32_t));
  if (!block) return XOVA_OUT_OF_MEMORY;
  if (int rc = AppendAttributes(*block, fs.dict)) return rc;
  slot = std::move(block);
  return XOVA_OK;
}

}  // namespace xova
