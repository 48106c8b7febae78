// Display attributes of a variable: measurement level, column width and
// alignment. Setting any of them marks the file so that commit writes the
// display-attribute record.
#include "dict/variable_lookup.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kScaleLevel = 3;  // numeric variables only

int SetMeasureLevel(FileState& fs, VariableRecord& var, int level) {
  if (level < 0 || level > kScaleLevel || (level == kScaleLevel && var.IsString())) {
    return XOVA_MEASURE_LEVEL_OUT_OF_RANGE;
  }
  if (level == 0) {
    ApplyDisplayDefaults(&var, kDefaultMeasureLevel);
  } else {
    var.measureLevel = level;
  }
  fs.displayFlag = 1;
  return XOVA_OK;
}

void SetColumnWidth(FileState& fs, VariableRecord& var, int width) {
  if (width >= 0) {
    var.columnWidth = width;
  } else {
    ApplyDisplayDefaults(&var, kDefaultColumnWidth);
  }
  fs.displayFlag = 1;
}

void SetAlignment(FileState& fs, VariableRecord& var, int alignment) {
  if (alignment >= 0 && alignment <= 2) {
    var.alignment = alignment;
  } else {
    ApplyDisplayDefaults(&var, kDefaultAlignment);
  }
  fs.displayFlag = 1;
}

// Copies one field of a variable found by the query checks.
int QueryField(int handle, const char* varName, std::int32_t VariableRecord::*field, int* out) {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForQuery(handle, varName, &fs, &var)) return rc;
  StoreOut(out, var->*field);
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaSetVarMeasureLevel(int handle, const char* varName,
                                              int measureLevel) noexcept {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForDefinition(handle, varName, &fs, &var)) return rc;
  return SetMeasureLevel(*fs, *var, measureLevel);
}

XOVA_API int XOVA_CALL xovaGetVarMeasureLevel(int handle, const char* varName,
                                              int* measureLevel) noexcept {
  return QueryField(handle, varName, &VariableRecord::measureLevel, measureLevel);
}

XOVA_API int XOVA_CALL xovaSetVarColumnWidth(int handle, const char* varName,
                                             int columnWidth) noexcept {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForDefinition(handle, varName, &fs, &var)) return rc;
  SetColumnWidth(*fs, *var, columnWidth);
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetVarColumnWidth(int handle, const char* varName,
                                             int* columnWidth) noexcept {
  return QueryField(handle, varName, &VariableRecord::columnWidth, columnWidth);
}

XOVA_API int XOVA_CALL xovaSetVarAlignment(int handle, const char* varName,
                                           int alignment) noexcept {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForDefinition(handle, varName, &fs, &var)) return rc;
  SetAlignment(*fs, *var, alignment);
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetVarAlignment(int handle, const char* varName,
                                           int* alignment) noexcept {
  return QueryField(handle, varName, &VariableRecord::alignment, alignment);
}

}  // extern "C"
