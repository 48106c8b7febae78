/* xovaio32: the names of the result codes and a one-line message for each.
 *
 * Inline functions only: nothing here is exported by the library, so the
 * header can be used with any build of it. Compiles as C and as C++. */
#ifndef XOVAIO32_CODES_H
#define XOVAIO32_CODES_H

#include "xovaio32.h"

#if defined(__cplusplus)
#define XOVA_CODES_INLINE inline
#else
#define XOVA_CODES_INLINE static inline
#endif

/* The name of a result code, e.g. "XOVA_BAD_FILE"; "XOVA_UNKNOWN" for a number
 * that is no result code. */
XOVA_CODES_INLINE const char* xovaResultName(int code) {
  switch (code) {
    case XOVA_OK:
      return "XOVA_OK";
    case XOVA_FILE_OPEN_ERROR:
      return "XOVA_FILE_OPEN_ERROR";
    case XOVA_FILE_WRITE_ERROR:
      return "XOVA_FILE_WRITE_ERROR";
    case XOVA_FILE_READ_ERROR:
      return "XOVA_FILE_READ_ERROR";
    case XOVA_TABLE_FULL:
      return "XOVA_TABLE_FULL";
    case XOVA_BAD_HANDLE:
      return "XOVA_BAD_HANDLE";
    case XOVA_BAD_FILE:
      return "XOVA_BAD_FILE";
    case XOVA_OUT_OF_MEMORY:
      return "XOVA_OUT_OF_MEMORY";
    case XOVA_OPEN_FOR_READ:
      return "XOVA_OPEN_FOR_READ";
    case XOVA_OPEN_FOR_WRITE:
      return "XOVA_OPEN_FOR_WRITE";
    case XOVA_BAD_VARIABLE_NAME:
      return "XOVA_BAD_VARIABLE_NAME";
    case XOVA_EMPTY_DICTIONARY:
      return "XOVA_EMPTY_DICTIONARY";
    case XOVA_NO_SUCH_VARIABLE:
      return "XOVA_NO_SUCH_VARIABLE";
    case XOVA_DUPLICATE_VARIABLE:
      return "XOVA_DUPLICATE_VARIABLE";
    case XOVA_NOT_NUMERIC:
      return "XOVA_NOT_NUMERIC";
    case XOVA_NOT_STRING:
      return "XOVA_NOT_STRING";
    case XOVA_STRING_TOO_WIDE:
      return "XOVA_STRING_TOO_WIDE";
    case XOVA_BAD_VARIABLE_TYPE:
      return "XOVA_BAD_VARIABLE_TYPE";
    case XOVA_BAD_MISSING_FORMAT:
      return "XOVA_BAD_MISSING_FORMAT";
    case XOVA_BAD_COMPRESSION_SWITCH:
      return "XOVA_BAD_COMPRESSION_SWITCH";
    case XOVA_BAD_PRINT_FORMAT:
      return "XOVA_BAD_PRINT_FORMAT";
    case XOVA_BAD_WRITE_FORMAT:
      return "XOVA_BAD_WRITE_FORMAT";
    case XOVA_BAD_DATE:
      return "XOVA_BAD_DATE";
    case XOVA_BAD_TIME:
      return "XOVA_BAD_TIME";
    case XOVA_EMPTY_VARIABLE_LIST:
      return "XOVA_EMPTY_VARIABLE_LIST";
    case XOVA_DUPLICATE_VALUE:
      return "XOVA_DUPLICATE_VALUE";
    case XOVA_BAD_WEIGHT_VARIABLE:
      return "XOVA_BAD_WEIGHT_VARIABLE";
    case XOVA_ALREADY_COMMITTED:
      return "XOVA_ALREADY_COMMITTED";
    case XOVA_NOT_COMMITTED:
      return "XOVA_NOT_COMMITTED";
    case XOVA_NO_VARIABLE_RECORD:
      return "XOVA_NO_VARIABLE_RECORD";
    case XOVA_NO_RELEASE_INFO:
      return "XOVA_NO_RELEASE_INFO";
    case XOVA_UNEXPECTED_RECORD:
      return "XOVA_UNEXPECTED_RECORD";
    case XOVA_BAD_STRING_VALUE:
      return "XOVA_BAD_STRING_VALUE";
    case XOVA_BAD_FREE_ARGS:
      return "XOVA_BAD_FREE_ARGS";
    case XOVA_BUFFER_TOO_SMALL:
      return "XOVA_BUFFER_TOO_SMALL";
    case XOVA_NO_CASE_DATA:
      return "XOVA_NO_CASE_DATA";
    case XOVA_BAD_LABEL_SET:
      return "XOVA_BAD_LABEL_SET";
    case XOVA_APPEND_REFUSED:
      return "XOVA_APPEND_REFUSED";
    case XOVA_BAD_CASE_DATA:
      return "XOVA_BAD_CASE_DATA";
    case XOVA_TEMP_FILE_ERROR:
      return "XOVA_TEMP_FILE_ERROR";
    case XOVA_QEB_NEXT_WITHOUT_FIRST:
      return "XOVA_QEB_NEXT_WITHOUT_FIRST";
    case XOVA_MEASURE_LEVEL_OUT_OF_RANGE:
      return "XOVA_MEASURE_LEVEL_OUT_OF_RANGE";
    case XOVA_SUBTYPE_OUT_OF_RANGE:
      return "XOVA_SUBTYPE_OUT_OF_RANGE";
    case XOVA_MRSET_TEXT_MALFORMED:
      return "XOVA_MRSET_TEXT_MALFORMED";
    case XOVA_MRSET_BAD_NAME:
      return "XOVA_MRSET_BAD_NAME";
    case XOVA_MRSET_NAME_TAKEN:
      return "XOVA_MRSET_NAME_TAKEN";
    case XOVA_BAD_EXT_INDEX:
      return "XOVA_BAD_EXT_INDEX";
    case XOVA_TRUNCATED:
      return "XOVA_TRUNCATED";
    case XOVA_VAR_LABEL_TRUNCATED:
      return "XOVA_VAR_LABEL_TRUNCATED";
    case XOVA_LABEL_TRUNCATED:
      return "XOVA_LABEL_TRUNCATED";
    case XOVA_END_OF_DATA:
      return "XOVA_END_OF_DATA";
    case XOVA_VARSETS_ABSENT:
      return "XOVA_VARSETS_ABSENT";
    case XOVA_NO_VALUE_LABELS:
      return "XOVA_NO_VALUE_LABELS";
    case XOVA_LABEL_ABSENT:
      return "XOVA_LABEL_ABSENT";
    case XOVA_WEIGHT_ABSENT:
      return "XOVA_WEIGHT_ABSENT";
    case XOVA_DATE_INFO_ABSENT:
      return "XOVA_DATE_INFO_ABSENT";
    case XOVA_MRSETS_ABSENT:
      return "XOVA_MRSETS_ABSENT";
    case XOVA_QEB_ABSENT:
      return "XOVA_QEB_ABSENT";
    default:
      return "XOVA_UNKNOWN";
  }
}

