/* Case loops for the Python package: one foreign call moves many cases.
 *
 * Calling the library once per case through ctypes costs far more than the
 * library's own work, so these loops take the address of the library's
 * whole-case function (found by the package's loader, which decides which
 * library is used) and call it directly. Nothing here links the library, and
 * nothing here needs the Python headers: the package loads this file with
 * ctypes, which releases the interpreter lock for the duration of a call. */
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

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

/* Reads up to `count` cases and takes them apart into columns: numeric
 * element numOffsets[j] (in bytes) of case i goes to numOut[j][i], the
 * system-missing value `sysmis` becoming NaN; strSlots[j] bytes from
 * strOffsets[j] go to strOut[j] + i * strSlots[j]. Cases are read in groups
 * of up to `group` into `scratch` (group * caseSize bytes, small enough to
 * stay in cache), then each column is written for the whole group, in order.
 * Stops at the first result that is not XOVA_OK; `done` receives the number
 * of cases read. */
BULK_API int xovaBulkReadColumns(WholeCaseIn in, int handle, long long count, long long caseSize,
                                 char* scratch, long long group, int nNum,
                                 const long long* numOffsets, double* const* numOut, int nStr,
                                 const long long* strOffsets, const long long* strSlots,
                                 char* const* strOut, double sysmis, long long* done) {
  long long i = 0;
  int rc = XOVA_OK;
  const double nan = NAN;
  while (i < count) {
    long long got = 0, want = count - i < group ? count - i : group, k;
    int j;
    for (; got < want; ++got) {
      rc = in(handle, scratch + got * caseSize);
      if (rc != XOVA_OK) break;
    }
    for (j = 0; j < nNum; ++j) {
      const char* from = scratch + numOffsets[j];
      double* to = numOut[j] + i;
      for (k = 0; k < got; ++k) {
        double v;
        memcpy(&v, from + k * caseSize, sizeof v);
        to[k] = v == sysmis ? nan : v;
      }
    }
    for (j = 0; j < nStr; ++j) {
      const char* from = scratch + strOffsets[j];
      char* to = strOut[j] + i * strSlots[j];
      for (k = 0; k < got; ++k) {
        memcpy(to + k * strSlots[j], from + k * caseSize, (size_t)strSlots[j]);
      }
    }
    i += got;
    if (rc != XOVA_OK) break;
  }
  if (done) *done = i;
  return rc;
}

static uint64_t HashRow(const unsigned char* row, long long width) {
  uint64_t h = 0x9E3779B97F4A7C15u;
  long long k = 0;
  for (; k + 8 <= width; k += 8) {
    uint64_t w;
    memcpy(&w, row + k, sizeof w);
    h = (h ^ w) * 0xFF51AFD7ED558CCDu;
    h ^= h >> 32;
  }
  for (; k < width; ++k) h = (h ^ row[k]) * 0x100000001B3u;
  return h ^ (h >> 29);
}

/* Numbers the distinct rows of `rows` (n rows `stride` bytes apart, of which
 * the first `width` count) in order of first appearance: codes[i] is row i's number and first[c]
 * the first row numbered c (`first` has room for n). Returns the number of distinct rows, or -1
 * when memory runs out. Survey answers repeat, so turning each distinct row into a text once is
 * what makes string columns cheap. */
BULK_API long long xovaBulkFactorize(const char* rows, long long n, long long stride,
                                     long long width, long long* codes, long long* first) {
  const unsigned char* base = (const unsigned char*)rows;
  size_t cap = 1024;
  long long distinct = 0, i;
  long long* table = (long long*)malloc(cap * sizeof *table);
  if (!table) return -1;
  memset(table, 0xFF, cap * sizeof *table);
  for (i = 0; i < n; ++i) {
    const unsigned char* row = base + i * stride;
    size_t at = (size_t)HashRow(row, width) & (cap - 1);
    for (;;) {
      long long c = table[at];
      if (c < 0) {
        table[at] = distinct;
        first[distinct] = i;
        codes[i] = distinct++;
        break;
      }
      if (memcmp(base + first[c] * stride, row, (size_t)width) == 0) {
        codes[i] = c;
        break;
      }
      at = (at + 1) & (cap - 1);
    }
    if ((size_t)distinct * 2 > cap) { /* keep the table at most half full */
      size_t bigger = cap * 2, k;
      long long* grown = (long long*)malloc(bigger * sizeof *grown);
      if (!grown) {
        free(table);
        return -1;
      }
      memset(grown, 0xFF, bigger * sizeof *grown);
      for (k = 0; k < (size_t)distinct; ++k) {
        size_t to = (size_t)HashRow(base + first[k] * stride, width) & (bigger - 1);
        while (grown[to] >= 0) to = (to + 1) & (bigger - 1);
        grown[to] = (long long)k;
      }
      free(table);
      table = grown;
      cap = bigger;
    }
  }
  free(table);
  return distinct;
}

/* setuptools builds this file as an extension module and, on Windows, exports
 * the module's init function by name; the package never imports it as one. */
BULK_API void* PyInit__bulk(void) {
  return NULL;
}
