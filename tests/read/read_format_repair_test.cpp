#include "read/read_format_repair.h"

#include <gtest/gtest.h>

#include "dict/formats.h"

namespace {

using xova::PackFormat;
using xova::RepairReadFormat;

struct RepairCase {
  std::int32_t width;
  std::int32_t stored;
  int isPrint;
  std::int32_t expected;
};

void PrintTo(const RepairCase& c, std::ostream* os) {
  *os << "width " << c.width << " stored 0x" << std::hex << c.stored << " print " << c.isPrint;
}

class ReadFormatRepair : public ::testing::TestWithParam<RepairCase> {};

TEST_P(ReadFormatRepair, GivesTheAcceptedFormat) {
  const RepairCase& c = GetParam();
  EXPECT_EQ(RepairReadFormat(c.width, c.stored, c.isPrint), c.expected)
      << std::hex << RepairReadFormat(c.width, c.stored, c.isPrint);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, ReadFormatRepair,
    ::testing::Values(
        // The stored width and decimals never count; hex doubles while it fits.
        RepairCase{200, PackFormat(2, 7, 3), 1, PackFormat(1, 200, 0)},
        RepairCase{100, PackFormat(2, 1, 0), 1, PackFormat(2, 200, 0)},
        RepairCase{127, PackFormat(2, 0, 0), 0, PackFormat(2, 254, 0)},
        RepairCase{128, PackFormat(2, 0, 0), 0, PackFormat(1, 128, 0)},
        RepairCase{3, PackFormat(5, 8, 2), 1, PackFormat(1, 3, 0)},
        RepairCase{255, static_cast<std::int32_t>(0xFF020000u), 1, PackFormat(1, 255, 0)}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, ReadFormatRepair,
    ::testing::Values(RepairCase{0, PackFormat(1, 8, 0), 1, PackFormat(5, 8, 0)},
                      RepairCase{0, PackFormat(2, 8, 2), 0, PackFormat(5, 8, 2)},
                      RepairCase{0, PackFormat(5, 0, 0), 1, PackFormat(5, 1, 0)},
                      RepairCase{0, PackFormat(5, 200, 2), 1, PackFormat(5, 40, 2)},
                      // Decimals beyond width - 1, or beyond 16, are dropped.
                      RepairCase{0, PackFormat(5, 8, 8), 1, PackFormat(5, 8, 0)},
                      RepairCase{0, PackFormat(5, 40, 17), 1, PackFormat(5, 40, 0)},
                      // The top byte is no part of the format.
                      RepairCase{0, static_cast<std::int32_t>(0x7F050802u), 1, PackFormat(5, 8, 2)},
                      // A write-only type is kept as a write format, replaced as a print one.
                      RepairCase{0, PackFormat(6, 8, 2), 0, PackFormat(6, 8, 2)},
                      RepairCase{0, PackFormat(6, 8, 2), 1, PackFormat(5, 8, 2)},
                      // Refused with its decimals but accepted without them.
                      RepairCase{0, PackFormat(21, 8, 3), 1, PackFormat(21, 8, 0)},
                      // Date and time kinds fall back to a default of their kind.
                      RepairCase{0, PackFormat(20, 3, 0), 1, PackFormat(20, 11, 0)},
                      RepairCase{0, PackFormat(39, 2, 0), 1, PackFormat(20, 11, 0)},
                      RepairCase{0, PackFormat(25, 4, 0), 1, PackFormat(25, 11, 0)},
                      RepairCase{0, PackFormat(21, 3, 0), 1, PackFormat(21, 8, 0)},
                      RepairCase{0, PackFormat(26, 1, 0), 1, PackFormat(26, 3, 0)},
                      RepairCase{0, PackFormat(27, 2, 0), 0, PackFormat(27, 3, 0)},
                      RepairCase{0, PackFormat(7, 3, 0), 1, PackFormat(5, 8, 2)}));

// Whatever the stored word, a numeric result is one the definition calls
// would accept: the dictionary never holds a format it could not write.
TEST(ReadFormatRepairNumeric, EveryResultIsAccepted) {
  for (int type = 0; type < 256; ++type) {
    for (int width : {0, 1, 2, 5, 8, 11, 17, 40, 41, 255}) {
      for (int decimals : {0, 1, 2, 16, 17, 255}) {
        for (int isPrint : {0, 1}) {
          const std::int32_t r = RepairReadFormat(0, PackFormat(type, width, decimals), isPrint);
          const xova::Format f = xova::UnpackFormat(r);
          ASSERT_EQ(xova::ValidateFormat(0, f.code, f.decimals, f.width, isPrint),
                    xova::kFormatAccepted)
              << type << " " << width << " " << decimals << " " << isPrint;
        }
      }
    }
  }
}

}  // namespace
