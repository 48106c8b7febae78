#include "write/long_name_block.h"

#include <cstring>

#include "xovaio32.h"

namespace xova {
namespace {

class Staging {
 public:
  explicit Staging(ExtensionBlock& block) : block_(block) {}

  // Appends what was gathered to the block.
  int Flush() {
    const auto n = static_cast<std::int32_t>(used_);
    used_ = 0;
    return BlockAppend(&block_, n, buffer_);
  }
  // Makes room for an entry of the given name lengths first, when the
  // gathered bytes and the entry with its two separators might not fit.
  int Reserve(std::size_t shortLength, std::size_t fullLength) {
    if (used_ + shortLength + fullLength + 2 >= kLongNameStaging) return Flush();
    return XOVA_OK;
  }
  void Put(const char* bytes, std::size_t n) {
    std::memcpy(buffer_ + used_, bytes, n);
    used_ += n;
  }

 private:
  ExtensionBlock& block_;
  std::size_t used_ = 0;
  char buffer_[kLongNameStaging];
};

int AppendEntries(ExtensionBlock& block, const Dictionary& dict) {
  Staging staging(block);
  for (std::size_t i = 0; i < dict.size(); ++i) {
    const VariableRecord& var = *dict.vars[i];
    const std::size_t shortLength = std::strlen(var.shortName);
    if (int rc = staging.Reserve(shortLength, var.name.size())) return rc;
    staging.Put(var.shortName, shortLength);
    staging.Put("=", 1);
    staging.Put(var.name.data(), var.name.size());
    if (i + 1 < dict.size()) staging.Put("\t", 1);
  }
  return staging.Flush();
}

}  // namespace

int RebuildLongNameBlock(FileState& fs) {
  BlockPtr& slot = fs.blocks[kLongNameSubtype];
  slot.reset();
  BlockPtr block = BlockCreate(1);
  if (!block) return XOVA_OUT_OF_MEMORY;
  if (int rc = AppendEntries(*block, fs.dict)) return rc;
  slot = std::move(block);
  return XOVA_OK;
}

}  // namespace xova
