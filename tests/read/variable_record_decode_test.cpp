#include "read/variable_record_decode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "dict/formats.h"
#include "dict/long_name_repair.h"
#include "dict/name_test_helpers.h"
#include "read/decode_fixture.h"
#include "read/file_builder.h"
#include "read/record_input.h"
#include "support/alloc_failure.h"
#include "xovaio32.h"

namespace {

using xova::PackFormat;
using xova::VariableRecord;
using xova_test::DecodeFixture;
using xova_test::FileBuilder;
using xova_test::VariableSpec;

constexpr std::int32_t kNextRecord = 999;  // what the record is followed by

// The fixed fields of a variable record from its type to its name.
FileBuilder& Head(FileBuilder& b, std::int32_t width, std::int32_t hasLabel, std::int32_t missing,
                  const std::string& name = "X", std::int32_t format = 0x050802) {
  return b.Int32(2).Int32(width).Int32(hasLabel).Int32(missing).Int32(format).Int32(format).Padded(
      name, 8);
}

FileBuilder& Continuation(FileBuilder& b, std::int32_t hasLabel = 0, std::int32_t missing = 0) {
  return Head(b, -1, hasLabel, missing, "");
}

double Slot(const VariableRecord& var, int i) {
  double v;
  std::memcpy(&v, var.missing[i], sizeof v);
  return v;
}

std::string StringSlot(const VariableRecord& var, int i) {
  return std::string(reinterpret_cast<const char*>(var.missing[i]));
}

// Decodes the first record of `b`; `next` receives the record type after it.
int Decode(const FileBuilder& b, bool bigEndian, VariableRecord& var, std::int32_t* next = nullptr,
           std::int32_t version = 2) {
  DecodeFixture f;
  if (!f.Open(b.bytes(), bigEndian, version)) return -1;
  const int rc = xova::DecodeVariableRecord(f.fs(), var);
  if (next && !xova::ReadInt32(f.fs(), next)) *next = -1;
  return rc;
}

int DecodeRc(const FileBuilder& b, std::int32_t version = 2) {
  VariableRecord var;
  return Decode(b, false, var, nullptr, version);
}

class VariableDecodeOrder : public ::testing::TestWithParam<bool> {};

TEST_P(VariableDecodeOrder, NumericRecordGivesEveryField) {
  const bool bigEndian = GetParam();
  FileBuilder b(bigEndian);
  VariableSpec v;
  v.name = "INCOME";
  v.hasLabel = true;
  v.label = "Net income";
  v.missingCode = -3;
  v.missingNumbers = {1.5, 9.25, -99.0};
  v.printFormat = PackFormat(5, 10, 2);
  v.writeFormat = PackFormat(1, 8, 0);
  b.Variable(v).Int32(kNextRecord);
  VariableRecord var;
  var.position = 17;
  std::int32_t next = 0;
  ASSERT_EQ(Decode(b, bigEndian, var, &next), XOVA_OK);
  EXPECT_EQ(next, kNextRecord);
  EXPECT_EQ(var.position, 17);
  EXPECT_EQ(var.type, 0);
  EXPECT_EQ(var.hasLabel, 1);
  EXPECT_EQ(var.label, "Net income");
  EXPECT_EQ(var.missingCode, -3);
  EXPECT_EQ(Slot(var, 0), 1.5);
  EXPECT_EQ(Slot(var, 1), 9.25);
  EXPECT_EQ(Slot(var, 2), -99.0);
  EXPECT_EQ(var.printFormat, PackFormat(5, 10, 2));
  EXPECT_EQ(var.writeFormat, PackFormat(5, 8, 0));
  EXPECT_STREQ(var.shortName, "INCOME");
  EXPECT_EQ(var.name, "income");
  EXPECT_EQ(var.key, "INCOME");
  EXPECT_EQ(var.measureLevel, 3);
  EXPECT_EQ(var.columnWidth, 0);
  EXPECT_EQ(var.alignment, 1);
}

TEST_P(VariableDecodeOrder, StringRecordConsumesItsContinuations) {
  const bool bigEndian = GetParam();
  FileBuilder b(bigEndian);
  b.String("CITY", 20).Int32(kNextRecord);
  VariableRecord var;
  std::int32_t next = 0;
  ASSERT_EQ(Decode(b, bigEndian, var, &next), XOVA_OK);
  EXPECT_EQ(next, kNextRecord);
  EXPECT_EQ(var.type, 20);
  EXPECT_EQ(var.printFormat, PackFormat(1, 20, 0));
  EXPECT_EQ(var.measureLevel, 1);
  EXPECT_EQ(var.alignment, 0);
}

TEST_P(VariableDecodeOrder, ShortStringKeepsItsMissingValuesToTheWidth) {
  const bool bigEndian = GetParam();
  FileBuilder b(bigEndian);
  Head(b, 3, 0, 2, "CODE").Raw("ab      ").Raw("xyzWXYZ!").Int32(kNextRecord);
  VariableRecord var;
  std::int32_t next = 0;
  ASSERT_EQ(Decode(b, bigEndian, var, &next), XOVA_OK);
  EXPECT_EQ(next, kNextRecord);
  EXPECT_EQ(var.missingCode, 2);
  EXPECT_EQ(StringSlot(var, 0), "ab ");
  EXPECT_EQ(StringSlot(var, 1), "xyz");
}

INSTANTIATE_TEST_SUITE_P(BothOrders, VariableDecodeOrder, ::testing::Bool());

TEST(VariableDecodeFields, RefusesFieldsOutOfRange) {
  FileBuilder wide, negative, flag, continuationAsVariable;
  Head(wide, 256, 0, 0);
  Head(negative, -2, 0, 0);
  Head(flag, 0, 2, 0);
  Head(continuationAsVariable, -1, 0, 0);
  for (const FileBuilder* b : {&wide, &negative, &flag, &continuationAsVariable}) {
    EXPECT_EQ(DecodeRc(*b), XOVA_BAD_FILE);
  }
}

TEST(VariableDecodeFields, ChecksTheMissingValueCountAgainstTheType) {
  struct Case {
    std::int32_t width;
    std::int32_t code;
    int expected;
  };
  const Case cases[] = {
      {0, -1, XOVA_BAD_FILE}, {0, -4, XOVA_BAD_FILE}, {0, 4, XOVA_BAD_FILE},
      {8, -2, XOVA_BAD_FILE}, {3, -3, XOVA_BAD_FILE}, {9, 1, XOVA_BAD_FILE},
      {0, -2, XOVA_OK},       {0, 3, XOVA_OK},        {8, 3, XOVA_OK},
  };
  for (const Case& c : cases) {
    FileBuilder b;
    Head(b, c.width, 0, c.code);
    const int values = c.code < 0 ? -c.code : c.code;
    for (int i = 0; i < values; ++i) b.Double(1.0);
    for (std::int32_t i = 0; i < (c.width - 1) / 8; ++i) Continuation(b);
    EXPECT_EQ(DecodeRc(b), c.expected) << "width " << c.width << " count " << c.code;
  }
}

TEST(VariableDecodeFields, RepairsTheStoredFormats) {
  FileBuilder numeric, hex, wideHex;
  Head(numeric, 0, 0, 0, "N", PackFormat(5, 0, 0));
  Head(hex, 100, 0, 0, "H", PackFormat(2, 0, 0));
  Head(wideHex, 200, 0, 0, "W", PackFormat(2, 0, 0));
  for (int i = 0; i < 12; ++i) Continuation(hex);
  for (int i = 0; i < 24; ++i) Continuation(wideHex);
  VariableRecord n, h, w;
  ASSERT_EQ(Decode(numeric, false, n), XOVA_OK);
  ASSERT_EQ(Decode(hex, false, h), XOVA_OK);
  ASSERT_EQ(Decode(wideHex, false, w), XOVA_OK);
  EXPECT_EQ(n.printFormat, PackFormat(5, 1, 0));
  EXPECT_EQ(h.printFormat, PackFormat(2, 200, 0));
  EXPECT_EQ(w.writeFormat, PackFormat(1, 200, 0));
}

TEST(VariableDecodeContinuations, RefusesEveryDeviation) {
  FileBuilder missingOne, wrongType, wrongWidth, badFlag, badCount;
  Head(missingOne, 20, 0, 0);
  Continuation(missingOne);
  Head(wrongType, 20, 0, 0);
  Continuation(wrongType);
  wrongType.Int32(3).Int32(-1).Int32(0).Int32(0).Int32(0).Int32(0).Padded("", 8);
  Head(wrongWidth, 20, 0, 0);
  Continuation(wrongWidth);
  Head(wrongWidth, 0, 0, 0);
  Head(badFlag, 20, 0, 0);
  Continuation(badFlag, 2);
  Continuation(badFlag);
  Head(badCount, 20, 0, 0);
  Continuation(badCount, 0, -2);
  Continuation(badCount);
  for (const FileBuilder* b : {&missingOne, &wrongType, &wrongWidth, &badFlag, &badCount}) {
    EXPECT_EQ(DecodeRc(*b), XOVA_BAD_FILE);
  }
}

TEST(VariableDecodeContinuations, SkipsTheLabelAndValuesOfAContinuation) {
  for (std::int32_t version : {1, 2}) {
    FileBuilder b;
    Head(b, 16, 0, 0);
    Continuation(b, 1, 2);
    if (version < 2) {
      b.Padded("ignored label", 40);
    } else {
      b.Int32(5).Raw("abcde").Padded("", 3);
    }
    b.Double(1.0).Double(2.0).Int32(kNextRecord);
    VariableRecord var;
    std::int32_t next = 0;
    ASSERT_EQ(Decode(b, false, var, &next, version), XOVA_OK) << version;
    EXPECT_EQ(next, kNextRecord) << version;
  }
}

TEST(VariableDecodeLabel, KeepsTheFirst256BytesAndFindsTheNextRecord) {
  FileBuilder b;
  VariableSpec v;
  v.name = "L";
  v.hasLabel = true;
  for (int i = 0; i < 301; ++i) v.label.push_back(static_cast<char>('a' + i % 26));
  v.missingCode = 1;
  v.missingNumbers = {7.0};
  b.Variable(v).Int32(kNextRecord);
  VariableRecord var;
  std::int32_t next = 0;
  ASSERT_EQ(Decode(b, false, var, &next), XOVA_OK);
  EXPECT_EQ(var.label, v.label.substr(0, 256));
  EXPECT_EQ(Slot(var, 0), 7.0);
  EXPECT_EQ(next, kNextRecord);
}

TEST(VariableDecodeLabel, PadsEachLengthToFourBytes) {
  for (std::size_t length : {0, 1, 3, 4, 5, 256}) {
    FileBuilder b;
    VariableSpec v;
    v.hasLabel = true;
    v.label = std::string(length, 'q');
    b.Variable(v).Int32(kNextRecord);
    VariableRecord var;
    std::int32_t next = 0;
    ASSERT_EQ(Decode(b, false, var, &next), XOVA_OK) << length;
    EXPECT_EQ(var.hasLabel, 1);
    EXPECT_EQ(var.label, v.label);
    EXPECT_EQ(next, kNextRecord) << length;
  }
}

TEST(VariableDecodeLabel, OldFilesHaveFortyBytesWithBlanksCut) {
  FileBuilder b;
  Head(b, 0, 1, 0).Padded("Old label  ", 40).Int32(kNextRecord);
  VariableRecord var;
  std::int32_t next = 0;
  ASSERT_EQ(Decode(b, false, var, &next, 1), XOVA_OK);
  EXPECT_EQ(var.label, "Old label");
  EXPECT_EQ(next, kNextRecord);
}

TEST(VariableDecodeLabel, RefusesNegativeAndUnbackedLengths) {
  for (std::int32_t length : {-1, INT32_MIN, INT32_MAX, INT32_MAX - 2, 1000}) {
    FileBuilder b;
    Head(b, 0, 1, 0).Int32(length).Raw(std::string(300, 'z'));
    EXPECT_EQ(DecodeRc(b), XOVA_BAD_FILE) << length;
  }
}

TEST(VariableDecodeName, LowersTheShortNameForTheName) {
  name_test::ScopedLocale locale;
  if (!locale.SelectUtf8()) GTEST_SKIP() << "no UTF-8 locale";
  FileBuilder b;
  Head(b, 0, 0, 0, "\xC3\x84QU 1");
  VariableRecord var;
  ASSERT_EQ(Decode(b, false, var), XOVA_OK);
  EXPECT_STREQ(var.shortName, "\xC3\x84QU 1");
  EXPECT_EQ(var.name, "\xC3\xA4qu 1");
  EXPECT_EQ(var.key, "\xC3\x84QU 1");
}

TEST(VariableDecodeName, BlankNameIsLeftForTheRepair) {
  FileBuilder b;
  Head(b, 0, 0, 0, "");
  xova::Dictionary dict;
  dict.vars.push_back(std::make_unique<VariableRecord>());
  dict.vars.back()->position = 1;
  ASSERT_EQ(Decode(b, false, *dict.vars.back()), XOVA_OK);
  EXPECT_STREQ(dict.vars.back()->shortName, "");
  EXPECT_EQ(dict.vars.back()->name, "");
  ASSERT_EQ(xova::RepairLongNames(dict), XOVA_OK);
  EXPECT_EQ(dict.vars.back()->name, "V1");
}

TEST(VariableDecodeFailure, LeavesTheRecordAsItWas) {
  FileBuilder b;
  VariableSpec v;
  v.name = "NEW";
  v.hasLabel = true;
  v.label = "new label";
  v.missingCode = 2;
  v.missingNumbers = {1.0};  // one value short
  b.Variable(v);
  VariableRecord var;
  var.position = 5;
  var.name = "old";
  var.label = "old label";
  ASSERT_EQ(Decode(b, false, var), XOVA_BAD_FILE);
  EXPECT_EQ(var.name, "old");
  EXPECT_EQ(var.label, "old label");
  EXPECT_EQ(var.missingCode, 0);
  EXPECT_EQ(var.position, 5);
}

TEST(VariableDecodeFailure, EveryTruncationIsRefused) {
  for (bool bigEndian : {false, true}) {
    FileBuilder numeric(bigEndian), text(bigEndian);
    VariableSpec v;
    v.hasLabel = true;
    v.label = "seven77";
    v.missingCode = -2;
    v.missingNumbers = {1.0, 2.0};
    numeric.Variable(v);
    Head(text, 17, 1, 0).Int32(2).Raw("ab  ");
    Continuation(text, 1, 1).Int32(1).Raw("c   ").Double(0.0);
    Continuation(text);
    const auto decode = [](xova::FileState& fs) {
      VariableRecord var;
      return xova::DecodeVariableRecord(fs, var);
    };
    for (const FileBuilder* b : {&numeric, &text}) {
      const auto accepted = xova_test::PrefixesNotRefused(b->bytes(), bigEndian, 2, true, decode);
      EXPECT_TRUE(accepted.empty()) << "accepted a prefix of " << accepted.front() << " bytes";
    }
  }
}

TEST(VariableDecodeFailure, OutOfMemoryGivesSevenAndKeepsTheRecord) {
  FileBuilder b;
  VariableSpec v;
  v.name = "MEM";
  v.hasLabel = true;
  v.label = std::string(200, 'm');  // beyond any in-place string buffer
  b.Variable(v);
  int failures = 0;
  for (long n = 0;; ++n) {
    DecodeFixture f;
    ASSERT_TRUE(f.Open(b.bytes(), false));
    VariableRecord var;
    var.name = "old";
    xova_test::AllocFailureScope scope;
    xova_test::FailAllocationAfter(n);
    const int rc = xova::DecodeVariableRecord(f.fs(), var);
    const bool failed = xova_test::FailedAllocations() > 0;
    xova_test::ResetAllocFailure();
    if (!failed) {
      ASSERT_EQ(rc, XOVA_OK);
      EXPECT_EQ(var.label, v.label);
      break;
    }
    ++failures;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY) << n;
    EXPECT_EQ(var.name, "old");
  }
  EXPECT_GT(failures, 0);
}

}  // namespace
