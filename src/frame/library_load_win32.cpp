// The process-attach notification of the DLL. Programs that link the
// library's objects directly (the tests) receive no notification; they get the
// same setting while their statics are initialised, as on other systems.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "frame/process_settings.h"

namespace {

bool LinkedIntoProgram() {
  HMODULE self = nullptr;
  const DWORD flags =
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExA(flags, reinterpret_cast<LPCSTR>(&LinkedIntoProgram), &self)) {
    return false;
  }
  return self == GetModuleHandleA(nullptr);
}

struct ProgramLoad {
  ProgramLoad() {
    if (LinkedIntoProgram()) xova::ApplyLoadTimeLocale();
  }
} g_programLoad;

}  // namespace

// Callers of the static library reference this (the link option of its CMake
// package and pkg-config file does), so the linker keeps this object and its
// load-time setting as it would come with the shared library.
extern "C" const char xovaio32_load_anchor = 0;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) xova::ApplyLoadTimeLocale();
  return TRUE;
}
