#include "ext/block_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ext/extension_block.h"
#include "ext/spill_env.h"
#include "platform/temp_file.h"
#include "xovaio32.h"

namespace {

using xova::BlockPtr;
using xova::BlockReader;

std::string Pattern(std::size_t n) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + (i * 11 + i / 26) % 26);
  return s;
}

BlockPtr TextBlock(const std::string& text) {
  BlockPtr block = xova::BlockCreate(1);
  EXPECT_EQ(xova::BlockAppend(block.get(), static_cast<std::int32_t>(text.size()), text.data()),
            XOVA_OK);
  return block;
}

class ReaderWalkTest : public ::testing::TestWithParam<std::size_t> {
 protected:
  xova_test::SpillEnv env;
};

// Walks the whole text with uneven steps, checking at each position that the
// window shows the right bytes and at least 2048 of them, or all that is left.
TEST_P(ReaderWalkTest, SeesTheWholeTextInOrderWithEnoughAhead) {
  const std::size_t size = GetParam();
  const std::string text = Pattern(size);
  BlockPtr block = TextBlock(text);
  const std::size_t steps[] = {1, 7, 100, 2047, 3, 900, 1500, 64};
  auto reader = std::make_unique<BlockReader>();
  const char* p = xova::ReaderStart(reader.get(), block.get());
  std::size_t pos = 0;
  for (std::size_t i = 0; pos < size; ++i) {
    ASSERT_NE(p, nullptr) << "at " << pos;
    const std::size_t visible = std::strlen(p);
    const std::size_t left = size - pos;
    ASSERT_GE(visible, std::min<std::size_t>(xova::kReaderLowWater, left)) << "at " << pos;
    ASSERT_LE(visible, left);
    ASSERT_EQ(std::string(p, visible), text.substr(pos, visible)) << "at " << pos;
    const std::size_t step = std::min(steps[i % 8], visible);
    p = xova::ReaderAdvance(reader.get(), static_cast<std::int32_t>(step));
    pos += step;
  }
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*p, '\0');
  EXPECT_EQ(block->spillFile, nullptr);  // the sequential read reached the end
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReaderWalkTest,
                         ::testing::Values(0u, 1u, 100u, 1023u, 2048u, 4095u, 4096u, 4097u, 10000u,
                                           20001u));

TEST(BlockReader, AdvanceStopsAtTheEndOfTheWindow) {
  xova_test::SpillEnv env;
  const std::string text = Pattern(10000);
  BlockPtr block = TextBlock(text);
  auto reader = std::make_unique<BlockReader>();
  ASSERT_NE(xova::ReaderStart(reader.get(), block.get()), nullptr);
  const char* p = xova::ReaderAdvance(reader.get(), 1000000);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p), text.substr(4096, 4096));
  p = xova::ReaderAdvance(reader.get(), -5);  // backwards is no move
  EXPECT_EQ(std::string(p, 10), text.substr(4096, 10));
}

TEST(BlockReader, StepsInWholeElements) {
  xova_test::SpillEnv env;
  std::vector<std::int32_t> values(2000);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::int32_t>(i * 3);
  BlockPtr block = xova::BlockCreate(4);
  ASSERT_EQ(xova::BlockAppend(block.get(), 2000, values.data()), XOVA_OK);
  auto reader = std::make_unique<BlockReader>();
  const char* p = xova::ReaderStart(reader.get(), block.get());
  for (std::size_t i = 0; i < values.size(); i += 5) {
    ASSERT_NE(p, nullptr);
    std::int32_t v = -1;
    std::memcpy(&v, p, sizeof v);
    ASSERT_EQ(v, values[i]) << "element " << i;
    p = xova::ReaderAdvance(reader.get(), 5);
  }
}

TEST(BlockReader, StartsAtTheFirstElementWhateverTheCursor) {
  xova_test::SpillEnv env;
  const std::string text = Pattern(3000);
  BlockPtr block = TextBlock(text);
  char skipped[10];
  ASSERT_EQ(xova::BlockRead(block.get(), 10, nullptr, skipped), XOVA_OK);
  auto reader = std::make_unique<BlockReader>();
  const char* p = xova::ReaderStart(reader.get(), block.get());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p, 20), text.substr(0, 20));
}

TEST(BlockReader, EmptyOrAbsentBlocksReadAsEmptyText) {
  auto reader = std::make_unique<BlockReader>();
  const char* p = xova::ReaderStart(reader.get(), nullptr);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*p, '\0');
  EXPECT_EQ(xova::ReaderStart(nullptr, nullptr), nullptr);
  EXPECT_EQ(xova::ReaderAdvance(nullptr, 1), nullptr);
  BlockPtr block = xova::BlockCreate(1);
  p = xova::ReaderStart(reader.get(), block.get());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*p, '\0');
}

TEST(BlockReader, FailedReadGivesNull) {
  xova_test::SpillEnv env;
  BlockPtr block = TextBlock(Pattern(5000));
  ASSERT_TRUE(xova::platform::RemoveFile(block->spillPath.c_str()));
  auto reader = std::make_unique<BlockReader>();
  EXPECT_EQ(xova::ReaderStart(reader.get(), block.get()), nullptr);
}

TEST(BlockReader, FailedRefillGivesNull) {
  xova_test::SpillEnv env;
  BlockPtr block = TextBlock(Pattern(9000));
  auto reader = std::make_unique<BlockReader>();
  ASSERT_NE(xova::ReaderStart(reader.get(), block.get()), nullptr);
  // The stream stays open mid-read; a truncated file runs short on refill.
  ASSERT_NE(block->spillFile, nullptr);
  ASSERT_EQ(std::fflush(block->spillFile), 0);
  xova::BlockCloseSpill(block.get());
  std::FILE* f = std::fopen(block->spillPath.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(xova::ReaderAdvance(reader.get(), 3000), nullptr);
}

}  // namespace
