// List setters: check order, sorting, replacing and sharing of sets.
#include <climits>
#include <cstdint>
#include <string>

#include "dict/value_label_list_setters.h"
#include "frame/special_values.h"
#include "label_test_support.h"

namespace {

using xova::FileMode;
using xova_test::ValueLabelTest;

using ValueLabelListSetter = ValueLabelTest;

const double kOne[] = {1};
const char* kLabelA[] = {"a"};

int SetN(int h, std::initializer_list<const char*> names, std::initializer_list<double> values,
         std::initializer_list<const char*> labels) {
  return xovaSetVarNValueLabels(
      h, const_cast<const char**>(names.begin()), static_cast<int>(names.size()), values.begin(),
      const_cast<const char**>(labels.begin()), static_cast<int>(labels.size()));
}

int SetC(int h, std::initializer_list<const char*> names, std::initializer_list<const char*> values,
         std::initializer_list<const char*> labels) {
  return xovaSetVarCValueLabels(
      h, const_cast<const char**>(names.begin()), static_cast<int>(names.size()),
      const_cast<const char**>(values.begin()), const_cast<const char**>(labels.begin()),
      static_cast<int>(labels.size()));
}

TEST_F(ValueLabelListSetter, HandleModeAndCommitAreCheckedFirst) {
  const char* names[] = {"N1"};
  EXPECT_EQ(xovaSetVarNValueLabels(-1, names, 0, kOne, kLabelA, 0), XOVA_BAD_HANDLE);
  fs_->mode = FileMode::kAppend;
  EXPECT_EQ(xovaSetVarNValueLabels(h_, names, 0, kOne, kLabelA, 0), XOVA_OPEN_FOR_READ);
  EXPECT_EQ(xovaSetVarCValueLabels(h_, names, 0, kLabelA, kLabelA, 0), XOVA_OPEN_FOR_READ);
  fs_->mode = FileMode::kWrite;
  fs_->committed = 1;
  EXPECT_EQ(xovaSetVarNValueLabels(h_, names, 0, kOne, kLabelA, 0), XOVA_ALREADY_COMMITTED);
  fs_->committed = 0;
}

TEST_F(ValueLabelListSetter, CountsAreCheckedBeforeTheVariables) {
  const char* bad[] = {"nosuch"};
  EXPECT_EQ(xovaSetVarNValueLabels(h_, bad, 0, kOne, kLabelA, 0), XOVA_EMPTY_VARIABLE_LIST);
  EXPECT_EQ(xovaSetVarNValueLabels(h_, bad, -5, kOne, kLabelA, 1), XOVA_EMPTY_VARIABLE_LIST);
  EXPECT_EQ(xovaSetVarCValueLabels(h_, nullptr, 1, kLabelA, kLabelA, 1), XOVA_EMPTY_VARIABLE_LIST);
  EXPECT_EQ(xovaSetVarNValueLabels(h_, bad, 1, kOne, kLabelA, 0), XOVA_NO_VALUE_LABELS);
  EXPECT_EQ(xovaSetVarCValueLabels(h_, bad, 1, kLabelA, kLabelA, INT_MIN), XOVA_NO_VALUE_LABELS);
  EXPECT_EQ(xovaSetVarNValueLabels(h_, bad, 1, nullptr, kLabelA, 1), XOVA_NO_VALUE_LABELS);
  EXPECT_EQ(xovaSetVarCValueLabels(h_, bad, 1, kLabelA, nullptr, 1), XOVA_NO_VALUE_LABELS);
}

TEST_F(ValueLabelListSetter, NoLabelsLeavesEvenThePendingEditAlone) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "a"), XOVA_OK);
  const char* names[] = {"N3"};
  EXPECT_EQ(xovaSetVarNValueLabels(h_, names, 1, kOne, kLabelA, 0), XOVA_NO_VALUE_LABELS);
  EXPECT_EQ(State(), "|N1 1=a");
}

