#include "ext/extension_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "ext/spill_env.h"
#include "platform/shared_file.h"
#include "platform/temp_file.h"
#include "support/alloc_failure.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using xova::BlockPtr;

std::string Pattern(std::size_t n) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7) % 26);
  return s;
}

BlockPtr TextBlock(const std::string& text) {
  BlockPtr block = xova::BlockCreate(1);
  EXPECT_EQ(xova::BlockAppend(block.get(), static_cast<std::int32_t>(text.size()), text.data()),
            XOVA_OK);
  return block;
}

std::string FileText(const std::string& path) {
  const auto bytes = xova_test::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string Text(const xova::ExtensionBlock& block) {
  return reinterpret_cast<const char*>(block.data);
}

std::string Tail(const xova::ExtensionBlock& block) {
  return std::string(reinterpret_cast<const char*>(block.tail), 4);
}

// Everything the block holds, read through BlockRead from its first element.
std::string ReadAllText(xova::ExtensionBlock* block) {
  std::string out(static_cast<std::size_t>(block->count), '\0');
  block->cursor = 0;
  std::int32_t got = -1;
  EXPECT_EQ(xova::BlockRead(block, block->count, &got, &out[0]), XOVA_OK);
  EXPECT_EQ(got, block->count);
  return out;
}

class BlockTest : public ::testing::Test {
 protected:
  xova_test::SpillEnv env;
};

TEST_F(BlockTest, SpillsOncePastTheMemoryLimit) {
  const std::string text = Pattern(1024);
  BlockPtr block = TextBlock(text.substr(0, 1023));
  EXPECT_FALSE(block->spilled);
  EXPECT_EQ(block->capacity, 1024);  // 1023 bytes and the NUL
  EXPECT_EQ(Text(*block), text.substr(0, 1023));
  EXPECT_EQ(env.FileCount(), 0u);
  ASSERT_EQ(xova::BlockAppend(block.get(), 1, &text[1023]), XOVA_OK);
  EXPECT_TRUE(block->spilled);
  EXPECT_EQ(block->data, nullptr);
  EXPECT_EQ(block->capacity, 0);
  EXPECT_EQ(block->spillFile, nullptr);  // closed after every spilled append
  EXPECT_EQ(FileText(block->spillPath), text);
  ASSERT_EQ(xova::BlockAppend(block.get(), 3, "xyz"), XOVA_OK);
  EXPECT_EQ(ReadAllText(block.get()), text + "xyz");

  std::vector<std::int32_t> values(257, 7);
  BlockPtr ints = xova::BlockCreate(4);
  ASSERT_EQ(xova::BlockAppend(ints.get(), 256, values.data()), XOVA_OK);
  EXPECT_FALSE(ints->spilled);
  EXPECT_EQ(ints->capacity, 1024);  // no NUL for other element sizes
  ASSERT_EQ(xova::BlockAppend(ints.get(), 1, values.data()), XOVA_OK);
  EXPECT_EQ(xova_test::ReadFileBytes(ints->spillPath).size(), 257u * 4);
}

// In memory (4-byte elements) and spilled (200-byte elements) alike.
class BlockReadTest : public BlockTest, public ::testing::WithParamInterface<int> {};

TEST_P(BlockReadTest, TenElementsInFoursGiveFourFourTwoThenStartAgain) {
  const int elemSize = GetParam();
  std::vector<unsigned char> src(static_cast<std::size_t>(elemSize) * 10);
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<unsigned char>(i * 13);
  BlockPtr block = xova::BlockCreate(elemSize);
  ASSERT_EQ(xova::BlockAppend(block.get(), 10, src.data()), XOVA_OK);
  EXPECT_EQ(block->spilled, elemSize > 100);
  std::vector<unsigned char> dst(src.size());
  const int expected[] = {4, 4, 2, 4};
  const int first[] = {0, 4, 8, 0};
  for (int i = 0; i < 4; ++i) {
    std::int32_t got = -1;
    ASSERT_EQ(xova::BlockRead(block.get(), 4, &got, dst.data()), XOVA_OK);
    ASSERT_EQ(got, expected[i]);
    EXPECT_EQ(std::memcmp(dst.data(), &src[static_cast<std::size_t>(first[i] * elemSize)],
                          static_cast<std::size_t>(got * elemSize)),
              0);
    // The file stays open within a sequential read and closes at its end.
    if (block->spilled) {
      EXPECT_EQ(block->spillFile != nullptr, i != 2);
    }
  }
  std::int32_t got = -1;
  EXPECT_EQ(xova::BlockRead(block.get(), 0, &got, dst.data()), XOVA_OK);
  EXPECT_EQ(got, 0);
}

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, BlockReadTest, ::testing::Values(4, 200));

