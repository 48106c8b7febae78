#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/temp_file.h"

#include "platform/fault_injection.h"

namespace xova {
namespace platform {
namespace {

// The buffer size both system calls are documented with.
constexpr DWORD kPathBuffer = MAX_PATH;

}  // namespace

// GetTempFileNameA with a unique number of 0 tries numbers until it creates a
// new file, so an existing file is never reused. The path's storage is
// reserved before the file exists: storing the name cannot fail afterwards
// and leave a file behind.
bool CreateUniqueFile(const std::string& dir, const char* prefix, std::string* path) {
  if (dir.empty() || !path) return false;
  if (FaultHits(FaultKind::kTempFile, nullptr)) return false;
  std::string candidate;
  candidate.reserve(kPathBuffer);
  char name[kPathBuffer] = {};
  if (GetTempFileNameA(dir.c_str(), prefix ? prefix : "", 0, name) == 0) return false;
  candidate.assign(name);
  path->swap(candidate);
  return true;
}

// The system's answer ends with a backslash. A length of 0 is a failure, one
// of the buffer's size or more the size it would have needed.
bool SystemTempDirectory(std::string* dir) {
  char name[kPathBuffer] = {};
  const DWORD length = GetTempPathA(kPathBuffer, name);
  if (length == 0 || length >= kPathBuffer) return false;
  dir->assign(name, length);
  return true;
}

bool RemoveFile(const char* path) {
  return path && *path && DeleteFileA(path) != 0;
}

}  // namespace platform
}  // namespace xova
