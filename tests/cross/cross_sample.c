/* Sample files for the cross-platform check: every build (Linux, 32-bit and
 * 64-bit Windows) writes the same samples through the public interface, and
 * scripts/windows compares them byte for byte (creation date and time aside,
 * header bytes 92 to 108) and has every build read every other build's files.
 *
 *   cross_sample write DIR   writes each sample into DIR
 *   cross_sample read DIR    checks the samples found in DIR
 *
 * This is the place the writing and reading work extends: a new kind of record
 * or case data gets a sample in kSamples below (a writer, and what a reader
 * must find); reading checks go into ReadSample. Today the reader checks the
 * header fields of each file directly; once files can be opened for reading,
 * ReadSample opens each sample through the interface and compares its
 * dictionary and cases with what its writer put there. */
#include <stdio.h>
#include <string.h>

#include "xovaio32.h"

static int failures = 0;

/* Records a failed step; returns whether the step succeeded. */
static int Check(int ok, const char* sample, const char* what) {
  if (!ok) {
    ++failures;
    printf("FAILED: %s: %s\n", sample, what);
  }
  return ok;
}

static int CheckRc(int rc, int expected, const char* sample, const char* what) {
  if (rc == expected) return 1;
  ++failures;
  printf("FAILED: %s: %s returned %d, expected %d\n", sample, what, rc, expected);
  return 0;
}

/* Print format codes of the file format: A (string) and F (fixed point). */
#define FORMAT_A 1
#define FORMAT_F 5

typedef struct Sample {
  const char* name;
  int (*write)(int handle, const char* name); /* defines and writes; 1 on success */
  int compression;
  int elements; /* 8-byte elements per case */
  int cases;
} Sample;

static int DefineNumeric(int h, const char* s, const char* var, int width, int decimals) {
  return CheckRc(xovaSetVarName(h, var, 0), XOVA_OK, s, var) &&
         CheckRc(xovaSetVarPrintFormat(h, var, FORMAT_F, decimals, width), XOVA_OK, s,
                 "print format") &&
         CheckRc(xovaSetVarWriteFormat(h, var, FORMAT_F, decimals, width), XOVA_OK, s,
                 "write format");
}

static int SetNumber(int h, const char* s, const char* var, double value) {
  double vh = 0.0;
  return CheckRc(xovaGetVarHandle(h, var, &vh), XOVA_OK, s, var) &&
         CheckRc(xovaSetValueNumeric(h, vh, value), XOVA_OK, s, "numeric value");
}

static int SetText(int h, const char* s, const char* var, const char* value) {
  double vh = 0.0;
  return CheckRc(xovaGetVarHandle(h, var, &vh), XOVA_OK, s, var) &&
         CheckRc(xovaSetValueChar(h, vh, value), XOVA_OK, s, "string value");
}

/* Numbers only, uncompressed: labels, formats, missing values, sysmis. */
static int WriteRawNumeric(int h, const char* s) {
  static const double scores[4] = {12.5, -3.25, 99.0, 1e300};
  int i;
  if (!DefineNumeric(h, s, "id", 8, 0) || !DefineNumeric(h, s, "score", 10, 2)) return 0;
  if (!CheckRc(xovaSetVarLabel(h, "score", "Test score"), XOVA_OK, s, "label") ||
      !CheckRc(xovaSetVarNMissingValues(h, "score", -2, 90.0, 99.0, 0.0), XOVA_OK, s,
               "missing range") ||
      !CheckRc(xovaSetVarNValueLabel(h, "id", 1.0, "first"), XOVA_OK, s, "value label") ||
      !CheckRc(xovaCommitHeader(h), XOVA_OK, s, "commit")) {
    return 0;
  }
  for (i = 0; i < 5; ++i) {
    const double score = i < 4 ? scores[i] : xovaSysmisVal();
    if (!SetNumber(h, s, "id", i + 1) || !SetNumber(h, s, "score", score) ||
        !CheckRc(xovaCommitCaseRecord(h), XOVA_OK, s, "case")) {
      return 0;
    }
  }
  return 1;
}

