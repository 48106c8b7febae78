/* Force-included into GoogleTest's own sources in Windows builds only.
   GoogleTest echoes every skip and failure message to the debugger with
   OutputDebugStringA, which raises DBG_PRINTEXCEPTION_C and unwinds it.
   Under qemu's user-mode emulation of 32-bit wine that unwind breaks
   ("segv_handler Got unexpected trap -1", then an illegal instruction, or
   later a lost wineserver connection), so the first skipped test ended its
   whole program. The text is on stdout already; the test programs lose only
   the debugger's copy. The library is untouched. */
#ifndef XOVA_GTEST_NO_DEBUG_PRINT_H
#define XOVA_GTEST_NO_DEBUG_PRINT_H
#if defined(_WIN32) && defined(__cplusplus)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

inline void XovaTestNoDebugPrint(const char*) {}

/* After <windows.h>, so only the call sites see the rename. */
#define OutputDebugStringA XovaTestNoDebugPrint
#endif
#endif
