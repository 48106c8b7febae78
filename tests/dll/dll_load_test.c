/* Loads the built DLL the way a Windows caller does, by name at run time,
 * and calls through the exported names: the plain ones everywhere and, on
 * 32-bit Windows, the standard-call decorated ones. Also checks what the DLL
 * does when it is loaded into a process. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <locale.h>
#include <stdio.h>
#include <string.h>

static int passed = 0;
static int failed = 0;

static void check(int ok, const char* what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    printf("FAILED: %s\n", what);
  }
}

typedef double(__stdcall* SysmisFn)(void);
typedef int(__stdcall* ValidateFn)(const char*);
typedef int(__stdcall* ConvertDateFn)(int, int, int, double*);
typedef int(__stdcall* ConvertXovaTimeFn)(int*, int*, int*, double*, double);

/* The function under its plain name; on 32-bit Windows the decorated name
 * must lead to the same code. */
static FARPROC Lookup(HMODULE dll, const char* plain, const char* decorated) {
  FARPROC p = GetProcAddress(dll, plain);
  FARPROC d = GetProcAddress(dll, decorated);
  char what[128];
  snprintf(what, sizeof what, "%s exported", plain);
  check(p != NULL, what);
#if defined(_WIN64)
  snprintf(what, sizeof what, "no decorated %s on 64-bit Windows", decorated);
  check(d == NULL, what);
#else
  snprintf(what, sizeof what, "%s is the same function", decorated);
  check(d != NULL && d == p, what);
#endif
  return p;
}

static void CheckLoadTimeLocale(const char* before, const char* after) {
  char loaded[256];
  const char* userDefault;
  check(strcmp(before, "C") == 0, "a program starts in the C locale");
  snprintf(loaded, sizeof loaded, "%s", after);
  userDefault = setlocale(LC_ALL, "");
  check(userDefault != NULL && strcmp(loaded, userDefault) == 0,
        "loading the DLL selects the user's default locale");
  if (userDefault && strcmp(userDefault, "C") == 0) {
    printf("note: the user's default locale is C; the locale check cannot tell\n");
  }
}

static void CheckCalls(HMODULE dll) {
  SysmisFn sysmis = (SysmisFn)(void (*)(void))Lookup(dll, "xovaSysmisVal", "xovaSysmisVal@0");
  ValidateFn validate =
      (ValidateFn)(void (*)(void))Lookup(dll, "xovaValidateVarname", "xovaValidateVarname@4");
  ConvertDateFn convertDate =
      (ConvertDateFn)(void (*)(void))Lookup(dll, "xovaConvertDate", "xovaConvertDate@16");
  ConvertXovaTimeFn convertTime = (ConvertXovaTimeFn)(void (*)(void))Lookup(
      dll, "xovaConvertXOVATime", "xovaConvertXOVATime@24");
  double date = 0.0, seconds = 0.0;
  int days = 0, hours = 0, minutes = 0;
  unsigned char bits[8];
  if (!sysmis || !validate || !convertDate || !convertTime) return;
  {
    double value = sysmis();
    memcpy(bits, &value, sizeof bits);
  }
  check(bits[7] == 0xFF && bits[6] == 0xEF && bits[0] == 0xFF, "sysmis through the DLL");
  check(validate("age") == 0 && validate("with") != 0, "name check through the DLL");
  /* Integers and a double in one argument list: a wrong calling convention
   * or argument size shows up as wrong values or a broken stack. */
  check(convertDate(1, 1, 2000, &date) == 0 && date == 13166064000.0, "date through the DLL");
  check(convertTime(&days, &hours, &minutes, &seconds, 93784.5) == 0 && days == 1 && hours == 2 &&
            minutes == 3 && seconds == 4.5,
        "time through the DLL");
}

int main(void) {
  char before[256];
  HMODULE dll;
  snprintf(before, sizeof before, "%s", setlocale(LC_ALL, NULL));
  dll = LoadLibraryA("xovaio32.dll");
  check(dll != NULL, "xovaio32.dll loads");
  if (dll) {
    CheckLoadTimeLocale(before, setlocale(LC_ALL, NULL));
    check(GetProcAddress(dll, "DllMain") == NULL, "DllMain is not exported");
    CheckCalls(dll);
    check(FreeLibrary(dll) != 0, "xovaio32.dll unloads");
  }
  printf("dll_load_test: %d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
