/* Case loops for the Python package: one foreign call moves many cases.
 *
 * Calling the library once per case through ctypes costs far more than the
 * library's own work, so these loops take the address of the library's
 * whole-case function (found by the package's loader, which decides which
 * library is used) and call it directly. Nothing here links the library, and
 * nothing here needs the Python headers: the package loads this file with
 * ctypes, which releases the interpreter lock for the duration of a call. */
#include <stddef.h>

#include "xovaio32.h"

#if defined(_WIN32)
#define BULK_API __declspec(dllexport)
#else
#define BULK_API __attribute__((visibility("default")))
#endif

typedef int(XOVA_CALL* WholeCaseIn)(int handle, void* caseRec);
typedef int(XOVA_CALL* WholeCaseOut)(int handle, const char* caseRec);

/* Reads up to `count` cases of `caseSize` bytes into `out`, stopping at the
 * first result that is not XOVA_OK; `done` receives the number of cases read.
 * Returns the result of the last call (XOVA_OK when all were read). */
BULK_API int xovaBulkRead(WholeCaseIn in, int handle, char* out, long long count,
                          long long caseSize, long long* done) {
  long long i = 0;
  int rc = XOVA_OK;
  for (; i < count; ++i) {
    rc = in(handle, out + i * caseSize);
    if (rc != XOVA_OK) break;
  }
  if (done) *done = i;
  return rc;
}

/* Writes `count` cases of `caseSize` bytes from `in`, stopping at the first
 * failure; `done` receives the number of cases written. */
BULK_API int xovaBulkWrite(WholeCaseOut out, int handle, const char* in, long long count,
                           long long caseSize, long long* done) {
  long long i = 0;
  int rc = XOVA_OK;
  for (; i < count; ++i) {
    rc = out(handle, in + i * caseSize);
    if (rc != XOVA_OK) break;
  }
  if (done) *done = i;
  return rc;
}

/* setuptools builds this file as an extension module and, on Windows, exports
 * the module's init function by name; the package never imports it as one. */
BULK_API void* PyInit__bulk(void) {
  return NULL;
}