TEST_F(ValueLabelListSetter, ArraysBeyondTheSizeLimitAreRefused) {
  const std::size_t limit32 = 0xFFFFFFFFu;
  EXPECT_TRUE(xova::ListArraysFit(1000, 1000, limit32));
  EXPECT_FALSE(xova::ListArraysFit(1, INT_MAX, limit32));
  EXPECT_FALSE(xova::ListArraysFit(INT_MAX, 1, 0x7FFFFFFFu));
  // 64-bit sizes hold any int count; 32-bit ones cannot.
  EXPECT_EQ(xova::ListArraysFit(INT_MAX, INT_MAX), sizeof(std::size_t) >= 8);
}

TEST_F(ValueLabelListSetter, VariablesAreCheckedInListOrder) {
  EXPECT_EQ(SetN(h_, {"N1", "", "nosuch"}, {1}, {"a"}), XOVA_BAD_VARIABLE_NAME);
  EXPECT_EQ(SetN(h_, {"N1", "nosuch", ""}, {1}, {"a"}), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(SetN(h_, {"N1", "S2", "nosuch"}, {1}, {"a"}), XOVA_NOT_NUMERIC);
  EXPECT_EQ(SetC(h_, {"S2", "N1", "S9"}, {"a"}, {"a"}), XOVA_NOT_STRING);
  EXPECT_EQ(SetC(h_, {"S2", "S9", "N1"}, {"a"}, {"a"}), XOVA_STRING_TOO_WIDE);
  EXPECT_EQ(SetC(h_, {nullptr}, {"a"}, {"a"}), XOVA_BAD_VARIABLE_NAME);
  EXPECT_EQ(State(), "|none");
}

TEST_F(ValueLabelListSetter, VariableNamedTwiceIsRefusedBeforeAnythingChanges) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N3", 1, "a"), XOVA_OK);
  EXPECT_EQ(SetN(h_, {"N1", "N7", "n1 "}, {1}, {"a"}), XOVA_DUPLICATE_VARIABLE);
  EXPECT_EQ(State(), "|N3 1=a");
  // A later variable's error comes after the duplicate in list order.
  EXPECT_EQ(SetN(h_, {"N1", "N1", "nosuch"}, {1}, {"a"}), XOVA_DUPLICATE_VARIABLE);
}

TEST_F(ValueLabelListSetter, FoldErrorEndsTheCall) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N3", 1, "a"), XOVA_OK);
  Hide("N3");
  EXPECT_EQ(SetN(h_, {"N1"}, {1}, {"b"}), XOVA_BAD_LABEL_SET);
  EXPECT_EQ(State(), "|N3 1=a");
}

TEST_F(ValueLabelListSetter, ValuesAreSortedWithTheirOwnLabels) {
  EXPECT_EQ(SetN(h_, {"N1"}, {2.0, 1.0, 3.0}, {"two", "one", "three"}), XOVA_OK);
  EXPECT_EQ(Sets(), "N 1=one 2=two 3=three @1\n");
}

TEST_F(ValueLabelListSetter, EqualValuesAreRefusedAfterTheFold) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N3", 1, "a"), XOVA_OK);
  EXPECT_EQ(SetN(h_, {"N1"}, {1.0, 2.0, 1.0}, {"x", "y", "z"}), XOVA_DUPLICATE_VALUE);
  EXPECT_EQ(State(), "N 1=a @3\n|none");
  EXPECT_EQ(SetN(h_, {"N1"}, {0.0, -0.0}, {"x", "y"}), XOVA_DUPLICATE_VALUE);
  EXPECT_EQ(SetC(h_, {"S2"}, {"ab", "ab  "}, {"x", "y"}), XOVA_DUPLICATE_VALUE);
  EXPECT_EQ(State(), "N 1=a @3\n|none");
}

TEST_F(ValueLabelListSetter, NotANumberSortsLastAndIsEqualOnlyToItsOwnBits) {
  const double nanA = xova::BitsToDouble(0x7FF8000000000001ull);
  const double nanB = xova::BitsToDouble(0xFFF8000000000000ull);
  EXPECT_EQ(SetN(h_, {"N1"}, {nanB, 3, nanA, -2, nanA}, {"b", "3", "a", "-2", "a2"}),
            XOVA_DUPLICATE_VALUE);
  ASSERT_EQ(SetN(h_, {"N1"}, {nanB, 3, nanA, -2}, {"b", "3", "a", "-2"}), XOVA_OK);
  const auto& e = fs_->labelSets.front().entries;
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].label, "-2");
  EXPECT_EQ(e[1].label, "3");
  EXPECT_EQ(e[2].label, "a");
  EXPECT_EQ(e[3].label, "b");
}

