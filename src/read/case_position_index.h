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

// Positions are code positions: the offset of the last code of the case
// before, so case 0 sits at the decoder's start - 1. Every case from 0 to
// the highest case has been recorded at some time, so every coarse entry up
// to the highest case is known.
struct CasePositionIndex {
  DecompressionState* decoder = nullptr;
  std::unique_ptr<CasePage> firstPage;
  CasePage* currentPage = nullptr;
  CasePage window;
  std::int32_t count = -1;
  bool countFound = false;  // count is where the data was seen to end
  std::int64_t highestCase = -1;
  std::int64_t highestPosition = 0;
  std::int32_t elements = 0;
  std::int32_t stride = 16;

  ~CasePositionIndex();
};

// 16 up to 262144 cases, doubling with each doubling of the count, 512 above
// 4194304; an unknown (negative) count takes the smallest.
std::int32_t StrideFor(std::int64_t count);

// Builds the index of a compressed read handle, leaving the decoder where it
// stands: 0, XOVA_OUT_OF_MEMORY or XOVA_FILE_READ_ERROR (the count needed an
// estimate that failed). Nothing changes on failure.
int BuildCaseIndex(FileState& fs);

// Notes p as the position of case n: 0, XOVA_OUT_OF_MEMORY (a coarse page
// could not be added; nothing recorded) or XOVA_BAD_CASE_DATA.
int RecordCasePosition(CasePositionIndex& index, std::int64_t n, std::int64_t p, bool intoWindow);

// Moves the decoder to case n, decoding forward from the nearest known case
// and recording the cases it passes; stores the position of case n. 0,
// XOVA_END_OF_DATA (the data ends before n; the index's count is then
// known), XOVA_FILE_READ_ERROR, XOVA_OUT_OF_MEMORY or XOVA_BAD_CASE_DATA.
int FindCasePosition(CasePositionIndex& index, std::int64_t n, std::int64_t* position);

}  // namespace xova

#endif
