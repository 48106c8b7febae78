// Setting and querying user-missing values.
#include <cstring>
#include <string>

#include "frame/special_values.h"
#include "label_test_support.h"

namespace {

using xova::FileMode;
using xova_test::ValueLabelTest;

using MissingValues = ValueLabelTest;

const double kLowest = xova::BitsToDouble(xova::kLowestBits);
const double kHighest = xova::BitsToDouble(xova::kHighestBits);

struct NumericMissing {
  int code = 99;
  double v[3] = {-7, -7, -7};
};

NumericMissing GetN(int h, const char* name, int* rc) {
  NumericMissing m;
  *rc = xovaGetVarNMissingValues(h, name, &m.code, &m.v[0], &m.v[1], &m.v[2]);
  return m;
}

TEST_F(MissingValues, NumericSetterChecksInOrder) {
  EXPECT_EQ(xovaSetVarNMissingValues(-1, "N1", 1, 0, 0, 0), XOVA_BAD_HANDLE);
  fs_->mode = FileMode::kRead;
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "N1", 9, 0, 0, 0), XOVA_OPEN_FOR_READ);
  fs_->mode = FileMode::kAppend;
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "N1", 9, 0, 0, 0), XOVA_OPEN_FOR_READ);
  fs_->mode = FileMode::kWrite;
  fs_->committed = 1;
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "N1", 9, 0, 0, 0), XOVA_ALREADY_COMMITTED);
  fs_->committed = 0;
  // The code is checked before the variable is looked up.
  for (int code : {-4, -1, 4}) {
    EXPECT_EQ(xovaSetVarNMissingValues(h_, "nosuch", code, 0, 0, 0), XOVA_BAD_MISSING_FORMAT);
  }
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "nosuch", -2, 5, 1, 0), XOVA_BAD_MISSING_FORMAT);
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "N1", -3, 5, 1, 0), XOVA_BAD_MISSING_FORMAT);
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "nosuch", 1, 0, 0, 0), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaSetVarNMissingValues(h_, nullptr, 1, 0, 0, 0), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "S2", 1, 0, 0, 0), XOVA_NOT_NUMERIC);
  for (const auto& var : fs_->dict.vars) EXPECT_EQ(var->missingCode, 0);
}

TEST_F(MissingValues, StringSetterChecksInOrder) {
  EXPECT_EQ(xovaSetVarCMissingValues(1000, "S2", 1, "a", "", ""), XOVA_BAD_HANDLE);
  fs_->mode = FileMode::kRead;
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "S2", -2, "a", "", ""), XOVA_OPEN_FOR_READ);
  fs_->mode = FileMode::kWrite;
  fs_->committed = 1;
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "S2", -2, "a", "", ""), XOVA_ALREADY_COMMITTED);
  fs_->committed = 0;
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "nosuch", -2, "a", "b", ""), XOVA_BAD_MISSING_FORMAT);
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "nosuch", 4, "a", "b", ""), XOVA_BAD_MISSING_FORMAT);
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "nosuch", 1, "a", "", ""), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "N1", 1, "a", "", ""), XOVA_NOT_STRING);
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "S9", 1, "a", "", ""), XOVA_STRING_TOO_WIDE);
  for (const auto& var : fs_->dict.vars) EXPECT_EQ(var->missingCode, 0);
}

TEST_F(MissingValues, QueriesCheckHandleVariableAndClassInAnyMode) {
  int code = 5;
  double v = 3;
  char s[9] = "x";
  EXPECT_EQ(xovaGetVarNMissingValues(-1, "N1", &code, &v, &v, &v), XOVA_BAD_HANDLE);
  EXPECT_EQ(xovaGetVarNMissingValues(h_, "", &code, &v, &v, &v), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaGetVarNMissingValues(h_, "S2", &code, &v, &v, &v), XOVA_NOT_NUMERIC);
  EXPECT_EQ(xovaGetVarCMissingValues(h_, "N1", &code, s, s, s), XOVA_NOT_STRING);
  EXPECT_EQ(xovaGetVarCMissingValues(h_, "S9", &code, s, s, s), XOVA_STRING_TOO_WIDE);
  EXPECT_EQ(code, 5);
  EXPECT_EQ(v, 3);
  fs_->mode = FileMode::kRead;
  fs_->committed = 1;
  EXPECT_EQ(xovaGetVarNMissingValues(h_, "N1", &code, &v, &v, &v), XOVA_OK);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(v, 3);  // code 0 writes no value
  fs_->mode = FileMode::kWrite;
  fs_->committed = 0;
}

