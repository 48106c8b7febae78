#include "read/special_values_apply.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "ext/spill_env.h"
#include "read/file_builder.h"
#include "xovaio32.h"

namespace {

using xova_test::ToBits;

void ExpectDefaults(const xova::FileState& fs) {
  EXPECT_EQ(ToBits(fs.sysmis), xova_test::kDefaultSysmisBits);
  EXPECT_EQ(ToBits(fs.highest), 0x47EFFFFE5ADF7DD4ull);
  EXPECT_EQ(ToBits(fs.lowest), 0xC7EFFFFEF8A52B7Cull);
  EXPECT_DOUBLE_EQ(fs.sysmis, -3.402823e38);
}

TEST(SpecialValues, DefaultsUnlessEightByteElementsAndThreeOfThem) {
  xova::FileState fs;
  xova::ApplySpecialValues(fs);
  ExpectDefaults(fs);
  const double three[] = {-1.0, 2.0, -3.0};
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[4], 8, 2, three), XOVA_OK);
  xova::ApplySpecialValues(fs);
  ExpectDefaults(fs);
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[4], 4, 6, three), XOVA_OK);
  xova::ApplySpecialValues(fs);
  ExpectDefaults(fs);
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[4], 8, 3, three), XOVA_OK);
  xova::ApplySpecialValues(fs);
  EXPECT_EQ(fs.sysmis, -1.0);
  EXPECT_EQ(fs.highest, 2.0);
  EXPECT_EQ(fs.lowest, -3.0);
}

// A spilled block gives its first three elements and is left closed at its
// start; an unreadable one counts as absent.
TEST(SpecialValues, SpilledBlockReadFromItsStart) {
  xova_test::SpillEnv env;
  xova::FileState fs;
  std::vector<double> values(200, 9.0);
  values[0] = -7.0;
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[4], 8, 200, values.data()), XOVA_OK);
  fs.blocks[4]->cursor = 150;
  xova::ApplySpecialValues(fs);
  EXPECT_EQ(fs.sysmis, -7.0);
  EXPECT_EQ(fs.highest, 9.0);
  EXPECT_EQ(fs.blocks[4]->cursor, 0);
  EXPECT_EQ(fs.blocks[4]->spillFile, nullptr);
  ASSERT_EQ(std::remove(fs.blocks[4]->spillPath.c_str()), 0);
  xova::ApplySpecialValues(fs);
  ExpectDefaults(fs);
}

}  // namespace
