// File-level settings of a file being written: the file label and compression.
#include <cstring>

#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaSetIdString(int handle, const char* idString) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  const char* text = OrEmpty(idString);
  const std::size_t n = CopyCut(fs->idString, text, kIdStringLength);
  return text[n] != '\0' ? XOVA_TRUNCATED : XOVA_OK;
}

XOVA_API int XOVA_CALL xovaSetCompression(int handle, int compSwitch) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  if (compSwitch != 0 && compSwitch != 1) return XOVA_BAD_COMPRESSION_SWITCH;
  fs->compression = compSwitch;
  return XOVA_OK;
}

}  // extern "C"
