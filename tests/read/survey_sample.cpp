#include "read/survey_sample.h"

#include <gtest/gtest.h>

#include <cstring>

#include "xovaio32.h"

namespace xova_test {
namespace {

const char* const kCities[] = {"Hamburg", "Frankfurt am Main", "", "Bonn"};
const char* const kCodes[] = {"a", "bcd", "  x", ""};

// Fails the test and stops the writer at the first error.
#define XOVA_TRY(call)                           \
  do {                                           \
    const int rc_ = (call);                      \
    if (rc_ > 0) {                               \
      ADD_FAILURE() << #call << " gave " << rc_; \
      return rc_;                                \
    }                                            \
  } while (0)

int DefineVariables(int h) {
  XOVA_TRY(xovaSetVarName(h, "respondent_id", 0));
  XOVA_TRY(xovaSetVarName(h, "Score", 0));
  XOVA_TRY(xovaSetVarName(h, "city_of_residence", 20));
  XOVA_TRY(xovaSetVarName(h, "code", 3));
  XOVA_TRY(xovaSetVarName(h, "income", 0));
  XOVA_TRY(xovaSetVarLabel(h, "respondent_id", "Respondent number"));
  XOVA_TRY(xovaSetVarLabel(h, "city_of_residence", std::string(300, 'c').c_str()));
  XOVA_TRY(xovaSetVarPrintFormat(h, "income", 5, 2, 10));
  XOVA_TRY(xovaSetVarWriteFormat(h, "income", 5, 3, 12));
  XOVA_TRY(xovaSetVarMeasureLevel(h, "Score", 2));
  XOVA_TRY(xovaSetVarColumnWidth(h, "code", 7));
  XOVA_TRY(xovaSetVarAlignment(h, "city_of_residence", 2));
  return XOVA_OK;
}

int DefineLabelsAndMissing(int h) {
  const char* scoreVars[] = {"Score", "income"};
  const double values[] = {1, 2, 9};
  const std::string longLabel(70, 'L');
  const char* labels[] = {"low", "high", longLabel.c_str()};
  XOVA_TRY(xovaSetVarNValueLabels(h, scoreVars, 2, values, labels, 3));
  XOVA_TRY(xovaSetVarCValueLabel(h, "code", "a", "Answer A"));
  XOVA_TRY(xovaSetVarNMissingValues(h, "Score", -3, 90, 99, 9));
  XOVA_TRY(xovaSetVarCMissingValues(h, "code", 2, "zz", "  x", nullptr));
  XOVA_TRY(xovaSetVarNMissingValues(h, "income", 1, -1, 0, 0));
  return XOVA_OK;
}

int DefineFileInformation(int h, int compression) {
  const char* setVars[] = {"Score", "income"};
  const int dates[] = {1, 2, 3, 4};
  XOVA_TRY(xovaSetIdString(h, "Sample survey"));
  XOVA_TRY(xovaSetCompression(h, compression));
  XOVA_TRY(xovaSetCaseWeightVar(h, "income"));
  XOVA_TRY(xovaSetVariableSets(h, "Money= income respondent_id\n"));
  XOVA_TRY(xovaAddMultRespDefN(h, "scores", "Both scores", 1, 1, setVars, 2));
  XOVA_TRY(xovaSetDateVariables(h, 4, dates));
  XOVA_TRY(xovaSetTextInfo(h, "text info"));
  XOVA_TRY(xovaSetQEBFirst(h, "qebdata!", 8));
  XOVA_TRY(xovaSetQEBGUID(h, "{guid}"));
  return XOVA_OK;
}

int WriteCases(int h, int n) {
  double vh[5];
  const char* names[] = {"respondent_id", "Score", "city_of_residence", "code", "income"};
  for (int i = 0; i < 5; ++i) XOVA_TRY(xovaGetVarHandle(h, names[i], &vh[i]));
  for (const SampleCase& c : SampleCases(n)) {
    XOVA_TRY(xovaSetValueNumeric(h, vh[0], c.id));
    XOVA_TRY(xovaSetValueNumeric(h, vh[1], c.score));
    XOVA_TRY(xovaSetValueChar(h, vh[2], c.city.c_str()));
    XOVA_TRY(xovaSetValueChar(h, vh[3], c.code.c_str()));
    XOVA_TRY(xovaSetValueNumeric(h, vh[4], c.income));
    XOVA_TRY(xovaCommitCaseRecord(h));
  }
  return XOVA_OK;
}

std::string Padded(const std::string& text, std::size_t width) {
  std::string out = text;
  out.resize(width, ' ');
  return out;
}

}  // namespace

std::vector<SampleCase> SampleCases(int n) {
  std::vector<SampleCase> cases;
  for (int i = 0; i < n; ++i) {
    const double score = i % 5 == 3 ? xovaSysmisVal() : (i % 7) * 1.0;
    const double income = i % 3 == 0 ? 1000.25 + i : i - 50.0;
    cases.push_back({static_cast<double>(i + 1), score, kCities[i % 4], kCodes[i % 4], income});
  }
  return cases;
}

int WriteSurveySample(const std::string& path, int compression, int n) {
  int h = -1;
  XOVA_TRY(xovaOpenWrite(path.c_str(), &h));
  int rc = DefineVariables(h);
  if (rc == XOVA_OK) rc = DefineLabelsAndMissing(h);
  if (rc == XOVA_OK) rc = DefineFileInformation(h, compression);
  if (rc == XOVA_OK && xovaCommitHeader(h) != XOVA_OK) rc = XOVA_FILE_WRITE_ERROR;
  if (rc == XOVA_OK) rc = WriteCases(h, n);
  const int closed = xovaCloseWrite(h);
  return rc != XOVA_OK ? rc : closed;
}

void ExpectSurveyDictionary(int h) {
  int count = 0;
  EXPECT_EQ(xovaGetNumberofVariables(h, &count), XOVA_OK);
  EXPECT_EQ(count, 5);
  char name[65];
  int type = -1;
  const char* names[] = {"respondent_id", "Score", "city_of_residence", "code", "income"};
  const int types[] = {0, 0, 20, 3, 0};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(xovaGetVarInfo(h, i, name, &type), XOVA_OK);
    EXPECT_STREQ(name, names[i]);
    EXPECT_EQ(type, types[i]);
  }
  int caseSize = 0;
  EXPECT_EQ(xovaGetCaseSize(h, &caseSize), XOVA_OK);
  EXPECT_EQ(caseSize, 8 * 7);
  char label[300];
  EXPECT_EQ(xovaGetVarLabel(h, "respondent_id", label), XOVA_OK);
  EXPECT_STREQ(label, "Respondent number");
  int length = 0;
  EXPECT_EQ(xovaGetVarLabelLong(h, "city_of_residence", label, sizeof label, &length), XOVA_OK);
  EXPECT_EQ(std::string(label), std::string(256, 'c'));
  EXPECT_EQ(xovaGetVarLabel(h, "Score", label), XOVA_LABEL_ABSENT);

