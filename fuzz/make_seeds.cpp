// Writes the seed files of the read_file fuzz target through the library's
// own writer: small files that reach every part of the reader.
//   make_seeds DIRECTORY
#include <cstdio>
#include <string>

#include "xovaio32.h"

namespace {

#define SEED_TRY(call)                                                             \
  do {                                                                             \
    const int rc_ = (call);                                                        \
    if (rc_ > 0) {                                                                 \
      std::fprintf(stderr, "%s:%d: %s gave %d\n", __FILE__, __LINE__, #call, rc_); \
      return rc_;                                                                  \
    }                                                                              \
  } while (0)

// One numeric and one string variable, a few cases, nothing else.
int WritePlain(const std::string& path, int compression, int cases) {
  int h = -1;
  SEED_TRY(xovaOpenWrite(path.c_str(), &h));
  SEED_TRY(xovaSetCompression(h, compression));
  SEED_TRY(xovaSetVarName(h, "n", 0));
  SEED_TRY(xovaSetVarName(h, "s", 8));
  SEED_TRY(xovaCommitHeader(h));
  double vn = 0, vs = 0;
  SEED_TRY(xovaGetVarHandle(h, "n", &vn));
  SEED_TRY(xovaGetVarHandle(h, "s", &vs));
  for (int i = 0; i < cases; ++i) {
    // Small integers, a fraction and system-missing reach every compression code.
    const double value = i % 4 == 3 ? xovaSysmisVal() : i % 4 == 2 ? 0.5 + i : i;
    SEED_TRY(xovaSetValueNumeric(h, vn, value));
    SEED_TRY(xovaSetValueChar(h, vs, i % 2 ? "abcdefgh" : ""));
    SEED_TRY(xovaCommitCaseRecord(h));
  }
  return xovaCloseWrite(h);
}

int DefineDictionary(int h) {
  SEED_TRY(xovaSetVarName(h, "respondent_id", 0));
  SEED_TRY(xovaSetVarName(h, "Score", 0));
  SEED_TRY(xovaSetVarName(h, "city_of_residence", 20));
  SEED_TRY(xovaSetVarName(h, "code", 3));
  SEED_TRY(xovaSetVarName(h, "wide_text", 255));
  SEED_TRY(xovaSetVarName(h, "income", 0));
  SEED_TRY(xovaSetVarLabel(h, "respondent_id", "Respondent number"));
  SEED_TRY(xovaSetVarLabel(h, "city_of_residence", std::string(200, 'c').c_str()));
  SEED_TRY(xovaSetVarPrintFormat(h, "income", 5, 2, 10));
  SEED_TRY(xovaSetVarWriteFormat(h, "income", 5, 3, 12));
  SEED_TRY(xovaSetVarMeasureLevel(h, "Score", 2));
  SEED_TRY(xovaSetVarColumnWidth(h, "code", 7));
  SEED_TRY(xovaSetVarAlignment(h, "city_of_residence", 2));
  const char* scoreVars[] = {"Score", "income"};
  const double values[] = {1, 2, 9};
  const char* labels[] = {"low", "high", "not asked"};
  SEED_TRY(xovaSetVarNValueLabels(h, scoreVars, 2, values, labels, 3));
  SEED_TRY(xovaSetVarCValueLabel(h, "code", "a", "Answer A"));
  SEED_TRY(xovaSetVarNMissingValues(h, "Score", -3, 90, 99, 9));
  SEED_TRY(xovaSetVarCMissingValues(h, "code", 2, "zz", "  x", nullptr));
  SEED_TRY(xovaSetVarNMissingValues(h, "income", 1, -1, 0, 0));
  return XOVA_OK;
}

int DefineSideRecords(int h) {
  const char* setVars[] = {"Score", "income"};
  const int dates[] = {1, 2, 3, 4};
  SEED_TRY(xovaSetIdString(h, "Seed survey"));
  SEED_TRY(xovaSetCaseWeightVar(h, "income"));
  SEED_TRY(xovaSetVariableSets(h, "Money= income respondent_id\n"));
  SEED_TRY(xovaAddMultRespDefN(h, "scores", "Both scores", 1, 1, setVars, 2));
  SEED_TRY(xovaSetDateVariables(h, 4, dates));
  SEED_TRY(xovaSetTextInfo(h, "text info"));
  SEED_TRY(xovaSetQEBFirst(h, "qebdata!", 8));
  SEED_TRY(xovaSetQEBGUID(h, "{guid}"));
  return XOVA_OK;
}

// Every kind of dictionary entry and side record, with a very long string.
int WriteSurvey(const std::string& path, int compression, int cases) {
  int h = -1;
  SEED_TRY(xovaOpenWrite(path.c_str(), &h));
  SEED_TRY(xovaSetCompression(h, compression));
  SEED_TRY(DefineDictionary(h));
  SEED_TRY(DefineSideRecords(h));
  SEED_TRY(xovaCommitHeader(h));
  const char* names[] = {"respondent_id", "Score",     "city_of_residence",
                         "code",          "wide_text", "income"};
  double vh[6];
  for (int i = 0; i < 6; ++i) SEED_TRY(xovaGetVarHandle(h, names[i], &vh[i]));
  for (int i = 0; i < cases; ++i) {
    SEED_TRY(xovaSetValueNumeric(h, vh[0], i + 1));
    SEED_TRY(xovaSetValueNumeric(h, vh[1], i % 3 == 2 ? xovaSysmisVal() : i % 7));
    SEED_TRY(xovaSetValueChar(h, vh[2], i % 2 ? "Frankfurt am Main" : "Bonn"));
    SEED_TRY(xovaSetValueChar(h, vh[3], i % 2 ? "a" : "  x"));
    SEED_TRY(xovaSetValueChar(h, vh[4], i % 2 ? std::string(250, 'w').c_str() : "short"));
    SEED_TRY(xovaSetValueNumeric(h, vh[5], 1000.25 + i));
    SEED_TRY(xovaCommitCaseRecord(h));
  }
  return xovaCloseWrite(h);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIRECTORY\n");
    return 2;
  }
  const std::string dir = argv[1];
  int rc = WritePlain(dir + "/plain_raw.data", 0, 6);
  if (rc == XOVA_OK) rc = WritePlain(dir + "/plain_compressed.data", 1, 6);
  if (rc == XOVA_OK) rc = WritePlain(dir + "/no_cases.data", 1, 0);
  if (rc == XOVA_OK) rc = WriteSurvey(dir + "/survey_raw.data", 0, 3);
  if (rc == XOVA_OK) rc = WriteSurvey(dir + "/survey_compressed.data", 1, 3);
  return rc == XOVA_OK ? 0 : 1;
}
