#include "ext/block_slots.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ext/extension_block.h"
#include "ext/spill_env.h"
#include "frame/handle_table.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

constexpr int kFree = 20;  // a subtype no open call fills

class SlotTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(file.open_result(), XOVA_OK); }
  void TearDown() override {
    if (xova::FileState* fs = state()) {  // back to a plain write handle for the close
      fs->mode = xova::FileMode::kWrite;
      fs->committed = 0;
    }
  }
  int h() const { return file.handle(); }
  xova::FileState* state() const { return xova::LookupHandle(h()); }
  int Store(const std::string& text, int subtype = kFree) {
    return xova::StoreBlock(h(), subtype, 1, static_cast<std::int32_t>(text.size()), text.data());
  }

  xova_test::WriteHandle file;  // before env, so its directory is no temporary file
  xova_test::SpillEnv env;
};

TEST_F(SlotTest, ChecksComeInOrderAndChangeNothing) {
  EXPECT_EQ(xova::StoreBlock(-1, 99, 1, 3, "abc"), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::AppendBlock(1000, 99, 3, "abc"), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::BlockInfo(-1, 3, nullptr, nullptr), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::ReadBlock(1000, 3, 1, nullptr, nullptr), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::DeleteBlock(-1, 3), XOVA_BAD_HANDLE);
  EXPECT_EQ(xova::StoreBlock(h(), 33, 1, 3, "abc"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::AppendBlock(h(), -1, 3, "abc"), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::AppendBlock(h(), kFree, 3, "abc"), XOVA_BAD_EXT_INDEX);  // empty slot
  EXPECT_EQ(xova::BlockInfo(h(), 33, nullptr, nullptr), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::ReadBlock(h(), -1, 1, nullptr, nullptr), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xova::DeleteBlock(h(), 33), XOVA_BAD_EXT_INDEX);
  state()->committed = 1;
  EXPECT_EQ(xova::StoreBlock(h(), 33, 1, 3, "abc"), XOVA_ALREADY_COMMITTED);
  EXPECT_EQ(xova::AppendBlock(h(), 3, 1, "abcd"), XOVA_ALREADY_COMMITTED);
  for (xova::FileMode mode : {xova::FileMode::kRead, xova::FileMode::kAppend}) {
    state()->mode = mode;
    EXPECT_EQ(xova::StoreBlock(h(), 33, 1, 3, "abc"), XOVA_OPEN_FOR_READ);
    EXPECT_EQ(xova::AppendBlock(h(), 3, 1, "abcd"), XOVA_OPEN_FOR_READ);
  }
  EXPECT_EQ(state()->blocks[kFree], nullptr);
  EXPECT_EQ(state()->blocks[3]->count, 8);
}

TEST_F(SlotTest, StoreAppendInfoAndRead) {
  ASSERT_EQ(Store("old text"), XOVA_OK);
  ASSERT_EQ(Store("abc"), XOVA_OK);
  ASSERT_EQ(xova::AppendBlock(h(), kFree, 3, "def"), XOVA_OK);
  EXPECT_EQ(xova::AppendBlock(h(), kFree, 0, "xyz"), XOVA_OK);
  std::int32_t elemSize = -1, count = -1, got = -1;
  ASSERT_EQ(xova::BlockInfo(h(), kFree, &elemSize, &count), XOVA_OK);
  EXPECT_EQ(elemSize, 1);
  EXPECT_EQ(count, 6);
  char dst[8] = {};
  ASSERT_EQ(xova::ReadBlock(h(), kFree, 4, &got, dst), XOVA_OK);
  EXPECT_EQ(std::string(dst, 4), "abcd");
  ASSERT_EQ(xova::ReadBlock(h(), kFree, 4, &got, dst), XOVA_OK);
  EXPECT_EQ(std::string(dst, static_cast<std::size_t>(got)), "ef");
  got = -1;
  EXPECT_EQ(xova::ReadBlock(h(), kFree, 0, &got, dst), XOVA_OK);
  EXPECT_EQ(got, 0);

  // Reading works on any handle: here the release information of a committed read handle.
  state()->committed = 1;
  state()->mode = xova::FileMode::kRead;
  std::int32_t release[8] = {};
  ASSERT_EQ(xova::ReadBlock(h(), 3, 8, &got, release), XOVA_OK);
  EXPECT_EQ(got, 8);
  EXPECT_EQ(release[3], 720);
}

TEST_F(SlotTest, StoringNothingEmptiesTheSlot) {
  ASSERT_EQ(Store("abc"), XOVA_OK);
  ASSERT_EQ(xova::StoreBlock(h(), kFree, 1, 0, "abc"), XOVA_OK);
  EXPECT_EQ(state()->blocks[kFree], nullptr);
  std::int32_t elemSize = 9, count = 9, got = 9;
  EXPECT_EQ(xova::BlockInfo(h(), kFree, &elemSize, &count), XOVA_OK);
  EXPECT_EQ(elemSize + count, 0);
  char dst[4];
  EXPECT_EQ(xova::ReadBlock(h(), kFree, 4, &got, dst), XOVA_OK);
  EXPECT_EQ(got, 0);
  ASSERT_EQ(Store("abc"), XOVA_OK);
  ASSERT_EQ(xova::StoreBlock(h(), kFree, 1, 3, nullptr), XOVA_OK);
  EXPECT_EQ(state()->blocks[kFree], nullptr);
  elemSize = count = 9;  // cleared before the checks
  EXPECT_EQ(xova::BlockInfo(-1, 3, &elemSize, &count), XOVA_BAD_HANDLE);
  EXPECT_EQ(elemSize + count, 0);
}

TEST_F(SlotTest, DeleteAndCloseRemoveTemporaryFiles) {
  const std::string big(3000, 'q');
  ASSERT_EQ(Store(big, 5), XOVA_OK);
  ASSERT_EQ(Store(big, 7), XOVA_OK);
  ASSERT_EQ(env.system().List().size(), 2u);
  ASSERT_EQ(xova::DeleteBlock(h(), 5), XOVA_OK);
  EXPECT_EQ(state()->blocks[5], nullptr);
  EXPECT_EQ(env.system().List().size(), 1u);
  file.Close();
  EXPECT_EQ(env.system().List().size(), 0u);
}

TEST_F(SlotTest, FailedStoreKeepsTheOldBlock) {
  ASSERT_EQ(Store("keep me"), XOVA_OK);
  xova::ExtensionBlock* current = state()->blocks[kFree].get();
  const std::string big(2000, 'b');
  const long runs = xova_test::ForEachAllocationFailure([&] {
    const int rc = Store(big);
    xova_test::ResetAllocFailure();
    if (rc == XOVA_OK) {
      current = state()->blocks[kFree].get();
      return;
    }
    EXPECT_TRUE(rc == XOVA_OUT_OF_MEMORY || rc == XOVA_TEMP_FILE_ERROR) << rc;
    ASSERT_EQ(state()->blocks[kFree].get(), current);
  });
  EXPECT_GT(runs, 0);
  EXPECT_EQ(state()->blocks[kFree]->count, 2000);
  EXPECT_EQ(env.system().List().size(), 1u);  // no file left by the failed runs
}

}  // namespace
