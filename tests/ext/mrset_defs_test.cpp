// Storing and fetching the whole multiple-response set text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ext/side_test_support.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::ModeOverride;
using xova_test::StateOf;

char kSentinel[] = "untouched";

TEST(MrSetDefs, StoredTextComesBackUnchanged) {
  xova_test::WriteHandle w;
  // Stored without validation: any text goes.
  const char* text = "anything at all\n$x=Q\r";
  ASSERT_EQ(xovaSetMultRespDefs(w.handle(), text), XOVA_OK);
  char* got = kSentinel;
  ASSERT_EQ(xovaGetMultRespDefs(w.handle(), &got), XOVA_OK);
  ASSERT_NE(got, nullptr);
  EXPECT_STREQ(got, text);
  EXPECT_EQ(xovaFreeMultRespDefs(got), XOVA_OK);
  // A second read gives the whole text again.
  ASSERT_EQ(xovaGetMultRespDefs(w.handle(), &got), XOVA_OK);
  EXPECT_STREQ(got, text);
  xovaFreeMultRespDefs(got);
  EXPECT_EQ(xovaGetMultRespDefs(w.handle(), nullptr), XOVA_OK);  // nowhere to put it
  EXPECT_EQ(xovaFreeMultRespDefs(nullptr), XOVA_OK);
}

TEST(MrSetDefs, NullOrEmptyTextEmptiesTheSlot) {
  xova_test::WriteHandle w;
  for (const char* empty : {static_cast<const char*>(nullptr), ""}) {
    ASSERT_EQ(xovaSetMultRespDefs(w.handle(), "$a=C 1 L x y\n"), XOVA_OK);
    EXPECT_EQ(xovaSetMultRespDefs(w.handle(), empty), XOVA_MRSETS_ABSENT);
    EXPECT_FALSE(StateOf(w.handle())->blocks[7]);
    char* got = kSentinel;
    EXPECT_EQ(xovaGetMultRespDefs(w.handle(), &got), XOVA_MRSETS_ABSENT);
    EXPECT_EQ(got, nullptr);
  }
}

TEST(MrSetDefs, LargeTextsSpillAndComeBackWhole) {
  xova_test::WriteHandle w;
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "$set" + std::to_string(i) + "=C 0  a b\n";
  ASSERT_EQ(xovaSetMultRespDefs(w.handle(), text.c_str()), XOVA_OK);
  ASSERT_TRUE(StateOf(w.handle())->blocks[7]->spilled);
  char* got = nullptr;
  ASSERT_EQ(xovaGetMultRespDefs(w.handle(), &got), XOVA_OK);
  EXPECT_EQ(got, text);
  xovaFreeMultRespDefs(got);
}

TEST(MrSetDefs, NonTextBlockIsRefused) {
  xova_test::WriteHandle w;
  const int ints[2] = {1, 2};
  ASSERT_EQ(xova::BlockReplace(&StateOf(w.handle())->blocks[7], 4, 2, ints), XOVA_OK);
  char* got = kSentinel;
  EXPECT_EQ(xovaGetMultRespDefs(w.handle(), &got), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(got, nullptr);
  // Nor can a set line be added to it.
  xova_test::AddTestVariable(&StateOf(w.handle())->dict, "a", "");
  xova_test::AddTestVariable(&StateOf(w.handle())->dict, "b", "");
  const char* vars[] = {"a", "b"};
  EXPECT_EQ(xovaAddMultRespDefN(w.handle(), "s", "", 0, 1, vars, 2), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(StateOf(w.handle())->blocks[7]->count, 2);
}

TEST(MrSetDefs, EmptyBlockCountsAsAbsent) {
  xova_test::WriteHandle w;
  ASSERT_EQ(xova::BlockReplace(&StateOf(w.handle())->blocks[7], 1, 0, nullptr), XOVA_OK);
  char* got = kSentinel;
  EXPECT_EQ(xovaGetMultRespDefs(w.handle(), &got), XOVA_MRSETS_ABSENT);
  EXPECT_EQ(got, nullptr);
}

TEST(MrSetDefs, GetterOutOfMemoryHandsOutNothing) {
  xova_test::WriteHandle w;
  ASSERT_EQ(xovaSetMultRespDefs(w.handle(), "$a=C 1 L x y\n"), XOVA_OK);
  xova_test::AllocFailureScope scope;
  xova_test::FailAllocationAfter(0);
  char* got = kSentinel;
  EXPECT_EQ(xovaGetMultRespDefs(w.handle(), &got), XOVA_OUT_OF_MEMORY);
  EXPECT_EQ(got, nullptr);
}

TEST(MrSetDefs, UnreadableSpillFileHandsOutNothing) {
  xova_test::WriteHandle w;
  ASSERT_EQ(xovaSetMultRespDefs(w.handle(), std::string(2000, 'x').c_str()), XOVA_OK);
  xova::ExtensionBlock* block = StateOf(w.handle())->blocks[7].get();
  ASSERT_TRUE(block->spilled);
  ASSERT_EQ(std::remove(block->spillPath.c_str()), 0);
  char* got = kSentinel;
  EXPECT_EQ(xovaGetMultRespDefs(w.handle(), &got), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(got, nullptr);
}

}  // namespace
