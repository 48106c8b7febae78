/* xovaio32: create, read and append Dataset files.
 *
 * Every function that works on a file takes the handle first and returns an
 * int result code (XOVA_OK, a positive error or a negative warning). Texts are
 * NUL-terminated; a null text counts as an empty text, and a null out-pointer
 * is never written through.
 *
 * Threads: the library starts none and takes no locks. Serialise the open and
 * close calls (and xovaSetTempDir and xovaSetLocale) with one lock of your own,
 * and use each handle from one thread at a time. Other calls on different
 * handles may run on different threads at the same time: handles share no
 * mutable state. */
#ifndef XOVAIO32_H
#define XOVAIO32_H

/* XOVA_API marks an exported function, XOVA_CALL its calling convention
 * (the standard calling convention on 32-bit Windows, the default elsewhere). */
#if defined(_WIN32)
#if defined(XOVAIO32_STATIC)
#define XOVA_API
#elif defined(XOVAIO32_BUILD)
#define XOVA_API __declspec(dllexport)
#else
#define XOVA_API __declspec(dllimport)
#endif
#define XOVA_CALL __stdcall
#else
#if defined(XOVAIO32_BUILD) && !defined(XOVAIO32_STATIC)
#define XOVA_API __attribute__((visibility("default")))
#else
#define XOVA_API
#endif
#define XOVA_CALL
#endif

/* No exception ever leaves the library; C++ callers see that in the type. */
#if defined(__cplusplus)
#define XOVA_NOEXCEPT noexcept
#else
#define XOVA_NOEXCEPT
#endif

/* Result codes. */
#define XOVA_OK 0
#define XOVA_FILE_OPEN_ERROR 1
#define XOVA_FILE_WRITE_ERROR 2
#define XOVA_FILE_READ_ERROR 3
#define XOVA_TABLE_FULL 4
#define XOVA_BAD_HANDLE 5
#define XOVA_BAD_FILE 6
#define XOVA_OUT_OF_MEMORY 7
#define XOVA_OPEN_FOR_READ 8
#define XOVA_OPEN_FOR_WRITE 9
#define XOVA_BAD_VARIABLE_NAME 10
#define XOVA_EMPTY_DICTIONARY 11
#define XOVA_NO_SUCH_VARIABLE 12
#define XOVA_DUPLICATE_VARIABLE 13
#define XOVA_NOT_NUMERIC 14
#define XOVA_NOT_STRING 15
#define XOVA_STRING_TOO_WIDE 16
#define XOVA_BAD_VARIABLE_TYPE 17
#define XOVA_BAD_MISSING_FORMAT 18
#define XOVA_BAD_COMPRESSION_SWITCH 19
#define XOVA_BAD_PRINT_FORMAT 20
#define XOVA_BAD_WRITE_FORMAT 21
#define XOVA_BAD_DATE 22
#define XOVA_BAD_TIME 23
#define XOVA_EMPTY_VARIABLE_LIST 24
#define XOVA_DUPLICATE_VALUE 27
#define XOVA_BAD_WEIGHT_VARIABLE 28
#define XOVA_ALREADY_COMMITTED 30
#define XOVA_NOT_COMMITTED 31
#define XOVA_NO_VARIABLE_RECORD 33
#define XOVA_NO_RELEASE_INFO 41
#define XOVA_UNEXPECTED_RECORD 46
#define XOVA_BAD_STRING_VALUE 47
#define XOVA_BAD_FREE_ARGS 48
#define XOVA_BUFFER_TOO_SMALL 49
#define XOVA_NO_CASE_DATA 50
#define XOVA_BAD_LABEL_SET 51
#define XOVA_APPEND_REFUSED 52
#define XOVA_BAD_CASE_DATA 53
#define XOVA_TEMP_FILE_ERROR 54
#define XOVA_QEB_NEXT_WITHOUT_FIRST 55
#define XOVA_MEASURE_LEVEL_OUT_OF_RANGE 56
#define XOVA_SUBTYPE_OUT_OF_RANGE 57
#define XOVA_MRSET_TEXT_MALFORMED 70
#define XOVA_MRSET_BAD_NAME 71
#define XOVA_MRSET_NAME_TAKEN 72
#define XOVA_BAD_EXT_INDEX 73

/* Warnings: the operation was carried out, or there was nothing to return. */
#define XOVA_TRUNCATED (-1)
#define XOVA_VAR_LABEL_TRUNCATED (-2)
#define XOVA_LABEL_TRUNCATED (-4)
#define XOVA_END_OF_DATA (-5)
#define XOVA_VARSETS_ABSENT (-7)
#define XOVA_NO_VALUE_LABELS (-8)
#define XOVA_LABEL_ABSENT (-9)
#define XOVA_WEIGHT_ABSENT (-10)
#define XOVA_DATE_INFO_ABSENT (-11)
#define XOVA_MRSETS_ABSENT (-13)
#define XOVA_QEB_ABSENT (-14)

