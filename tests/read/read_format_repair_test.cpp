#include "read/read_format_repair.h"

#include <gtest/gtest.h>

#include "dict/formats.h"

namespace {

using xova::PackFormat;
using xova::RepairReadFormat;

TEST(ReadFormatRepair, StringsTakeTheirWidthWhateverWasStored) {
  EXPECT_EQ(RepairReadFormat(200, PackFormat(2, 7, 3), 1), PackFormat(1, 200, 0));
  EXPECT_EQ(RepairReadFormat(100, PackFormat(2, 1, 0), 1), PackFormat(2, 200, 0));
  EXPECT_EQ(RepairReadFormat(127, PackFormat(2, 0, 0), 0), PackFormat(2, 254, 0));
  EXPECT_EQ(RepairReadFormat(128, PackFormat(2, 0, 0), 0), PackFormat(1, 128, 0));
  EXPECT_EQ(RepairReadFormat(3, PackFormat(5, 8, 2), 1), PackFormat(1, 3, 0));
}

TEST(ReadFormatRepair, NumbersAreClampedAndFallBackByKind) {
  struct Case {
    std::int32_t stored;
    int isPrint;
    std::int32_t expected;
  } const cases[] = {
      {PackFormat(1, 8, 0), 1, PackFormat(5, 8, 0)},
      {PackFormat(5, 0, 0), 1, PackFormat(5, 1, 0)},
      {PackFormat(5, 200, 2), 1, PackFormat(5, 40, 2)},
      {PackFormat(5, 8, 8), 1, PackFormat(5, 8, 0)},     // decimals beyond width - 1
      {PackFormat(5, 40, 17), 1, PackFormat(5, 40, 0)},  // and beyond 16
      {static_cast<std::int32_t>(0x7F050802u), 1, PackFormat(5, 8, 2)},  // top byte ignored
      {PackFormat(6, 8, 2), 0, PackFormat(6, 8, 2)},  // write-only type as a write format
      {PackFormat(6, 8, 2), 1, PackFormat(5, 8, 2)},
      {PackFormat(21, 8, 3), 1, PackFormat(21, 8, 0)},
      {PackFormat(39, 2, 0), 1, PackFormat(20, 11, 0)},
      {PackFormat(25, 4, 0), 1, PackFormat(25, 11, 0)},
      {PackFormat(21, 3, 0), 1, PackFormat(21, 8, 0)},
      {PackFormat(26, 1, 0), 1, PackFormat(26, 3, 0)},
      {PackFormat(7, 3, 0), 1, PackFormat(5, 8, 2)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RepairReadFormat(0, c.stored, c.isPrint), c.expected)
        << std::hex << c.stored << " print " << c.isPrint;
  }
}

// Whatever the stored word, the dictionary never holds a numeric format the
// definition calls would refuse.
TEST(ReadFormatRepair, EveryNumericResultIsAccepted) {
  for (int type = 0; type < 256; ++type) {
    for (int width : {0, 1, 2, 5, 8, 11, 17, 40, 41, 255}) {
      for (int decimals : {0, 1, 2, 16, 17, 255}) {
        for (int isPrint : {0, 1}) {
          const xova::Format f =
              xova::UnpackFormat(RepairReadFormat(0, PackFormat(type, width, decimals), isPrint));
          ASSERT_EQ(xova::ValidateFormat(0, f.code, f.decimals, f.width, isPrint),
                    xova::kFormatAccepted)
              << type << " " << width << " " << decimals << " " << isPrint;
        }
      }
    }
  }
}

}  // namespace