  int fmt = 0, dec = 0, wid = 0;
  EXPECT_EQ(xovaGetVarPrintFormat(h, "income", &fmt, &dec, &wid), XOVA_OK);
  EXPECT_EQ(fmt * 10000 + wid * 100 + dec, 5 * 10000 + 10 * 100 + 2);
  EXPECT_EQ(xovaGetVarWriteFormat(h, "income", &fmt, &dec, &wid), XOVA_OK);
  EXPECT_EQ(fmt * 10000 + wid * 100 + dec, 5 * 10000 + 12 * 100 + 3);
  int level = 0, width = -1, align = -1;
  EXPECT_EQ(xovaGetVarMeasureLevel(h, "Score", &level), XOVA_OK);
  EXPECT_EQ(level, 2);
  EXPECT_EQ(xovaGetVarColumnWidth(h, "code", &width), XOVA_OK);
  EXPECT_EQ(width, 7);
  EXPECT_EQ(xovaGetVarAlignment(h, "city_of_residence", &align), XOVA_OK);
  EXPECT_EQ(align, 2);

  char labelText[61];
  EXPECT_EQ(xovaGetVarNValueLabel(h, "income", 2, labelText), XOVA_OK);
  EXPECT_STREQ(labelText, "high");
  EXPECT_EQ(xovaGetVarNValueLabel(h, "Score", 9, labelText), XOVA_OK);
  EXPECT_EQ(std::string(labelText), std::string(60, 'L'));
  EXPECT_EQ(xovaGetVarCValueLabel(h, "code", "a", labelText), XOVA_OK);
  EXPECT_STREQ(labelText, "Answer A");

