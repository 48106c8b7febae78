/* The call in which the 32-bit test programs die under qemu's user-mode
   emulation: OutputDebugStringA raises DBG_PRINTEXCEPTION_C and unwinds it,
   and there, traced with XOVA_WINEDEBUG=+seh, wine's unwinding dies
   ("segv_handler Got unexpected trap -1", then an illegal instruction).
   This probe alone runs clean under the emulator, as under wine on 64 bits:
   what else the test programs have on the stack matters, so it is kept to
   rule the plain call out. Built by hand:
     i686-w64-mingw32-gcc -o debug_print_probe.exe debug_print_probe.c
     scripts/i386-root scripts/wine-run ./debug_print_probe.exe */
#include <stdio.h>
#include <windows.h>

int main(void) {
  printf("before OutputDebugStringA\n");
  fflush(stdout);
  OutputDebugStringA("probe\n");
  printf("after OutputDebugStringA\n");
  return 0;
}
