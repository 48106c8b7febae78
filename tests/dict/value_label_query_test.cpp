// Single-value and whole-set label queries and the free functions.
#include <cstring>
#include <string>

#include "frame/special_values.h"
#include "label_test_support.h"

namespace {

using xova::FileMode;
using xova_test::ValueLabelTest;

class ValueLabelQuery : public ValueLabelTest {
 protected:
  void SetUp() override {
    ValueLabelTest::SetUp();
    const char* names[] = {"N1"};
    const double values[] = {2, 1};
    const char* labels[] = {"eight ch", "one"};
    ASSERT_EQ(xovaSetVarNValueLabels(h_, names, 1, values, labels, 2), XOVA_OK);
    const char* snames[] = {"S2", "S8"};
    const char* svalues[] = {"ab", "c"};
    const char* slabels[] = {"AB", "C"};
    ASSERT_EQ(xovaSetVarCValueLabels(h_, snames, 2, svalues, slabels, 2), XOVA_OK);
  }
};

TEST_F(ValueLabelQuery, FindsTheLabelOfAValue) {
  char buf[61];
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "n1", 2, buf), XOVA_OK);
  EXPECT_STREQ(buf, "eight ch");
  EXPECT_EQ(xovaGetVarCValueLabel(h_, "S2", "ab   ", buf), XOVA_OK);
  EXPECT_STREQ(buf, "AB");
  EXPECT_EQ(xovaGetVarCValueLabel(h_, "S8", "c", buf), XOVA_OK);
  EXPECT_STREQ(buf, "C");
}

TEST_F(ValueLabelQuery, AbsentLabelAndAbsentLabelsDiffer) {
  char buf[61] = "junk";
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "N1", 3, buf), XOVA_LABEL_ABSENT);
  EXPECT_STREQ(buf, "");
  std::strcpy(buf, "junk");
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "N3", 1, buf), XOVA_NO_VALUE_LABELS);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(xovaGetVarCValueLabel(h_, "S2", "zz", buf), XOVA_LABEL_ABSENT);
}

TEST_F(ValueLabelQuery, ChecksInOrderAndEmptiesTheBufferOnFailure) {
  char buf[8] = "junk";
  int copied = 5;
  EXPECT_EQ(xovaGetVarNValueLabelLong(-1, "N1", 2, buf, 8, &copied), XOVA_BAD_HANDLE);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(copied, 0);
  EXPECT_EQ(xovaGetVarNValueLabelLong(h_, "", 2, buf, 8, &copied), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaGetVarNValueLabelLong(h_, "S2", 2, buf, 8, &copied), XOVA_NOT_NUMERIC);
  EXPECT_EQ(xovaGetVarCValueLabelLong(h_, "N1", "a", buf, 8, &copied), XOVA_NOT_STRING);
  EXPECT_EQ(xovaGetVarCValueLabelLong(h_, "S9", "a", buf, 8, &copied), XOVA_STRING_TOO_WIDE);
  std::strcpy(buf, "junk");
  copied = 5;
  EXPECT_EQ(xovaGetVarCValueLabelLong(h_, "S2", "abc", buf, 8, &copied), XOVA_BAD_STRING_VALUE);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(copied, 0);
}

TEST_F(ValueLabelQuery, LongFormCopiesWhatFitsWithoutWarning) {
  char buf[16];
  int copied = -1;
  EXPECT_EQ(xovaGetVarNValueLabelLong(h_, "N1", 2, buf, 5, &copied), XOVA_OK);
  EXPECT_STREQ(buf, "eigh");
  EXPECT_EQ(copied, 4);
  EXPECT_EQ(xovaGetVarNValueLabelLong(h_, "N1", 2, buf, 1, &copied), XOVA_OK);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(copied, 0);
  EXPECT_EQ(xovaGetVarNValueLabelLong(h_, "N1", 2, buf, 16, nullptr), XOVA_OK);
  EXPECT_STREQ(buf, "eight ch");
  EXPECT_EQ(xovaGetVarNValueLabelLong(h_, "N1", 2, buf, 9, &copied), XOVA_OK);
  EXPECT_EQ(copied, 8);
}

TEST_F(ValueLabelQuery, BufferWithoutRoomIsNeverWritten) {
  char buf[4] = "abc";
  int copied = 7;
  EXPECT_EQ(xovaGetVarNValueLabelLong(h_, "N1", 2, buf, 0, &copied), XOVA_BUFFER_TOO_SMALL);
  EXPECT_EQ(xovaGetVarNValueLabelLong(h_, "N1", 2, buf, -3, &copied), XOVA_BUFFER_TOO_SMALL);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(copied, 0);
  EXPECT_EQ(xovaGetVarNValueLabelLong(h_, "N1", 2, nullptr, 9, &copied), XOVA_OK);
  EXPECT_EQ(copied, 0);
}

TEST_F(ValueLabelQuery, PendingLabelsAreNotSeen) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 3, "three"), XOVA_OK);
  char buf[61];
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "N1", 3, buf), XOVA_LABEL_ABSENT);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N3", 3, "three"), XOVA_OK);
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "N1", 3, buf), XOVA_OK);
  EXPECT_STREQ(buf, "three");
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "N3", 3, buf), XOVA_NO_VALUE_LABELS);
}

TEST_F(ValueLabelQuery, WorksInEveryModeAndAfterTheCommit) {
  char buf[61];
  fs_->mode = FileMode::kRead;
  fs_->committed = 1;
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "N1", 1, buf), XOVA_OK);
  EXPECT_STREQ(buf, "one");
  fs_->mode = FileMode::kWrite;
  fs_->committed = 0;
}