TEST_F(MissingValues, DiscreteValuesWriteOnlyTheSlotsTheyUse) {
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "N1", 3, 1, 2, 3), XOVA_OK);
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "n1", 1, 9, 8, 7), XOVA_OK);
  int rc = -1;
  NumericMissing m = GetN(h_, "N1", &rc);
  EXPECT_EQ(rc, XOVA_OK);
  EXPECT_EQ(m.code, 1);
  EXPECT_EQ(m.v[0], 9);
  EXPECT_EQ(m.v[1], -7);  // untouched
  EXPECT_EQ(m.v[2], -7);
  // Slots beyond the code keep their old contents.
  double slot2;
  std::memcpy(&slot2, xova::FindVariable(fs_->dict, "N1")->missing[1], sizeof slot2);
  EXPECT_EQ(slot2, 2);
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "N1", 0, 5, 5, 5), XOVA_OK);
  m = GetN(h_, "N1", &rc);
  EXPECT_EQ(m.code, 0);
  EXPECT_EQ(m.v[0], -7);
}

TEST_F(MissingValues, RangesAndRangePlusValue) {
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "N1", -2, 5, 5, 0), XOVA_OK);  // equal bounds
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "N1", -3, 1, 4, 9), XOVA_OK);
  int rc = -1;
  NumericMissing m = GetN(h_, "N1", &rc);
  EXPECT_EQ(m.code, -3);
  EXPECT_EQ(m.v[0], 1);
  EXPECT_EQ(m.v[1], 4);
  EXPECT_EQ(m.v[2], 9);
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "N1", -2, 2, 3, 0), XOVA_OK);
  m = GetN(h_, "N1", &rc);
  EXPECT_EQ(m.code, -2);
  EXPECT_EQ(m.v[1], 3);
  EXPECT_EQ(m.v[2], -7);
}

TEST_F(MissingValues, NotANumberCannotBoundARange) {
  const double nan = xova::BitsToDouble(0x7FF8000000000000ull);
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "N1", -2, nan, 1, 0), XOVA_BAD_MISSING_FORMAT);
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "N1", -3, 1, nan, 0), XOVA_BAD_MISSING_FORMAT);
  // As a discrete value (also the third of a range) it is stored as given.
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "N1", -3, 1, 2, nan), XOVA_OK);
  EXPECT_EQ(xovaSetVarNMissingValues(h_, "N1", 2, nan, 1, 0), XOVA_OK);
  int rc = -1;
  NumericMissing m = GetN(h_, "N1", &rc);
  EXPECT_EQ(xova::DoubleToBits(m.v[0]), 0x7FF8000000000000ull);
}

TEST_F(MissingValues, OpenRangeBoundsComeBackInThisLibrarysForm) {
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "N1", -2, kLowest, 10, 0), XOVA_OK);
  int rc = -1;
  NumericMissing m = GetN(h_, "N1", &rc);
  EXPECT_EQ(xova::DoubleToBits(m.v[0]), xova::kLowestBits);
  // A file read with other lowest and highest values: its own bounds translate.
  fs_->lowest = -1e300;
  fs_->highest = 1e300;
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "N1", -3, -1e300, 1e300, -1e300), XOVA_OK);
  m = GetN(h_, "N1", &rc);
  EXPECT_EQ(m.v[0], kLowest);
  EXPECT_EQ(m.v[1], kHighest);
  EXPECT_EQ(m.v[2], -1e300);  // the discrete value is never translated
  // Discrete values are never translated either.
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "N1", 2, -1e300, 1e300, 0), XOVA_OK);
  m = GetN(h_, "N1", &rc);
  EXPECT_EQ(m.v[0], -1e300);
  EXPECT_EQ(m.v[1], 1e300);
  fs_->lowest = kLowest;
  fs_->highest = kHighest;
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "N1", 1, kLowest, 0, 0), XOVA_OK);
  m = GetN(h_, "N1", &rc);
  EXPECT_EQ(xova::DoubleToBits(m.v[0]), xova::kLowestBits);
}

