#include <gtest/gtest.h>

#include <climits>

#include "dict/formats.h"

namespace {

using xova::kFormatAccepted;
using xova::kFormatRefused;
using xova::ValidateFormat;

constexpr int kNumeric = 0;

bool Ok(int type, int code, int dec, int width, int isPrint = 1) {
  return ValidateFormat(type, code, dec, width, isPrint) == kFormatAccepted;
}

// Checks the width range of a numeric row whose minimum is `base` plus the
// decimals, at decimals 0 and 16, in both print and write use.
void ExpectDecimalsPlusRow(int code, int base) {
  SCOPED_TRACE(code);
  for (int isPrint : {0, 1}) {
    EXPECT_TRUE(Ok(kNumeric, code, 0, base, isPrint));
    EXPECT_FALSE(Ok(kNumeric, code, 0, base - 1, isPrint));
    EXPECT_TRUE(Ok(kNumeric, code, 16, 16 + base, isPrint));
    EXPECT_FALSE(Ok(kNumeric, code, 16, 15 + base, isPrint));
    EXPECT_TRUE(Ok(kNumeric, code, 3, 40, isPrint));
    EXPECT_FALSE(Ok(kNumeric, code, 3, 41, isPrint));
    EXPECT_FALSE(Ok(kNumeric, code, 17, 40, isPrint));
    EXPECT_FALSE(Ok(kNumeric, code, -1, 20, isPrint));
    EXPECT_FALSE(Ok(1, code, 0, 20, isPrint));  // numeric only
  }
}

// A numeric row with decimals 0 and a fixed width range.
void ExpectNoDecimalsRow(int code, int minWidth, int maxWidth) {
  SCOPED_TRACE(code);
  EXPECT_TRUE(Ok(kNumeric, code, 0, minWidth));
  EXPECT_FALSE(Ok(kNumeric, code, 0, minWidth - 1));
  EXPECT_TRUE(Ok(kNumeric, code, 0, maxWidth));
  EXPECT_FALSE(Ok(kNumeric, code, 0, maxWidth + 1));
  EXPECT_FALSE(Ok(kNumeric, code, 1, maxWidth));
  EXPECT_FALSE(Ok(8, code, 0, minWidth));
}

// A numeric row accepted only as a write format.
void ExpectWriteOnlyRow(int code, int maxDec, int minWidth, int maxWidth) {
  SCOPED_TRACE(code);
  EXPECT_TRUE(Ok(kNumeric, code, maxDec, minWidth, 0));
  EXPECT_TRUE(Ok(kNumeric, code, 0, maxWidth, 0));
  EXPECT_FALSE(Ok(kNumeric, code, 0, minWidth, 1));
  EXPECT_FALSE(Ok(kNumeric, code, 0, minWidth - 1, 0));
  EXPECT_FALSE(Ok(kNumeric, code, 0, maxWidth + 1, 0));
  EXPECT_FALSE(Ok(kNumeric, code, maxDec + 1, minWidth, 0));
  EXPECT_FALSE(Ok(4, code, 0, minWidth, 0));
}

TEST(ValidateFormat, StringCodesNeedTheVariableWidth) {
  EXPECT_TRUE(Ok(10, 1, 0, 10));
  EXPECT_FALSE(Ok(9, 1, 0, 10));
  EXPECT_FALSE(Ok(kNumeric, 1, 0, 10));
  EXPECT_FALSE(Ok(10, 1, 1, 10));
  EXPECT_TRUE(Ok(255, 1, 0, 255));
  EXPECT_TRUE(Ok(10, 2, 0, 20));
  EXPECT_FALSE(Ok(10, 2, 0, 10));
  EXPECT_TRUE(Ok(127, 2, 0, 254));
  EXPECT_FALSE(Ok(128, 2, 0, 256));  // twice the width, but above 255
  EXPECT_FALSE(Ok(kNumeric, 2, 0, 0));
  // The use doesn't matter for string codes.
  EXPECT_TRUE(Ok(10, 1, 0, 10, 0));
  EXPECT_TRUE(Ok(10, 2, 0, 20, 0));
}

TEST(ValidateFormat, WidthFromDecimalsRows) {
  for (int code : {3, 5, 32}) ExpectDecimalsPlusRow(code, 1);
  for (int code : {4, 31, 33, 34, 35, 36, 37}) ExpectDecimalsPlusRow(code, 2);
  ExpectDecimalsPlusRow(17, 6);
}

TEST(ValidateFormat, TheDefaultNumericFormat) {
  EXPECT_TRUE(Ok(kNumeric, 5, 2, 8));
  EXPECT_FALSE(Ok(kNumeric, 5, 2, 2));
  EXPECT_TRUE(Ok(kNumeric, 5, 2, 3));
  EXPECT_FALSE(Ok(kNumeric, 5, 17, 40));
}

TEST(ValidateFormat, FixedWidthRowsWithDecimals) {
  for (int code : {15, 16}) {
    SCOPED_TRACE(code);
    EXPECT_TRUE(Ok(kNumeric, code, 16, 1));  // the width doesn't grow with decimals
    EXPECT_TRUE(Ok(kNumeric, code, 0, 40));
    EXPECT_FALSE(Ok(kNumeric, code, 0, 0));
    EXPECT_FALSE(Ok(kNumeric, code, 0, 41));
    EXPECT_FALSE(Ok(kNumeric, code, 17, 20));
    EXPECT_FALSE(Ok(3, code, 0, 8));
  }
}

TEST(ValidateFormat, RowsWithoutDecimals) {
  ExpectNoDecimalsRow(20, 9, 40);
  for (int code : {23, 30, 38, 39}) ExpectNoDecimalsRow(code, 8, 40);
  ExpectNoDecimalsRow(24, 5, 40);
  ExpectNoDecimalsRow(26, 2, 40);
  ExpectNoDecimalsRow(27, 3, 40);
  for (int code : {28, 29}) ExpectNoDecimalsRow(code, 6, 40);
}

TEST(ValidateFormat, EvenWidthRows) {
  EXPECT_TRUE(Ok(kNumeric, 7, 0, 6));
  EXPECT_FALSE(Ok(kNumeric, 7, 0, 5));
  EXPECT_TRUE(Ok(kNumeric, 7, 0, 2));
  EXPECT_FALSE(Ok(kNumeric, 7, 0, 0));
  EXPECT_TRUE(Ok(kNumeric, 7, 0, 16));
  EXPECT_FALSE(Ok(kNumeric, 7, 0, 18));
  EXPECT_FALSE(Ok(kNumeric, 7, 1, 6));
  EXPECT_TRUE(Ok(kNumeric, 12, 0, 4));
  EXPECT_FALSE(Ok(kNumeric, 12, 0, 2));
  EXPECT_FALSE(Ok(kNumeric, 12, 0, 9));
  EXPECT_TRUE(Ok(kNumeric, 12, 0, 16));
  EXPECT_FALSE(Ok(kNumeric, 12, 0, 18));
  EXPECT_FALSE(Ok(2, 12, 0, 4));
}

TEST(ValidateFormat, WriteOnlyRows) {
  ExpectWriteOnlyRow(6, 16, 1, 8);
  ExpectWriteOnlyRow(8, 16, 1, 16);
  ExpectWriteOnlyRow(9, 16, 1, 8);
  ExpectWriteOnlyRow(10, 16, 1, 16);
  ExpectWriteOnlyRow(11, 0, 2, 8);
  EXPECT_TRUE(Ok(kNumeric, 9, 0, 4, 0));
  EXPECT_FALSE(Ok(kNumeric, 9, 0, 4, 1));
}

TEST(ValidateFormat, RowsWithAMinimumForDecimals) {
  EXPECT_TRUE(Ok(kNumeric, 21, 0, 8));
  EXPECT_TRUE(Ok(kNumeric, 21, 0, 5));
  EXPECT_FALSE(Ok(kNumeric, 21, 0, 4));
  EXPECT_FALSE(Ok(kNumeric, 21, 2, 10));
  EXPECT_TRUE(Ok(kNumeric, 21, 2, 11));
  EXPECT_TRUE(Ok(kNumeric, 21, 16, 25));
  EXPECT_FALSE(Ok(kNumeric, 21, 16, 24));
  EXPECT_FALSE(Ok(kNumeric, 21, 0, 41));
  EXPECT_TRUE(Ok(kNumeric, 22, 0, 17));
  EXPECT_FALSE(Ok(kNumeric, 22, 0, 16));
  EXPECT_TRUE(Ok(kNumeric, 22, 1, 22));
  EXPECT_FALSE(Ok(kNumeric, 22, 1, 21));
  EXPECT_FALSE(Ok(kNumeric, 22, 16, 36));
  EXPECT_TRUE(Ok(kNumeric, 22, 16, 37));
  EXPECT_TRUE(Ok(kNumeric, 25, 0, 8));
  EXPECT_FALSE(Ok(kNumeric, 25, 0, 7));
  EXPECT_FALSE(Ok(kNumeric, 25, 1, 12));
  EXPECT_TRUE(Ok(kNumeric, 25, 1, 13));
  EXPECT_FALSE(Ok(kNumeric, 25, 17, 40));
  EXPECT_FALSE(Ok(5, 25, 0, 8));
}

TEST(ValidateFormat, CodesWithoutARowTakeAnything) {
  for (int code : {INT_MIN, -1, 0, 13, 14, 18, 19, 40, 45, INT_MAX}) {
    SCOPED_TRACE(code);
    EXPECT_TRUE(Ok(kNumeric, code, 0, 0));
    EXPECT_TRUE(Ok(200, code, -7, 1000, 1));
    EXPECT_TRUE(Ok(kNumeric, code, 99, -3, 0));
  }
  EXPECT_EQ(ValidateFormat(0, 5, 17, 8, 1), kFormatRefused);  // the refusal value itself
}

TEST(PackedFormat, PackAndUnpackAreInverse) {
  EXPECT_EQ(xova::PackFormat(5, 8, 2), 0x00050802);
  const xova::Format f = xova::UnpackFormat(0x00050802);
  EXPECT_EQ(f.code, 5);
  EXPECT_EQ(f.width, 8);
  EXPECT_EQ(f.decimals, 2);
  const xova::Format top = xova::UnpackFormat(xova::PackFormat(255, 255, 255));
  EXPECT_EQ(top.code, 255);
  EXPECT_EQ(top.width, 255);
  EXPECT_EQ(top.decimals, 255);
}

TEST(PackedFormat, UnpackTruncatesTowardZero) {
  const xova::Format f = xova::UnpackFormat(-0x00050802);
  EXPECT_EQ(f.code, -5);
  EXPECT_EQ(f.width, -8);
  EXPECT_EQ(f.decimals, -2);
  const xova::Format high = xova::UnpackFormat(0x01050802);  // byte 3 is dropped
  EXPECT_EQ(high.code, 5);
}

TEST(PackedFormat, OnlyByteSizedPartsPack) {
  EXPECT_TRUE(xova::FormatFitsPacking(0, 0, 0));
  EXPECT_TRUE(xova::FormatFitsPacking(255, 255, 255));
  EXPECT_FALSE(xova::FormatFitsPacking(256, 8, 2));
  EXPECT_FALSE(xova::FormatFitsPacking(5, 256, 2));
  EXPECT_FALSE(xova::FormatFitsPacking(5, 8, 256));
  EXPECT_FALSE(xova::FormatFitsPacking(-1, 8, 2));
  EXPECT_FALSE(xova::FormatFitsPacking(5, 8, -1));
  // Signed unpacking restores a lone negative part in the lowest places.
  EXPECT_TRUE(xova::FormatFitsPacking(0, 0, -1));
  EXPECT_TRUE(xova::FormatFitsPacking(-1, 0, 0));
  EXPECT_FALSE(xova::FormatFitsPacking(-1, 5, 0));
}

TEST(PackedFormat, DefaultsOfNewVariables) {
  EXPECT_EQ(xova::DefaultFormat(0), 0x00050802);
  EXPECT_EQ(xova::DefaultFormat(12), 0x00010C00);
  EXPECT_EQ(xova::DefaultFormat(255), 0x0001FF00);
}

}  // namespace
