#include "dict/fit_short_string.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using xova::FitAndPadShortString;
using xova::FitShortString;

TEST(FitShortString, ShorterValuesArePaddedToTheWidth) {
  char field[9];
  std::memset(field, 'x', sizeof field);
  EXPECT_TRUE(FitShortString(field, "ab", 5));
  EXPECT_STREQ(field, "ab   ");
  EXPECT_TRUE(FitShortString(field, "abc", 3));
  EXPECT_STREQ(field, "abc");
  EXPECT_TRUE(FitShortString(field, "", 8));
  EXPECT_STREQ(field, "        ");
}

TEST(FitShortString, OnlyBlanksMayFollowTheWidth) {
  char field[4];
  EXPECT_TRUE(FitShortString(field, "ab   ", 2));
  EXPECT_STREQ(field, "ab");
  EXPECT_FALSE(FitShortString(field, "abc", 2));
  EXPECT_FALSE(FitShortString(field, "ab  x", 2));
  // The field is still terminated after exactly the width.
  EXPECT_STREQ(field, "ab");
}

TEST(FitShortString, ZeroOrNegativeWidthGivesAnEmptyField) {
  char field[2] = {'x', 'x'};
  EXPECT_TRUE(FitShortString(field, "", 0));
  EXPECT_EQ(field[0], '\0');
  field[0] = 'x';
  EXPECT_TRUE(FitShortString(field, "   ", -3));
  EXPECT_EQ(field[0], '\0');
  EXPECT_FALSE(FitShortString(field, "a", 0));
}

TEST(FitAndPadShortString, FitsToTheWidthThenPadsToEight) {
  char field[9];
  EXPECT_TRUE(FitAndPadShortString(field, "ab", 2));
  EXPECT_STREQ(field, "ab      ");
  // Only blanks may follow the width, also before padding.
  EXPECT_FALSE(FitAndPadShortString(field, "abc     x", 3));
  EXPECT_TRUE(FitAndPadShortString(field, "abcdefgh ", 8));
  EXPECT_STREQ(field, "abcdefgh");
  EXPECT_FALSE(FitAndPadShortString(field, "abcdefghi", 8));
}

TEST(FitAndPadShortString, WidthAboveEightNeverOverrunsTheEntry) {
  char field[9 + 4] = {};
  std::memset(field + 9, 'g', 4);
  EXPECT_TRUE(FitAndPadShortString(field, "abcdefgh", 12));
  EXPECT_STREQ(field, "abcdefgh");
  EXPECT_EQ(field[9], 'g');  // guard bytes untouched
}

}  // namespace
