// Stands in for the process-attach notification of a dynamic library.
#include "frame/process_settings.h"

namespace {

__attribute__((constructor)) void OnLibraryLoad() {
  xova::ApplyLoadTimeLocale();
}

}  // namespace

// Callers of the static library reference this (the link option of its CMake
// package and pkg-config file does), so the linker keeps this object and its
// load-time setting as it would come with the shared library.
extern "C" const char xovaio32_load_anchor = 0;
