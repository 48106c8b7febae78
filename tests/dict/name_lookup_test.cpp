#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "name_test_helpers.h"
#include "support/alloc_failure.h"
#include "xovaio32.h"

namespace {

using name_test::Append;
using name_test::Define;

TEST(NameLookup, FindsAVariableInAnyLetterCaseAndWithTrailingBlanks) {
  xova::Dictionary dict;
  ASSERT_EQ(Define(dict, "Age"), XOVA_OK);
  ASSERT_EQ(Define(dict, "income"), XOVA_OK);
  xova::VariableRecord* age = dict.vars[0].get();
  EXPECT_EQ(xova::FindVariable(dict, "AGE"), age);
  EXPECT_EQ(xova::FindVariable(dict, "age"), age);
  EXPECT_EQ(xova::FindVariable(dict, "Age  "), age);
  EXPECT_EQ(xova::FindVariable(dict, "INCOME"), dict.vars[1].get());
  EXPECT_EQ(xova::FindVariable(dict, "Ag"), nullptr);
  EXPECT_EQ(xova::FindVariable(dict, " Age"), nullptr);
}

TEST(NameLookup, NamesFoldRefusesAreNeverFound) {
  xova::Dictionary dict;
  ASSERT_EQ(Define(dict, "A"), XOVA_OK);
  EXPECT_EQ(xova::FindVariable(dict, nullptr), nullptr);
  EXPECT_EQ(xova::FindVariable(dict, ""), nullptr);
  EXPECT_EQ(xova::FindVariable(dict, "   "), nullptr);
  // A 65-byte name is not cut to some 64-byte name that exists.
  ASSERT_EQ(Define(dict, std::string(64, 'B')), XOVA_OK);
  EXPECT_NE(xova::FindVariable(dict, std::string(64, 'b').c_str()), nullptr);
  EXPECT_EQ(xova::FindVariable(dict, std::string(65, 'b').c_str()), nullptr);
}

TEST(NameLookup, NameDifferingOnlyInCaseIsADuplicate) {
  xova::Dictionary dict;
  ASSERT_EQ(Define(dict, "Age"), XOVA_OK);
  xova::VariableRecord& twin = Append(dict, "AGE");
  EXPECT_EQ(xova::AddToIndex(dict, &twin), XOVA_DUPLICATE_VARIABLE);
  EXPECT_EQ(xova::FindVariable(dict, "age"), dict.vars[0].get());
}

TEST(NameLookup, OutOfMemoryWhileIndexingLeavesTheIndexAsItWas) {
  xova_test::AllocFailureScope scope;
  xova::Dictionary dict;
  xova::VariableRecord& var = Append(dict, "Weight");
  xova_test::FailAllocationAfter(0);
  EXPECT_EQ(xova::AddToIndex(dict, &var), XOVA_OUT_OF_MEMORY);
  xova_test::ResetAllocFailure();
  EXPECT_EQ(xova::FindVariable(dict, "weight"), nullptr);
  EXPECT_EQ(xova::AddToIndex(dict, &var), XOVA_OK);
  EXPECT_EQ(xova::FindVariable(dict, "weight"), &var);
}

TEST(NameLookup, PositionsFollowTheElementCounts) {
  xova::Dictionary dict;
  EXPECT_EQ(dict.ElementCount(), 0);
  Append(dict, "n1", 0);
  Append(dict, "s8", 8);
  Append(dict, "s9", 9);
  Append(dict, "n2", 0);
  EXPECT_EQ(dict.vars[0]->position, 1);
  EXPECT_EQ(dict.vars[1]->position, 2);
  EXPECT_EQ(dict.vars[2]->position, 3);
  EXPECT_EQ(dict.vars[3]->position, 5);
  EXPECT_EQ(dict.ElementCount(), 5);
  Append(dict, "s255", 255);
  EXPECT_EQ(dict.ElementCount(), 5 + 32);
}

TEST(NameLookup, DisplayDefaultsByTypeAndBit) {
  xova::VariableRecord numeric, text;
  text.type = 5;
  xova::ApplyDisplayDefaults(&numeric, xova::kAllDisplayDefaults);
  xova::ApplyDisplayDefaults(&text, xova::kAllDisplayDefaults);
  EXPECT_EQ((std::vector<int>{numeric.measureLevel, numeric.columnWidth, numeric.alignment}),
            (std::vector<int>{3, 0, 1}));
  EXPECT_EQ((std::vector<int>{text.measureLevel, text.columnWidth, text.alignment}),
            (std::vector<int>{1, 0, 0}));
  // One bit resets one attribute.
  numeric.measureLevel = 2;
  numeric.columnWidth = 9;
  numeric.alignment = 2;
  xova::ApplyDisplayDefaults(&numeric, xova::kDefaultColumnWidth);
  EXPECT_EQ((std::vector<int>{numeric.measureLevel, numeric.columnWidth, numeric.alignment}),
            (std::vector<int>{2, 0, 2}));
  xova::ApplyDisplayDefaults(&numeric, xova::kDefaultAlignment);
  EXPECT_EQ(numeric.alignment, 1);
  EXPECT_EQ(numeric.measureLevel, 2);
  xova::ApplyDisplayDefaults(nullptr, xova::kAllDisplayDefaults);  // no effect, no crash
}

}  // namespace
