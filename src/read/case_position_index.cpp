#include "read/case_position_index.h"

namespace xova {

// Unlinks the pages one by one: a chain of many pages must not be destroyed
// by recursion.
CasePositionIndex::~CasePositionIndex() {
  std::unique_ptr<CasePage> page = std::move(firstPage);
  while (page) page = std::move(page->next);
}

}  // namespace xova
