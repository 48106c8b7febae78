// Process-wide settings: the directory for temporary files and the locale.
#ifndef XOVA_FRAME_PROCESS_SETTINGS_H
#define XOVA_FRAME_PROCESS_SETTINGS_H

#include <string>

namespace xova {

// The directory set by xovaSetTempDir; false when none is set.
bool TempDirectory(std::string* dir);

// Selects the user's default locale, as the library does when it is loaded.
void ApplyLoadTimeLocale();

}  // namespace xova

#endif
