// The exported multiple-response set functions.
#include <cstdio>

#include "ext/mrset_line.h"
#include "ext/set_text_translator.h"
#include "ext/side_slots.h"
#include "frame/api_guard.h"
#include "xovaio32.h"

extern "C" {

XOVA_API int XOVA_CALL xovaAddMultRespDefC(int handle, const char* mrSetName,
                                           const char* mrSetLabel, int isDichotomy,
                                           const char* countedValue, const char** varNames,
                                           int numVars) noexcept {
  return xova::Guarded([&] {
    return xova::AddMrSetLine(handle, mrSetName, mrSetLabel, isDichotomy, countedValue, varNames,
                              numVars, false);
  });
}

XOVA_API int XOVA_CALL xovaAddMultRespDefN(int handle, const char* mrSetName,
                                           const char* mrSetLabel, int isDichotomy,
                                           int countedValue, const char** varNames,
                                           int numVars) noexcept {
  char value[16];
  std::snprintf(value, sizeof value, "%d", countedValue);
  return xova::Guarded([&] {
    return xova::AddMrSetLine(handle, mrSetName, mrSetLabel, isDichotomy, value, varNames, numVars,
                              true);
  });
}

XOVA_API int XOVA_CALL xovaSetMultRespDefs(int handle, const char* mrespDefs) noexcept {
  return xova::StoreSlotText(handle, xova::kMultRespSetsSubtype, mrespDefs, XOVA_MRSETS_ABSENT);
}

XOVA_API int XOVA_CALL xovaGetMultRespDefs(int handle, char** mrespDefs) noexcept {
  return xova::CopySlotText(handle, xova::kMultRespSetsSubtype, XOVA_MRSETS_ABSENT, mrespDefs);
}

XOVA_API int XOVA_CALL xovaFreeMultRespDefs(char* mrespDefs) noexcept {
  xova::FreeSlotText(mrespDefs);
  return XOVA_OK;
}

}  // extern "C"
