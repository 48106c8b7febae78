#include "read/display_apply.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ext/spill_env.h"
#include "read/file_builder.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

// Variables with the defaults the open routine gives them; every third is a
// string.
class DisplayTest : public ::testing::Test {
 protected:
  void AddVariables(int n) {
    for (int i = 0; i < n; ++i) {
      auto var = std::make_unique<xova::VariableRecord>();
      var->type = i % 3 == 2 ? 8 : 0;
      xova::ApplyDisplayDefaults(var.get(), xova::kAllDisplayDefaults);
      fs.dict.vars.push_back(std::move(var));
    }
  }
  // Level, width and alignment of variable i are 1 + i % 3, 10 + i, i % 3;
  // `extra` values follow.
  void StoreTriples(std::size_t n, int extra = 0, int elemSize = 4) {
    std::vector<std::int32_t> values;
    for (std::size_t i = 0; i < n; ++i) {
      const auto v = static_cast<std::int32_t>(i);
      values.insert(values.end(), {1 + v % 3, 10 + v, v % 3});
    }
    values.resize(values.size() + static_cast<std::size_t>(extra), 0);
    const auto count = static_cast<std::int32_t>(values.size() * 4 / elemSize);
    ASSERT_EQ(xova::BlockReplace(&fs.blocks[11], elemSize, count, values.data()), XOVA_OK);
  }
  void ExpectApplied(std::size_t i) {
    const auto& var = *fs.dict.vars[i];
    const auto v = static_cast<std::int32_t>(i);
    EXPECT_EQ(var.measureLevel, 1 + v % 3) << i;
    EXPECT_EQ(var.columnWidth, 10 + v) << i;
    EXPECT_EQ(var.alignment, v % 3) << i;
  }
  void ExpectDefaults(std::size_t i) {
    xova::VariableRecord defaults;
    defaults.type = fs.dict.vars[i]->type;
    xova::ApplyDisplayDefaults(&defaults, xova::kAllDisplayDefaults);
    EXPECT_EQ(fs.dict.vars[i]->measureLevel, defaults.measureLevel) << i;
    EXPECT_EQ(fs.dict.vars[i]->columnWidth, defaults.columnWidth) << i;
    EXPECT_EQ(fs.dict.vars[i]->alignment, defaults.alignment) << i;
  }

  xova_test::SpillEnv env;
  xova::FileState fs;
};

TEST_F(DisplayTest, ThreeValuesPerVariableApplyEvenSpilled) {
  AddVariables(5000);
  StoreTriples(5000);
  ASSERT_TRUE(fs.blocks[11]->spilled);  // 60000 bytes
  EXPECT_EQ(xova::ApplyDisplayParameters(fs), XOVA_OK);
  EXPECT_EQ(fs.displayFlag, 1);
  for (std::size_t i = 0; i < 5000; i += 37) ExpectApplied(i);
  ExpectApplied(4999);
  EXPECT_EQ(fs.blocks[11]->spillFile, nullptr);
}

TEST_F(DisplayTest, LevelZeroTakesTheDefaultOfTheType) {
  AddVariables(3);
  const std::int32_t values[] = {0, 5, 2, 0, 6, 1, 0, 7, 0};
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[11], 4, 9, values), XOVA_OK);
  EXPECT_EQ(xova::ApplyDisplayParameters(fs), XOVA_OK);
  EXPECT_EQ(fs.dict.vars[0]->measureLevel, 3);
  EXPECT_EQ(fs.dict.vars[2]->measureLevel, 1);  // string
  EXPECT_EQ(fs.dict.vars[2]->columnWidth, 7);
}

TEST_F(DisplayTest, OtherLayoutsChangeNothing) {
  AddVariables(4);
  EXPECT_EQ(xova::ApplyDisplayParameters(fs), XOVA_OK);  // no block
  StoreTriples(0, 8);                                    // two per variable
  EXPECT_EQ(xova::ApplyDisplayParameters(fs), XOVA_OK);
  StoreTriples(4, 1);
  EXPECT_EQ(xova::ApplyDisplayParameters(fs), XOVA_BAD_FILE);
  StoreTriples(3);
  EXPECT_EQ(xova::ApplyDisplayParameters(fs), XOVA_BAD_FILE);
  StoreTriples(4, 0, 2);
  EXPECT_EQ(xova::ApplyDisplayParameters(fs), XOVA_BAD_FILE);
  StoreTriples(4, 0, 1);
  EXPECT_EQ(xova::ApplyDisplayParameters(fs), XOVA_BAD_FILE);
  for (std::size_t i = 0; i < 4; ++i) ExpectDefaults(i);
  EXPECT_EQ(fs.displayFlag, 0);
}

// The file lost its second half: what could be read is applied, no error.
TEST_F(DisplayTest, UnreadableTemporaryFileEndsTheLoopEarly) {
  AddVariables(1000);
  StoreTriples(1000);
  const auto bytes = xova_test::ReadFileBytes(fs.blocks[11]->spillPath);
  xova_test::FileBuilder half;
  half.Raw(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 6000));
  ASSERT_TRUE(half.WriteTo(fs.blocks[11]->spillPath));
  EXPECT_EQ(xova::ApplyDisplayParameters(fs), XOVA_OK);
  EXPECT_EQ(fs.displayFlag, 1);
  ExpectApplied(0);
  ExpectDefaults(999);
  EXPECT_EQ(fs.blocks[11]->spillFile, nullptr);
  EXPECT_EQ(fs.blocks[11]->cursor, 0);
}

}  // namespace
