// The plain queries on a handle.
#include <cstdint>
#include <cstring>

#include "ext/extension_block.h"
#include "frame/api_guard.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "read/case_position_index.h"
#include "write/product_info.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kReleaseInts = 8;

const VariableRecord* VariableAtPosition(const Dictionary& dict, std::int32_t position) {
  for (const auto& var : dict.vars) {
    if (var->position == position) return var.get();
  }
  return nullptr;
}

int CopyReleaseInfo(ExtensionBlock* block, int* relInfo) {
  if (!block || block->count == 0) return XOVA_NO_RELEASE_INFO;
  const int rc = BlockLoad(block);
  if (rc != XOVA_OK) return rc;
  std::int32_t values[kReleaseInts] = {};
  std::int64_t bytes = BlockBytes(block);
  if (bytes > static_cast<std::int64_t>(sizeof values)) bytes = sizeof values;
  std::memcpy(values, block->data, static_cast<std::size_t>(bytes));
  BlockUnload(block);
  if (relInfo) {
    for (int i = 0; i < kReleaseInts; ++i) relInfo[i] = values[i];
  }
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaGetSystemString(int handle, char* sysString) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  CopyOut(sysString, fs->systemString);
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetIdString(int handle, char* idString) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  CopyOut(idString, fs->idString);
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetTimeStamp(int handle, char* fileDate, char* fileTime) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  if (fileDate) {
    std::memcpy(fileDate, fs->timeStamp, kDateLength);
    fileDate[kDateLength] = '\0';
  }
  if (fileTime) {
    std::memcpy(fileTime, fs->timeStamp + kDateLength, kTimeLength);
    fileTime[kTimeLength] = '\0';
  }
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetCompression(int handle, int* compSwitch) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  StoreOut(compSwitch, fs->compression);
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetNumberofVariables(int handle, int* numVars) noexcept {
  StoreOut(numVars, 0);
  FileState* fs = nullptr;
  if (int rc = CheckCommitted(handle, &fs)) return rc;
  const std::size_t count = fs->dict.size();
  StoreOut(numVars, count);
  return count == 0 ? XOVA_BAD_FILE : XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetCaseSize(int handle, int* caseSize) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckCommitted(handle, &fs)) return rc;
  // The size guard keeps a case below 0xFFFFFFE8 bytes, so it fits 32 bits.
  StoreOut(caseSize, static_cast<std::uint32_t>(fs->elementCount) * 8u);
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetNumberofCases(int handle, int* numCases) noexcept {
  StoreOut(numCases, 0);
  FileState* fs = nullptr;
  if (CheckHandle(handle, &fs) != XOVA_OK) return XOVA_OK;
  if (fs->mode == FileMode::kRead || fs->mode == FileMode::kAppend) {
    // A positioning scan may have found where the data really ends.
    const CasePositionIndex* index = fs->caseIndex.get();
    StoreOut(numCases, index && index->count >= 0 ? index->count : fs->caseCount);
  }
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetCaseWeightVar(int handle, char* varName) noexcept {
  if (varName) varName[0] = '\0';
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  if (fs->weightIndex == 0) return XOVA_WEIGHT_ABSENT;
  const VariableRecord* var = VariableAtPosition(fs->dict, fs->weightIndex);
  if (!var || var->IsString()) return XOVA_BAD_WEIGHT_VARIABLE;
  CopyOut(varName, var->name.c_str());
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetReleaseInfo(int handle, int* relInfo) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  return Guarded([&] { return CopyReleaseInfo(fs->blocks[kReleaseSubtype].get(), relInfo); });
}

}  // extern "C"
