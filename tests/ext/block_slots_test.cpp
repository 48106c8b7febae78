#include "ext/block_slots.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ext/extension_block.h"
#include "ext/spill_env.h"
#include "frame/handle_table.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

constexpr int kFree = 20;  // a subtype no open call fills

std::string Pattern(std::size_t n) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 5) % 26);
  return s;
}

class SlotTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(file.open_result(), XOVA_OK); }
  void TearDown() override {
    // Back to a plain write handle, so it closes the ordinary way.
    if (xova::FileState* fs = state()) {
      fs->mode = xova::FileMode::kWrite;
      fs->committed = 0;
    }
  }
  int h() const { return file.handle(); }
  xova::FileState* state() const { return xova::LookupHandle(h()); }
  int Store(const std::string& text, int subtype = kFree) {
    return xova::StoreBlock(h(), subtype, 1, static_cast<std::int32_t>(text.size()), text.data());
  }

  xova_test::WriteHandle file;  // before env: its directory is not a temporary file
  xova_test::SpillEnv env;
};

TEST_F(SlotTest, DefinitionChecksComeInOrder) {
  EXPECT_EQ(xova::StoreBlock(-1, kFree, 1, 3, "abc"), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::StoreBlock(1000, kFree, 1, 3, "abc"), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::AppendBlock(-1, 99, 3, "abc"), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::StoreBlock(h(), -1, 1, 3, "abc"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::StoreBlock(h(), 33, 1, 3, "abc"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::AppendBlock(h(), 33, 3, "abc"), XOVA_BAD_EXT_INDEX);

  state()->committed = 1;
  EXPECT_EQ(xova::StoreBlock(h(), 33, 1, 3, "abc"), XOVA_ALREADY_COMMITTED);
  EXPECT_EQ(xova::AppendBlock(h(), 3, 1, "abcd"), XOVA_ALREADY_COMMITTED);
  for (xova::FileMode mode : {xova::FileMode::kRead, xova::FileMode::kAppend}) {
    state()->mode = mode;
    EXPECT_EQ(xova::StoreBlock(h(), 33, 1, 3, "abc"), XOVA_OPEN_FOR_READ);
    EXPECT_EQ(xova::AppendBlock(h(), 3, 1, "abcd"), XOVA_OPEN_FOR_READ);
  }
  EXPECT_EQ(state()->blocks[kFree], nullptr);
  EXPECT_EQ(state()->blocks[3]->count, 8);  // the release information is untouched
}

TEST_F(SlotTest, ClosedHandleGives5Everywhere) {
  xova_test::WriteHandle other;
  const int closed = other.handle();
  other.Close();
  std::int32_t a = 7, b = 7;
  char dst[4];
  EXPECT_EQ(xova::StoreBlock(closed, kFree, 1, 3, "abc"), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::AppendBlock(closed, kFree, 3, "abc"), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::BlockInfo(closed, kFree, &a, &b), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::ReadBlock(closed, kFree, 4, &a, dst), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::DeleteBlock(closed, kFree), XOVA_BAD_HANDLE);
}

TEST_F(SlotTest, StoreInfoAndReadBack) {
  const std::int32_t values[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  ASSERT_EQ(xova::StoreBlock(h(), 6, 4, 10, values), XOVA_OK);
  std::int32_t elemSize = -1, count = -1;
  ASSERT_EQ(xova::BlockInfo(h(), 6, &elemSize, &count), XOVA_OK);
  EXPECT_EQ(elemSize, 4);
  EXPECT_EQ(count, 10);

  std::int32_t dst[4] = {};
  const int expected[] = {4, 4, 2, 4};
  const int first[] = {0, 4, 8, 0};
  for (int i = 0; i < 4; ++i) {
    std::int32_t got = -1;
    ASSERT_EQ(xova::ReadBlock(h(), 6, 4, &got, dst), XOVA_OK);
    ASSERT_EQ(got, expected[i]);
    EXPECT_EQ(dst[0], first[i]);
    EXPECT_EQ(dst[got - 1], first[i] + got - 1);
  }
}

TEST_F(SlotTest, StoreReplacesTheOldContents) {
  ASSERT_EQ(Store("first text"), XOVA_OK);
  ASSERT_EQ(Store("second"), XOVA_OK);
  char dst[16] = {};
  std::int32_t got = 0;
  ASSERT_EQ(xova::ReadBlock(h(), kFree, 16, &got, dst), XOVA_OK);
  EXPECT_EQ(std::string(dst, static_cast<std::size_t>(got)), "second");
}

TEST_F(SlotTest, StoreWithoutElementsEmptiesTheSlot) {
  ASSERT_EQ(Store("abc"), XOVA_OK);
  ASSERT_EQ(xova::StoreBlock(h(), kFree, 1, 0, "abc"), XOVA_OK);
  EXPECT_EQ(state()->blocks[kFree], nullptr);
  std::int32_t elemSize = -1, count = -1;
  EXPECT_EQ(xova::BlockInfo(h(), kFree, &elemSize, &count), XOVA_OK);
  EXPECT_EQ(elemSize, 0);
  EXPECT_EQ(count, 0);
  ASSERT_EQ(Store("abc"), XOVA_OK);
  ASSERT_EQ(xova::StoreBlock(h(), kFree, 1, 3, nullptr), XOVA_OK);
  EXPECT_EQ(state()->blocks[kFree], nullptr);
}

TEST_F(SlotTest, AppendNeedsAFilledSlot) {
  EXPECT_EQ(xova::AppendBlock(h(), kFree, 3, "abc"), XOVA_BAD_EXT_INDEX);
  ASSERT_EQ(Store("abc"), XOVA_OK);
  ASSERT_EQ(xova::AppendBlock(h(), kFree, 3, "def"), XOVA_OK);
  EXPECT_EQ(xova::AppendBlock(h(), kFree, 0, "xyz"), XOVA_OK);
  EXPECT_EQ(xova::AppendBlock(h(), kFree, 3, nullptr), XOVA_OK);
  EXPECT_STREQ(reinterpret_cast<char*>(state()->blocks[kFree]->data), "abcdef");
}

TEST_F(SlotTest, QueriesClearOutputsFirstAndAcceptNull) {
  std::int32_t elemSize = 9, count = 9, got = 9;
  char dst[4];
  EXPECT_EQ(xova::BlockInfo(-1, 3, &elemSize, &count), XOVA_BAD_HANDLE);
  EXPECT_EQ(elemSize, 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(xova::ReadBlock(-1, 3, 4, &got, dst), XOVA_BAD_HANDLE);
  EXPECT_EQ(got, 0);
  elemSize = count = got = 9;
  EXPECT_EQ(xova::BlockInfo(h(), 33, &elemSize, &count), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::ReadBlock(h(), -1, 4, &got, dst), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(elemSize + count + got, 0);
  EXPECT_EQ(xova::DeleteBlock(h(), 33), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::BlockInfo(h(), 3, nullptr, nullptr), XOVA_OK);
  EXPECT_EQ(xova::BlockInfo(h(), 3, nullptr, &count), XOVA_OK);
  EXPECT_EQ(count, 8);
}

TEST_F(SlotTest, ReadOfNothingGivesZero) {
  std::int32_t got = 9;
  char dst[4];
  EXPECT_EQ(xova::ReadBlock(h(), kFree, 4, &got, dst), XOVA_OK);  // empty slot
  EXPECT_EQ(got, 0);
  ASSERT_EQ(Store("abc"), XOVA_OK);
  got = 9;
  EXPECT_EQ(xova::ReadBlock(h(), kFree, 0, &got, dst), XOVA_OK);
  EXPECT_EQ(got, 0);
  EXPECT_EQ(state()->blocks[kFree]->cursor, 0);
}

TEST_F(SlotTest, QueriesWorkInEveryModeAndCommittedState) {
  state()->committed = 1;
  state()->mode = xova::FileMode::kRead;
  std::int32_t elemSize = 0, count = 0, got = 0;
  std::int32_t release[8] = {};
  EXPECT_EQ(xova::BlockInfo(h(), 3, &elemSize, &count), XOVA_OK);
  EXPECT_EQ(elemSize, 4);
  EXPECT_EQ(count, 8);
  EXPECT_EQ(xova::ReadBlock(h(), 3, 8, &got, release), XOVA_OK);
  EXPECT_EQ(got, 8);
  EXPECT_EQ(release[0], 12);
  EXPECT_EQ(release[3], 720);
  EXPECT_EQ(xova::DeleteBlock(h(), 3), XOVA_OK);
  EXPECT_EQ(state()->blocks[3], nullptr);
  EXPECT_EQ(xova::DeleteBlock(h(), 3), XOVA_OK);  // already empty
}

TEST_F(SlotTest, DeleteAndCloseRemoveTemporaryFiles) {
  const std::string big = Pattern(3000);
  ASSERT_EQ(Store(big, 5), XOVA_OK);
  ASSERT_EQ(Store(big, 7), XOVA_OK);
  ASSERT_EQ(env.system().List().size(), 2u);
  ASSERT_EQ(xova::DeleteBlock(h(), 5), XOVA_OK);
  EXPECT_EQ(env.system().List().size(), 1u);
  file.Close();  // releasing the file frees its blocks
  EXPECT_EQ(env.system().List().size(), 0u);
}

TEST_F(SlotTest, FailedStoreKeepsTheOldBlock) {
  ASSERT_EQ(Store("keep me"), XOVA_OK);
  xova::ExtensionBlock* current = state()->blocks[kFree].get();
  const std::string big = Pattern(2000);
  const long runs = xova_test::ForEachAllocationFailure([&] {
    const int rc = Store(big);
    xova_test::ResetAllocFailure();
    if (rc == XOVA_OK) {
      current = state()->blocks[kFree].get();
      return;
    }
    EXPECT_TRUE(rc == XOVA_OUT_OF_MEMORY || rc == XOVA_TEMP_FILE_ERROR) << rc;
    ASSERT_EQ(state()->blocks[kFree].get(), current);
    if (!current->spilled) {
      EXPECT_STREQ(reinterpret_cast<char*>(current->data), "keep me");
    }
  });
  EXPECT_GT(runs, 0);
  std::int32_t count = 0;
  ASSERT_EQ(xova::BlockInfo(h(), kFree, nullptr, &count), XOVA_OK);
  EXPECT_EQ(count, 2000);
  EXPECT_EQ(env.system().List().size(), 1u);  // no file left by the failed runs
}

}  // namespace
