#include "read/display_apply.h"

#include <cstddef>
#include <cstdint>

#include "write/display_block.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::int32_t kValuesPerVariable = 3;
constexpr std::int32_t kOldValuesPerVariable = 2;
constexpr std::size_t kVariablesPerRead = 64;

void ApplyTriple(VariableRecord& var, const std::int32_t* values) {
  var.measureLevel = values[0];
  if (var.measureLevel == 0) ApplyDisplayDefaults(&var, kDefaultMeasureLevel);
  var.columnWidth = values[1];
  var.alignment = values[2];
}

void ApplyTriples(FileState& fs, ExtensionBlock* block) {
  std::int32_t values[kValuesPerVariable * kVariablesPerRead];
  const auto& vars = fs.dict.vars;
  block->cursor = 0;
  for (std::size_t i = 0; i < vars.size();) {
    const std::size_t batch =
        vars.size() - i < kVariablesPerRead ? vars.size() - i : kVariablesPerRead;
    const std::int32_t want = kValuesPerVariable * static_cast<std::int32_t>(batch);
    std::int32_t got = 0;
    if (BlockRead(block, want, &got, values) != XOVA_OK || got != want) break;
    for (std::size_t j = 0; j < batch; ++j, ++i) {
      ApplyTriple(*vars[i], values + kValuesPerVariable * j);
    }
  }
  // An early end leaves the block as a finished read would.
  BlockCloseSpill(block);
  block->cursor = 0;
}

}  // namespace

int ApplyDisplayParameters(FileState& fs) {
  ExtensionBlock* block = fs.blocks[kDisplaySubtype].get();
  if (!block) return XOVA_OK;
  const std::int64_t n = static_cast<std::int64_t>(fs.dict.vars.size());
  if (block->elemSize != 4) return XOVA_BAD_FILE;
  if (block->count == kValuesPerVariable * n) {
    ApplyTriples(fs, block);
    fs.displayFlag = 1;
    return XOVA_OK;
  }
  return block->count == kOldValuesPerVariable * n ? XOVA_OK : XOVA_BAD_FILE;
}

}  // namespace xova
