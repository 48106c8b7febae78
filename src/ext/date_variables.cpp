// The exported date-variable functions: 32-bit integers stored and returned
// unchanged.
#include <cstdint>
#include <new>

#include "ext/block_slots.h"
#include "ext/side_slots.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kDateVariablesSubtype = 6;
constexpr std::int32_t kDateElementSize = 4;
static_assert(sizeof(int) == kDateElementSize, "date information is handed out as int");

int SetDateVariables(int handle, int elementCount, const int* dateInfo) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  if (elementCount < 0) return XOVA_BAD_EXT_INDEX;  // no array has a negative size
  return StoreBlock(handle, kDateVariablesSubtype, kDateElementSize, elementCount, dateInfo);
}

int GetDateVariables(int handle, int* elementCount, int** dateInfo) {
  StoreOut(elementCount, 0);
  StoreOut(dateInfo, nullptr);
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  ExtensionBlock* block = fs->blocks[kDateVariablesSubtype].get();
  if (!block || block->count <= 0) return XOVA_DATE_INFO_ABSENT;
  // Elements of another size would not fit the array handed out.
  if (block->elemSize != kDateElementSize) return XOVA_BAD_EXT_INDEX;
  if (!dateInfo) {
    StoreOut(elementCount, block->count);
    return XOVA_OK;
  }
  int* values = new (std::nothrow) int[static_cast<std::size_t>(block->count)];
  if (!values) return XOVA_OUT_OF_MEMORY;
  std::int32_t got = 0;
  block->cursor = 0;
  const int rc = BlockRead(block, block->count, &got, values);
  RewindBlock(block);
  if (rc != XOVA_OK) {
    delete[] values;
    return rc;
  }
  StoreOut(elementCount, got);
  *dateInfo = values;
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

extern "C" {

XOVA_API int XOVA_CALL xovaSetDateVariables(int handle, int elementCount,
                                            const int* dateInfo) noexcept {
  return xova::SetDateVariables(handle, elementCount, dateInfo);
}

XOVA_API int XOVA_CALL xovaGetDateVariables(int handle, int* elementCount,
                                            int** dateInfo) noexcept {
  return xova::GetDateVariables(handle, elementCount, dateInfo);
}

XOVA_API int XOVA_CALL xovaFreeDateVariables(int* dateInfo) noexcept {
  delete[] dateInfo;
  return XOVA_OK;
}

}  // extern "C"
