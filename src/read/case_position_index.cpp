#include "read/case_position_index.h"

#include <new>

#include "frame/file_state.h"
#include "read/case_count_estimate.h"
#include "xovaio32.h"

namespace xova {
namespace {

// The allocations of a page in one place, so that failing ones give null.
std::unique_ptr<CasePage> MakePage(std::int64_t first, std::int64_t cases, std::int32_t stride) {
  try {
    auto page = std::make_unique<CasePage>();
    page->first = first;
    page->last = first + cases - 1;
    page->entries.assign(static_cast<std::size_t>(stride), kUnknownPosition);
    return page;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::int64_t CoarseCases(const CasePositionIndex& index) {
  return static_cast<std::int64_t>(index.stride) * index.stride;
}

// The coarse page covering n, walked to from the current page, which it
// becomes. With `append` missing pages are added after the last one.
int PageFor(CasePositionIndex& index, std::int64_t n, bool append, CasePage** out) {
  CasePage* page = index.currentPage;
  while (page && n < page->first) page = page->previous;
  if (!page) return XOVA_BAD_CASE_DATA;
  while (n > page->last) {
    if (!page->next) {
      if (!append) return XOVA_BAD_CASE_DATA;
      std::unique_ptr<CasePage> next = MakePage(page->last + 1, CoarseCases(index), index.stride);
      if (!next) return XOVA_OUT_OF_MEMORY;
      next->previous = page;
      page->next = std::move(next);
    }
    page = page->next.get();
  }
  index.currentPage = page;
  *out = page;
  return XOVA_OK;
}

// Entry 0 of a moved window comes from the coarse entry of its first case.
void MoveWindow(CasePositionIndex& index, std::int64_t n) {
  CasePage& w = index.window;
  w.first = n - n % index.stride;
  w.last = w.first + index.stride - 1;
  w.entries.assign(w.entries.size(), kUnknownPosition);
  CasePage* page = nullptr;
  if (PageFor(index, w.first, false, &page) == XOVA_OK) {
    w.entries[0] = page->entries[static_cast<std::size_t>((w.first - page->first) / index.stride)];
  }
}

struct Start {
  std::int64_t n = -1;
  std::int64_t position = kUnknownPosition;
};

// The nearest known case below n in the window, if n lies in it.
Start FromWindow(const CasePositionIndex& index, std::int64_t n) {
  const CasePage& w = index.window;
  Start s;
  if (n < w.first || n > w.last) return s;
  for (std::int64_t k = n - w.first; k >= 0; --k) {
    const std::int64_t p = w.entries[static_cast<std::size_t>(k)];
    if (p != kUnknownPosition) return Start{w.first + k, p};
  }
  return s;
}

// The nearest known coarse entry at or below entry k of the page, else of the
// pages before it; the page searched last becomes the current page.
Start FromPages(CasePositionIndex& index, CasePage* page, std::int64_t k) {
  for (; page; page = page->previous) {
    index.currentPage = page;
    for (; k >= 0; --k) {
      const std::int64_t p = page->entries[static_cast<std::size_t>(k)];
      if (p != kUnknownPosition) return Start{page->first + k * index.stride, p};
    }
    k = index.stride - 1;
  }
  return Start{};
}

Start FromCoarse(CasePositionIndex& index, std::int64_t n) {
  CasePage* page = index.currentPage;
  while (page && n < page->first) page = page->previous;
  if (!page) return Start{};
  while (n > page->last) {
    if (!page->next) return Start{index.highestCase, index.highestPosition};
    page = page->next.get();
  }
  return FromPages(index, page, (n - page->first) / index.stride);
}

// Where decoding towards n starts: the window, else the coarse pages, and the
// highest recorded case whenever that lies closer.
Start StartFor(CasePositionIndex& index, std::int64_t n) {
  Start s = FromWindow(index, n);
  if (s.n < 0) s = FromCoarse(index, n);
  if (index.highestCase <= n && index.highestCase > s.n) {
    s = Start{index.highestCase, index.highestPosition};
  }
  return s;
}

// Skips case after case from s to n, recording each; the window takes the
// last stride of them. Meeting the end (or unreadable data) fixes the count.
int ScanForward(CasePositionIndex& index, Start s, std::int64_t n) {
  DecompressionState& d = *index.decoder;
  while (s.n < n) {
    const int rc = SkipElements(d, index.elements);
    if (rc != kDecodeDone) {
      index.count = static_cast<std::int32_t>(s.n);
      index.countFound = true;
      return MapDecodeResult(rc);
    }
    ++s.n;
    if (int recorded = RecordCasePosition(index, s.n, d.CodePosition(), n - s.n < index.stride)) {
      return recorded;
    }
  }
  return XOVA_OK;
}

}  // namespace

CasePositionIndex::~CasePositionIndex() {
  // Unlinks the pages one by one: a chain of many pages must not be destroyed
  // by recursion.
  std::unique_ptr<CasePage> page = std::move(firstPage);
  while (page) page = std::move(page->next);
}

std::int32_t StrideFor(std::int64_t count) {
  std::int32_t stride = 16;
  for (std::int64_t limit = 262144; stride < 512 && count > limit; limit *= 2) stride *= 2;
  return stride;
}

int BuildCaseIndex(FileState& fs) {
  if (!fs.decoder) return XOVA_FILE_READ_ERROR;
  std::int64_t expected = fs.caseCount;
  if (expected < 0) {
    std::int32_t estimate = 0;
    if (EstimateCaseCount(*fs.decoder, fs.elementCount, &estimate) != 0) {
      return XOVA_FILE_READ_ERROR;
    }
    expected = estimate;
  }
  std::unique_ptr<CasePositionIndex, CaseIndexDeleter> index(new (std::nothrow) CasePositionIndex);
  if (!index) return XOVA_OUT_OF_MEMORY;
  index->decoder = fs.decoder.get();
  index->count = fs.caseCount < 0 ? -1 : fs.caseCount;
  index->elements = fs.elementCount;
  index->stride = StrideFor(expected);
  index->firstPage = MakePage(0, CoarseCases(*index), index->stride);
  std::unique_ptr<CasePage> window = MakePage(0, index->stride, index->stride);
  if (!index->firstPage || !window) return XOVA_OUT_OF_MEMORY;
  index->window.first = window->first;
  index->window.last = window->last;
  index->window.entries.swap(window->entries);
  index->currentPage = index->firstPage.get();
  // Case 0 starts the data; the decoder itself stays where it stands.
  if (int rc = RecordCasePosition(*index, 0, fs.decoder->start - 1, true)) return rc;
  fs.caseIndex = std::move(index);
  return XOVA_OK;
}

int RecordCasePosition(CasePositionIndex& index, std::int64_t n, std::int64_t p, bool intoWindow) {
  if (n < 0) return XOVA_BAD_CASE_DATA;
  if (n % index.stride == 0) {
    CasePage* page = nullptr;
    if (int rc = PageFor(index, n, true, &page)) return rc;
    page->entries[static_cast<std::size_t>((n - page->first) / index.stride)] = p;
  }
  if (n > index.highestCase) {
    index.highestCase = n;
    index.highestPosition = p;
  }
  if (intoWindow) {
    if (n < index.window.first || n > index.window.last) MoveWindow(index, n);
    index.window.entries[static_cast<std::size_t>(n - index.window.first)] = p;
  }
  return XOVA_OK;
}

int FindCasePosition(CasePositionIndex& index, std::int64_t n, std::int64_t* position) {
  if (n < 0 || index.elements <= 0 || !index.decoder) return XOVA_BAD_CASE_DATA;
  if (index.countFound && n > index.count) return XOVA_END_OF_DATA;
  const Start s = StartFor(index, n);
  if (s.n < 0 || s.n > n) return XOVA_BAD_CASE_DATA;
  if (s.n < n) {
    if (int rc = MapDecodeResult(GoToCodePosition(*index.decoder, s.position))) return rc;
    if (int rc = ScanForward(index, s, n)) return rc;
    *position = index.decoder->CodePosition();
    return XOVA_OK;
  }
  *position = s.position;
  return XOVA_OK;
}

}  // namespace xova
