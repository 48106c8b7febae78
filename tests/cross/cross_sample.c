/* Sample files for the cross-platform check: every build (Linux, 32-bit and
 * 64-bit Windows) writes the same samples through the public interface, and
 * scripts/windows compares them byte for byte (creation date and time aside,
 * header bytes 92 to 108) and has every build read every other build's files.
 *
 *   cross_sample write DIR   writes each sample into DIR
 *   cross_sample read DIR    checks the samples found in DIR
 *
 * This is the place the writing and reading work extends: a new kind of record
 * or case data gets a sample in kSamples below. A sample is a table (its
 * variables with their dictionary attributes and a value for every case, and
 * its file-level records) that WriteSample turns into calls of the writing
 * interface and ReadSample compares, through the reading interface, with what
 * the file of any build gives back: the dictionary, the side records, and
 * every case, read value by value and again as whole cases after a seek to the
 * first. */
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

static int CheckInt(int got, int expected, const char* sample, const char* what) {
  if (got == expected) return 1;
  ++failures;
  printf("FAILED: %s: %s is %d, expected %d\n", sample, what, got, expected);
  return 0;
}

static int CheckText(const char* got, const char* expected, const char* sample, const char* what) {
  if (got != NULL && strcmp(got, expected) == 0) return 1;
  ++failures;
  printf("FAILED: %s: %s is \"%s\", expected \"%s\"\n", sample, what, got ? got : "(null)",
         expected);
  return 0;
}

/* Bit for bit: the builds must agree on every byte of a number. */
static int CheckNumber(double got, double expected, const char* sample, const char* what) {
  if (memcmp(&got, &expected, sizeof got) == 0) return 1;
  ++failures;
  printf("FAILED: %s: %s is %.17g, expected %.17g\n", sample, what, got, expected);
  return 0;
}

/* Print format codes of the file format: A (string) and F (fixed point). */
#define FORMAT_A 1
#define FORMAT_F 5

typedef struct Var {
  const char* name;
  int type;            /* 0 numeric, else the string width */
  int width, decimals; /* print and write format F of a numeric variable */
  const char* label;
  int missingCode;
  double missing[3];
  const char* textMissing[3];
  const char* valueLabel; /* the label of the value number (or text, for a string) */
  double number;
  const char* text;
  double (*numberIn)(int caseIndex); /* the variable's value in each case */
  const char* (*textIn)(int caseIndex);
} Var;

typedef struct Sample {
  const char* name;
  const Var* vars;
  int varCount;
  int compression;
  int cases;
  const char* fileLabel;
  const char* weight;
  const char* varSets;
  const char* mrSets;
  const char* textInfo;
} Sample;

#define VARS(table) .vars = table, .varCount = (int)(sizeof table / sizeof table[0])

/* Numbers only, uncompressed: labels, formats, missing values, sysmis. */
static double RawId(int i) {
  return i + 1;
}
static double RawScore(int i) {
  static const double scores[4] = {12.5, -3.25, 99.0, 1e300};
  return i < 4 ? scores[i] : xovaSysmisVal();
}
static const Var kRawNumeric[] = {
    {.name = "id", .width = 8, .valueLabel = "first", .number = 1.0, .numberIn = RawId},
    {.name = "score",
     .width = 10,
     .decimals = 2,
     .label = "Test score",
     .missingCode = -2,
     .missing = {90.0, 99.0},
     .numberIn = RawScore},
};

/* Compressed cases mixing numbers and strings, a file label, long names, a
 * weight. */
static double MixedN(int i) {
  return i % 7 == 6 ? xovaSysmisVal() : (double)(i - 5);
}
static const char* MixedCode(int i) {
  return i % 2 ? "abc" : "xx";
}
static const char* MixedComment(int i) {
  static const char* comments[3] = {"", "short", "a comment of twenty"};
  return comments[i % 3];
}
static double MixedLong(int i) {
  return i * 1000.125;
}
static const Var kCompressedMixed[] = {
    {.name = "n", .width = 8, .numberIn = MixedN},
    {.name = "code",
     .type = 3,
     .missingCode = 1,
     .textMissing = {"xx"},
     .valueLabel = "letters",
     .text = "abc",
     .textIn = MixedCode},
    {.name = "comment", .type = 20, .textIn = MixedComment},
    {.name = "AVariableWithALongName", .width = 12, .decimals = 3, .numberIn = MixedLong},
};

