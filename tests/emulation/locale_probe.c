/* What the UTF-8 tests do around their skip: the user's locale, four UTF-8
   names tried, the saved name restored. Prints each step, so a run shows where
   it stops. */
#include <locale.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
  static const char* const names[] = {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"};
  char saved[512];
  /* "c": stay in the C locale, as the test programs do. */
  const char* cur = (argc > 1 && strcmp(argv[1], "c") == 0) ? setlocale(LC_ALL, NULL) : setlocale(LC_ALL, "");
  printf("locale_probe: user locale %s\n", cur ? cur : "(null)");
  fflush(stdout);
  cur = setlocale(LC_ALL, NULL);
  snprintf(saved, sizeof saved, "%s", cur ? cur : "C");
  for (int round = 0; round < 3; ++round) {
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
      const char* r = setlocale(LC_ALL, names[i]);
      printf("locale_probe: %s -> %s\n", names[i], r ? r : "(null)");
      fflush(stdout);
    }
    const char* r = setlocale(LC_ALL, saved);
    printf("locale_probe: restore %s -> %s\n", saved, r ? r : "(null)");
    fflush(stdout);
  }
  printf("locale_probe: 1 passed, 0 failed\n");
  return 0;
}
