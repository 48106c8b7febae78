// GoogleTest on Windows echoes every failure and skip message with
// OutputDebugStringA, which raises DBG_PRINTEXCEPTION_C and unwinds it.
// Under qemu's user-mode emulation of a 32-bit wine that unwind dies
// ("segv_handler Got unexpected trap -1", then an illegal instruction), so
// the first skipped test killed its whole program. When
// XOVA_EMULATED_DEBUG_PRINT is set (scripts/windows sets it for the emulated
// run only), a first handler ends that exception where it is raised: the
// text is on stdout already, and a debugger still sees it first.
#if defined(_WIN32)
#include <windows.h>

#include <cstdlib>

namespace {

#ifndef DBG_PRINTEXCEPTION_C
#define DBG_PRINTEXCEPTION_C 0x40010006L
#endif

LONG CALLBACK ContinueAfterDebugPrint(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode == static_cast<DWORD>(DBG_PRINTEXCEPTION_C)) {
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

const bool g_installed = [] {
  const char* on = std::getenv("XOVA_EMULATED_DEBUG_PRINT");
  return on && *on == '1' && AddVectoredExceptionHandler(1, ContinueAfterDebugPrint) != nullptr;
}();

}  // namespace
#endif
