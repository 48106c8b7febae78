// The case output functions of write and append handles. None of them
// allocates, so none needs the allocation guard.

#include "frame/entry_checks.h"
#include "frame/text.h"
#include "write/case_commit.h"
#include "write/case_value_store.h"
#include "xovaio32.h"

namespace xova {
namespace {

// A missing case is refused as a buffer too short to hold one, before
// anything is copied or counted.
int WholeCaseOut(FileState& fs, const char* caseRec) {
  if (!caseRec) return XOVA_BUFFER_TOO_SMALL;
  return CommitWholeCase(fs, reinterpret_cast<const unsigned char*>(caseRec));
}

}  // namespace
}  // namespace xova

extern "C" {

XOVA_API int XOVA_CALL xovaSetValueNumeric(int handle, double varHandle, double value) noexcept {
  xova::FileState* fs = nullptr;
  if (int rc = xova::CheckCaseOutput(handle, &fs)) return rc;
  return xova::StoreNumericValue(*fs, varHandle, value);
}

XOVA_API int XOVA_CALL xovaSetValueChar(int handle, double varHandle, const char* value) noexcept {
  xova::FileState* fs = nullptr;
  if (int rc = xova::CheckCaseOutput(handle, &fs)) return rc;
  return xova::StoreStringValue(*fs, varHandle, xova::OrEmpty(value));
}

XOVA_API int XOVA_CALL xovaCommitCaseRecord(int handle) noexcept {
  xova::FileState* fs = nullptr;
  if (int rc = xova::CheckCaseOutput(handle, &fs)) return rc;
  return xova::CommitCase(*fs);
}

XOVA_API int XOVA_CALL xovaWholeCaseOut(int handle, const char* caseRec) noexcept {
  xova::FileState* fs = nullptr;
  if (int rc = xova::CheckCaseOutput(handle, &fs)) return rc;
  return xova::WholeCaseOut(*fs, caseRec);
}

}  // extern "C"
