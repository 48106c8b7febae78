#include "read/variable_record_decode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dict/formats.h"
#include "dict/long_name_repair.h"
#include "dict/name_test_helpers.h"
#include "read/decode_fixture.h"
#include "read/file_builder.h"
#include "read/record_input.h"
#include "xovaio32.h"

namespace {

using xova::PackFormat;
using xova::VariableRecord;
using xova_test::FileBuilder;
using xova_test::VariableSpec;

constexpr std::int32_t kNextRecord = 999;  // what each record is followed by

// The fixed fields of a variable record from its type to its name.
FileBuilder& Head(FileBuilder& b, std::int32_t width, std::int32_t hasLabel, std::int32_t missing,
                  const std::string& name = "X", std::int32_t format = 0x050802) {
  b.Int32(2).Int32(width).Int32(hasLabel).Int32(missing).Int32(format).Int32(format);
  return b.Padded(name, 8);
}

FileBuilder& Continuation(FileBuilder& b, std::int32_t hasLabel = 0, std::int32_t missing = 0) {
  return Head(b, -1, hasLabel, missing, "");
}

double Slot(const VariableRecord& var, int i) {
  double v;
  std::memcpy(&v, var.missing[i], sizeof v);
  return v;
}

// Decodes the first record of `b`; gives the result, -1 when the record
// type after it could not be read as kNextRecord.
int Decode(const FileBuilder& b, VariableRecord& var, bool bigEndian = false,
           std::int32_t version = 2) {
  xova_test::DecodeFixture f;
  if (!f.Open(b.bytes(), bigEndian, version)) return -2;
  const int rc = xova::DecodeVariableRecord(f.fs(), var);
  std::int32_t next = 0;
  if (rc == XOVA_OK && (!xova::ReadInt32(f.fs(), &next) || next != kNextRecord)) return -1;
  return rc;
}

int DecodeRc(const FileBuilder& b) {
  VariableRecord var;
  return Decode(b, var);
}

TEST(VariableDecode, NumericRecordGivesEveryFieldInEitherOrder) {
  for (bool bigEndian : {false, true}) {
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
    ASSERT_EQ(Decode(b, var, bigEndian), XOVA_OK);
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
}

TEST(VariableDecode, StringsConsumeContinuationsAndKeepValuesToTheWidth) {
  FileBuilder wide, hex, shortString(true);
  wide.String("CITY", 20).Int32(kNextRecord);
  Head(hex, 100, 0, 0, "H", PackFormat(2, 0, 0));
  for (int i = 0; i < 12; ++i) Continuation(hex);
  hex.Int32(kNextRecord);
  Head(shortString, 3, 0, 2, "CODE").Raw("ab      ").Raw("xyzWXYZ!").Int32(kNextRecord);
  VariableRecord w, h, s;
  ASSERT_EQ(Decode(wide, w), XOVA_OK);
  ASSERT_EQ(Decode(hex, h), XOVA_OK);
  ASSERT_EQ(Decode(shortString, s, true), XOVA_OK);
  EXPECT_EQ(w.type, 20);
  EXPECT_EQ(w.printFormat, PackFormat(1, 20, 0));
  EXPECT_EQ(w.measureLevel, 1);
  EXPECT_EQ(w.alignment, 0);
  EXPECT_EQ(h.printFormat, PackFormat(2, 200, 0));
  EXPECT_EQ(s.missingCode, 2);
  EXPECT_STREQ(reinterpret_cast<const char*>(s.missing[0]), "ab ");
  EXPECT_STREQ(reinterpret_cast<const char*>(s.missing[1]), "xyz");
}

TEST(VariableDecode, RefusesFieldsOutOfRange) {
  struct Case {
    std::int32_t width, hasLabel, missing;
    int expected;
  } const cases[] = {
      {256, 0, 0, XOVA_BAD_FILE}, {-2, 0, 0, XOVA_BAD_FILE}, {-1, 0, 0, XOVA_BAD_FILE},
      {0, 2, 0, XOVA_BAD_FILE},   {0, -1, 0, XOVA_BAD_FILE}, {0, 0, -1, XOVA_BAD_FILE},
      {0, 0, -4, XOVA_BAD_FILE},  {0, 0, 4, XOVA_BAD_FILE},  {8, 0, -2, XOVA_BAD_FILE},
      {3, 0, -3, XOVA_BAD_FILE},  {9, 0, 1, XOVA_BAD_FILE},  {0, 0, -2, XOVA_OK},
      {8, 0, 3, XOVA_OK},         {255, 0, 0, XOVA_OK},
  };
  for (const Case& c : cases) {
    FileBuilder b;
    Head(b, c.width, c.hasLabel, c.missing);
    for (int i = 0; i < std::abs(c.missing) && i < 3; ++i) b.Raw("        ");
    for (std::int32_t i = 0; i < (c.width - 1) / 8; ++i) Continuation(b);
    b.Int32(kNextRecord);
    EXPECT_EQ(DecodeRc(b), c.expected) << c.width << " " << c.hasLabel << " " << c.missing;
  }
}

TEST(VariableDecode, RefusesEveryDeviatingContinuation) {
  FileBuilder tooFew, wrongType, wrongWidth, badFlag, badCount;
  Continuation(Head(tooFew, 20, 0, 0)).Int32(kNextRecord);
  Continuation(Head(wrongType, 20, 0, 0)).Int32(3).Int32(-1).Raw(std::string(24, '\0'));
  Head(Continuation(Head(wrongWidth, 20, 0, 0)), 0, 0, 0);
  Continuation(Continuation(Head(badFlag, 20, 0, 0), 2));
  Continuation(Continuation(Head(badCount, 20, 0, 0), 0, -2));
  for (const FileBuilder* b : {&tooFew, &wrongType, &wrongWidth, &badFlag, &badCount}) {
    EXPECT_EQ(DecodeRc(*b), XOVA_BAD_FILE);
  }
}

TEST(VariableDecode, SkipsTheLabelAndValuesOfAContinuation) {
  for (std::int32_t version : {1, 2}) {
    FileBuilder b;
    Continuation(Head(b, 16, 0, 0), 1, 2);
    if (version < 2) {
      b.Padded("ignored label", 40);
    } else {
      b.Int32(5).Raw("abcde").Padded("", 3);
    }
    b.Double(1.0).Double(2.0).Int32(kNextRecord);
    VariableRecord var;
    EXPECT_EQ(Decode(b, var, false, version), XOVA_OK) << version;
  }
}

TEST(VariableDecode, LabelsArePaddedToFourAndCutTo256) {
  for (std::size_t length : {0, 1, 3, 4, 5, 256, 257, 301}) {
    FileBuilder b;
    VariableSpec v;
    v.hasLabel = true;
    for (std::size_t i = 0; i < length; ++i) v.label.push_back(static_cast<char>('a' + i % 26));
    v.missingCode = 1;
    v.missingNumbers = {7.0};
    b.Variable(v).Int32(kNextRecord);
    VariableRecord var;
    ASSERT_EQ(Decode(b, var), XOVA_OK) << length;
    EXPECT_EQ(var.hasLabel, 1);
    EXPECT_EQ(var.label, v.label.substr(0, 256));
    EXPECT_EQ(Slot(var, 0), 7.0);
  }
  FileBuilder old;
  Head(old, 0, 1, 0).Padded("Old label  ", 40).Int32(kNextRecord);
  VariableRecord var;
  ASSERT_EQ(Decode(old, var, false, 1), XOVA_OK);
  EXPECT_EQ(var.label, "Old label");
}

TEST(VariableDecode, RefusesNegativeAndUnbackedLabelLengths) {
  for (std::int32_t length : {-1, INT32_MIN, INT32_MAX, INT32_MAX - 2, 1000}) {
    FileBuilder b;
    Head(b, 0, 1, 0).Int32(length).Raw(std::string(300, 'z'));
    EXPECT_EQ(DecodeRc(b), XOVA_BAD_FILE) << length;
  }
}

TEST(VariableDecode, NameIsTheShortNameLowered) {
  name_test::ScopedLocale locale;
  if (!locale.SelectUtf8()) GTEST_SKIP() << "no UTF-8 locale";
  FileBuilder b;
  Head(b, 0, 0, 0, "\xC3\x84QU 1").Int32(kNextRecord);
  VariableRecord var;
  ASSERT_EQ(Decode(b, var), XOVA_OK);
  EXPECT_STREQ(var.shortName, "\xC3\x84QU 1");
  EXPECT_EQ(var.name, "\xC3\xA4qu 1");
  EXPECT_EQ(var.key, "\xC3\x84QU 1");
}

TEST(VariableDecode, BlankNameIsLeftForTheRepair) {
  FileBuilder b;
  Head(b, 0, 0, 0, "").Int32(kNextRecord);
  xova::Dictionary dict;
  dict.vars.push_back(std::make_unique<VariableRecord>());
  dict.vars.back()->position = 1;
  ASSERT_EQ(Decode(b, *dict.vars.back()), XOVA_OK);
  EXPECT_STREQ(dict.vars.back()->shortName, "");
  EXPECT_EQ(dict.vars.back()->name, "");
  ASSERT_EQ(xova::RepairLongNames(dict), XOVA_OK);
  EXPECT_EQ(dict.vars.back()->name, "V1");
}

TEST(VariableDecodeFailure, EveryTruncationIsRefusedAndChangesNothing) {
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
      var.name = "old";
      const int rc = xova::DecodeVariableRecord(fs, var);
      return rc == XOVA_OK || (var.name == "old" && var.type == 0) ? rc : -1;
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
  VariableRecord var;
  const int failing = xova_test::RunWithAllocationFailures(
      b.bytes(), [&](xova::FileState&) { var = VariableRecord(); },
      [&](xova::FileState& fs) { return xova::DecodeVariableRecord(fs, var); },
      [&](xova::FileState&, int rc, bool failed) {
        EXPECT_EQ(rc, failed ? XOVA_OUT_OF_MEMORY : XOVA_OK);
        EXPECT_EQ(var.label, failed ? "" : v.label);
      });
  EXPECT_GT(failing, 0);
}

}  // namespace