TEST_F(ValueLabelListSetter, ListedLabelsReplaceWithoutMerging) {
  ASSERT_EQ(SetN(h_, {"N1", "N3"}, {1, 2}, {"a", "b"}), XOVA_OK);
  ASSERT_EQ(SetN(h_, {"N3", "N1"}, {5}, {"e"}), XOVA_OK);
  EXPECT_EQ(Sets(), "N 5=e @3,1\n");
}

TEST_F(ValueLabelListSetter, JoinsTheFirstIdenticalSet) {
  ASSERT_EQ(SetN(h_, {"N1"}, {1}, {"a"}), XOVA_OK);
  ASSERT_EQ(SetN(h_, {"N3"}, {2}, {"b"}), XOVA_OK);
  ASSERT_EQ(SetN(h_, {"N7", "N3"}, {1}, {"a"}), XOVA_OK);
  // N3 left its set, which was released; N7 and N3 joined N1's set in list order.
  EXPECT_EQ(Sets(), "N 1=a @1,7,3\n");
  // Labels differing in case make a set of their own.
  ASSERT_EQ(SetN(h_, {"N7"}, {1}, {"A"}), XOVA_OK);
  EXPECT_EQ(Sets(), "N 1=a @1,3\nN 1=A @7\n");
}

TEST_F(ValueLabelListSetter, SetReleasedByTheCallIsNotJoined) {
  ASSERT_EQ(SetN(h_, {"N1"}, {1}, {"a"}), XOVA_OK);
  ASSERT_EQ(SetN(h_, {"N3"}, {2}, {"b"}), XOVA_OK);
  ASSERT_EQ(SetN(h_, {"N1"}, {1}, {"a"}), XOVA_OK);
  EXPECT_EQ(Sets(), "N 2=b @3\nN 1=a @1\n");
}

TEST_F(ValueLabelListSetter, NumericAndStringSetsAreKeptApart) {
  ASSERT_EQ(SetN(h_, {"N1"}, {1}, {"a"}), XOVA_OK);
  ASSERT_EQ(SetC(h_, {"S2"}, {"x"}, {"a"}), XOVA_OK);
  ASSERT_EQ(SetN(h_, {"N3"}, {1}, {"a"}), XOVA_OK);
  EXPECT_EQ(Sets(), "N 1=a @1,3\nC 'x       '=a @2\n");
}

TEST_F(ValueLabelListSetter, StringValuesFitTheNarrowestWidth) {
  ASSERT_NE(xova_test::AddVariable(h_, "S3", 3), nullptr);  // position 8
  EXPECT_EQ(SetC(h_, {"S8", "S3"}, {"abcd"}, {"x"}), XOVA_BAD_STRING_VALUE);
  ASSERT_EQ(SetC(h_, {"S8", "S3"}, {"abc     ", "b", nullptr}, {"x", "y", "z"}), XOVA_OK);
  EXPECT_EQ(Sets(), "C '        '=z 'abc     '=x 'b       '=y @4,8\n");
}

TEST_F(ValueLabelListSetter, AnyCutLabelGivesTheWarning) {
  const std::string long61(61, 'q');
  EXPECT_EQ(SetN(h_, {"N1"}, {1, 2}, {"a", long61.c_str()}), XOVA_LABEL_TRUNCATED);
  EXPECT_EQ(Sets(), "N 1=a 2=" + std::string(60, 'q') + " @1\n");
  EXPECT_EQ(SetC(h_, {"S2"}, {"a"}, {std::string(60, 'r').c_str()}), XOVA_OK);
}

TEST_F(ValueLabelListSetter, PendingEditIsFoldedFirst) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "a"), XOVA_OK);
  ASSERT_EQ(SetC(h_, {"S2"}, {"x"}, {"a"}), XOVA_OK);
  EXPECT_EQ(State(), "N 1=a @1\nC 'x       '=a @2\n|none");
}

}  // namespace