TEST(BlockTail, HoldsTheLastFourBytesAppended) {
  BlockPtr block = xova::BlockCreate(1);
  ASSERT_EQ(xova::BlockAppend(block.get(), 2, "ab"), XOVA_OK);
  EXPECT_EQ(Tail(*block), std::string("\0\0ab", 4));
  ASSERT_EQ(xova::BlockAppend(block.get(), 4, "cdef"), XOVA_OK);
  EXPECT_EQ(Tail(*block), "cdef");
  ASSERT_EQ(xova::BlockAppend(block.get(), 6, "uvwxyz"), XOVA_OK);
  EXPECT_EQ(Tail(*block), "wxyz");
  BlockPtr wide = xova::BlockCreate(8);
  ASSERT_EQ(xova::BlockAppend(wide.get(), 1, "12345678"), XOVA_OK);
  EXPECT_EQ(Tail(*wide), "5678");  // bytes, not elements
}

TEST_F(BlockTest, SpillFilesGoToTheChosenDirectoryElseTheSystemOne) {
  BlockPtr fromSystem = TextBlock(Pattern(2000));
  env.UseChosenDir();
  BlockPtr fromChosen = TextBlock(Pattern(2000));
  xovaSetTempDir(env.Missing().c_str());
  BlockPtr fellBack = TextBlock(Pattern(2000));
  const auto system = env.system().List();
  const auto chosen = env.chosen().List();
  ASSERT_EQ(system.size(), 2u);
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(system[0].rfind("xov", 0), 0u) << system[0];
  EXPECT_EQ(system[1].rfind("xov", 0), 0u) << system[1];
  EXPECT_EQ(chosen[0].rfind("dio", 0), 0u) << chosen[0];
  EXPECT_EQ(fromChosen->spillPath, env.chosen().File(chosen[0]));

  const std::string path = fromChosen->spillPath;
  fromChosen.reset();
  EXPECT_FALSE(xova_test::FileExists(path));  // freeing deletes the file
}

TEST_F(BlockTest, NoTemporaryFileGives54AndKeepsTheElements) {
  const std::string text = Pattern(1024);
  BlockPtr block = TextBlock(text.substr(0, 1023));
  xovaSetTempDir(env.Missing().c_str());
  env.SetSystemDir(env.Missing());
  EXPECT_EQ(xova::BlockAppend(block.get(), 1, &text[1023]), XOVA_TEMP_FILE_ERROR);
  EXPECT_FALSE(block->spilled);
  EXPECT_EQ(block->count, 1023);
  EXPECT_EQ(Text(*block), text.substr(0, 1023));
  EXPECT_EQ(Tail(*block), text.substr(1019, 4));  // a failed append leaves the tail
  env.SetSystemDir(env.system().path());
  ASSERT_EQ(xova::BlockAppend(block.get(), 1, &text[1023]), XOVA_OK);
  EXPECT_EQ(FileText(block->spillPath), text);
}

