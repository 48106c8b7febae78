#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <string>

#include "xovaio32.h"

namespace {

std::uint64_t Bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

TEST(SpecialValues, BitPatternsAreExactOnEveryCall) {
  EXPECT_EQ(Bits(xovaSysmisVal()), 0xFFEFFFFFFFFFFFFFull);
  EXPECT_EQ(Bits(xovaSysmisVal()), 0xFFEFFFFFFFFFFFFFull);
  double host = 0.0;
  xovaHostSysmisVal(&host);
  EXPECT_EQ(Bits(host), 0xFFEFFFFFFFFFFFFFull);
  double lowest = 0.0, highest = 0.0;
  xovaLowHighVal(&lowest, &highest);
  EXPECT_EQ(Bits(lowest), 0xFFEFFFFFFFFFFFFEull);
  EXPECT_EQ(Bits(highest), 0x7FEFFFFFFFFFFFFFull);
  EXPECT_EQ(Bits(lowest), Bits(host) - 1);  // one unit in the last place above sysmis
  EXPECT_GT(lowest, host);
}

TEST(SpecialValues, NullOutPointersAreIgnored) {
  xovaHostSysmisVal(nullptr);
  xovaLowHighVal(nullptr, nullptr);
  double highest = 0.0;
  xovaLowHighVal(nullptr, &highest);
  EXPECT_EQ(Bits(highest), 0x7FEFFFFFFFFFFFFFull);
}

TEST(ProcessSettings, SetLocaleReturnsWhatSetlocaleReturns) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  const char* c = xovaSetLocale(LC_ALL, "C");
  ASSERT_NE(c, nullptr);
  EXPECT_STREQ(c, "C");
  EXPECT_EQ(xovaSetLocale(LC_ALL, "no-such-locale-anywhere"), nullptr);
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");  // unchanged by the refusal
  EXPECT_EQ(xovaSetLocale(123456, "C"), nullptr);
  std::setlocale(LC_ALL, before.c_str());
}

TEST(ProcessSettings, SetTempDirAcceptsNullAndCopies) {
  EXPECT_EQ(xovaSetTempDir(nullptr), XOVA_OK);
  std::string dir = "/tmp";
  EXPECT_EQ(xovaSetTempDir(dir.c_str()), XOVA_OK);
  EXPECT_EQ(xovaSetTempDir(nullptr), XOVA_OK);
}

}  // namespace
