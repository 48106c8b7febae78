#include "frame/process_settings.h"

#include <clocale>
#include <new>

#include "frame/api_guard.h"
#include "xovaio32.h"

namespace xova {
namespace {

// Unsynchronised by design: callers don't change settings while other calls run.
std::string* g_tempDir = nullptr;

bool IsKnownCategory(int category) {
  switch (category) {
    case LC_ALL:
    case LC_COLLATE:
    case LC_CTYPE:
    case LC_MONETARY:
    case LC_NUMERIC:
    case LC_TIME:
#if defined(LC_MESSAGES)
    case LC_MESSAGES:
#endif
      return true;
    default:
      return false;
  }
}

}  // namespace

bool TempDirectory(std::string* dir) {
  if (!g_tempDir) return false;
  *dir = *g_tempDir;
  return true;
}

void ApplyLoadTimeLocale() {
  std::setlocale(LC_ALL, "");
}

}  // namespace xova

extern "C" {

XOVA_API int XOVA_CALL xovaSetTempDir(const char* dirName) noexcept {
  delete xova::g_tempDir;
  xova::g_tempDir = nullptr;
  if (!dirName) return XOVA_OK;
  xova::g_tempDir = new (std::nothrow) std::string();
  if (!xova::g_tempDir) return XOVA_OUT_OF_MEMORY;
  int rc = xova::Guarded([&] {
    xova::g_tempDir->assign(dirName);
    return XOVA_OK;
  });
  if (rc != XOVA_OK) {
    delete xova::g_tempDir;
    xova::g_tempDir = nullptr;
  }
  return rc;
}

// A null locale name asks for the locale in force without changing it, as
// setlocale does. Unknown categories are refused here: some runtimes abort on them.
XOVA_API const char* XOVA_CALL xovaSetLocale(int category, const char* locale) noexcept {
  if (!xova::IsKnownCategory(category)) return nullptr;
  return std::setlocale(category, locale);
}

}  // extern "C"
