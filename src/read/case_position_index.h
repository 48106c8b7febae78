// Known start positions of the cases of a compressed file, filled as cases
// are decoded: coarse pages with one entry every `stride` cases, and a
// window with one entry per case for `stride` consecutive cases.
#ifndef XOVA_READ_CASE_POSITION_INDEX_H
#define XOVA_READ_CASE_POSITION_INDEX_H

#include <cstdint>
#include <memory>
#include <vector>

#include "read/decompression_state.h"

namespace xova {

constexpr std::int64_t kUnknownPosition = -2;

struct CasePage {
  CasePage* previous = nullptr;
  std::unique_ptr<CasePage> next;  // pages own their successors
  std::int64_t first = 0;
  std::int64_t last = 0;
  std::vector<std::int64_t> entries;  // stride entries
};

struct CasePositionIndex {
  DecompressionState* decoder = nullptr;
  std::unique_ptr<CasePage> firstPage;
  CasePage* currentPage = nullptr;
  CasePage window;
  std::int32_t count = -1;
  std::int32_t highestCase = -1;
  std::int64_t highestPosition = 0;
  std::int32_t elements = 0;
  std::int32_t stride = 16;

  ~CasePositionIndex();
};

}  // namespace xova

#endif
