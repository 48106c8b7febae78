/* Several threads, each writing and reading back its own files, with no
   library code at all: the shape of the library's concurrency test. Under
   qemu's user-mode emulation of 32-bit wine this dies as that test does
   ("wine client error: ... partial wakeup read 0", "write: Bad file
   descriptor", then a segmentation fault), while it runs clean under 64-bit
   wine and natively. So the emulated run leaves that one test out (see
   scripts/windows). With one worker thread (argument 1) it runs clean
   under the emulator too. Built by hand:
     i686-w64-mingw32-gcc -O2 -o thread_probe.exe thread_probe.c
     scripts/i386-root scripts/wine-run ./thread_probe.exe [THREADS] */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

enum { kThreads = 4, kFiles = 20, kBlocks = 200 };

static DWORD WINAPI Work(LPVOID arg) {
  int id = (int)(INT_PTR)arg;
  char name[64], block[4096];
  memset(block, 'a' + id, sizeof block);
  for (int f = 0; f < kFiles; ++f) {
    snprintf(name, sizeof name, "thread_probe_%d_%d.tmp", id, f);
    FILE* out = fopen(name, "wb");
    if (!out) return 1;
    for (int b = 0; b < kBlocks; ++b) fwrite(block, 1, sizeof block, out);
    fclose(out);
    FILE* in = fopen(name, "rb");
    if (!in) return 1;
    size_t total = 0, n;
    while ((n = fread(block, 1, sizeof block, in)) > 0) total += n;
    fclose(in);
    remove(name);
    if (total != sizeof block * kBlocks) return 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  HANDLE threads[kThreads];
  int count = argc > 1 ? atoi(argv[1]) : kThreads;
  if (count < 1 || count > kThreads) return 2;
  for (int i = 0; i < count; ++i) {
    threads[i] = CreateThread(NULL, 0, Work, (LPVOID)(INT_PTR)i, 0, NULL);
    if (!threads[i]) return 2;
  }
  WaitForMultipleObjects((DWORD)count, threads, TRUE, INFINITE);
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    DWORD rc = 1;
    GetExitCodeThread(threads[i], &rc);
    failed += rc != 0;
    CloseHandle(threads[i]);
  }
  printf("thread_probe: %d threads, %d failed\n", count, failed);
  return failed != 0;
}
