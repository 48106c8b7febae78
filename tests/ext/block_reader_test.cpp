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
  char skipped[8];
  ASSERT_EQ(xova::BlockRead(block.get(), 8, nullptr, skipped), XOVA_OK);  // starts at 0 anyway
  const std::size_t steps[] = {1, 7, 100, 2047, 3, 900, 1500, 64};
  auto reader = std::make_unique<BlockReader>();
  const char* p = xova::ReaderStart(reader.get(), block.get());
  for (std::size_t i = 0, pos = 0; pos < size; ++i) {
    ASSERT_NE(p, nullptr) << "at " << pos;
    const std::size_t visible = std::strlen(p);
    ASSERT_GE(visible, std::min<std::size_t>(xova::kReaderLowWater, size - pos)) << "at " << pos;
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
                         ::testing::Values(0u, 100u, 2048u, 4096u, 4097u, 10000u, 20001u));

TEST(BlockReader, AdvanceStopsAtTheWindowEndAndStepsInElements) {
  xova_test::SpillEnv env;
  const std::string text = Pattern(10000);
  BlockPtr block = TextBlock(text);
  auto reader = std::make_unique<BlockReader>();
  ASSERT_NE(xova::ReaderStart(reader.get(), block.get()), nullptr);
  const char* p = xova::ReaderAdvance(reader.get(), 1000000);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p), text.substr(4096, 4096));

  std::vector<std::int32_t> values(2000);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::int32_t>(i * 3);
  BlockPtr ints = xova::BlockCreate(4);
  ASSERT_EQ(xova::BlockAppend(ints.get(), 2000, values.data()), XOVA_OK);
  p = xova::ReaderStart(reader.get(), ints.get());
  for (std::size_t i = 0; i < values.size(); i += 5, p = xova::ReaderAdvance(reader.get(), 5)) {
    ASSERT_NE(p, nullptr);
    std::int32_t v = -1;
    std::memcpy(&v, p, sizeof v);
    ASSERT_EQ(v, values[i]) << "element " << i;
  }
}

TEST(BlockReader, EmptyTextForNoBlockAndNullWhenReadingFails) {
  auto reader = std::make_unique<BlockReader>();
  const char* p = xova::ReaderStart(reader.get(), nullptr);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*p, '\0');
  EXPECT_EQ(xova::ReaderStart(nullptr, nullptr), nullptr);

  xova_test::SpillEnv env;
  BlockPtr block = TextBlock(Pattern(9000));
  ASSERT_NE(xova::ReaderStart(reader.get(), block.get()), nullptr);
  xova::BlockCloseSpill(block.get());
  ASSERT_TRUE(xova::platform::RemoveFile(block->spillPath.c_str()));
  EXPECT_EQ(xova::ReaderAdvance(reader.get(), 3000), nullptr);  // the refill fails
  EXPECT_EQ(xova::ReaderStart(reader.get(), block.get()), nullptr);
}

}  // namespace
