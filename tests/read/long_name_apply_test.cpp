#include "read/long_name_apply.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dict/name_index.h"
#include "ext/spill_env.h"
#include "frame/file_state.h"
#include "support/alloc_failure.h"
#include "xovaio32.h"

namespace {

using Names = std::vector<std::string>;

std::string Lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Variables as a file read leaves them before this step: the stored short
// name, and its lowered form as the name.
class LongNameTest : public ::testing::Test {
 protected:
  void Add(const std::string& shortName) {
    auto var = std::make_unique<xova::VariableRecord>();
    std::snprintf(var->shortName, sizeof var->shortName, "%s", shortName.c_str());
    var->name = Lowered(shortName);
    ASSERT_EQ(index.Insert(var->shortName, var.get(), xova::CompareRecordShortName), XOVA_OK);
    fs.dict.vars.push_back(std::move(var));
  }
  void Store(const std::string& text, int elemSize = 1) {
    const auto n = static_cast<std::int32_t>(text.size()) / elemSize;
    ASSERT_EQ(xova::BlockReplace(&fs.blocks[13], elemSize, n, text.data()), XOVA_OK);
  }
  Names Renamed(const std::string& text) {
    for (auto& var : fs.dict.vars) var->name = Lowered(var->shortName);
    Store(text);
    EXPECT_EQ(xova::ApplyLongNames(fs, index), XOVA_OK) << text;
    Names names;
    for (const auto& var : fs.dict.vars) names.push_back(var->name);
    return names;
  }

  xova_test::SpillEnv env;
  xova::FileState fs;
  xova::NameIndex index;
};

TEST_F(LongNameTest, PairsFollowTheScanningRules) {
  for (const char* s : {"A", "B", "X"}) Add(s);
  const std::string n64(64, 'n');
  const struct {
    std::string text;
    Names names;
  } cases[] = {
      {"A=alpha\tB=beta", {"alpha", "beta", "x"}},
      {"a=alpha\tb=beta", {"a", "b", "x"}},  // short names match exactly
      {"X=first\tX=second", {"a", "b", "second"}},
      {"A=" + n64 + "\tB=" + n64 + "n", {n64, "b", "x"}},
      {"A=\t=beta\tQ=q\tB\tX=x=y\t", {"a", "b", "x=y"}},
      {"A\tB=beta", {"a", "beta", "x"}},  // a pair without '=' keeps the next one
      {"\t\tA=alpha", {"alpha", "b", "x"}},
      {std::string("A=alpha\0B=beta", 14), {"alpha", "beta", "x"}},
      {std::string("A=alpha\0\0B=beta", 15), {"alpha", "b", "x"}},  // empty text ends it
      {"ABCDEFGHIJKLMNOP=q\tB=beta", {"a", "beta", "x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Renamed(c.text), c.names) << c.text;
}

// A spilled text read through the window: pairs across refills, and pairs
// far longer than the window, which name nothing, are passed over.
TEST_F(LongNameTest, SpilledTextIsScannedInFull) {
  std::string text;
  Names want;
  for (int i = 0; i < 3000; ++i) {
    const std::string shortName = "V" + std::to_string(i);
    Add(shortName);
    if (i % 1000 == 500) text += "V1=" + std::string(5000, 'z') + "\t";
    if (i % 1000 == 700) text += std::string(9000, 'y') + "\t";
    const bool renamed = i % 7 != 3;
    if (renamed) text += shortName + "=long_name_number_" + std::to_string(i) + "\t";
    want.push_back(renamed ? "long_name_number_" + std::to_string(i) : Lowered(shortName));
  }
  EXPECT_EQ(Renamed(text), want);
  EXPECT_TRUE(fs.blocks[13]->spilled);
  EXPECT_EQ(fs.blocks[13]->spillFile, nullptr);
}

TEST_F(LongNameTest, UnusableBlocksAndUnreadableFiles) {
  Add("A");
  EXPECT_EQ(xova::ApplyLongNames(fs, index), XOVA_OK);  // no block
  Store("");
  EXPECT_EQ(xova::ApplyLongNames(fs, index), XOVA_OK);
  Store("A=alphabet", 2);
  EXPECT_EQ(xova::ApplyLongNames(fs, index), XOVA_BAD_FILE);
  Store("A=alpha\t" + std::string(2000, 'q'));
  ASSERT_EQ(std::remove(fs.blocks[13]->spillPath.c_str()), 0);
  EXPECT_EQ(xova::ApplyLongNames(fs, index), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(fs.dict.vars[0]->name, "a");
}

TEST_F(LongNameTest, AllocationFailureStopsWithOutOfMemory) {
  Add("A");
  Add("B");
  // Longer than any in-place string, so setting them allocates.
  const std::string alpha = "alpha_of_the_long_names", beta = "beta_of_the_long_names";
  Store("A=" + alpha + "\tB=" + beta);
  const long runs = xova_test::ForEachAllocationFailure([&] {
    for (auto& var : fs.dict.vars) var->name = Lowered(var->shortName);
    const int rc = xova::ApplyLongNames(fs, index);
    const bool failed = xova_test::FailedAllocations() > 0;
    EXPECT_EQ(rc, failed ? XOVA_OUT_OF_MEMORY : XOVA_OK);
    // A name is either the old one or the new one, never half set.
    EXPECT_TRUE(fs.dict.vars[0]->name == "a" || fs.dict.vars[0]->name == alpha);
  });
  EXPECT_GT(runs, 0);
  EXPECT_EQ(fs.dict.vars[1]->name, beta);
}

}  // namespace
