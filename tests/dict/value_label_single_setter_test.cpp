// Single-label setters: check order, the pending edit and its fold.
#include <cmath>
#include <string>

#include "frame/special_values.h"
#include "label_test_support.h"

namespace {

using xova::FileMode;
using xova_test::ValueLabelTest;

using ValueLabelSingleSetter = ValueLabelTest;

TEST_F(ValueLabelSingleSetter, HandleModeAndCommitAreCheckedFirst) {
  EXPECT_EQ(xovaSetVarNValueLabel(-1, "N1", 1, "a"), XOVA_BAD_HANDLE);
  EXPECT_EQ(xovaSetVarCValueLabel(1000, "S2", "a", "a"), XOVA_BAD_HANDLE);
  fs_->mode = FileMode::kRead;
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "", 1, "a"), XOVA_OPEN_FOR_READ);
  fs_->mode = FileMode::kAppend;
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "", "a", "a"), XOVA_OPEN_FOR_READ);
  fs_->mode = FileMode::kWrite;
  fs_->committed = 1;
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "", 1, "a"), XOVA_ALREADY_COMMITTED);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "", "a", "a"), XOVA_ALREADY_COMMITTED);
  fs_->committed = 0;
  EXPECT_EQ(State(), "|none");
}

TEST_F(ValueLabelSingleSetter, NumericChecksInOrder) {
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "   ", 1, "a"), XOVA_BAD_VARIABLE_NAME);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, nullptr, 1, "a"), XOVA_BAD_VARIABLE_NAME);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, std::string(65, 'A').c_str(), 1, "a"),
            XOVA_BAD_VARIABLE_NAME);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "nosuch", 1, "a"), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "S2", 1, "a"), XOVA_NOT_NUMERIC);
  EXPECT_EQ(State(), "|none");
}

TEST_F(ValueLabelSingleSetter, StringChecksInOrder) {
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "", "a", "a"), XOVA_BAD_VARIABLE_NAME);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "nosuch", "a", "a"), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "N1", "a", "a"), XOVA_NOT_STRING);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S9", "a", "a"), XOVA_STRING_TOO_WIDE);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S2", "abc", "a"), XOVA_BAD_STRING_VALUE);
  EXPECT_EQ(State(), "|none");
}

TEST_F(ValueLabelSingleSetter, LabelGoesIntoTheEditAndIsFoldedLater) {
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "n1", 2, "two"), XOVA_OK);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1  ", 1, "one"), XOVA_OK);
  EXPECT_EQ(Sets(), "");  // not visible before the fold
  EXPECT_EQ(Pending(), "N1 1=one 2=two");
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N3", 5, "five"), XOVA_OK);
  EXPECT_EQ(Sets(), "N 1=one 2=two @1\n");
  EXPECT_EQ(Pending(), "N3 5=five");
}

TEST_F(ValueLabelSingleSetter, EqualValueReplacesTheLabel) {
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "old"), XOVA_OK);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 3, "three"), XOVA_OK);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "new"), XOVA_OK);
  EXPECT_EQ(Pending(), "N1 1=new 3=three");
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", -1, "first"), XOVA_OK);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 2, "mid"), XOVA_OK);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 9, "last"), XOVA_OK);
  EXPECT_EQ(Pending(), "N1 -1=first 1=new 2=mid 3=three 9=last");
}

TEST_F(ValueLabelSingleSetter, VariablesWithEqualLabelsShareOneSet) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N3", 1, "yes"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "yes"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N7", 1, "no"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N7", 1, "yes"), XOVA_OK);
  ASSERT_EQ(Fold(), XOVA_OK);
  // Positions in the order the variables were folded.
  EXPECT_EQ(Sets(), "N 1=yes @3,1,7\n");
}

TEST_F(ValueLabelSingleSetter, EditStartsFromTheSharedSetAndLeavesItToTheOthers) {
  const char* names[] = {"N1", "N3"};
  const double values[] = {1};
  const char* labels[] = {"yes"};
  ASSERT_EQ(xovaSetVarNValueLabels(h_, names, 2, values, labels, 1), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 2, "two"), XOVA_OK);
  EXPECT_EQ(Pending(), "N1 1=yes 2=two");
  ASSERT_EQ(Fold(), XOVA_OK);
  EXPECT_EQ(Sets(), "N 1=yes @3\nN 1=yes 2=two @1\n");
  // Back to the labels N3 has: N1 joins N3's set again.
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 2, "two"), XOVA_OK);
  fs_->pendingLabels->entries.pop_back();
  ASSERT_EQ(Fold(), XOVA_OK);
  EXPECT_EQ(Sets(), "N 1=yes @3,1\n");
}

TEST_F(ValueLabelSingleSetter, ReleasedSetIsRecreatedAtTheEnd) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "a"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N3", 2, "b"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "a"), XOVA_OK);  // folds N3, reopens N1
  ASSERT_EQ(Fold(), XOVA_OK);
  EXPECT_EQ(Sets(), "N 2=b @3\nN 1=a @1\n");
}

