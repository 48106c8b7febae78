// Hands a variable's short name to the caller.
#include <cstring>

#include "dict/dictionary.h"
#include "dict/short_names.h"
#include "frame/entry_checks.h"
#include "xovaio32.h"

namespace xova {
namespace {

// The caller's buffer holds 9 bytes: never copy more, whatever the record holds.
void CopyShortName(char* dst, const VariableRecord& var) {
  if (!dst) return;
  std::size_t n = 0;
  while (n < kShortNameLength && var.shortName[n] != '\0') ++n;
  std::memcpy(dst, var.shortName, n);
  dst[n] = '\0';
}

}  // namespace
}  // namespace xova

extern "C" XOVA_API int XOVA_CALL xovaGetVarCompatName(int handle, const char* longName,
                                                       char* shortName) noexcept {
  xova::FileState* fs = nullptr;
  if (int rc = xova::CheckCommitted(handle, &fs)) return rc;
  const xova::VariableRecord* var = xova::FindVariable(fs->dict, longName);
  if (!var) return XOVA_NO_SUCH_VARIABLE;
  xova::CopyShortName(shortName, *var);
  return XOVA_OK;
}