/* The side records the writer keeps in extension blocks. */
static const Var kSideRecords[] = {
    {.name = "a", .width = 8},
    {.name = "b", .width = 8},
};

static const Sample kSamples[] = {
    {.name = "raw_numeric.data", VARS(kRawNumeric), .cases = 5},
    {.name = "compressed_mixed.data",
     VARS(kCompressedMixed),
     .compression = 1,
     .cases = 20,
     .fileLabel = "Cross-platform sample",
     .weight = "AVariableWithALongName"},
    {.name = "side_records.data",
     VARS(kSideRecords),
     .varSets = "Both= a b\n",
     .mrSets = "$pair=D1 1 4 Pair a b\n",
     .textInfo = "written by the cross-platform check"},
};
static const int kSampleCount = (int)(sizeof kSamples / sizeof kSamples[0]);

/* 8-byte elements a variable takes in the case. */
static int ElementsOf(const Var* v) {
  return v->type == 0 ? 1 : (v->type + 7) / 8;
}

/* Text blank-padded to exactly n bytes, as the file keeps strings. */
static void Padded(char* out, size_t size, const char* text, int n) {
  snprintf(out, size, "%-*.*s", n, n, text);
}

static void PathOf(char* out, size_t size, const char* dir, const char* name) {
  snprintf(out, size, "%s/%s", dir, name);
}

static int DefineVar(int h, const char* s, const Var* v) {
  const char* n = v->name;
  if (!CheckRc(xovaSetVarName(h, n, v->type), XOVA_OK, s, n)) return 0;
  if (v->type == 0 && (!CheckRc(xovaSetVarPrintFormat(h, n, FORMAT_F, v->decimals, v->width),
                                XOVA_OK, s, "print format") ||
                       !CheckRc(xovaSetVarWriteFormat(h, n, FORMAT_F, v->decimals, v->width),
                                XOVA_OK, s, "write format"))) {
    return 0;
  }
  if (v->label && !CheckRc(xovaSetVarLabel(h, n, v->label), XOVA_OK, s, "label")) return 0;
  if (v->missingCode != 0) {
    const int rc = v->type == 0 ? xovaSetVarNMissingValues(h, n, v->missingCode, v->missing[0],
                                                           v->missing[1], v->missing[2])
                                : xovaSetVarCMissingValues(h, n, v->missingCode, v->textMissing[0],
                                                           v->textMissing[1], v->textMissing[2]);
    if (!CheckRc(rc, XOVA_OK, s, "missing values")) return 0;
  }
  if (v->valueLabel) {
    const int rc = v->type == 0 ? xovaSetVarNValueLabel(h, n, v->number, v->valueLabel)
                                : xovaSetVarCValueLabel(h, n, v->text, v->valueLabel);
    if (!CheckRc(rc, XOVA_OK, s, "value label")) return 0;
  }
  return 1;
}

static int WriteCases(int h, const Sample* sample) {
  const char* s = sample->name;
  int i, k;
  for (i = 0; i < sample->cases; ++i) {
    for (k = 0; k < sample->varCount; ++k) {
      const Var* v = &sample->vars[k];
      double vh = 0.0;
      if (!CheckRc(xovaGetVarHandle(h, v->name, &vh), XOVA_OK, s, v->name) ||
          !CheckRc(v->type == 0 ? xovaSetValueNumeric(h, vh, v->numberIn(i))
                                : xovaSetValueChar(h, vh, v->textIn(i)),
                   XOVA_OK, s, "value")) {
        return 0;
      }
    }
    if (!CheckRc(xovaCommitCaseRecord(h), XOVA_OK, s, "case")) return 0;
  }
  return 1;
}