TEST_F(ValueLabelSingleSetter, LabelsAreCutAtSixtyCharacters) {
  const std::string sixty(60, 'x');
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, sixty.c_str()), XOVA_OK);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 2, (sixty + "yz").c_str()), XOVA_LABEL_TRUNCATED);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S2", "a", (sixty + "y").c_str()), XOVA_LABEL_TRUNCATED);
  EXPECT_EQ(Sets(), "N 1=" + sixty + " 2=" + sixty + " @1\n");
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 3, nullptr), XOVA_OK);  // null label: empty
  EXPECT_EQ(Sets(), "N 1=" + sixty + " 2=" + sixty + " @1\nC 'a       '=" + sixty + " @2\n");
  EXPECT_EQ(Pending(), "N1 1=" + sixty + " 2=" + sixty + " 3=");
}

TEST_F(ValueLabelSingleSetter, StringValuesAreFittedToTheWidthAndPaddedToEight) {
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S2", "ab", "two"), XOVA_OK);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S2", "cd   ", "blanks"), XOVA_OK);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S2", "abc", "x"), XOVA_BAD_STRING_VALUE);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S2", nullptr, "empty"), XOVA_OK);
  EXPECT_EQ(Pending(), "S2 '        '=empty 'ab      '=two 'cd      '=blanks");
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S8", "abcdefgh ", "nine"), XOVA_OK);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S8", "abcdefghi", "x"), XOVA_BAD_STRING_VALUE);
  EXPECT_EQ(Pending(), "S8 'abcdefgh'=nine");
}

TEST_F(ValueLabelSingleSetter, StringValuesSortAsUnsignedBytes) {
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S8", "\xE9", "high"), XOVA_OK);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S8", "z", "z"), XOVA_OK);
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S8", "A", "A"), XOVA_OK);
  ASSERT_EQ(fs_->pendingLabels->entries.size(), 3u);
  EXPECT_EQ(fs_->pendingLabels->entries[0].label, "A");
  EXPECT_EQ(fs_->pendingLabels->entries[1].label, "z");
  EXPECT_EQ(fs_->pendingLabels->entries[2].label, "high");
}

TEST_F(ValueLabelSingleSetter, PendingEditOfTheOtherClassIsRefused) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "a"), XOVA_OK);
  fs_->pendingLabels->typeClass = xova::kStringClass;
  const std::string before = State();
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 2, "b"), XOVA_NOT_NUMERIC);
  EXPECT_EQ(State(), before);
  ASSERT_EQ(xovaSetVarCValueLabel(h_, "S2", "a", "a"), XOVA_OK);
  fs_->pendingLabels->typeClass = xova::kNumericClass;
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S2", "b", "b"), XOVA_NOT_STRING);
}

TEST_F(ValueLabelSingleSetter, NumericFormTrustsItsOwnEditWithoutLookup) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "a"), XOVA_OK);
  Hide("N1");
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 2, "b"), XOVA_OK);
  EXPECT_EQ(Pending(), "N1 1=a 2=b");
  // The string form always looks the variable up.
  ASSERT_EQ(xovaSetVarCValueLabel(h_, "S2", "a", "a"), XOVA_BAD_LABEL_SET);
}

TEST_F(ValueLabelSingleSetter, FoldOfAVanishedVariableFailsAndKeepsTheEdit) {
  ASSERT_EQ(xovaSetVarCValueLabel(h_, "S2", "a", "a"), XOVA_OK);
  Hide("S2");
  EXPECT_EQ(xovaSetVarCValueLabel(h_, "S2", "a", "b"), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "x"), XOVA_BAD_LABEL_SET);
  EXPECT_EQ(Fold(), XOVA_BAD_LABEL_SET);
  EXPECT_EQ(State(), "|S2 'a       '=a");
}

TEST_F(ValueLabelSingleSetter, NotANumberIsEqualOnlyToTheSameBits) {
  const double nan1 = xova::BitsToDouble(0x7FF8000000000001ull);
  const double nan2 = xova::BitsToDouble(0x7FF8000000000002ull);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", nan2, "nan2"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 5, "five"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", nan1, "nan1"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", nan2, "again"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", -1e300, "low"), XOVA_OK);
  const auto& e = fs_->pendingLabels->entries;
  ASSERT_EQ(e.size(), 4u);  // numbers first, then the NaNs by their bits
  EXPECT_EQ(e[0].label, "low");
  EXPECT_EQ(e[1].label, "five");
  EXPECT_EQ(e[2].label, "nan1");
  EXPECT_EQ(e[3].label, "again");
}

TEST_F(ValueLabelSingleSetter, NegativeZeroEqualsZeroAndTakesItsPlace) {
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 0.0, "zero"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", -0.0, "minus"), XOVA_OK);
  const auto& e = fs_->pendingLabels->entries;
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].label, "minus");
  EXPECT_TRUE(std::signbit(e[0].number));
}

}  // namespace
