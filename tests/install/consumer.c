/* A caller's program, built out of the tree against an installed xovaio32
 * (scripts/package-check). It writes a file, reads it back and prints
 *   consumer: version V, locale L, 3 cases read back
 * where V comes from the version header and L is the locale in force when
 * main starts: the library sets the user's default locale when it is loaded,
 * linked statically or not.
 *
 *   consumer FILE */
#include <locale.h>
#include <stdio.h>
#include <string.h>

#include <xovaio32.h>
#include <xovaio32_version.h>

#if !defined(XOVAIO32_VERSION_MAJOR) || !defined(XOVAIO32_VERSION_MINOR) || \
    !defined(XOVAIO32_VERSION_PATCH) || !defined(XOVAIO32_VERSION)
#error "xovaio32_version.h lacks a version macro"
#endif

#define CASES 3

static int failed(int rc, const char* what) {
  if (rc > 0) fprintf(stderr, "consumer: %s failed with code %d\n", what, rc);
  return rc > 0;
}

static int write_file(const char* path) {
  int h = -1, i;
  double age, town;
  static const char* towns[CASES] = {"North", "South", "East"};
  if (failed(xovaOpenWrite(path, &h), "xovaOpenWrite")) return 1;
  if (failed(xovaSetVarName(h, "age", 0), "xovaSetVarName age") ||
      failed(xovaSetVarName(h, "town", 8), "xovaSetVarName town") ||
      failed(xovaCommitHeader(h), "xovaCommitHeader")) {
    xovaCloseWrite(h);
    return 1;
  }
  if (failed(xovaGetVarHandle(h, "age", &age), "xovaGetVarHandle age") ||
      failed(xovaGetVarHandle(h, "town", &town), "xovaGetVarHandle town")) {
    xovaCloseWrite(h);
    return 1;
  }
  for (i = 0; i < CASES; ++i) {
    if (failed(xovaSetValueNumeric(h, age, 40.0 + i), "xovaSetValueNumeric") ||
        failed(xovaSetValueChar(h, town, towns[i]), "xovaSetValueChar") ||
        failed(xovaCommitCaseRecord(h), "xovaCommitCaseRecord")) {
      xovaCloseWrite(h);
      return 1;
    }
  }
  return failed(xovaCloseWrite(h), "xovaCloseWrite");
}

static int read_file(const char* path, int* read_back) {
  int h = -1, n = 0, rc;
  double age, town, value;
  char text[9];
  static const char* towns[CASES] = {"North", "South", "East"};
  if (failed(xovaOpenRead(path, &h), "xovaOpenRead")) return 1;
  if (failed(xovaGetNumberofCases(h, &n), "xovaGetNumberofCases") || n != CASES ||
      failed(xovaGetVarHandle(h, "age", &age), "xovaGetVarHandle age") ||
      failed(xovaGetVarHandle(h, "town", &town), "xovaGetVarHandle town")) {
    fprintf(stderr, "consumer: %s: %d cases, expected %d\n", path, n, CASES);
    xovaCloseRead(h);
    return 1;
  }
  *read_back = 0;
  while ((rc = xovaReadCaseRecord(h)) == XOVA_OK) {
    int i = *read_back;
    if (i >= CASES || failed(xovaGetValueNumeric(h, age, &value), "xovaGetValueNumeric") ||
        failed(xovaGetValueChar(h, town, text, (int)sizeof text), "xovaGetValueChar")) {
      xovaCloseRead(h);
      return 1;
    }
    /* String values come back padded with blanks to the width. */
    if (value != 40.0 + i || strncmp(text, towns[i], strlen(towns[i])) != 0) {
      fprintf(stderr, "consumer: case %d reads %g '%s'\n", i + 1, value, text);
      xovaCloseRead(h);
      return 1;
    }
    ++*read_back;
  }
  if (rc != XOVA_END_OF_DATA) fprintf(stderr, "consumer: reading stopped with code %d\n", rc);
  return failed(xovaCloseRead(h), "xovaCloseRead") || rc != XOVA_END_OF_DATA || *read_back != CASES;
}

int main(int argc, char** argv) {
  const char* locale = setlocale(LC_ALL, NULL);
  char expected[32];
  int read_back = 0;
  if (argc != 2) {
    fprintf(stderr, "usage: consumer FILE\n");
    return 2;
  }
  snprintf(expected, sizeof expected, "%d.%d.%d", XOVAIO32_VERSION_MAJOR, XOVAIO32_VERSION_MINOR,
           XOVAIO32_VERSION_PATCH);
  if (strcmp(expected, XOVAIO32_VERSION) != 0) {
    fprintf(stderr, "consumer: XOVAIO32_VERSION is %s, the numbers say %s\n", XOVAIO32_VERSION,
            expected);
    return 1;
  }
  printf("consumer: version %s, locale %s\n", XOVAIO32_VERSION, locale ? locale : "(none)");
  if (write_file(argv[1]) || read_file(argv[1], &read_back)) return 1;
  printf("consumer: %d cases read back\n", read_back);
  return 0;
}