/* Compressed cases mixing numbers and strings, a file label, long names. */
static int WriteCompressedMixed(int h, const char* s) {
  static const char* comments[3] = {"", "short", "a comment of twenty"};
  int i;
  if (!CheckRc(xovaSetIdString(h, "Cross-platform sample"), XOVA_OK, s, "file label") ||
      !CheckRc(xovaSetCompression(h, 1), XOVA_OK, s, "compression") ||
      !DefineNumeric(h, s, "n", 8, 0) ||
      !CheckRc(xovaSetVarName(h, "code", 3), XOVA_OK, s, "code") ||
      !CheckRc(xovaSetVarName(h, "comment", 20), XOVA_OK, s, "comment") ||
      !DefineNumeric(h, s, "AVariableWithALongName", 12, 3) ||
      !CheckRc(xovaSetVarCValueLabel(h, "code", "abc", "letters"), XOVA_OK, s, "string label") ||
      !CheckRc(xovaSetVarCMissingValues(h, "code", 1, "xx", NULL, NULL), XOVA_OK, s,
               "string missing") ||
      !CheckRc(xovaCommitHeader(h), XOVA_OK, s, "commit")) {
    return 0;
  }
  for (i = 0; i < 20; ++i) {
    const double n = i % 7 == 6 ? xovaSysmisVal() : (double)(i - 5);
    if (!SetNumber(h, s, "n", n) || !SetText(h, s, "code", i % 2 ? "abc" : "xx") ||
        !SetText(h, s, "comment", comments[i % 3]) ||
        !SetNumber(h, s, "AVariableWithALongName", i * 1000.125) ||
        !CheckRc(xovaCommitCaseRecord(h), XOVA_OK, s, "case")) {
      return 0;
    }
  }
  return 1;
}

/* The side records the writer keeps in extension blocks. */
static int WriteSideRecords(int h, const char* s) {
  return DefineNumeric(h, s, "a", 8, 0) && DefineNumeric(h, s, "b", 8, 0) &&
         CheckRc(xovaSetVariableSets(h, "Both= a b\n"), XOVA_OK, s, "variable sets") &&
         CheckRc(xovaSetTextInfo(h, "written by the cross-platform check"), XOVA_OK, s,
                 "text info") &&
         CheckRc(xovaCommitHeader(h), XOVA_OK, s, "commit");
}

static const Sample kSamples[] = {
    {"raw_numeric.data", WriteRawNumeric, 0, 2, 5},
    {"compressed_mixed.data", WriteCompressedMixed, 1, 6, 20},
    {"side_records.data", WriteSideRecords, 0, 2, 0},
};
static const int kSampleCount = (int)(sizeof kSamples / sizeof kSamples[0]);

static void PathOf(char* out, size_t size, const char* dir, const char* name) {
  snprintf(out, size, "%s/%s", dir, name);
}

static void WriteSample(const char* dir, const Sample* sample) {
  char path[1024];
  int h = -1;
  PathOf(path, sizeof path, dir, sample->name);
  if (!CheckRc(xovaOpenWrite(path, &h), XOVA_OK, sample->name, "open")) return;
  if (sample->write(h, sample->name)) {
    CheckRc(xovaCloseWrite(h), XOVA_OK, sample->name, "close");
  } else {
    xovaCloseWrite(h);
  }
}

static int Int32At(const unsigned char* bytes, int offset) {
  return (int)((unsigned)bytes[offset] | (unsigned)bytes[offset + 1] << 8 |
               (unsigned)bytes[offset + 2] << 16 | (unsigned)bytes[offset + 3] << 24);
}

static void ReadSample(const char* dir, const Sample* sample) {
  static const char kProduct[] = "@(#) XOVA DATA FILE MS Windows Release 12.0 xovaio32.dll";
  unsigned char header[176];
  char path[1024];
  size_t got;
  FILE* f;
  const char* s = sample->name;
  PathOf(path, sizeof path, dir, s);
  f = fopen(path, "rb");
  if (!Check(f != NULL, s, "file missing")) return;
  got = fread(header, 1, sizeof header, f);
  fclose(f);
  if (!Check(got == sizeof header, s, "shorter than a header")) return;
  Check(memcmp(header, "$FL2", 4) == 0, s, "record type");
  Check(memcmp(header + 4, kProduct, sizeof kProduct - 1) == 0, s, "product string");
  Check(Int32At(header, 68) == sample->elements, s, "elements per case");
  Check(Int32At(header, 72) == sample->compression, s, "compression");
  Check(Int32At(header, 80) == sample->cases, s, "number of cases");
}

int main(int argc, char** argv) {
  int i;
  int writing;
  if (argc != 3 || (strcmp(argv[1], "write") != 0 && strcmp(argv[1], "read") != 0)) {
    printf("usage: cross_sample write|read DIR\n");
    return 2;
  }
  writing = strcmp(argv[1], "write") == 0;
  for (i = 0; i < kSampleCount; ++i) {
    if (writing) {
      WriteSample(argv[2], &kSamples[i]);
    } else {
      ReadSample(argv[2], &kSamples[i]);
    }
  }
  printf("cross_sample %s: %d samples, %d failed\n", argv[1], kSampleCount, failures);
  return failures == 0 ? 0 : 1;
}
