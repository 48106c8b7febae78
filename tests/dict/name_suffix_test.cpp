#include <gtest/gtest.h>

#include <string>

#include "dict/suffixed_name.h"
#include "name_test_helpers.h"
#include "xovaio32.h"

namespace {

std::string Letters(int n) {
  char buf[xova::kMaxSuffixLetters + 1];
  xova::SuffixLetters(n, buf);
  return buf;
}

std::string Suffixed(const char* base, int n, int maxLength = 8) {
  char dst[80] = "untouched";
  const int rc = xova::MakeSuffixedName(dst, base, n, maxLength);
  return rc == XOVA_OK ? std::string(dst) : "rc=" + std::to_string(rc) + ":" + dst;
}

TEST(SuffixedName, CounterInBijectiveBase26) {
  EXPECT_EQ(Letters(0), "A");
  EXPECT_EQ(Letters(1), "B");
  EXPECT_EQ(Letters(25), "Z");
  EXPECT_EQ(Letters(26), "AA");
  EXPECT_EQ(Letters(27), "AB");
  EXPECT_EQ(Letters(51), "AZ");
  EXPECT_EQ(Letters(52), "BA");
  EXPECT_EQ(Letters(701), "ZZ");
  EXPECT_EQ(Letters(702), "AAA");
  EXPECT_EQ(Letters(18277), "ZZZ");
  EXPECT_EQ(Letters(18278), "AAAA");
  EXPECT_EQ(Letters(12356629), "ZZZZZ");
  EXPECT_EQ(Letters(12356630), "AAAAAA");
  EXPECT_EQ(Letters(2147483647), "FXSHRXX");  // the largest counter still fits
  EXPECT_EQ(Letters(-1), "");
}

TEST(SuffixedName, PrefixShrinksAsTheSuffixGrows) {
  EXPECT_EQ(Suffixed("LONGNAME1", 0), "LONGNA_A");
  EXPECT_EQ(Suffixed("LONGNAME1", 25), "LONGNA_Z");
  EXPECT_EQ(Suffixed("LONGNAME1", 26), "LONGN_AA");
  EXPECT_EQ(Suffixed("LONGNAME1", 27), "LONGN_AB");
  EXPECT_EQ(Suffixed("LONGNAME1", 51), "LONGN_AZ");
  EXPECT_EQ(Suffixed("LONGNAME1", 52), "LONGN_BA");
  EXPECT_EQ(Suffixed("LONGNAME1", 701), "LONGN_ZZ");
  EXPECT_EQ(Suffixed("LONGNAME1", 702), "LONG_AAA");
  EXPECT_EQ(Suffixed("LONGNAME1", 18278), "LON_AAAA");
  EXPECT_EQ(Suffixed("LONGNAME1", 12356629), "LO_ZZZZZ");
}

TEST(SuffixedName, ShortBaseIsKeptWhole) {
  EXPECT_EQ(Suffixed("V12", 0), "V12_A");
  EXPECT_EQ(Suffixed("V12", 1), "V12_B");
  EXPECT_EQ(Suffixed("X", 26), "X_AA");
  EXPECT_EQ(Suffixed("abc", 0, 64), "abc_A");
  EXPECT_EQ(Suffixed(std::string(70, 'N').c_str(), 0, 64), std::string(62, 'N') + "_A");
}

TEST(SuffixedName, FailsWithoutRoomOrPrefix) {
  EXPECT_EQ(Suffixed("LONGNAME1", 12356630), "rc=6:untouched");  // six letters
  EXPECT_EQ(Suffixed("LONGNAME1", 2147483647), "rc=6:untouched");
  EXPECT_EQ(Suffixed("", 0), "rc=6:untouched");
  EXPECT_EQ(Suffixed(nullptr, 0), "rc=6:untouched");
  EXPECT_EQ(Suffixed("ABC", -1), "rc=6:untouched");
  EXPECT_EQ(Suffixed("ABC", 0, 3), "rc=6:untouched");  // one byte of prefix is too few
  EXPECT_EQ(Suffixed("ABC", 0, 4), "AB_A");
  EXPECT_EQ(Suffixed("ABC", 0, -5), "rc=6:untouched");
  EXPECT_EQ(xova::MakeSuffixedName(nullptr, "ABC", 0, 8), XOVA_BAD_FILE);
}

TEST(SuffixedName, MultibyteCharactersAreNotSplit) {
  name_test::ScopedLocale locale;
  if (!locale.SelectUtf8()) GTEST_SKIP() << "no UTF-8 locale";
  // Six bytes of room: the third two-byte character would need bytes 5 and 6.
  EXPECT_EQ(Suffixed("ABCDE\xc3\x89XYZ", 0), "ABCDE_A");
  EXPECT_EQ(Suffixed("ABCD\xc3\x89XYZ", 0), "ABCD\xc3\x89_A");
  EXPECT_EQ(Suffixed("\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac", 0), "\xe2\x82\xac\xe2\x82\xac_A");
  EXPECT_EQ(Suffixed("\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac", 26), "\xe2\x82\xac_AA");
  // Two bytes of room cannot hold a three-byte character.
  EXPECT_EQ(Suffixed("\xe2\x82\xac"
                     "A",
                     12356629),
            "rc=6:untouched");
}

}  // namespace
