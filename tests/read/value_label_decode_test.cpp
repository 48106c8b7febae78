#include "read/value_label_decode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "read/decode_fixture.h"
#include "read/file_builder.h"
#include "read/record_input.h"
#include "xovaio32.h"

namespace {

using xova::ValueLabelSet;
using xova_test::DecodeFixture;
using xova_test::FileBuilder;
using xova_test::LabelSpec;

constexpr std::int32_t kNextRecord = 999;

// Variables as the open routine chains them: numeric, a string of 20 (three
// elements) and a short string, at positions 1, 2 and 5.
void AddVariables(xova::FileState& fs) {
  std::int32_t position = 1;
  for (std::int32_t width : {0, 20, 4}) {
    auto var = std::make_unique<xova::VariableRecord>();
    var->type = width;
    var->position = position;
    position += var->Elements();
    fs.dict.vars.push_back(std::move(var));
  }
}

struct Decoded {
  int rc = -1;
  std::int32_t next = -1;
  xova::LabelSetList sets;
};

Decoded Decode(const FileBuilder& b, bool bigEndian, std::int32_t version = 2) {
  Decoded d;
  DecodeFixture f;
  if (!f.Open(b.bytes(), bigEndian, version)) return d;
  AddVariables(f.fs());
  d.rc = xova::DecodeValueLabelPair(f.fs());
  if (!xova::ReadInt32(f.fs(), &d.next)) d.next = -1;
  d.sets.swap(f.fs().labelSets);
  return d;
}

std::vector<std::string> Labels(const ValueLabelSet& set) {
  std::vector<std::string> out;
  for (const auto& e : set.entries) out.push_back(e.label);
  return out;
}

std::vector<std::int32_t> Positions(const ValueLabelSet& set) {
  std::vector<std::int32_t> out;
  for (auto p : set.variables) out.push_back(p.value);
  return out;
}

TEST(LabelDecode, NumericSetGetsItsValuesInHostOrder) {
  for (bool bigEndian : {false, true}) {
    FileBuilder b(bigEndian);
    const double sysmis = xova_test::FromBits(xova_test::kHostSysmisBits);
    b.LabelPair({{1.0, "", "one"}, {-2.5, "", "seven77"}, {sysmis, "", ""}}, {1, 7});
    b.Int32(kNextRecord);
    const Decoded d = Decode(b, bigEndian);
    ASSERT_EQ(d.rc, XOVA_OK);
    EXPECT_EQ(d.next, kNextRecord);
    ASSERT_EQ(d.sets.size(), 1u);
    const ValueLabelSet& set = d.sets.front();
    EXPECT_EQ(set.typeClass, xova::kNumericClass);
    ASSERT_EQ(set.entries.size(), 3u);
    EXPECT_EQ(set.entries[0].number, 1.0);
    EXPECT_EQ(set.entries[1].number, -2.5);
    EXPECT_EQ(xova_test::ToBits(set.entries[2].number), xova_test::kHostSysmisBits);
    EXPECT_EQ(set.entries[1].text[0], '\0');
    EXPECT_EQ(Labels(set), (std::vector<std::string>{"one", "seven77", ""}));
    EXPECT_EQ(Positions(set), (std::vector<std::int32_t>{1, 7}));
  }
}

TEST(LabelDecode, StringSetKeepsItsValuesAsStored) {
  for (bool bigEndian : {false, true}) {
    FileBuilder b(bigEndian);
    b.LabelPair({{0, "abcd", "first"}, {0, "12345678", "second"}}, {5, 1}, true);
    b.Int32(kNextRecord);
    const Decoded d = Decode(b, bigEndian);
    ASSERT_EQ(d.rc, XOVA_OK);
    EXPECT_EQ(d.next, kNextRecord);
    ASSERT_EQ(d.sets.size(), 1u);
    const ValueLabelSet& set = d.sets.front();
    EXPECT_EQ(set.typeClass, xova::kStringClass);
    EXPECT_STREQ(set.entries[0].text, "abcd    ");
    EXPECT_STREQ(set.entries[1].text, "12345678");
    EXPECT_EQ(Labels(set), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(Positions(set), (std::vector<std::int32_t>{5, 1}));
  }
}

// The length byte and the text take a multiple of 8 bytes; at most 60 bytes
// are kept. Old files have 20 bytes with the blanks cut.
TEST(LabelDecode, LabelsTakeTheirStoredSpace) {
  std::string seventy;
  for (int i = 0; i < 70; ++i) seventy.push_back(static_cast<char>('A' + i % 26));
  FileBuilder b, old;
  b.Int32(3).Int32(4);
  b.Double(1.0).Raw(std::string(1, '\7')).Raw("1234567");
  b.Double(2.0).Raw(std::string(1, '\10')).Raw("abcdefgh").Padded("", 7);
  b.Double(3.0).Raw(std::string(1, 'F')).Raw(seventy).Padded("", 1);
  b.Double(4.0).Raw(std::string(1, '\377')).Raw(std::string(255, 'z'));
  b.Int32(4).Int32(1).Int32(1).Int32(kNextRecord);
  old.Int32(3).Int32(2).Double(1.0).Padded("old one", 20).Double(2.0).Padded("", 20);
  old.Int32(4).Int32(1).Int32(1).Int32(kNextRecord);
  const Decoded d = Decode(b, false);
  const Decoded o = Decode(old, false, 1);
  ASSERT_EQ(d.rc, XOVA_OK);
  ASSERT_EQ(o.rc, XOVA_OK);
  EXPECT_EQ(d.next, kNextRecord);
  EXPECT_EQ(o.next, kNextRecord);
  EXPECT_EQ(Labels(d.sets.front()),
            (std::vector<std::string>{"1234567", "abcdefgh", seventy.substr(0, 60),
                                      std::string(60, 'z')}));
  EXPECT_EQ(d.sets.front().entries[3].number, 4.0);
  EXPECT_EQ(Labels(o.sets.front()), (std::vector<std::string>{"old one", ""}));
}

TEST(LabelDecode, DropsEmptySetsAndChecksOnlyTheFirstPosition) {
  struct Case {
    std::vector<LabelSpec> labels;
    std::vector<std::int32_t> positions;
    int rc;
    std::size_t sets;
  } const cases[] = {
      {{}, {1, 5}, XOVA_OK, 0},
      {{{1.0, "", "x"}}, {}, XOVA_OK, 0},
      {{{1.0, "", "x"}}, {1, 3}, XOVA_OK, 1},
      {{{1.0, "", "x"}}, {0, 1}, XOVA_BAD_FILE, 0},
      {{{1.0, "", "x"}}, {3}, XOVA_BAD_FILE, 0},
      {{{1.0, "", "x"}}, {6}, XOVA_BAD_FILE, 0},
      {{{1.0, "", "x"}}, {-1}, XOVA_BAD_FILE, 0},
  };
  for (const Case& c : cases) {
    FileBuilder b;
    b.LabelPair(c.labels, c.positions).Int32(kNextRecord);
    const Decoded d = Decode(b, false);
    EXPECT_EQ(d.rc, c.rc) << c.labels.size() << " " << c.positions.size();
    EXPECT_EQ(d.sets.size(), c.sets);
    EXPECT_EQ(d.next, kNextRecord);
  }
}

// Counts the file cannot back fail at its end: no memory is reserved for
// them up front.
TEST(LabelDecode, RefusesBadCountsAndAMissingIndexRecord) {
  FileBuilder negative, overflow, unbacked, noIndex, negativeVariables, unbackedVariables;
  const std::string entry = std::string(8, '\1') + std::string(8, '\0');
  negative.Int32(3).Int32(-1);
  overflow.Int32(3).Int32(178956970).Raw(entry);
  unbacked.Int32(3).Int32(178956969).Raw(entry).Raw(entry);
  noIndex.Int32(3).Int32(1).Raw(entry).Int32(5);
  negativeVariables.Int32(3).Int32(1).Raw(entry).Int32(4).Int32(-1).Int32(1);
  unbackedVariables.Int32(3).Int32(1).Raw(entry).Int32(4).Int32(INT32_MAX).Int32(1).Int32(5);
  xova_test::LimitAllocationSize(1 << 16);
  for (const FileBuilder* b :
       {&negative, &overflow, &unbacked, &noIndex, &negativeVariables, &unbackedVariables}) {
    EXPECT_EQ(Decode(*b, false).rc, XOVA_BAD_FILE);
  }
  xova_test::LimitAllocationSize(0);
}

TEST(LabelDecode, AppendsAfterTheSetsAlreadyRead) {
  FileBuilder b;
  b.LabelPair({{0, "ab", "second"}}, {5}, true);
  DecodeFixture f;
  ASSERT_TRUE(f.Open(b.bytes(), false));
  AddVariables(f.fs());
  f.fs().labelSets.emplace_back();
  ASSERT_EQ(xova::DecodeValueLabelPair(f.fs()), XOVA_OK);
  ASSERT_EQ(f.fs().labelSets.size(), 2u);
  EXPECT_TRUE(f.fs().labelSets.front().entries.empty());
  EXPECT_EQ(f.fs().labelSets.back().entries[0].label, "second");
}

TEST(LabelDecodeFailure, EveryTruncationIsRefused) {
  for (bool bigEndian : {false, true}) {
    for (std::int32_t version : {1, 2}) {
      FileBuilder b(bigEndian);
      if (version < 2) {
        b.Int32(3).Int32(1).Double(4.0).Padded("label", 20).Int32(4).Int32(2).Int32(1).Int32(5);
      } else {
        b.LabelPair({{1.0, "", "a"}, {2.0, "", std::string(70, 'b')}}, {1, 5});
      }
      const auto accepted = xova_test::PrefixesNotRefused(b.bytes(), bigEndian, version, true,
                                                          [](xova::FileState& fs) {
                                                            AddVariables(fs);
                                                            return xova::DecodeValueLabelPair(fs);
                                                          });
      EXPECT_TRUE(accepted.empty()) << "accepted a prefix of " << accepted.front() << " bytes";
    }
  }
}

TEST(LabelDecodeFailure, OutOfMemoryGivesSevenAndKeepsTheSets) {
  FileBuilder b;
  b.LabelPair({{1.0, "", std::string(40, 'a')}, {2.0, "", std::string(50, 'b')}, {3.0, "", "c"}},
              {1, 5, 7});
  const int failing = xova_test::RunWithAllocationFailures(
      b.bytes(),
      [](xova::FileState& fs) {
        AddVariables(fs);
        fs.labelSets.emplace_back();
      },
      [](xova::FileState& fs) { return xova::DecodeValueLabelPair(fs); },
      [](xova::FileState& fs, int rc, bool failed) {
        EXPECT_EQ(rc, failed ? XOVA_OUT_OF_MEMORY : XOVA_OK);
        EXPECT_EQ(fs.labelSets.size(), failed ? 1u : 2u);
      });
  EXPECT_GT(failing, 3);
}

}  // namespace
