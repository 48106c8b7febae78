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
using xova_test::FileExists;
using xova_test::ReadFileBytes;
using xova_test::SpillEnv;

std::string Pattern(std::size_t n, std::size_t seed = 0) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + seed) % 26);
  return s;
}

std::vector<std::int32_t> Ints(int n, int first = 0) {
  std::vector<std::int32_t> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = first + i;
  return v;
}

std::string FileText(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

BlockPtr TextBlock(const std::string& text) {
  BlockPtr block = xova::BlockCreate(1);
  EXPECT_EQ(xova::BlockAppend(block.get(), static_cast<std::int32_t>(text.size()), text.data()),
            XOVA_OK);
  return block;
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
  SpillEnv env;
};

TEST_F(BlockTest, TextStaysInMemoryUpTo1023BytesAndSpillsOnTheNext) {
  const std::string text = Pattern(1024);
  BlockPtr block = TextBlock(text.substr(0, 1023));
  EXPECT_FALSE(block->spilled);
  EXPECT_EQ(block->count, 1023);
  EXPECT_EQ(block->capacity, 1024);
  ASSERT_NE(block->data, nullptr);
  EXPECT_EQ(std::strlen(reinterpret_cast<char*>(block->data)), 1023u);  // NUL-terminated
  EXPECT_EQ(env.FileCount(), 0u);

  ASSERT_EQ(xova::BlockAppend(block.get(), 1, &text[1023]), XOVA_OK);
  EXPECT_TRUE(block->spilled);
  EXPECT_EQ(block->count, 1024);
  EXPECT_EQ(block->data, nullptr);
  EXPECT_EQ(block->capacity, 0);
  EXPECT_EQ(block->spillFile, nullptr);  // closed after the append
  EXPECT_EQ(FileText(block->spillPath), text);
  EXPECT_EQ(ReadAllText(block.get()), text);
}

TEST_F(BlockTest, FourByteElementsStayInMemoryUpTo256) {
  const auto values = Ints(257);
  BlockPtr block = xova::BlockCreate(4);
  ASSERT_EQ(xova::BlockAppend(block.get(), 256, values.data()), XOVA_OK);
  EXPECT_FALSE(block->spilled);
  EXPECT_EQ(block->capacity, 1024);  // no terminator for non-text blocks
  ASSERT_EQ(xova::BlockAppend(block.get(), 1, &values[256]), XOVA_OK);
  EXPECT_TRUE(block->spilled);
  const auto bytes = ReadFileBytes(block->spillPath);
  ASSERT_EQ(bytes.size(), 257u * 4);
  EXPECT_EQ(std::memcmp(bytes.data(), values.data(), bytes.size()), 0);
}

TEST_F(BlockTest, LargeFirstAppendAndLaterAppendsGoToTheFileInOrder) {
  const std::string text = Pattern(5000);
  BlockPtr block = TextBlock(text.substr(0, 3000));
  EXPECT_TRUE(block->spilled);
  ASSERT_EQ(xova::BlockAppend(block.get(), 10, text.data() + 3000), XOVA_OK);
  ASSERT_EQ(xova::BlockAppend(block.get(), 1990, text.data() + 3010), XOVA_OK);
  EXPECT_EQ(block->count, 5000);
  EXPECT_EQ(FileText(block->spillPath), text);
  EXPECT_EQ(env.system().List().size(), 1u);  // one file per block, reused
}

TEST_F(BlockTest, NothingToAppendChangesNothing) {
  BlockPtr block = TextBlock("abc");
  unsigned char* before = block->data;
  EXPECT_EQ(xova::BlockAppend(block.get(), 0, "x"), XOVA_OK);
  EXPECT_EQ(xova::BlockAppend(block.get(), 5, nullptr), XOVA_OK);
  EXPECT_EQ(xova::BlockAppend(block.get(), -1, "x"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::BlockAppend(nullptr, 1, "x"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(block->count, 3);
  EXPECT_EQ(block->data, before);
  EXPECT_STREQ(reinterpret_cast<char*>(block->data), "abc");
}

TEST_F(BlockTest, CountThatWouldOverflowIsRefused) {
  BlockPtr block = TextBlock("ab");
  block->count = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(xova::BlockAppend(block.get(), 1, "c"), XOVA_OUT_OF_MEMORY);
  EXPECT_EQ(block->count, std::numeric_limits<std::int32_t>::max());
  block->count = 2;
  EXPECT_STREQ(reinterpret_cast<char*>(block->data), "ab");
}

TEST_F(BlockTest, CreateRefusesElementSizesBelowOne) {
  EXPECT_EQ(xova::BlockCreate(0), nullptr);
  EXPECT_EQ(xova::BlockCreate(-4), nullptr);
  BlockPtr block = xova::BlockCreate(8);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->elemSize, 8);
  EXPECT_EQ(block->count, 0);
  EXPECT_EQ(block->data, nullptr);
  EXPECT_EQ(xova::BlockBytes(block.get()), 0);
  EXPECT_EQ(xova::BlockBytes(nullptr), 0);
}

TEST(BlockTail, KeepsTheLastFourBytesWithZerosInFront) {
  BlockPtr block = xova::BlockCreate(1);
  ASSERT_EQ(xova::BlockAppend(block.get(), 2, "ab"), XOVA_OK);
  EXPECT_EQ(std::memcmp(block->tail, "\0\0ab", 4), 0);
  ASSERT_EQ(xova::BlockAppend(block.get(), 1, "c"), XOVA_OK);
  EXPECT_EQ(std::memcmp(block->tail, "\0abc", 4), 0);
  ASSERT_EQ(xova::BlockAppend(block.get(), 4, "cdef"), XOVA_OK);
  EXPECT_EQ(std::memcmp(block->tail, "cdef", 4), 0);
  ASSERT_EQ(xova::BlockAppend(block.get(), 6, "uvwxyz"), XOVA_OK);
  EXPECT_EQ(std::memcmp(block->tail, "wxyz", 4), 0);
}

TEST(BlockTail, CountsElementBytesNotElements) {
  BlockPtr block = xova::BlockCreate(8);
  const unsigned char values[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  ASSERT_EQ(xova::BlockAppend(block.get(), 2, values), XOVA_OK);
  const unsigned char want[4] = {13, 14, 15, 16};
  EXPECT_EQ(std::memcmp(block->tail, want, 4), 0);
  xova::BlockUpdateTail(block.get(), 0, values);  // nothing appended, nothing shifted
  xova::BlockUpdateTail(block.get(), 1, nullptr);
  EXPECT_EQ(std::memcmp(block->tail, want, 4), 0);
}

TEST_F(BlockTest, TailFollowsSpilledAppendsAndIgnoresFailedOnes) {
  BlockPtr block = TextBlock(Pattern(2000));
  ASSERT_TRUE(block->spilled);
  ASSERT_EQ(xova::BlockAppend(block.get(), 3, "xyz"), XOVA_OK);
  const std::string before(reinterpret_cast<char*>(block->tail), 4);
  EXPECT_EQ(before.substr(1), "xyz");
  ASSERT_TRUE(xova::platform::RemoveFile(block->spillPath.c_str()));  // next open fails
  EXPECT_EQ(xova::BlockAppend(block.get(), 2, "qq"), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(block->count, 2003);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block->tail), 4), before);
}

// In memory and spilled, the cursor moves the same way.
class BlockReadTest : public BlockTest, public ::testing::WithParamInterface<int> {};

TEST_P(BlockReadTest, TenElementsInFoursGiveFourFourTwoThenStartAgain) {
  const int elemSize = GetParam();  // 4 stays in memory, 200 spills
  std::vector<unsigned char> src(static_cast<std::size_t>(elemSize) * 10);
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<unsigned char>(i * 13);
  BlockPtr block = xova::BlockCreate(elemSize);
  ASSERT_EQ(xova::BlockAppend(block.get(), 10, src.data()), XOVA_OK);
  EXPECT_EQ(block->spilled, elemSize * 10 > 1024);

  std::vector<unsigned char> dst(src.size());
  const int expected[] = {4, 4, 2, 4};
  const int firstElement[] = {0, 4, 8, 0};
  for (int i = 0; i < 4; ++i) {
    std::int32_t got = -1;
    ASSERT_EQ(xova::BlockRead(block.get(), 4, &got, dst.data()), XOVA_OK);
    ASSERT_EQ(got, expected[i]);
    const std::size_t from = static_cast<std::size_t>(firstElement[i] * elemSize);
    EXPECT_EQ(std::memcmp(dst.data(), &src[from], static_cast<std::size_t>(got * elemSize)), 0)
        << "read " << i;
    // A sequential read keeps the file open until it reaches the end.
    if (block->spilled) {
      EXPECT_EQ(block->spillFile != nullptr, i == 0 || i == 1 || i == 3);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, BlockReadTest, ::testing::Values(4, 200));

TEST_F(BlockTest, ReadWithNothingToReadGivesZero) {
  BlockPtr block = TextBlock("abc");
  char dst[4] = {'?', '?', '?', '?'};
  std::int32_t got = -1;
  EXPECT_EQ(xova::BlockRead(block.get(), 0, &got, dst), XOVA_OK);
  EXPECT_EQ(got, 0);
  got = -1;
  EXPECT_EQ(xova::BlockRead(block.get(), -3, &got, dst), XOVA_OK);
  EXPECT_EQ(got, 0);
  got = -1;
  EXPECT_EQ(xova::BlockRead(nullptr, 3, &got, dst), XOVA_OK);
  EXPECT_EQ(got, 0);
  EXPECT_EQ(xova::BlockRead(block.get(), 3, nullptr, nullptr), XOVA_OK);
  EXPECT_EQ(block->cursor, 0);
  EXPECT_EQ(dst[0], '?');
  EXPECT_EQ(xova::BlockRead(block.get(), 2, nullptr, dst), XOVA_OK);  // gotCount may be null
  EXPECT_EQ(std::string(dst, 2), "ab");
  EXPECT_EQ(block->cursor, 2);
}

TEST_F(BlockTest, FailedFileReadKeepsTheCursor) {
  BlockPtr block = TextBlock(Pattern(1500));
  ASSERT_TRUE(xova::platform::RemoveFile(block->spillPath.c_str()));
  std::vector<char> dst(1500);
  std::int32_t got = -1;
  EXPECT_EQ(xova::BlockRead(block.get(), 100, &got, dst.data()), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(got, 0);
  EXPECT_EQ(block->cursor, 0);
  EXPECT_EQ(block->spillFile, nullptr);
}

TEST_F(BlockTest, SpillFileIsDeniedToOthersWhileOpen) {
  BlockPtr block = TextBlock(Pattern(3000));
  char dst[100];
  ASSERT_EQ(xova::BlockRead(block.get(), 100, nullptr, dst), XOVA_OK);
  ASSERT_NE(block->spillFile, nullptr);
  std::FILE* other =
      xova::platform::OpenShared(block->spillPath.c_str(), xova::platform::OpenMode::kRead, 0);
  EXPECT_EQ(other, nullptr);
  if (other) xova::platform::CloseShared(other);
  xova::BlockCloseSpill(block.get());
  EXPECT_EQ(block->spillFile, nullptr);
  other = xova::platform::OpenShared(block->spillPath.c_str(), xova::platform::OpenMode::kRead, 0);
  EXPECT_NE(other, nullptr);
  if (other) xova::platform::CloseShared(other);
}

TEST_F(BlockTest, SpillNamesFollowTheChosenDirectory) {
  BlockPtr fromSystem = TextBlock(Pattern(2000));
  env.UseChosenDir();
  BlockPtr fromChosen = TextBlock(Pattern(2000));
  const auto system = env.system().List();
  const auto chosen = env.chosen().List();
  ASSERT_EQ(system.size(), 1u);
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(system[0].rfind("xov", 0), 0u) << system[0];
  EXPECT_EQ(chosen[0].rfind("dio", 0), 0u) << chosen[0];
  EXPECT_EQ(fromSystem->spillPath, env.system().File(system[0]));
  EXPECT_EQ(fromChosen->spillPath, env.chosen().File(chosen[0]));
}

TEST_F(BlockTest, UnusableChosenDirectoryFallsBackToTheSystemOne) {
  xovaSetTempDir(env.Missing().c_str());
  BlockPtr block = TextBlock(Pattern(2000));
  EXPECT_TRUE(block->spilled);
  const auto system = env.system().List();
  ASSERT_EQ(system.size(), 1u);
  EXPECT_EQ(system[0].rfind("xov", 0), 0u);
}

TEST_F(BlockTest, NoTemporaryFileGives54AndKeepsTheElements) {
  const std::string text = Pattern(1024);
  BlockPtr block = TextBlock(text.substr(0, 1023));
  xovaSetTempDir(env.Missing().c_str());
  env.SetSystemDir(env.Missing());
  EXPECT_EQ(xova::BlockAppend(block.get(), 1, &text[1023]), XOVA_TEMP_FILE_ERROR);
  EXPECT_FALSE(block->spilled);
  EXPECT_TRUE(block->spillPath.empty());
  EXPECT_EQ(block->count, 1023);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block->data)), text.substr(0, 1023));
  EXPECT_EQ(std::memcmp(block->tail, text.data() + 1019, 4), 0);

  env.SetSystemDir(env.system().path());  // the next append can spill again
  ASSERT_EQ(xova::BlockAppend(block.get(), 1, &text[1023]), XOVA_OK);
  EXPECT_EQ(FileText(block->spillPath), text);
}

TEST_F(BlockTest, FreeDeletesTheTemporaryFile) {
  BlockPtr block = TextBlock(Pattern(2000));
  const std::string path = block->spillPath;
  ASSERT_TRUE(FileExists(path));
  char dst[10];
  ASSERT_EQ(xova::BlockRead(block.get(), 10, nullptr, dst), XOVA_OK);  // leaves it open
  block.reset();
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(env.FileCount(), 0u);
}

TEST_F(BlockTest, LoadGivesATerminatedCopyUntilUnload) {
  const std::string text = Pattern(1500);
  BlockPtr block = TextBlock(text);
  ASSERT_EQ(xova::BlockLoad(block.get()), XOVA_OK);
  ASSERT_NE(block->data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block->data)), text);
  EXPECT_EQ(block->capacity, 1501);
  EXPECT_EQ(block->spillFile, nullptr);
  unsigned char* copy = block->data;
  EXPECT_EQ(xova::BlockLoad(block.get()), XOVA_OK);  // already loaded
  EXPECT_EQ(block->data, copy);
  EXPECT_EQ(xova::BlockAppend(block.get(), 1, "z"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(block->count, 1500);
  EXPECT_EQ(ReadAllText(block.get()), text);

  xova::BlockUnload(block.get());
  EXPECT_EQ(block->data, nullptr);
  EXPECT_EQ(block->capacity, 0);
  ASSERT_EQ(xova::BlockAppend(block.get(), 1, "z"), XOVA_OK);
  EXPECT_EQ(ReadAllText(block.get()), text + "z");
}

TEST_F(BlockTest, LoadAndUnloadLeaveInMemoryBlocksAlone) {
  BlockPtr block = TextBlock("hello");
  unsigned char* data = block->data;
  EXPECT_EQ(xova::BlockLoad(block.get()), XOVA_OK);
  xova::BlockUnload(block.get());
  EXPECT_EQ(block->data, data);
  EXPECT_STREQ(reinterpret_cast<char*>(block->data), "hello");
  EXPECT_EQ(xova::BlockLoad(nullptr), XOVA_OK);
  xova::BlockUnload(nullptr);
}

TEST_F(BlockTest, LoadOfAMissingFileGives54) {
  BlockPtr block = TextBlock(Pattern(1500));
  ASSERT_TRUE(xova::platform::RemoveFile(block->spillPath.c_str()));
  EXPECT_EQ(xova::BlockLoad(block.get()), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(block->data, nullptr);
  EXPECT_EQ(block->capacity, 0);
}

TEST_F(BlockTest, LoadOfAShortFileGives54) {
  BlockPtr block = TextBlock(Pattern(1500));
  std::FILE* f = std::fopen(block->spillPath.c_str(), "wb");  // cut to nothing
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(xova::BlockLoad(block.get()), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(block->data, nullptr);
}

TEST_F(BlockTest, OpenSpillCreatesTheFileForAnEmptyBlock) {
  BlockPtr block = xova::BlockCreate(1);
  ASSERT_EQ(xova::BlockOpenSpill(block.get()), XOVA_OK);
  ASSERT_NE(block->spillFile, nullptr);
  EXPECT_TRUE(block->spilled);
  // The read path writes a payload straight into the file.
  const std::string text = Pattern(3000);
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), block->spillFile), text.size());
  block->count = 3000;
  xova::BlockUpdateTail(block.get(), 3000, text.data());
  xova::BlockCloseSpill(block.get());
  EXPECT_EQ(block->spillFile, nullptr);
  EXPECT_EQ(ReadAllText(block.get()), text);
  EXPECT_EQ(std::memcmp(block->tail, text.data() + 2996, 4), 0);
  // Opening again positions at the start, open or not.
  ASSERT_EQ(xova::BlockOpenSpill(block.get()), XOVA_OK);
  ASSERT_EQ(std::fgetc(block->spillFile), text[0]);
  ASSERT_EQ(xova::BlockOpenSpill(block.get()), XOVA_OK);
  EXPECT_EQ(std::fgetc(block->spillFile), text[0]);
  xova::BlockCloseSpill(block.get());
  xova::BlockCloseSpill(nullptr);
  EXPECT_EQ(xova::BlockOpenSpill(nullptr), XOVA_TEMP_FILE_ERROR);
}

TEST_F(BlockTest, OpenSpillMovesInMemoryElementsToTheFile) {
  BlockPtr block = TextBlock("abcdef");
  ASSERT_EQ(xova::BlockOpenSpill(block.get()), XOVA_OK);
  xova::BlockCloseSpill(block.get());
  EXPECT_EQ(block->data, nullptr);
  EXPECT_EQ(FileText(block->spillPath), "abcdef");
  EXPECT_EQ(ReadAllText(block.get()), "abcdef");
}

TEST_F(BlockTest, ReplaceSwapsTheSlotOnlyOnSuccess) {
  BlockPtr slot;
  ASSERT_EQ(xova::BlockReplace(&slot, 1, 3, "abc"), XOVA_OK);
  ASSERT_NE(slot, nullptr);
  xova::ExtensionBlock* first = slot.get();
  EXPECT_EQ(xova::BlockReplace(&slot, 0, 3, "xyz"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::BlockReplace(&slot, 1, -3, "xyz"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::BlockReplace(nullptr, 1, 3, "xyz"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(slot.get(), first);

  xovaSetTempDir(env.Missing().c_str());
  env.SetSystemDir(env.Missing());
  const std::string big = Pattern(2000);
  EXPECT_EQ(xova::BlockReplace(&slot, 1, 2000, big.data()), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(slot.get(), first);
  EXPECT_STREQ(reinterpret_cast<char*>(slot->data), "abc");

  ASSERT_EQ(xova::BlockReplace(&slot, 4, 0, nullptr), XOVA_OK);  // a new, empty block
  EXPECT_EQ(slot->elemSize, 4);
  EXPECT_EQ(slot->count, 0);
}

TEST_F(BlockTest, FailedEnlargementSpillsInstead) {
  BlockPtr block = TextBlock("abc");
  xova_test::AllocFailureScope scope;
  xova_test::FailAllocationAfter(0, /*sticky=*/false);  // only the buffer fails
  ASSERT_EQ(xova::BlockAppend(block.get(), 3, "def"), XOVA_OK);
  EXPECT_EQ(xova_test::FailedAllocations(), 1);
  EXPECT_TRUE(block->spilled);
  EXPECT_EQ(FileText(block->spillPath), "abcdef");
  EXPECT_EQ(std::memcmp(block->tail, "cdef", 4), 0);
}

TEST_F(BlockTest, OutOfMemoryNeverLosesElements) {
  const std::string text = Pattern(1200);
  const long runs = xova_test::ForEachAllocationFailure([&] {
    BlockPtr block = xova::BlockCreate(1);
    if (!block) return;
    const int first = xova::BlockAppend(block.get(), 600, text.data());
    if (first != XOVA_OK) {
      EXPECT_EQ(first, XOVA_OUT_OF_MEMORY);  // the rescue spill ran out of memory too
      EXPECT_EQ(block->count, 0);
      return;
    }
    const int second = xova::BlockAppend(block.get(), 600, text.data() + 600);
    xova_test::ResetAllocFailure();
    if (second == XOVA_OK) {
      EXPECT_EQ(ReadAllText(block.get()), text);
    } else {
      EXPECT_TRUE(second == XOVA_TEMP_FILE_ERROR || second == XOVA_OUT_OF_MEMORY) << second;
      EXPECT_EQ(ReadAllText(block.get()), text.substr(0, 600));
    }
  });
  EXPECT_GT(runs, 0);
  EXPECT_EQ(env.FileCount(), 0u);  // every block and failed attempt cleaned up
}

TEST_F(BlockTest, OutOfMemoryInLoadAndReplaceChangesNothing) {
  BlockPtr block = TextBlock(Pattern(1500));
  BlockPtr slot;
  ASSERT_EQ(xova::BlockReplace(&slot, 1, 3, "abc"), XOVA_OK);
  xova::ExtensionBlock* old = slot.get();
  {
    xova_test::AllocFailureScope scope;
    xova_test::FailAllocationAfter(0);
    EXPECT_EQ(xova::BlockLoad(block.get()), XOVA_OUT_OF_MEMORY);
    EXPECT_EQ(xova::BlockReplace(&slot, 1, 3, "xyz"), XOVA_OUT_OF_MEMORY);
  }
  EXPECT_EQ(block->data, nullptr);
  EXPECT_EQ(ReadAllText(block.get()), Pattern(1500));
  EXPECT_EQ(slot.get(), old);
  EXPECT_STREQ(reinterpret_cast<char*>(slot->data), "abc");
}

}  // namespace
