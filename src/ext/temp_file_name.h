// Names and creates the temporary file of a spilled block.
#ifndef XOVA_EXT_TEMP_FILE_NAME_H
#define XOVA_EXT_TEMP_FILE_NAME_H

#include <string>

namespace xova {

constexpr const char* kTempPrefixSetDir = "dio";
constexpr const char* kTempPrefixSystemDir = "xov";

// Creates a new empty file in the directory set by xovaSetTempDir (prefix
// "dio"); when none is set or that fails, in the system's temporary
// directory (prefix "xov"). Stores its path: 0, or XOVA_TEMP_FILE_ERROR
// (also when memory runs out) with `path` unchanged.
int MakeTempFile(std::string* path) noexcept;

}  // namespace xova

#endif
