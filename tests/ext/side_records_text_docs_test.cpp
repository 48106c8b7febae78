// Text information and documents copied between open files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ext/side_test_support.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::BlockText;
using xova_test::ModeOverride;
using xova_test::StateOf;

TEST(TextInfo, TextIsCutTo255Bytes) {
  xova_test::WriteHandle w;
  std::string text;
  for (int i = 0; i < 300; ++i) text += static_cast<char>('a' + i % 26);
  ASSERT_EQ(xovaSetTextInfo(w.handle(), text.c_str()), XOVA_OK);
  EXPECT_EQ(StateOf(w.handle())->blocks[10]->count, 255);
  char buffer[300];
  std::memset(buffer, 'z', sizeof buffer);
  ASSERT_EQ(xovaGetTextInfo(w.handle(), buffer), XOVA_OK);
  EXPECT_EQ(std::string(buffer), text.substr(0, 255));
}

TEST(TextInfo, NullTextLeavesAnEmptyBlock) {
  xova_test::WriteHandle w;
  char buffer[256] = "stale";
  ASSERT_EQ(xovaGetTextInfo(w.handle(), buffer), XOVA_OK);  // nothing stored yet
  EXPECT_STREQ(buffer, "");
  ASSERT_EQ(xovaSetTextInfo(w.handle(), "made by hand"), XOVA_OK);
  ASSERT_EQ(xovaSetTextInfo(w.handle(), nullptr), XOVA_OK);
  ASSERT_TRUE(StateOf(w.handle())->blocks[10]);
  EXPECT_EQ(StateOf(w.handle())->blocks[10]->count, 0);
  ASSERT_EQ(xovaGetTextInfo(w.handle(), buffer), XOVA_OK);
  EXPECT_STREQ(buffer, "");
}

class Documents : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(from_.open_result(), XOVA_OK);
    ASSERT_EQ(to_.open_result(), XOVA_OK);
  }
  // Documents only come from a file read; here they are put in place directly.
  void GiveSourceDocuments(const std::string& lines) {
    ASSERT_EQ(xova::BlockReplace(&StateOf(from_.handle())->blocks[0], 1,
                                 static_cast<std::int32_t>(lines.size()), lines.data()),
              XOVA_OK);
  }
  std::string TargetDocuments() { return BlockText(StateOf(to_.handle())->blocks[0].get()); }

  xova_test::WriteHandle from_{"from.data"};
  xova_test::WriteHandle to_{"to.data"};
};

TEST_F(Documents, TwoLinesAreCopied) {
  const std::string lines = std::string(80, 'a') + std::string(80, 'b');
  GiveSourceDocuments(lines);
  ASSERT_EQ(xovaCopyDocuments(from_.handle(), to_.handle()), XOVA_OK);
  EXPECT_EQ(StateOf(to_.handle())->blocks[0]->count, 160);
  EXPECT_EQ(TargetDocuments(), lines);
  // The source can be read again: its cursor is back at the start.
  EXPECT_EQ(StateOf(from_.handle())->blocks[0]->cursor, 0);
}

TEST_F(Documents, LargeDocumentsAreCopiedInPieces) {
  std::string lines;
  for (int i = 0; i < 40; ++i) lines += std::string(80, static_cast<char>('A' + i % 26));
  GiveSourceDocuments(lines);
  ASSERT_TRUE(StateOf(from_.handle())->blocks[0]->spilled);
  ASSERT_EQ(xovaCopyDocuments(from_.handle(), to_.handle()), XOVA_OK);
  EXPECT_EQ(TargetDocuments(), lines);
  EXPECT_EQ(StateOf(from_.handle())->blocks[0]->spillFile, nullptr);
}

TEST_F(Documents, SourceWithoutDocumentsClearsTheTarget) {
  const std::string old(80, 'o');
  ASSERT_EQ(xova::BlockReplace(&StateOf(to_.handle())->blocks[0], 1, 80, old.data()), XOVA_OK);
  ASSERT_EQ(xovaCopyDocuments(from_.handle(), to_.handle()), XOVA_OK);
  EXPECT_FALSE(StateOf(to_.handle())->blocks[0]);
}

TEST_F(Documents, CopyToItselfDoesNothing) {
  const std::string lines(80, 's');
  GiveSourceDocuments(lines);
  ASSERT_EQ(xovaCopyDocuments(from_.handle(), from_.handle()), XOVA_OK);
  EXPECT_EQ(BlockText(StateOf(from_.handle())->blocks[0].get()), lines);
}

TEST_F(Documents, SourceInAnyModeAndEqualHandles) {
  const std::string old(80, 'o');
  ASSERT_EQ(xova::BlockReplace(&StateOf(to_.handle())->blocks[0], 1, 80, old.data()), XOVA_OK);
  GiveSourceDocuments(std::string(80, 'n'));
  EXPECT_EQ(xovaCopyDocuments(-1, 1000), XOVA_BAD_HANDLE);
  {
    ModeOverride committed(to_.handle(), FileMode::kWrite, 1);
    // Equal handles are refused by the target's checks before they do nothing.
    EXPECT_EQ(xovaCopyDocuments(to_.handle(), to_.handle()), XOVA_ALREADY_COMMITTED);
  }
  EXPECT_EQ(TargetDocuments(), old);
  {
    // The source may be in any mode; only the target must take definitions.
    ModeOverride read(from_.handle(), FileMode::kRead, 1);
    ASSERT_EQ(xovaCopyDocuments(from_.handle(), to_.handle()), XOVA_OK);
  }
  EXPECT_EQ(TargetDocuments(), std::string(80, 'n'));
}

TEST_F(Documents, FailedCopyKeepsTheTargetDocuments) {
  const std::string old(80, 'o');
  ASSERT_EQ(xova::BlockReplace(&StateOf(to_.handle())->blocks[0], 1, 80, old.data()), XOVA_OK);
  GiveSourceDocuments(std::string(2000, 'n'));
  xova::ExtensionBlock* source = StateOf(from_.handle())->blocks[0].get();
  ASSERT_TRUE(source->spilled);
  ASSERT_EQ(std::remove(source->spillPath.c_str()), 0);
  EXPECT_EQ(xovaCopyDocuments(from_.handle(), to_.handle()), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(TargetDocuments(), old);
}

}  // namespace
