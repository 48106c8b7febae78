/* The smallest program that shows what ended the 32-bit test programs under
   qemu's user-mode emulation: OutputDebugStringA raises DBG_PRINTEXCEPTION_C
   and unwinds it, and there wine's unwinding dies ("segv_handler Got unexpected
   trap -1", then an illegal instruction). Under wine on a kernel that runs
   32-bit programs, or 64-bit, it prints both lines. Built by hand:
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
