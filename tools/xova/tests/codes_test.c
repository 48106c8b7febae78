/* The result-code names and messages, compiled as C against the header alone. */
#include <stdio.h>
#include <string.h>

#include "xovaio32_codes.h"

static int passed, failed;

#define EXPECT_NAME(code)                                                        \
  do {                                                                           \
    if (strcmp(xovaResultName(code), #code) == 0 && xovaResultMessage(code)[0])  \
      ++passed;                                                                  \
    else {                                                                       \
      ++failed;                                                                  \
      printf("wrong name or message for %s: %s\n", #code, xovaResultName(code)); \
    }                                                                            \
  } while (0)

int main(void) {
  EXPECT_NAME(XOVA_OK);
  EXPECT_NAME(XOVA_FILE_OPEN_ERROR);
  EXPECT_NAME(XOVA_FILE_WRITE_ERROR);
  EXPECT_NAME(XOVA_FILE_READ_ERROR);
  EXPECT_NAME(XOVA_TABLE_FULL);
  EXPECT_NAME(XOVA_BAD_HANDLE);
  EXPECT_NAME(XOVA_BAD_FILE);
  EXPECT_NAME(XOVA_OUT_OF_MEMORY);
  EXPECT_NAME(XOVA_OPEN_FOR_READ);
  EXPECT_NAME(XOVA_OPEN_FOR_WRITE);
  EXPECT_NAME(XOVA_BAD_VARIABLE_NAME);
  EXPECT_NAME(XOVA_EMPTY_DICTIONARY);
  EXPECT_NAME(XOVA_NO_SUCH_VARIABLE);
  EXPECT_NAME(XOVA_DUPLICATE_VARIABLE);
  EXPECT_NAME(XOVA_NOT_NUMERIC);
  EXPECT_NAME(XOVA_NOT_STRING);
  EXPECT_NAME(XOVA_STRING_TOO_WIDE);
  EXPECT_NAME(XOVA_BAD_VARIABLE_TYPE);
  EXPECT_NAME(XOVA_BAD_MISSING_FORMAT);
  EXPECT_NAME(XOVA_BAD_COMPRESSION_SWITCH);
  EXPECT_NAME(XOVA_BAD_PRINT_FORMAT);
  EXPECT_NAME(XOVA_BAD_WRITE_FORMAT);
  EXPECT_NAME(XOVA_BAD_DATE);
  EXPECT_NAME(XOVA_BAD_TIME);
  EXPECT_NAME(XOVA_EMPTY_VARIABLE_LIST);
  EXPECT_NAME(XOVA_DUPLICATE_VALUE);
  EXPECT_NAME(XOVA_BAD_WEIGHT_VARIABLE);
  EXPECT_NAME(XOVA_ALREADY_COMMITTED);
  EXPECT_NAME(XOVA_NOT_COMMITTED);
  EXPECT_NAME(XOVA_NO_VARIABLE_RECORD);
  EXPECT_NAME(XOVA_NO_RELEASE_INFO);
  EXPECT_NAME(XOVA_UNEXPECTED_RECORD);
  EXPECT_NAME(XOVA_BAD_STRING_VALUE);
  EXPECT_NAME(XOVA_BAD_FREE_ARGS);
  EXPECT_NAME(XOVA_BUFFER_TOO_SMALL);
  EXPECT_NAME(XOVA_NO_CASE_DATA);
  EXPECT_NAME(XOVA_BAD_LABEL_SET);
  EXPECT_NAME(XOVA_APPEND_REFUSED);
  EXPECT_NAME(XOVA_BAD_CASE_DATA);
  EXPECT_NAME(XOVA_TEMP_FILE_ERROR);
  EXPECT_NAME(XOVA_QEB_NEXT_WITHOUT_FIRST);
  EXPECT_NAME(XOVA_MEASURE_LEVEL_OUT_OF_RANGE);
  EXPECT_NAME(XOVA_SUBTYPE_OUT_OF_RANGE);
  EXPECT_NAME(XOVA_MRSET_TEXT_MALFORMED);
  EXPECT_NAME(XOVA_MRSET_BAD_NAME);
  EXPECT_NAME(XOVA_MRSET_NAME_TAKEN);
  EXPECT_NAME(XOVA_BAD_EXT_INDEX);
  EXPECT_NAME(XOVA_TRUNCATED);
  EXPECT_NAME(XOVA_VAR_LABEL_TRUNCATED);
  EXPECT_NAME(XOVA_LABEL_TRUNCATED);
  EXPECT_NAME(XOVA_END_OF_DATA);
  EXPECT_NAME(XOVA_VARSETS_ABSENT);
  EXPECT_NAME(XOVA_NO_VALUE_LABELS);
  EXPECT_NAME(XOVA_LABEL_ABSENT);
  EXPECT_NAME(XOVA_WEIGHT_ABSENT);
  EXPECT_NAME(XOVA_DATE_INFO_ABSENT);
  EXPECT_NAME(XOVA_MRSETS_ABSENT);
  EXPECT_NAME(XOVA_QEB_ABSENT);
  /* Numbers that are no code. */
  if (strcmp(xovaResultName(25), "XOVA_UNKNOWN") == 0 &&
      strcmp(xovaResultName(-3), "XOVA_UNKNOWN") == 0)
    ++passed;
  else
    ++failed;
  printf("codes_test: %d passed, %d failed\n", passed, failed);
  return failed != 0;
}
