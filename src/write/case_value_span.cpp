#include "write/case_value_span.h"

#include <algorithm>
#include <new>

namespace xova {

// Variables are kept in ascending position order.
bool StartsBySearch(const FileState& fs, const VarHandleParts& parts) {
  const auto& vars = fs.dict.vars;
  auto it = std::lower_bound(
      vars.begin(), vars.end(), parts.position,
      [](const std::unique_ptr<VariableRecord>& v, std::int32_t p) { return v->position < p; });
  return it != vars.end() && (*it)->position == parts.position && (*it)->type == parts.width;
}

int MakeValueStarts(const Dictionary& dict, std::size_t elements,
                    std::vector<std::uint16_t>* starts) {
  std::vector<std::uint16_t> made;
  try {
    made.assign(elements, 0);
  } catch (const std::bad_alloc&) {
    return XOVA_OUT_OF_MEMORY;
  }
  for (const auto& var : dict.vars) {
    if (var->position < 1 || var->type < 0 || var->type > 255) continue;
    const auto at = static_cast<std::size_t>(var->position) - 1;
    const auto size = static_cast<std::size_t>(ElementsOfType(var->type));
    if (at < elements && size <= elements - at)
      made[at] = static_cast<std::uint16_t>(var->type + 1);
  }
  starts->swap(made);
  return XOVA_OK;
}

}  // namespace xova
