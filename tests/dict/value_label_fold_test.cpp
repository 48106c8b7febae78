// Folding the pending edit and removing variables from their sets.
#include "dict/label_set_assignment.h"
#include "dict/value_label_set.h"
#include "label_test_support.h"

namespace {

using xova::kNumericClass;
using xova::kStringClass;
using xova::LabelSetList;
using xova::ValueLabelEntry;
using xova::ValueLabelSet;
using xova_test::ValueLabelTest;

using ValueLabelFold = ValueLabelTest;

xova::PositionList Positions(std::initializer_list<int> list) {
  xova::PositionList out;
  for (int p : list) out.push_back(xova::VariablePosition{p});
  return out;
}

ValueLabelSet MakeSet(std::int32_t cls, double value, const char* label,
                      xova::PositionList positions) {
  ValueLabelSet set;
  set.typeClass = cls;
  ValueLabelEntry entry = ValueLabelEntry::Numeric(value);
  if (cls == kStringClass) entry = ValueLabelEntry::String("v       ");
  entry.label = label;
  set.entries.push_back(entry);
  set.variables = std::move(positions);
  return set;
}

TEST_F(ValueLabelFold, EmptySlotIsNothingToDo) {
  EXPECT_EQ(Fold(), XOVA_OK);
  EXPECT_EQ(State(), "|none");
}

TEST_F(ValueLabelFold, NewSetGoesToTheEndAndTheSlotEmpties) {
  fs_->labelSets.push_back(MakeSet(kNumericClass, 9, "nine", Positions({3})));
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "one"), XOVA_OK);
  ASSERT_EQ(Fold(), XOVA_OK);
  EXPECT_EQ(State(), "N 9=nine @3\nN 1=one @1\n|none");
}

TEST_F(ValueLabelFold, IdenticalMeansSameBitsAndSameLabels) {
  fs_->labelSets.push_back(MakeSet(kNumericClass, 0.0, "zero", Positions({3})));
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", -0.0, "zero"), XOVA_OK);
  ASSERT_EQ(Fold(), XOVA_OK);
  EXPECT_EQ(Sets(), "N 0=zero @3\nN -0=zero @1\n");
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N7", 0.0, "zero"), XOVA_OK);
  ASSERT_EQ(Fold(), XOVA_OK);
  EXPECT_EQ(Sets(), "N 0=zero @3,7\nN -0=zero @1\n");
}

TEST_F(ValueLabelFold, UsesTheClassOfTheVariable) {
  // A string set with the same text never takes a numeric variable.
  fs_->labelSets.push_back(MakeSet(kStringClass, 0, "x", Positions({1})));
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, "x"), XOVA_OK);
  ASSERT_EQ(Fold(), XOVA_OK);
  EXPECT_EQ(Sets(), "C 'v       '=x @1\nN 1=x @1\n");
}

TEST(LabelSetRemoval, OnlyTheFirstOccurrenceInTheFirstSetGoes) {
  LabelSetList sets;
  sets.push_back(MakeSet(kStringClass, 0, "s", Positions({1})));
  sets.push_back(MakeSet(kNumericClass, 1, "a", Positions({4, 1, 1})));
  sets.push_back(MakeSet(kNumericClass, 2, "b", Positions({1})));
  xova::RemoveFromLabelSet(sets, kNumericClass, 1);
  ASSERT_EQ(sets.size(), 3u);
  EXPECT_EQ(std::next(sets.begin())->variables, Positions({4, 1}));
  EXPECT_EQ(sets.back().variables, Positions({1}));
  EXPECT_EQ(sets.front().variables, Positions({1}));
}

TEST(LabelSetRemoval, SetLeftWithoutVariablesIsReleased) {
  LabelSetList sets;
  sets.push_back(MakeSet(kNumericClass, 1, "a", Positions({2})));
  sets.push_back(MakeSet(kNumericClass, 2, "b", Positions({3})));
  xova::RemoveFromLabelSet(sets, kNumericClass, 2);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets.front().entries[0].label, "b");
  xova::RemoveFromLabelSet(sets, kNumericClass, 99);  // not listed: nothing happens
  EXPECT_EQ(sets.size(), 1u);
}

TEST(LabelSetAssignment, PartlyEmptiedIdenticalSetIsJoined) {
  LabelSetList sets;
  sets.push_back(MakeSet(kNumericClass, 1, "a", Positions({1, 2})));
  std::vector<ValueLabelEntry> entries = sets.front().entries;
  xova::AssignLabelSet(sets, kNumericClass, entries, Positions({2, 5}));
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets.front().variables, Positions({1, 2, 5}));
}

TEST(LabelSetAssignment, WhollyEmptiedIdenticalSetIsReplacedAtTheEnd) {
  LabelSetList sets;
  sets.push_back(MakeSet(kNumericClass, 1, "a", Positions({1, 2})));
  sets.push_back(MakeSet(kNumericClass, 2, "b", Positions({3})));
  std::vector<ValueLabelEntry> entries = sets.front().entries;
  xova::AssignLabelSet(sets, kNumericClass, entries, Positions({2, 1}));
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(sets.front().entries[0].label, "b");
  EXPECT_EQ(sets.back().entries[0].label, "a");
  EXPECT_EQ(sets.back().variables, Positions({2, 1}));
}

}  // namespace
