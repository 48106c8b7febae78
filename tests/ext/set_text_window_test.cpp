// The translator over texts larger than the reader's window, from spilled
// blocks, and when reading, writing or allocating fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ext/set_text_translator.h"
#include "ext/side_test_support.h"
#include "support/alloc_failure.h"
#include "xovaio32.h"

namespace {

using xova::BlockPtr;
using xova_test::BlockText;
using xova_test::TextBlock;

class SetTextWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(names_.Add("red", "RED"));
    ASSERT_TRUE(names_.Add("blue", "BLUE"));
  }

  std::string ToShort(const std::string& text, int subtype = xova::kMultRespSetsSubtype) {
    BlockPtr source = TextBlock(text);
    EXPECT_EQ(source->count, static_cast<std::int32_t>(text.size()));
    BlockPtr result;
    EXPECT_EQ(xova::TranslateSetText(source.get(), &result, names_.dict.index, subtype, 1),
              XOVA_OK);
    return BlockText(result.get());
  }

  xova_test::TestDictionary names_;
};

TEST_F(SetTextWindow, ManyLinesAcrossEveryWindowBoundary) {
  // Lines of varying length carry 256-byte labels and counted values, so that
  // fields straddle the window's refills at many different offsets.
  std::string text;
  std::string expected;
  for (int i = 0; i < 120; ++i) {
    const std::string value(static_cast<std::size_t>(1 + (i * 37) % 255), 'v');
    const std::string label(256, static_cast<char>('a' + i % 26));
    const std::string head = "$s" + std::to_string(i) + "=D" + std::to_string(value.size()) + " " +
                             value + " 256 " + label;
    text += head + " red nosuch blue\n";
    expected += head + " RED BLUE\n";
  }
  ASSERT_GT(text.size(), 10u * 4096u);
  EXPECT_EQ(ToShort(text), expected);
}

TEST_F(SetTextWindow, LinesLongerThanTheSkipStep) {
  const std::string huge(10000, 'q');
  // A broken line of 10000 bytes is skipped whole.
  EXPECT_EQ(ToShort("$bad " + huge + "\n$t=C 1 y red\n"), "$t=C 1 y RED\n");
  // An overlong token inside a good line is passed over.
  EXPECT_EQ(ToShort("$s=C 1 x red " + huge + " blue\n$t=C 1 y red\n"),
            "$s=C 1 x RED BLUE\n$t=C 1 y RED\n");
  // Runs of blanks and line ends longer than the window.
  EXPECT_EQ(ToShort("$s=C 1 x red" + std::string(9000, ' ') + "blue\n" + std::string(9000, '\n') +
                    "$t=C 1 y red\n"),
            "$s=C 1 x RED BLUE\n$t=C 1 y RED\n");
  // Thousands of unknown names on one line.
  std::string many = "G=";
  for (int i = 0; i < 3000; ++i) many += " x" + std::to_string(i);
  EXPECT_EQ(ToShort(many + " red\n", xova::kVariableSetsSubtype), "G= RED\n");
}

TEST_F(SetTextWindow, LastLongLineWithoutLineFeed) {
  std::string text = "$s=C 1 x";
  std::string expected = "$s=C 1 x";
  for (int i = 0; i < 2000; ++i) {
    text += (i % 2) ? " blue" : " red";
    expected += (i % 2) ? " BLUE" : " RED";
  }
  EXPECT_EQ(ToShort(text), expected);
}

TEST_F(SetTextWindow, AnEmbeddedNulEndsTheText) {
  const std::string text("$s=C 1 x red\n\0$t=C 1 y red\n", 27);
  EXPECT_EQ(ToShort(text), "$s=C 1 x RED\n");
}

TEST_F(SetTextWindow, UnreadableSourceGivesTempFileErrorAndNoBlock) {
  BlockPtr source = TextBlock(std::string(3000, ' ') + "$s=C 1 x red\n");
  ASSERT_TRUE(source->spilled);
  ASSERT_EQ(std::remove(source->spillPath.c_str()), 0);
  BlockPtr result = TextBlock("stale");
  EXPECT_EQ(xova::TranslateSetText(source.get(), &result, names_.dict.index, 7, 1),
            XOVA_TEMP_FILE_ERROR);
  EXPECT_FALSE(result);
  EXPECT_EQ(source->spillFile, nullptr);
}

TEST_F(SetTextWindow, AllocationFailuresGiveAWholeResultOrNone) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "$s" + std::to_string(i) + "=C 1 x red blue\n";
  std::string expected;
  for (int i = 0; i < 200; ++i) expected += "$s" + std::to_string(i) + "=C 1 x RED BLUE\n";
  BlockPtr source = TextBlock(text);
  int failures = 0;
  const long runs = xova_test::ForEachAllocationFailure([&] {
    BlockPtr result;
    const int rc = xova::TranslateSetText(source.get(), &result, names_.dict.index, 7, 1);
    xova_test::ResetAllocFailure();
    if (rc == XOVA_OK) {
      EXPECT_EQ(BlockText(result.get()), expected);
    } else {
      ++failures;
      EXPECT_TRUE(rc == XOVA_OUT_OF_MEMORY || rc == XOVA_TEMP_FILE_ERROR) << rc;
      EXPECT_FALSE(result);
    }
  });
  EXPECT_GT(runs, 0);
  EXPECT_GT(failures, 0);
}

}  // namespace
