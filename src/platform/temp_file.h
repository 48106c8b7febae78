// Unique temporary files.
#ifndef XOVA_PLATFORM_TEMP_FILE_H
#define XOVA_PLATFORM_TEMP_FILE_H

#include <string>

namespace xova {
namespace platform {

// Creates a new, empty file in `dir` whose name begins with `prefix` and
// stores its path. An existing file is never reused or clobbered. False on
// failure.
bool CreateUniqueFile(const std::string& dir, const char* prefix, std::string* path);

// The system's directory for temporary files.
bool SystemTempDirectory(std::string* dir);

// Deletes a file; false when it could not be deleted.
bool RemoveFile(const char* path);

}  // namespace platform
}  // namespace xova

#endif