  int form = 0;
  double m1 = 0, m2 = 0, m3 = 0;
  EXPECT_EQ(xovaGetVarNMissingValues(h, "Score", &form, &m1, &m2, &m3), XOVA_OK);
  EXPECT_EQ(form, -3);
  EXPECT_EQ(m1, 90);
  EXPECT_EQ(m2, 99);
  EXPECT_EQ(m3, 9);
  char c1[9], c2[9], c3[9];
  EXPECT_EQ(xovaGetVarCMissingValues(h, "code", &form, c1, c2, c3), XOVA_OK);
  EXPECT_EQ(form, 2);
  EXPECT_STREQ(c1, Padded("zz", 3).c_str());
  EXPECT_STREQ(c2, "  x");

  char text[256];
  EXPECT_EQ(xovaGetIdString(h, text), XOVA_OK);
  EXPECT_EQ(std::string(text), Padded("Sample survey", 64));
  EXPECT_EQ(xovaGetCaseWeightVar(h, text), XOVA_OK);
  EXPECT_STREQ(text, "income");
  char* sets = nullptr;
  EXPECT_EQ(xovaGetVariableSets(h, &sets), XOVA_OK);
  EXPECT_STREQ(sets, "Money= income respondent_id\n");
  xovaFreeVariableSets(sets);
  char* mr = nullptr;
  EXPECT_EQ(xovaGetMultRespDefs(h, &mr), XOVA_OK);
  ASSERT_NE(mr, nullptr);
  EXPECT_NE(std::strstr(mr, "Score income"), nullptr) << mr;
  xovaFreeMultRespDefs(mr);
  int dateCount = 0;
  int* dates = nullptr;
  EXPECT_EQ(xovaGetDateVariables(h, &dateCount, &dates), XOVA_OK);
  ASSERT_EQ(dateCount, 4);
  EXPECT_EQ(dates[3], 4);
  xovaFreeDateVariables(dates);
  EXPECT_EQ(xovaGetTextInfo(h, text), XOVA_OK);
  EXPECT_STREQ(text, "text info");
}

void ExpectSurveyCases(int h, const std::vector<SampleCase>& cases) {
  double vh[5];
  const char* names[] = {"respondent_id", "Score", "city_of_residence", "code", "income"};
  for (int i = 0; i < 5; ++i) ASSERT_EQ(xovaGetVarHandle(h, names[i], &vh[i]), XOVA_OK);
  for (const SampleCase& c : cases) {
    ASSERT_EQ(xovaReadCaseRecord(h), XOVA_OK) << "case " << c.id;
    double v = 0;
    ASSERT_EQ(xovaGetValueNumeric(h, vh[0], &v), XOVA_OK);
    EXPECT_EQ(v, c.id);
    ASSERT_EQ(xovaGetValueNumeric(h, vh[1], &v), XOVA_OK);
    EXPECT_EQ(std::memcmp(&v, &c.score, 8), 0) << "case " << c.id;
    ASSERT_EQ(xovaGetValueNumeric(h, vh[4], &v), XOVA_OK);
    EXPECT_EQ(v, c.income);
    char city[21];
    ASSERT_EQ(xovaGetValueChar(h, vh[2], city, sizeof city), XOVA_OK);
    EXPECT_EQ(std::string(city), Padded(c.city, 20));
    char code[4];
    ASSERT_EQ(xovaGetValueChar(h, vh[3], code, sizeof code), XOVA_OK);
    EXPECT_EQ(std::string(code), Padded(c.code, 3));
  }
}

}  // namespace xova_test
