#include "write/blank_case.h"

#include <cstring>

namespace xova {

void FillBlankElements(const VariableRecord& var, double sysmis,
                       std::vector<unsigned char>& blankCase) {
  if (var.position < 1) return;
  const std::size_t offset = 8 * (static_cast<std::size_t>(var.position) - 1);
  const std::size_t size = 8 * static_cast<std::size_t>(var.Elements());
  if (offset > blankCase.size() || size > blankCase.size() - offset) return;
  if (var.IsString()) {
    std::memset(blankCase.data() + offset, ' ', size);
  } else {
    std::memcpy(blankCase.data() + offset, &sysmis, sizeof sysmis);
  }
}

}  // namespace xova