static int WriteContent(int h, const Sample* sample) {
  const char* s = sample->name;
  int k;
  if ((sample->fileLabel &&
       !CheckRc(xovaSetIdString(h, sample->fileLabel), XOVA_OK, s, "file label")) ||
      !CheckRc(xovaSetCompression(h, sample->compression), XOVA_OK, s, "compression")) {
    return 0;
  }
  for (k = 0; k < sample->varCount; ++k) {
    if (!DefineVar(h, s, &sample->vars[k])) return 0;
  }
  if ((sample->weight && !CheckRc(xovaSetCaseWeightVar(h, sample->weight), XOVA_OK, s, "weight")) ||
      (sample->varSets &&
       !CheckRc(xovaSetVariableSets(h, sample->varSets), XOVA_OK, s, "variable sets")) ||
      (sample->mrSets &&
       !CheckRc(xovaSetMultRespDefs(h, sample->mrSets), XOVA_OK, s, "response sets")) ||
      (sample->textInfo &&
       !CheckRc(xovaSetTextInfo(h, sample->textInfo), XOVA_OK, s, "text info")) ||
      !CheckRc(xovaCommitHeader(h), XOVA_OK, s, "commit")) {
    return 0;
  }
  return WriteCases(h, sample);
}

static void WriteSample(const char* dir, const Sample* sample) {
  char path[1024];
  int h = -1;
  PathOf(path, sizeof path, dir, sample->name);
  if (!CheckRc(xovaOpenWrite(path, &h), XOVA_OK, sample->name, "open")) return;
  if (WriteContent(h, sample)) {
    CheckRc(xovaCloseWrite(h), XOVA_OK, sample->name, "close");
  } else {
    xovaCloseWrite(h);
  }
}

static int Int32At(const unsigned char* bytes, int offset) {
  return (int)((unsigned)bytes[offset] | (unsigned)bytes[offset + 1] << 8 |
               (unsigned)bytes[offset + 2] << 16 | (unsigned)bytes[offset + 3] << 24);
}

/* The header fields that reading skips or does not report: the record type,
 * the product text before the system string, and the case size (which only
 * appending uses). */
static void CheckHeader(const char* path, const char* s, int elements) {
  static const char kProduct[] = "@(#) XOVA DATA FILE MS Windows Release 12.0 xovaio32.dll";
  unsigned char header[176];
  size_t got;
  FILE* f = fopen(path, "rb");
  if (!Check(f != NULL, s, "file missing")) return;
  got = fread(header, 1, sizeof header, f);
  fclose(f);
  if (!Check(got == sizeof header, s, "shorter than a header")) return;
  Check(memcmp(header, "$FL2", 4) == 0, s, "record type");
  Check(memcmp(header + 4, kProduct, sizeof kProduct - 1) == 0, s, "product string");
  CheckInt(Int32At(header, 68), elements, s, "elements per case in the header");
}

/* "what" of a variable's check, for the failure message. */
static const char* Of(char* out, size_t size, const Var* v, const char* what) {
  snprintf(out, size, "%s of %s", what, v->name);
  return out;
}