/* Results of xovaValidateVarname (not result codes). */
#define XOVA_NAME_VALID 0
#define XOVA_NAME_HASH_PREFIX 1
#define XOVA_NAME_DOLLAR_PREFIX 2
#define XOVA_NAME_BAD_LENGTH 3
#define XOVA_NAME_BAD_CHARACTER 4
#define XOVA_NAME_RESERVED_WORD 5
#define XOVA_NAME_BAD_FIRST_CHARACTER 6

#if defined(__cplusplus)
extern "C" {
#endif

/* Special values and process settings. */
XOVA_API double XOVA_CALL xovaSysmisVal(void) XOVA_NOEXCEPT;
XOVA_API void XOVA_CALL xovaHostSysmisVal(double* sysmis) XOVA_NOEXCEPT;
XOVA_API void XOVA_CALL xovaLowHighVal(double* lowest, double* highest) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetTempDir(const char* dirName) XOVA_NOEXCEPT;
XOVA_API const char* XOVA_CALL xovaSetLocale(int category, const char* locale) XOVA_NOEXCEPT;

/* Opening and closing for write; file-level settings. */
XOVA_API int XOVA_CALL xovaOpenWrite(const char* fileName, int* handle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetIdString(int handle, const char* idString) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetCompression(int handle, int compSwitch) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaCommitHeader(int handle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaCloseWrite(int handle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaCloseAppend(int handle) XOVA_NOEXCEPT;

/* Case output (write and append handles, after the commit). */
XOVA_API int XOVA_CALL xovaSetValueNumeric(int handle, double varHandle,
                                           double value) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetValueChar(int handle, double varHandle,
                                        const char* value) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaCommitCaseRecord(int handle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaWholeCaseOut(int handle, const char* caseRec) XOVA_NOEXCEPT;

/* Opening for read and append; a new file with the dictionary of another. */
XOVA_API int XOVA_CALL xovaOpenRead(const char* fileName, int* handle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaOpenAppend(const char* fileName, int* handle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaOpenWriteCopy(const char* fileName, const char* dictFileName,
                                         int* handle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaCloseRead(int handle) XOVA_NOEXCEPT;

/* Case input and positioning (read handles). */
XOVA_API int XOVA_CALL xovaReadCaseRecord(int handle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaWholeCaseIn(int handle, void* caseRec) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetValueNumeric(int handle, double varHandle,
                                           double* value) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetValueChar(int handle, double varHandle, char* value,
                                        int valueSize) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSeekNextCase(int handle, int caseNumber) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetEstimatedNofCases(int handle, int* caseCount) XOVA_NOEXCEPT;

/* Queries on any open file. */
XOVA_API int XOVA_CALL xovaGetSystemString(int handle, char* sysString) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetIdString(int handle, char* idString) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetTimeStamp(int handle, char* fileDate, char* fileTime) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetCompression(int handle, int* compSwitch) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetNumberofVariables(int handle, int* numVars) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetCaseSize(int handle, int* caseSize) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetNumberofCases(int handle, int* numCases) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetCaseWeightVar(int handle, char* varName) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetReleaseInfo(int handle, int* relInfo) XOVA_NOEXCEPT;

/* Variable names. */
XOVA_API int XOVA_CALL xovaValidateVarname(const char* varName) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarCompatName(int handle, const char* longName,
                                            char* shortName) XOVA_NOEXCEPT;

/* Defining and querying variables. */
XOVA_API int XOVA_CALL xovaSetVarName(int handle, const char* varName, int varType) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarLabel(int handle, const char* varName,
                                       const char* varLabel) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarPrintFormat(int handle, const char* varName, int printType,
                                             int printDec, int printWid) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarWriteFormat(int handle, const char* varName, int writeType,
                                             int writeDec, int writeWid) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarPrintFormat(int handle, const char* varName, int* printType,
                                             int* printDec, int* printWid) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarWriteFormat(int handle, const char* varName, int* writeType,
                                             int* writeDec, int* writeWid) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarMeasureLevel(int handle, const char* varName,
                                              int measureLevel) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarMeasureLevel(int handle, const char* varName,
                                              int* measureLevel) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarColumnWidth(int handle, const char* varName,
                                             int columnWidth) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarColumnWidth(int handle, const char* varName,
                                             int* columnWidth) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarAlignment(int handle, const char* varName,
                                           int alignment) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarAlignment(int handle, const char* varName,
                                           int* alignment) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetCaseWeightVar(int handle, const char* varName) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarHandle(int handle, const char* varName,
                                        double* varHandle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarNames(int handle, int* numVars, char*** varNames,
                                       int** varTypes) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaFreeVarNames(char** varNames, int* varTypes, int numVars) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarInfo(int handle, int iVar, char* varName,
                                      int* varType) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarLabel(int handle, const char* varName,
                                       char* varLabel) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarLabelLong(int handle, const char* varName, char* labelBuff,
                                           int lenBuff, int* lenLabel) XOVA_NOEXCEPT;

/* Value labels. */
XOVA_API int XOVA_CALL xovaSetVarNValueLabel(int handle, const char* varName, double value,
                                             const char* label) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarCValueLabel(int handle, const char* varName, const char* value,
                                             const char* label) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarNValueLabels(int handle, const char** varNames, int numVars,
                                              const double* values, const char** labels,
                                              int numLabels) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarCValueLabels(int handle, const char** varNames, int numVars,
                                              const char** values, const char** labels,
                                              int numLabels) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarNValueLabelLong(int handle, const char* varName, double value,
                                                 char* labelBuff, int lenBuff,
                                                 int* lenLabel) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarCValueLabelLong(int handle, const char* varName, const char* value,
                                                 char* labelBuff, int lenBuff,
                                                 int* lenLabel) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarNValueLabel(int handle, const char* varName, double value,
                                             char* label) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarCValueLabel(int handle, const char* varName, const char* value,
                                             char* label) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarNValueLabels(int handle, const char* varName, double** values,
                                              char*** labels, int* numLabels) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarCValueLabels(int handle, const char* varName, char*** values,
                                              char*** labels, int* numLabels) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaFreeVarNValueLabels(double* values, char** labels,
                                               int numLabels) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaFreeVarCValueLabels(char** values, char** labels,
                                               int numLabels) XOVA_NOEXCEPT;

/* Missing values. */
XOVA_API int XOVA_CALL xovaSetVarNMissingValues(int handle, const char* varName, int missingFormat,
                                                double missingVal1, double missingVal2,
                                                double missingVal3) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetVarCMissingValues(int handle, const char* varName, int missingFormat,
                                                const char* missingVal1, const char* missingVal2,
                                                const char* missingVal3) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarNMissingValues(int handle, const char* varName, int* missingFormat,
                                                double* missingVal1, double* missingVal2,
                                                double* missingVal3) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVarCMissingValues(int handle, const char* varName, int* missingFormat,
                                                char* missingVal1, char* missingVal2,
                                                char* missingVal3) XOVA_NOEXCEPT;

/* Multiple-response sets (the set text uses long variable names). */
XOVA_API int XOVA_CALL xovaAddMultRespDefC(int handle, const char* mrSetName,
                                           const char* mrSetLabel, int isDichotomy,
                                           const char* countedValue, const char** varNames,
                                           int numVars) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaAddMultRespDefN(int handle, const char* mrSetName,
                                           const char* mrSetLabel, int isDichotomy,
                                           int countedValue, const char** varNames,
                                           int numVars) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetMultRespDefs(int handle, const char* mrespDefs) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetMultRespDefs(int handle, char** mrespDefs) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaFreeMultRespDefs(char* mrespDefs) XOVA_NOEXCEPT;

/* Variable sets, date variables, QEB information, text information, documents
 * and the extension records of a file read. */
XOVA_API int XOVA_CALL xovaSetVariableSets(int handle, const char* setsText) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetVariableSets(int handle, char** setsText) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaFreeVariableSets(char* setsText) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetDateVariables(int handle, int elementCount,
                                            const int* dateInfo) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetDateVariables(int handle, int* elementCount,
                                            int** dateInfo) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaFreeDateVariables(int* dateInfo) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetQEBFirst(int handle, const void* qebData,
                                       int byteCount) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetQEBNext(int handle, const void* qebData, int byteCount) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetQEBInfo(int handle, int* totalBytes, int* lastWord) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetQEBFirst(int handle, void* qebData, int maxBytes,
                                       int* bytesRead) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetQEBNext(int handle, void* qebData, int maxBytes,
                                      int* bytesRead) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetQEBGUID(int handle, const char* guidText) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetQEBGUID(int handle, char* guidText) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaSetTextInfo(int handle, const char* infoText) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaGetTextInfo(int handle, char* infoText) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaCopyDocuments(int fromHandle, int toHandle) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaQueryType7(int handle, int subtype, int* found) XOVA_NOEXCEPT;

/* Dates and times. */
XOVA_API int XOVA_CALL xovaConvertDate(int day, int month, int year, double* date) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaConvertTime(int days, int hours, int minutes, double seconds,
                                       double* time) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaConvertXOVADate(int* day, int* month, int* year,
                                           double date) XOVA_NOEXCEPT;
XOVA_API int XOVA_CALL xovaConvertXOVATime(int* days, int* hours, int* minutes, double* seconds,
                                           double time) XOVA_NOEXCEPT;

#if defined(__cplusplus)
}
#endif

#endif /* XOVAIO32_H */