TEST_F(BlockTest, LostSpillFileGives54AndChangesNothing) {
  BlockPtr block = TextBlock(Pattern(1500));
  ASSERT_TRUE(xova::platform::RemoveFile(block->spillPath.c_str()));
  const std::string tail = Tail(*block);
  std::vector<char> dst(1500);
  std::int32_t got = -1;
  EXPECT_EQ(xova::BlockRead(block.get(), 100, &got, dst.data()), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(got, 0);
  EXPECT_EQ(block->cursor, 0);
  EXPECT_EQ(xova::BlockAppend(block.get(), 2, "qq"), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(block->count, 1500);
  EXPECT_EQ(Tail(*block), tail);
  EXPECT_EQ(xova::BlockLoad(block.get()), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(block->data, nullptr);
}

TEST_F(BlockTest, LoadGivesATerminatedCopyUntilUnload) {
  const std::string text = Pattern(1500);
  BlockPtr block = TextBlock(text);
  ASSERT_EQ(xova::BlockLoad(block.get()), XOVA_OK);
  EXPECT_EQ(Text(*block), text);
  EXPECT_EQ(block->capacity, 1501);
  // Appending would leave the copy stale and short.
  EXPECT_EQ(xova::BlockAppend(block.get(), 1, "z"), XOVA_BAD_EXT_INDEX);
  xova::BlockUnload(block.get());
  EXPECT_EQ(block->data, nullptr);
  ASSERT_EQ(xova::BlockAppend(block.get(), 1, "z"), XOVA_OK);
  EXPECT_EQ(ReadAllText(block.get()), text + "z");

  BlockPtr small = TextBlock("hello");  // never spilled: nothing to do
  unsigned char* data = small->data;
  EXPECT_EQ(xova::BlockLoad(small.get()), XOVA_OK);
  xova::BlockUnload(small.get());
  EXPECT_EQ(small->data, data);
}

TEST_F(BlockTest, OpenSpillServesADirectCopyIntoTheFile) {
  BlockPtr block = TextBlock("abc");  // the elements in memory move along
  ASSERT_EQ(xova::BlockOpenSpill(block.get()), XOVA_OK);
  const std::string more = Pattern(3000);
  ASSERT_TRUE(xova::platform::Seek(block->spillFile, 3, SEEK_SET));
  ASSERT_EQ(std::fwrite(more.data(), 1, more.size(), block->spillFile), more.size());
  block->count += 3000;
  xova::BlockUpdateTail(block.get(), 3000, more.data());
  xova::BlockCloseSpill(block.get());
  EXPECT_EQ(block->data, nullptr);
  EXPECT_EQ(ReadAllText(block.get()), "abc" + more);
  EXPECT_EQ(Tail(*block), more.substr(2996));
}

TEST_F(BlockTest, ReplaceIsAllOrNothing) {
  BlockPtr slot;
  ASSERT_EQ(xova::BlockReplace(&slot, 1, 3, "abc"), XOVA_OK);
  xova::ExtensionBlock* first = slot.get();
  EXPECT_EQ(xova::BlockReplace(&slot, 0, 3, "xyz"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::BlockReplace(&slot, 1, -3, "xyz"), XOVA_BAD_EXT_INDEX);
  xovaSetTempDir(env.Missing().c_str());
  env.SetSystemDir(env.Missing());
  EXPECT_EQ(xova::BlockReplace(&slot, 1, 2000, Pattern(2000).data()), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(slot.get(), first);
  EXPECT_EQ(Text(*slot), "abc");
  ASSERT_EQ(xova::BlockReplace(&slot, 4, 0, nullptr), XOVA_OK);
  EXPECT_EQ(slot->elemSize, 4);
  EXPECT_EQ(slot->count, 0);
}

TEST_F(BlockTest, RefusesArgumentsThatWouldCorruptIt) {
  EXPECT_EQ(xova::BlockCreate(0), nullptr);
  BlockPtr block = TextBlock("ab");
  EXPECT_EQ(xova::BlockAppend(block.get(), 0, "x"), XOVA_OK);
  EXPECT_EQ(xova::BlockAppend(block.get(), 5, nullptr), XOVA_OK);
  EXPECT_EQ(xova::BlockAppend(block.get(), -1, "x"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::BlockAppend(nullptr, 1, "x"), XOVA_BAD_EXT_INDEX);
  block->count = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(xova::BlockAppend(block.get(), 1, "c"), XOVA_OUT_OF_MEMORY);
  block->count = 2;
  EXPECT_EQ(Text(*block), "ab");
}

TEST_F(BlockTest, FailedEnlargementSpillsInstead) {
  BlockPtr block = TextBlock("abc");
  xova_test::AllocFailureScope scope;
  xova_test::FailAllocationAfter(0, /*sticky=*/false);  // only the larger buffer fails
  ASSERT_EQ(xova::BlockAppend(block.get(), 3, "def"), XOVA_OK);
  EXPECT_EQ(xova_test::FailedAllocations(), 1);
  EXPECT_TRUE(block->spilled);
  EXPECT_EQ(FileText(block->spillPath), "abcdef");
}

TEST_F(BlockTest, OutOfMemoryNeverLosesElementsOrLeavesFiles) {
  const std::string text = Pattern(1200);
  const long runs = xova_test::ForEachAllocationFailure([&] {
    BlockPtr block = xova::BlockCreate(1);
    if (!block) return;
    const int first = xova::BlockAppend(block.get(), 600, text.data());
    const int second = first ? first : xova::BlockAppend(block.get(), 600, text.data() + 600);
    const int load = second ? second : xova::BlockLoad(block.get());
    xova_test::ResetAllocFailure();
    EXPECT_TRUE(load == XOVA_OK || load == XOVA_OUT_OF_MEMORY || load == XOVA_TEMP_FILE_ERROR);
    EXPECT_EQ(block->count, first ? 0 : second ? 600 : 1200);
    if (load == XOVA_OUT_OF_MEMORY && second == XOVA_OK) {
      EXPECT_EQ(block->data, nullptr);
    }
    xova::BlockUnload(block.get());
    EXPECT_EQ(ReadAllText(block.get()), text.substr(0, static_cast<std::size_t>(block->count)));
  });
  EXPECT_GT(runs, 0);
  EXPECT_EQ(env.FileCount(), 0u);
}

}  // namespace
