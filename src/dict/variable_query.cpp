// Queries on one variable of any open file: formats, label, variable handle.
#include <cstddef>
#include <cstring>

#include "dict/formats.h"
#include "dict/variable_handle.h"
#include "dict/variable_lookup.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kShortLabelBuffer = 121;

int QueryFormat(int handle, const char* varName, bool print, int* code, int* decimals, int* width) {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForQuery(handle, varName, &fs, &var)) return rc;
  const Format f = UnpackFormat(print ? var->printFormat : var->writeFormat);
  StoreOut(code, f.code);
  StoreOut(decimals, f.decimals);
  StoreOut(width, f.width);
  return XOVA_OK;
}

// A buffer without room for a terminator is never written to.
int QueryLabel(int handle, const char* varName, char* buff, int lenBuff, int* lenLabel) {
  const bool writable = buff != nullptr && lenBuff >= 1;
  if (writable) buff[0] = '\0';
  StoreOut(lenLabel, 0);
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupForQuery(handle, varName, &fs, &var)) return rc;
  if (!var->hasLabel) return XOVA_LABEL_ABSENT;
  if (!writable) return XOVA_OK;
  std::size_t n = var->label.size();
  const std::size_t room = static_cast<std::size_t>(lenBuff) - 1;
  if (n > room) n = room;
  std::memcpy(buff, var->label.data(), n);
  buff[n] = '\0';
  StoreOut(lenLabel, n);
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaGetVarPrintFormat(int handle, const char* varName, int* printType,
                                             int* printDec, int* printWid) noexcept {
  return QueryFormat(handle, varName, true, printType, printDec, printWid);
}

XOVA_API int XOVA_CALL xovaGetVarWriteFormat(int handle, const char* varName, int* writeType,
                                             int* writeDec, int* writeWid) noexcept {
  return QueryFormat(handle, varName, false, writeType, writeDec, writeWid);
}

XOVA_API int XOVA_CALL xovaGetVarLabel(int handle, const char* varName, char* varLabel) noexcept {
  return QueryLabel(handle, varName, varLabel, kShortLabelBuffer, nullptr);
}

XOVA_API int XOVA_CALL xovaGetVarLabelLong(int handle, const char* varName, char* labelBuff,
                                           int lenBuff, int* lenLabel) noexcept {
  return QueryLabel(handle, varName, labelBuff, lenBuff, lenLabel);
}

XOVA_API int XOVA_CALL xovaGetVarHandle(int handle, const char* varName,
                                        double* varHandle) noexcept {
  FileState* fs = nullptr;
  VariableRecord* var = nullptr;
  if (int rc = LookupCommitted(handle, varName, &fs, &var)) return rc;
  StoreOut(varHandle, EncodeVarHandle(var->position, var->type));
  return XOVA_OK;
}

}  // extern "C"