TEST_F(MissingValues, NullOutputsAreSkipped) {
  ASSERT_EQ(xovaSetVarNMissingValues(h_, "N1", 3, 1, 2, 3), XOVA_OK);
  double third = 0;
  EXPECT_EQ(xovaGetVarNMissingValues(h_, "N1", nullptr, nullptr, nullptr, &third), XOVA_OK);
  EXPECT_EQ(third, 3);
  ASSERT_EQ(xovaSetVarCMissingValues(h_, "S2", 2, "a", "b", nullptr), XOVA_OK);
  char second[9] = {};
  EXPECT_EQ(xovaGetVarCMissingValues(h_, "S2", nullptr, nullptr, second, nullptr), XOVA_OK);
  EXPECT_STREQ(second, "b ");
}

TEST_F(MissingValues, StringValuesArePaddedToTheWidth) {
  ASSERT_NE(xova_test::AddVariable(h_, "S3", 3), nullptr);
  ASSERT_EQ(xovaSetVarCMissingValues(h_, "S3", 3, "ab", "abc  ", nullptr), XOVA_OK);
  int code = 0;
  char v[3][9];
  std::memset(v, 'z', sizeof v);
  ASSERT_EQ(xovaGetVarCMissingValues(h_, "s3", &code, v[0], v[1], v[2]), XOVA_OK);
  EXPECT_EQ(code, 3);
  EXPECT_STREQ(v[0], "ab ");
  EXPECT_STREQ(v[1], "abc");
  EXPECT_STREQ(v[2], "   ");  // a null value counts as empty
  ASSERT_EQ(xovaSetVarCMissingValues(h_, "S3", 1, "x", nullptr, nullptr), XOVA_OK);
  std::memset(v, 'z', sizeof v);
  v[1][8] = '\0';
  ASSERT_EQ(xovaGetVarCMissingValues(h_, "S3", &code, v[0], v[1], v[2]), XOVA_OK);
  EXPECT_EQ(code, 1);
  EXPECT_STREQ(v[0], "x  ");
  EXPECT_STREQ(v[1], "zzzzzzzz");  // untouched
}

TEST_F(MissingValues, StringThatDoesNotFitLosesAllMissingValues) {
  ASSERT_NE(xova_test::AddVariable(h_, "S3", 3), nullptr);
  ASSERT_EQ(xovaSetVarCMissingValues(h_, "S3", 2, "a", "b", nullptr), XOVA_OK);
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "S3", 3, "c", "abcd", "e"), XOVA_BAD_STRING_VALUE);
  int code = 9;
  char v[9] = "keep";
  ASSERT_EQ(xovaGetVarCMissingValues(h_, "S3", &code, v, v, v), XOVA_OK);
  EXPECT_EQ(code, 0);
  EXPECT_STREQ(v, "keep");
  // A value of 8 characters plus blanks fits a width-8 variable.
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "S8", 1, "abcdefgh   ", nullptr, nullptr), XOVA_OK);
  ASSERT_EQ(xovaGetVarCMissingValues(h_, "S8", &code, v, nullptr, nullptr), XOVA_OK);
  EXPECT_STREQ(v, "abcdefgh");
}

TEST_F(MissingValues, StringSetterReadsOnlyTheValuesItUses) {
  // Garbage beyond the code must not be touched: pass pointers that would
  // fault if read.
  const char* poison = reinterpret_cast<const char*>(8);
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "S2", 1, "a", poison, poison), XOVA_OK);
  EXPECT_EQ(xovaSetVarCMissingValues(h_, "S2", 0, poison, poison, poison), XOVA_OK);
}

}  // namespace
