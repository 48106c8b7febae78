// Numbers as export writes them: whatever shortcut PutNumber takes, its text
// is std::to_chars' shortest form, byte for byte.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "text_escape.h"

namespace xova_test {
namespace {

std::string Ours(double v) {
  char buf[xova_tool::kMaxNumberBytes];
  return std::string(buf, xova_tool::PutNumber(buf, v));
}

std::string Reference(double v) {
  char buf[64];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

TEST(NumberText, EveryWholeNumberNearTheShortcutIsToCharsShortestForm) {
  for (int i = -200000; i <= 200000; ++i) {
    const double v = i;
    ASSERT_EQ(Ours(v), Reference(v)) << i;
  }
  // Where the exponent form starts to be the shorter one.
  EXPECT_EQ(Ours(100000.0), "1e+05");
  EXPECT_EQ(Ours(-100000.0), "-1e+05");
  EXPECT_EQ(Ours(99999.0), "99999");
  EXPECT_EQ(Ours(-10000.0), "-10000");
  EXPECT_EQ(Ours(-0.0), "-0");
  EXPECT_EQ(Ours(0.0), "0");
}

TEST(NumberText, NeighboursOfWholeNumbersAndOtherValuesMatch) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int> whole(-120000, 120000);
  for (int k = 0; k < 200000; ++k) {
    const double w = whole(rng);
    for (double v : {std::nextafter(w, HUGE_VAL), std::nextafter(w, -HUGE_VAL), w + 0.5, w / 7}) {
      ASSERT_EQ(Ours(v), Reference(v)) << v;
    }
    std::uint64_t bits = rng();
    double any;
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any)) {
      ASSERT_EQ(Ours(any), Reference(any));
    }
  }
  EXPECT_EQ(Ours(std::nan("")), "nan");
  EXPECT_EQ(Ours(HUGE_VAL), "inf");
  EXPECT_EQ(Ours(-HUGE_VAL), "-inf");
  EXPECT_EQ(Ours(1e300), Reference(1e300));
  EXPECT_EQ(Ours(4294967296.0), Reference(4294967296.0));
}

}  // namespace
}  // namespace xova_test