static void CheckVar(int h, const char* s, int index, const Var* v) {
  const char* n = v->name;
  const int code = v->type == 0 ? FORMAT_F : FORMAT_A;
  const int decimals = v->type == 0 ? v->decimals : 0;
  const int width = v->type == 0 ? v->width : v->type;
  char text[257], expected[257], values[3][9], what[128];
  double numbers[3];
  int type = -1, got[3] = {0, 0, 0}, rc, i;
  CheckRc(xovaGetVarInfo(h, index, text, &type), XOVA_OK, s, "variable info");
  CheckText(text, n, s, "variable name");
  CheckInt(type, v->type, s, Of(what, sizeof what, v, "type"));
  for (i = 0; i < 2; ++i) {
    rc = i == 0 ? xovaGetVarPrintFormat(h, n, &got[0], &got[1], &got[2])
                : xovaGetVarWriteFormat(h, n, &got[0], &got[1], &got[2]);
    Of(what, sizeof what, v, i == 0 ? "print format" : "write format");
    if (CheckRc(rc, XOVA_OK, s, what)) {
      Check(got[0] == code && got[1] == decimals && got[2] == width, s, what);
    }
  }
  rc = xovaGetVarLabelLong(h, n, text, (int)sizeof text, NULL);
  Of(what, sizeof what, v, "label");
  if (CheckRc(rc, v->label ? XOVA_OK : XOVA_LABEL_ABSENT, s, what) && v->label) {
    CheckText(text, v->label, s, what);
  }
  Of(what, sizeof what, v, "missing values");
  if (v->type == 0) {
    CheckRc(xovaGetVarNMissingValues(h, n, &got[0], &numbers[0], &numbers[1], &numbers[2]), XOVA_OK,
            s, what);
    if (CheckInt(got[0], v->missingCode, s, what)) {
      for (i = 0; i < (got[0] < 0 ? -got[0] : got[0]); ++i) {
        CheckNumber(numbers[i], v->missing[i], s, what);
      }
    }
    rc = xovaGetVarNValueLabel(h, n, v->number, text);
  } else if (v->type <= 8) { /* wider strings have neither missing values nor value labels */
    CheckRc(xovaGetVarCMissingValues(h, n, &got[0], values[0], values[1], values[2]), XOVA_OK, s,
            what);
    if (CheckInt(got[0], v->missingCode, s, what)) {
      for (i = 0; i < got[0]; ++i) {
        Padded(expected, sizeof expected, v->textMissing[i], v->type);
        CheckText(values[i], expected, s, what);
      }
    }
    rc = xovaGetVarCValueLabel(h, n, v->text ? v->text : "", text);
  } else {
    return;
  }
  Of(what, sizeof what, v, "value label");
  if (CheckRc(rc, v->valueLabel ? XOVA_OK : XOVA_NO_VALUE_LABELS, s, what) && v->valueLabel) {
    CheckText(text, v->valueLabel, s, what);
  }
}

/* A side record as the reader hands it out, or its absence. */
static void CheckSetText(int rc, const char* got, const char* expected, int absent, const char* s,
                         const char* what) {
  if (CheckRc(rc, expected ? XOVA_OK : absent, s, what) && expected) {
    CheckText(got, expected, s, what);
  }
}

static void CheckDictionary(int h, const Sample* sample) {
  const char* s = sample->name;
  char text[257], expected[257];
  char* sets = NULL;
  int count = -1, k, rc;
  CheckRc(xovaGetNumberofVariables(h, &count), XOVA_OK, s, "number of variables");
  CheckInt(count, sample->varCount, s, "number of variables");
  for (k = 0; k < sample->varCount; ++k) CheckVar(h, s, k, &sample->vars[k]);
  CheckRc(xovaGetCompression(h, &count), XOVA_OK, s, "compression");
  CheckInt(count, sample->compression, s, "compression");
  CheckRc(xovaGetIdString(h, text), XOVA_OK, s, "file label");
  Padded(expected, sizeof expected, sample->fileLabel ? sample->fileLabel : "", 64);
  CheckText(text, expected, s, "file label");
  rc = xovaGetCaseWeightVar(h, text);
  CheckSetText(rc, text, sample->weight, XOVA_WEIGHT_ABSENT, s, "weight");
  rc = xovaGetVariableSets(h, &sets);
  CheckSetText(rc, sets, sample->varSets, XOVA_VARSETS_ABSENT, s, "variable sets");
  xovaFreeVariableSets(sets);
  rc = xovaGetMultRespDefs(h, &sets);
  CheckSetText(rc, sets, sample->mrSets, XOVA_MRSETS_ABSENT, s, "response sets");
  xovaFreeMultRespDefs(sets);
  CheckRc(xovaGetTextInfo(h, text), XOVA_OK, s, "text info");
  CheckText(text, sample->textInfo ? sample->textInfo : "", s, "text info");
}