TEST_F(ValueLabelQuery, VariableInSeveralSetsIsSearchedInAll) {
  // A file read may list one variable in more than one set.
  xova::ValueLabelSet extra;
  extra.typeClass = xova::kNumericClass;
  extra.entries.push_back(xova::ValueLabelEntry::Numeric(7));
  extra.entries.back().label = "seven";
  extra.variables = {xova::VariablePosition{1}};
  fs_->labelSets.push_back(extra);
  char buf[61];
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "N1", 7, buf), XOVA_OK);
  EXPECT_STREQ(buf, "seven");
  // The whole-set query uses the first one.
  double* values = nullptr;
  char** labels = nullptr;
  int n = 0;
  ASSERT_EQ(xovaGetVarNValueLabels(h_, "N1", &values, &labels, &n), XOVA_OK);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(xovaFreeVarNValueLabels(values, labels, n), XOVA_OK);
}

TEST_F(ValueLabelQuery, NotANumberFindsOnlyItsOwnBits) {
  const double nanA = xova::BitsToDouble(0x7FF8000000000001ull);
  const double nanB = xova::BitsToDouble(0x7FF8000000000002ull);
  const char* names[] = {"N3"};
  const double values[] = {nanA};
  const char* labels[] = {"nan"};
  ASSERT_EQ(xovaSetVarNValueLabels(h_, names, 1, values, labels, 1), XOVA_OK);
  char buf[61];
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "N3", nanA, buf), XOVA_OK);
  EXPECT_EQ(xovaGetVarNValueLabel(h_, "N3", nanB, buf), XOVA_LABEL_ABSENT);
}

TEST_F(ValueLabelQuery, WholeNumericSetInEntryOrder) {
  double* values = reinterpret_cast<double*>(1);
  char** labels = reinterpret_cast<char**>(1);
  int n = -1;
  ASSERT_EQ(xovaGetVarNValueLabels(h_, "N1", &values, &labels, &n), XOVA_OK);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(values[0], 1.0);
  EXPECT_EQ(values[1], 2.0);
  EXPECT_STREQ(labels[0], "one");
  EXPECT_STREQ(labels[1], "eight ch");
  EXPECT_EQ(xovaFreeVarNValueLabels(values, labels, n), XOVA_OK);
}

TEST_F(ValueLabelQuery, WholeStringSetIsGivenAtTheVariablesWidth) {
  char** values = nullptr;
  char** labels = nullptr;
  int n = 0;
  ASSERT_EQ(xovaGetVarCValueLabels(h_, "S8", &values, &labels, &n), XOVA_OK);
  ASSERT_EQ(n, 2);
  EXPECT_STREQ(values[0], "ab      ");
  EXPECT_STREQ(values[1], "c       ");
  EXPECT_STREQ(labels[1], "C");
  EXPECT_EQ(xovaFreeVarCValueLabels(values, labels, n), XOVA_OK);
  ASSERT_EQ(xovaGetVarCValueLabels(h_, "S2", &values, &labels, &n), XOVA_OK);
  EXPECT_STREQ(values[0], "ab");
  EXPECT_STREQ(values[1], "c ");
  EXPECT_EQ(xovaFreeVarCValueLabels(values, labels, n), XOVA_OK);
}

TEST_F(ValueLabelQuery, WholeSetFailuresLeaveNullOutputs) {
  double* values = reinterpret_cast<double*>(1);
  char** labels = reinterpret_cast<char**>(1);
  int n = 3;
  EXPECT_EQ(xovaGetVarNValueLabels(-1, "N1", &values, &labels, &n), XOVA_BAD_HANDLE);
  EXPECT_EQ(values, nullptr);
  EXPECT_EQ(labels, nullptr);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(xovaGetVarNValueLabels(h_, "nosuch", &values, &labels, &n), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaGetVarNValueLabels(h_, "S2", &values, &labels, &n), XOVA_NOT_NUMERIC);
  char** svalues = reinterpret_cast<char**>(1);
  EXPECT_EQ(xovaGetVarCValueLabels(h_, "N1", &svalues, &labels, &n), XOVA_NOT_STRING);
  EXPECT_EQ(svalues, nullptr);
  EXPECT_EQ(xovaGetVarCValueLabels(h_, "S9", &svalues, &labels, &n), XOVA_STRING_TOO_WIDE);
  EXPECT_EQ(xovaGetVarNValueLabels(h_, "N3", &values, &labels, &n), XOVA_NO_VALUE_LABELS);
  EXPECT_EQ(values, nullptr);
  EXPECT_EQ(n, 0);
  // What a -8 query returns is accepted by the free function.
  EXPECT_EQ(xovaFreeVarNValueLabels(values, labels, n), XOVA_OK);
  EXPECT_EQ(xovaFreeVarCValueLabels(nullptr, nullptr, 0), XOVA_OK);
}

TEST_F(ValueLabelQuery, MissingOutPointerBuildsNothing) {
  double* values = nullptr;
  int n = 0;
  EXPECT_EQ(xovaGetVarNValueLabels(h_, "N1", &values, nullptr, &n), XOVA_OK);
  EXPECT_EQ(values, nullptr);
  EXPECT_EQ(n, 0);
}

TEST(ValueLabelFree, MismatchedArgumentsReleaseNothing) {
  double number = 0;
  char* text = nullptr;
  EXPECT_EQ(xovaFreeVarNValueLabels(&number, nullptr, 1), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarNValueLabels(nullptr, &text, 1), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarNValueLabels(&number, &text, 0), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarNValueLabels(nullptr, nullptr, -1), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarCValueLabels(&text, &text, -2), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarCValueLabels(nullptr, &text, 1), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarCValueLabels(&text, nullptr, 0), XOVA_BAD_FREE_ARGS);
}

}  // namespace
