/* Compiled as C and linked against the shared library alone: the public
 * header must stand on its own for C callers. */
#include <stdio.h>
#include <string.h>

#include "xovaio32.h"

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

int main(void) {
  double sysmis = 0.0, lowest = 0.0, highest = 0.0;
  unsigned char bits[8];
  double date = 1.0;
  int day = 0, month = 0, year = 0;

  xovaHostSysmisVal(&sysmis);
  memcpy(bits, &sysmis, 8);
  check(bits[7] == 0xFF && bits[6] == 0xEF && bits[0] == 0xFF, "sysmis bit pattern");
  check(xovaSysmisVal() == sysmis, "xovaSysmisVal equals xovaHostSysmisVal");
  xovaLowHighVal(&lowest, &highest);
  check(lowest > sysmis && highest > 0.0, "lowest and highest");
  check(xovaValidateVarname("age") == XOVA_NAME_VALID, "valid name");
  check(xovaValidateVarname("with") == XOVA_NAME_RESERVED_WORD, "reserved word");
  check(xovaGetCompression(-1, NULL) == XOVA_BAD_HANDLE, "bad handle");
  check(xovaConvertDate(1, 1, 2000, &date) == XOVA_OK && date == 13166064000.0, "date");
  check(xovaConvertXOVADate(&day, &month, &year, date) == XOVA_OK && day == 1 && month == 1 &&
            year == 2000,
        "date back");
  printf("c_header_test: %d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
