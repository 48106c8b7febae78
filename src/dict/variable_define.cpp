#include "dict/variable_define.h"

#include <cstring>
#include <string>

#include "dict/formats.h"
#include "dict/variable_lookup.h"
#include "frame/api_guard.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {

int SetLabel(VariableRecord& var, const char* label) {
  const char* text = OrEmpty(label);
  const std::size_t length = std::strlen(text);
  if (length == 0) {
    std::string().swap(var.label);
    var.hasLabel = 0;
    return XOVA_OK;
  }
  const bool cut = length > static_cast<std::size_t>(kMaxLabelLength);
  std::string fresh(text, cut ? static_cast<std::size_t>(kMaxLabelLength) : length);
  var.label.swap(fresh);
  var.hasLabel = 1;
  return cut ? XOVA_VAR_LABEL_TRUNCATED : XOVA_OK;
}

int SetFormat(VariableRecord& var, int isPrint, int code, int decimals, int width) {
  const int refused = isPrint ? XOVA_BAD_PRINT_FORMAT : XOVA_BAD_WRITE_FORMAT;
  if (ValidateFormat(var.type, code, decimals, width, isPrint) != kFormatAccepted) return refused;
  // A part that overflows its byte would come back as another format.
  if (!FormatFitsPacking(code, width, decimals)) return refused;
  (isPrint ? var.printFormat : var.writeFormat) = PackFormat(code, width, decimals);
  return XOVA_OK;
}

int SetWeight(FileState& fs, const VariableRecord& var) {
  if (var.IsString()) return XOVA_NOT_NUMERIC;
  fs.weightIndex = var.position;
  return XOVA_OK;
}

}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaSetVarLabel(int handle, const char* varName,
                                       const char* varLabel) noexcept {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForDefinition(handle, varName, &fs, &var)) return rc;
  return Guarded([&] { return SetLabel(*var, varLabel); });
}

XOVA_API int XOVA_CALL xovaSetVarPrintFormat(int handle, const char* varName, int printType,
                                             int printDec, int printWid) noexcept {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForDefinition(handle, varName, &fs, &var)) return rc;
  return SetFormat(*var, 1, printType, printDec, printWid);
}

XOVA_API int XOVA_CALL xovaSetVarWriteFormat(int handle, const char* varName, int writeType,
                                             int writeDec, int writeWid) noexcept {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForDefinition(handle, varName, &fs, &var)) return rc;
  return SetFormat(*var, 0, writeType, writeDec, writeWid);
}

XOVA_API int XOVA_CALL xovaSetCaseWeightVar(int handle, const char* varName) noexcept {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForDefinition(handle, varName, &fs, &var)) return rc;
  return SetWeight(*fs, *var);
}

}  // extern "C"