/* Every case value by value, then as whole cases after a seek to the first;
 * both end in the end of the data. */
static void CheckCases(int h, const Sample* sample, int elements) {
  const char* s = sample->name;
  double vh[16], whole[64], number;
  char text[257], expected[257], what[128];
  int i, k, position, count = -1;
  if (!Check(sample->varCount <= 16 && elements <= 64, s, "sample too large for the reader")) {
    return;
  }
  for (k = 0; k < sample->varCount; ++k) {
    if (!CheckRc(xovaGetVarHandle(h, sample->vars[k].name, &vh[k]), XOVA_OK, s, "variable handle"))
      return;
  }
  for (i = 0; i < sample->cases; ++i) {
    if (!CheckRc(xovaReadCaseRecord(h), XOVA_OK, s, "read case")) return;
    for (k = 0; k < sample->varCount; ++k) {
      const Var* v = &sample->vars[k];
      snprintf(what, sizeof what, "%s in case %d", v->name, i);
      if (v->type == 0) {
        if (CheckRc(xovaGetValueNumeric(h, vh[k], &number), XOVA_OK, s, what))
          CheckNumber(number, v->numberIn(i), s, what);
      } else if (CheckRc(xovaGetValueChar(h, vh[k], text, (int)sizeof text), XOVA_OK, s, what)) {
        Padded(expected, sizeof expected, v->textIn(i), v->type);
        CheckText(text, expected, s, what);
      }
    }
  }
  CheckRc(xovaReadCaseRecord(h), XOVA_END_OF_DATA, s, "read after the last case");
  if (!CheckRc(xovaSeekNextCase(h, 0), XOVA_OK, s, "seek to the first case")) return;
  for (i = 0; i < sample->cases; ++i) {
    if (!CheckRc(xovaWholeCaseIn(h, whole), XOVA_OK, s, "whole case")) return;
    for (k = 0, position = 0; k < sample->varCount; position += ElementsOf(&sample->vars[k]), ++k) {
      const Var* v = &sample->vars[k];
      snprintf(what, sizeof what, "%s in whole case %d", v->name, i);
      if (v->type == 0) {
        CheckNumber(whole[position], v->numberIn(i), s, what);
      } else {
        /* The blanks after the string up to its last element belong to it. */
        const int bytes = 8 * ElementsOf(v);
        Padded(expected, sizeof expected, v->textIn(i), bytes);
        Check(memcmp((const char*)&whole[position], expected, (size_t)bytes) == 0, s, what);
      }
    }
  }
  CheckRc(xovaWholeCaseIn(h, whole), XOVA_END_OF_DATA, s, "whole case after the last");
  CheckRc(xovaGetNumberofCases(h, &count), XOVA_OK, s, "number of cases");
  CheckInt(count, sample->cases, s, "number of cases after reading");
}

static void ReadSample(const char* dir, const Sample* sample) {
  char path[1024];
  const char* s = sample->name;
  int h = -1, elements = 0, count = -1, k;
  for (k = 0; k < sample->varCount; ++k) elements += ElementsOf(&sample->vars[k]);
  PathOf(path, sizeof path, dir, s);
  CheckHeader(path, s, elements);
  if (!CheckRc(xovaOpenRead(path, &h), XOVA_OK, s, "open")) return;
  CheckDictionary(h, sample);
  CheckRc(xovaGetCaseSize(h, &count), XOVA_OK, s, "case size");
  CheckInt(count, elements * 8, s, "case size");
  CheckRc(xovaGetNumberofCases(h, &count), XOVA_OK, s, "number of cases");
  CheckInt(count, sample->cases, s, "number of cases in the header");
  CheckRc(xovaGetEstimatedNofCases(h, &count), XOVA_OK, s, "estimated cases");
  CheckInt(count, sample->cases, s, "estimated cases");
  CheckCases(h, sample, elements);
  CheckRc(xovaCloseRead(h), XOVA_OK, s, "close");
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
