#include "ext/temp_file_name.h"

#include "frame/process_settings.h"
#include "platform/temp_file.h"
#include "xovaio32.h"

namespace xova {
namespace {

bool CreateInSetDirectory(std::string* path) {
  std::string dir;
  return TempDirectory(&dir) && platform::CreateUniqueFile(dir, kTempPrefixSetDir, path);
}

bool CreateInSystemDirectory(std::string* path) {
  std::string dir;
  return platform::SystemTempDirectory(&dir) &&
         platform::CreateUniqueFile(dir, kTempPrefixSystemDir, path);
}

// A name that cannot be allocated counts as a failed attempt. CreateUniqueFile
// stores the path only once the file exists and cannot throw after creating
// it, so a failed allocation leaves no file behind.
template <class Attempt>
bool Try(Attempt attempt, std::string* path) noexcept {
  try {
    return attempt(path);
  } catch (...) {
    return false;
  }
}

}  // namespace

int MakeTempFile(std::string* path) noexcept {
  if (Try(CreateInSetDirectory, path)) return XOVA_OK;
  if (Try(CreateInSystemDirectory, path)) return XOVA_OK;
  return XOVA_TEMP_FILE_ERROR;
}

}  // namespace xova