/* A one-line description of a result code, without a final full stop. */
XOVA_CODES_INLINE const char* xovaResultMessage(int code) {
  switch (code) {
    case XOVA_OK:
      return "success";
    case XOVA_FILE_OPEN_ERROR:
      return "the data file could not be opened or created";
    case XOVA_FILE_WRITE_ERROR:
      return "writing the data file failed";
    case XOVA_FILE_READ_ERROR:
      return "reading the data file failed";
    case XOVA_TABLE_FULL:
      return "too many files are open";
    case XOVA_BAD_HANDLE:
      return "the handle names no open file";
    case XOVA_BAD_FILE:
      return "the file is not a readable Dataset file";
    case XOVA_OUT_OF_MEMORY:
      return "out of memory, or a case would grow too large";
    case XOVA_OPEN_FOR_READ:
      return "the file is open for reading or appending";
    case XOVA_OPEN_FOR_WRITE:
      return "the file is open for writing";
    case XOVA_BAD_VARIABLE_NAME:
      return "the variable name breaks the naming rules";
    case XOVA_EMPTY_DICTIONARY:
      return "the dictionary has no variables";
    case XOVA_NO_SUCH_VARIABLE:
      return "no such variable";
    case XOVA_DUPLICATE_VARIABLE:
      return "a variable of that name exists";
    case XOVA_NOT_NUMERIC:
      return "the variable is not numeric";
    case XOVA_NOT_STRING:
      return "the variable is not a string";
    case XOVA_STRING_TOO_WIDE:
      return "the string variable is wider than 8";
    case XOVA_BAD_VARIABLE_TYPE:
      return "the variable type is outside 0 to 255";
    case XOVA_BAD_MISSING_FORMAT:
      return "the missing-value form is out of range";
    case XOVA_BAD_COMPRESSION_SWITCH:
      return "the compression switch is neither 0 nor 1";
    case XOVA_BAD_PRINT_FORMAT:
      return "the print format is not valid";
    case XOVA_BAD_WRITE_FORMAT:
      return "the write format is not valid";
    case XOVA_BAD_DATE:
      return "not a date in the supported range";
    case XOVA_BAD_TIME:
      return "time components out of range";
    case XOVA_EMPTY_VARIABLE_LIST:
      return "the list of variables is too short";
    case XOVA_DUPLICATE_VALUE:
      return "a value appears twice in the list";
    case XOVA_BAD_WEIGHT_VARIABLE:
      return "the weight variable is missing or not numeric";
    case XOVA_ALREADY_COMMITTED:
      return "the dictionary is already committed";
    case XOVA_NOT_COMMITTED:
      return "the dictionary is not committed yet";
    case XOVA_NO_VARIABLE_RECORD:
      return "the dictionary does not start with a variable";
    case XOVA_NO_RELEASE_INFO:
      return "the file has no release information";
    case XOVA_UNEXPECTED_RECORD:
      return "an unexpected record where the dictionary should end";
    case XOVA_BAD_STRING_VALUE:
      return "a string value does not fit its variable";
    case XOVA_BAD_FREE_ARGS:
      return "the count and pointers given to a free call disagree";
    case XOVA_BUFFER_TOO_SMALL:
      return "the buffer is too small for the value";
    case XOVA_NO_CASE_DATA:
      return "no case has been read yet";
    case XOVA_BAD_LABEL_SET:
      return "the variable of pending value labels is gone";
    case XOVA_APPEND_REFUSED:
      return "appending to this file is refused";
    case XOVA_BAD_CASE_DATA:
      return "the case data cannot be decoded";
    case XOVA_TEMP_FILE_ERROR:
      return "a temporary file failed";
    case XOVA_QEB_NEXT_WITHOUT_FIRST:
      return "a QEB next call without a first";
    case XOVA_MEASURE_LEVEL_OUT_OF_RANGE:
      return "the measurement level is out of range";
    case XOVA_SUBTYPE_OUT_OF_RANGE:
      return "the extension subtype is outside 0 to 32";
    case XOVA_MRSET_TEXT_MALFORMED:
      return "the multiple-response set text is malformed";
    case XOVA_MRSET_BAD_NAME:
      return "the multiple-response set name is not valid";
    case XOVA_MRSET_NAME_TAKEN:
      return "a multiple-response set of that name exists";
    case XOVA_BAD_EXT_INDEX:
      return "no extension record of that kind";
    case XOVA_TRUNCATED:
      return "the file label was cut to 64 characters";
    case XOVA_VAR_LABEL_TRUNCATED:
      return "the variable label was cut to 256 bytes";
    case XOVA_LABEL_TRUNCATED:
      return "the label was cut to 60 characters";
    case XOVA_END_OF_DATA:
      return "no more cases, or a case could not be delivered";
    case XOVA_VARSETS_ABSENT:
      return "no variable sets";
    case XOVA_NO_VALUE_LABELS:
      return "the variable has no value labels";
    case XOVA_LABEL_ABSENT:
      return "no such label";
    case XOVA_WEIGHT_ABSENT:
      return "no weight variable";
    case XOVA_DATE_INFO_ABSENT:
      return "no date-variable information";
    case XOVA_MRSETS_ABSENT:
      return "no multiple-response sets";
    case XOVA_QEB_ABSENT:
      return "no QEB information";
    default:
      return "unknown result code";
  }
}

#undef XOVA_CODES_INLINE

#endif /* XOVAIO32_CODES_H */
