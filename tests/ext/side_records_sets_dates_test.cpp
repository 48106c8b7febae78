// Variable sets and date-variable information.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ext/side_test_support.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::ModeOverride;
using xova_test::StateOf;

char kSentinel[] = "untouched";
int kIntSentinel[1] = {42};

TEST(VariableSets, TextIsStoredWithoutValidationAndReturned) {
  xova_test::WriteHandle w;
  const char* text = "Demographics= age sex\nnot even a set\n";
  ASSERT_EQ(xovaSetVariableSets(w.handle(), text), XOVA_OK);
  char* got = kSentinel;
  ASSERT_EQ(xovaGetVariableSets(w.handle(), &got), XOVA_OK);
  EXPECT_STREQ(got, text);
  EXPECT_EQ(xovaFreeVariableSets(got), XOVA_OK);
  EXPECT_EQ(xovaFreeVariableSets(nullptr), XOVA_OK);
}

TEST(VariableSets, EmptyTextEmptiesTheSlotWithAWarning) {
  xova_test::WriteHandle w;
  ASSERT_EQ(xovaSetVariableSets(w.handle(), "G= a b\n"), XOVA_OK);
  EXPECT_EQ(xovaSetVariableSets(w.handle(), ""), XOVA_VARSETS_ABSENT);
  char* got = kSentinel;
  EXPECT_EQ(xovaGetVariableSets(w.handle(), &got), XOVA_VARSETS_ABSENT);
  EXPECT_EQ(got, nullptr);
  ASSERT_EQ(xovaSetVariableSets(w.handle(), "G= a b\n"), XOVA_OK);
  EXPECT_EQ(xovaSetVariableSets(w.handle(), nullptr), XOVA_VARSETS_ABSENT);
  EXPECT_FALSE(StateOf(w.handle())->blocks[5]);
}

TEST(VariableSets, NonTextBlockIsRefused) {
  xova_test::WriteHandle w;
  const int ints[1] = {7};
  ASSERT_EQ(xova::BlockReplace(&StateOf(w.handle())->blocks[5], 4, 1, ints), XOVA_OK);
  char* got = kSentinel;
  EXPECT_EQ(xovaGetVariableSets(w.handle(), &got), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(got, nullptr);
}

TEST(DateVariables, IntegersRoundTrip) {
  xova_test::WriteHandle w;
  const int info[3] = {1, -2, 0x7fffffff};
  ASSERT_EQ(xovaSetDateVariables(w.handle(), 3, info), XOVA_OK);
  int count = -1;
  int* got = kIntSentinel;
  ASSERT_EQ(xovaGetDateVariables(w.handle(), &count, &got), XOVA_OK);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(std::vector<int>(got, got + 3), std::vector<int>(info, info + 3));
  EXPECT_EQ(xovaFreeDateVariables(got), XOVA_OK);
  EXPECT_EQ(xovaFreeDateVariables(nullptr), XOVA_OK);
}

TEST(DateVariables, LargeArraysSpillAndComeBackWhole) {
  xova_test::WriteHandle w;
  std::vector<int> info(1000);
  for (int i = 0; i < 1000; ++i) info[static_cast<std::size_t>(i)] = i * 7 - 3000;
  ASSERT_EQ(xovaSetDateVariables(w.handle(), 1000, info.data()), XOVA_OK);
  ASSERT_TRUE(StateOf(w.handle())->blocks[6]->spilled);
  int count = 0;
  int* got = nullptr;
  ASSERT_EQ(xovaGetDateVariables(w.handle(), &count, &got), XOVA_OK);
  ASSERT_EQ(count, 1000);
  EXPECT_EQ(std::vector<int>(got, got + 1000), info);
  xovaFreeDateVariables(got);
}

TEST(DateVariables, ZeroCountOrNullArrayEmptiesTheSlot) {
  xova_test::WriteHandle w;
  const int info[2] = {5, 6};
  ASSERT_EQ(xovaSetDateVariables(w.handle(), 2, info), XOVA_OK);
  EXPECT_EQ(xovaSetDateVariables(w.handle(), 0, info), XOVA_OK);
  int count = -1;
  int* got = kIntSentinel;
  EXPECT_EQ(xovaGetDateVariables(w.handle(), &count, &got), XOVA_DATE_INFO_ABSENT);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(got, nullptr);
  ASSERT_EQ(xovaSetDateVariables(w.handle(), 2, info), XOVA_OK);
  EXPECT_EQ(xovaSetDateVariables(w.handle(), 2, nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetDateVariables(w.handle(), &count, &got), XOVA_DATE_INFO_ABSENT);
}

TEST(DateVariables, RefusalsChangeNothing) {
  xova_test::WriteHandle w;
  const int info[2] = {5, 6};
  ASSERT_EQ(xovaSetDateVariables(w.handle(), 2, info), XOVA_OK);
  EXPECT_EQ(xovaSetDateVariables(w.handle(), -1, info), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xovaSetDateVariables(w.handle(), -1, nullptr), XOVA_BAD_EXT_INDEX);
  {
    // The handle checks come before the count.
    ModeOverride committed(w.handle(), FileMode::kWrite, 1);
    EXPECT_EQ(xovaSetDateVariables(w.handle(), -1, nullptr), XOVA_ALREADY_COMMITTED);
  }
  int count = 0;
  int* got = nullptr;
  ASSERT_EQ(xovaGetDateVariables(w.handle(), &count, &got), XOVA_OK);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(got[0], 5);
  EXPECT_EQ(got[1], 6);
  xovaFreeDateVariables(got);
}

TEST(DateVariables, GetterRefusesOtherElementSizesAndNullOutputs) {
  xova_test::WriteHandle w;
  int count = -1;
  int* got = kIntSentinel;
  const double wide[2] = {1.0, 2.0};
  ASSERT_EQ(xova::BlockReplace(&StateOf(w.handle())->blocks[6], 8, 2, wide), XOVA_OK);
  got = kIntSentinel;
  EXPECT_EQ(xovaGetDateVariables(w.handle(), &count, &got), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(got, nullptr);
  // Null out-pointers are not written through.
  const int info[1] = {9};
  ASSERT_EQ(xovaSetDateVariables(w.handle(), 1, info), XOVA_OK);
  EXPECT_EQ(xovaGetDateVariables(w.handle(), nullptr, nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetDateVariables(w.handle(), &count, nullptr), XOVA_OK);
  EXPECT_EQ(count, 1);
}

TEST(DateVariables, GetterOutOfMemoryHandsOutNothing) {
  xova_test::WriteHandle w;
  const int info[2] = {5, 6};
  ASSERT_EQ(xovaSetDateVariables(w.handle(), 2, info), XOVA_OK);
  xova_test::AllocFailureScope scope;
  xova_test::FailAllocationAfter(0);
  int count = -1;
  int* got = kIntSentinel;
  EXPECT_EQ(xovaGetDateVariables(w.handle(), &count, &got), XOVA_OUT_OF_MEMORY);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(got, nullptr);
}

}  // namespace
