#include "read/value_label_decode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "read/decode_fixture.h"
#include "read/file_builder.h"
#include "read/record_input.h"
#include "support/alloc_failure.h"
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

class LabelDecodeOrder : public ::testing::TestWithParam<bool> {};

TEST_P(LabelDecodeOrder, NumericSetGetsItsValuesInHostOrder) {
  const bool bigEndian = GetParam();
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

TEST_P(LabelDecodeOrder, StringSetKeepsItsValuesAsStored) {
  const bool bigEndian = GetParam();
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

INSTANTIATE_TEST_SUITE_P(BothOrders, LabelDecodeOrder, ::testing::Bool());

TEST(LabelDecodeText, LongLabelKeepsSixtyAndTheNextEntryFollows) {
  std::string seventy;
  for (int i = 0; i < 70; ++i) seventy.push_back(static_cast<char>('A' + i % 26));
  FileBuilder b;
  b.LabelPair({{1.0, "", seventy}, {2.0, "", std::string(255, 'z')}, {3.0, "", "after"}}, {1});
  const Decoded d = Decode(b, false);
  ASSERT_EQ(d.rc, XOVA_OK);
  EXPECT_EQ(Labels(d.sets.front()),
            (std::vector<std::string>{seventy.substr(0, 60), std::string(60, 'z'), "after"}));
  EXPECT_EQ(d.sets.front().entries[2].number, 3.0);
}

// Written by hand: the length byte and the text take a multiple of 8 bytes.
TEST(LabelDecodeText, SevenCharactersTakeExactlyEightBytes) {
  FileBuilder b;
  b.Int32(3).Int32(2);
  b.Double(1.0).Raw(std::string(1, '\7')).Raw("1234567");
  b.Double(2.0).Raw(std::string(1, '\10')).Raw("abcdefgh").Padded("", 7);
  b.Int32(4).Int32(1).Int32(1).Int32(kNextRecord);
  const Decoded d = Decode(b, false);
  ASSERT_EQ(d.rc, XOVA_OK);
  EXPECT_EQ(d.next, kNextRecord);
  EXPECT_EQ(Labels(d.sets.front()), (std::vector<std::string>{"1234567", "abcdefgh"}));
  EXPECT_EQ(d.sets.front().entries[1].number, 2.0);
}

TEST(LabelDecodeText, OldFilesHaveTwentyBytesWithBlanksCut) {
  FileBuilder b;
  b.Int32(3).Int32(2).Double(1.0).Padded("old one", 20).Double(2.0).Padded("", 20);
  b.Int32(4).Int32(1).Int32(1).Int32(kNextRecord);
  const Decoded d = Decode(b, false, 1);
  ASSERT_EQ(d.rc, XOVA_OK);
  EXPECT_EQ(d.next, kNextRecord);
  EXPECT_EQ(Labels(d.sets.front()), (std::vector<std::string>{"old one", ""}));
}

TEST(LabelDecodeSets, EmptySetsAreReadAndDropped) {
  FileBuilder noLabels, noVariables;
  noLabels.LabelPair({}, {1, 5}).Int32(kNextRecord);
  noVariables.LabelPair({{1.0, "", "x"}}, {}).Int32(kNextRecord);
  for (const FileBuilder* b : {&noLabels, &noVariables}) {
    const Decoded d = Decode(*b, false);
    EXPECT_EQ(d.rc, XOVA_OK);
    EXPECT_EQ(d.next, kNextRecord);
    EXPECT_TRUE(d.sets.empty());
  }
}

TEST(LabelDecodeSets, FirstPositionMustStartAVariable) {
  for (std::int32_t position : {0, 3, 6, -1}) {
    FileBuilder b;
    b.LabelPair({{1.0, "", "x"}}, {position, 1});
    EXPECT_EQ(Decode(b, false).rc, XOVA_BAD_FILE) << position;
  }
  FileBuilder laterUnknown;
  laterUnknown.LabelPair({{1.0, "", "x"}}, {1, 3});
  EXPECT_EQ(Decode(laterUnknown, false).rc, XOVA_OK);
}

TEST(LabelDecodeSets, RefusesBadCountsAndAMissingIndexRecord) {
  FileBuilder negative, overflow, unbacked, noIndex, negativeVariables;
  negative.Int32(3).Int32(-1);
  overflow.Int32(3).Int32(178956970).Raw(std::string(64, 'x'));
  // A count the file cannot back fails at its end, without reserving for it.
  unbacked.Int32(3).Int32(178956969).Raw(std::string(100, 'x'));
  noIndex.Int32(3).Int32(1).Double(1.0).Raw(std::string(1, '\0')).Padded("", 7).Int32(5);
  negativeVariables.Int32(3).Int32(1).Double(1.0).Raw(std::string(1, '\0')).Padded("", 7);
  negativeVariables.Int32(4).Int32(-1).Int32(1);
  for (const FileBuilder* b : {&negative, &overflow, &unbacked, &noIndex, &negativeVariables}) {
    const Decoded d = Decode(*b, false);
    EXPECT_EQ(d.rc, XOVA_BAD_FILE);
    EXPECT_TRUE(d.sets.empty());
  }
}

TEST(LabelDecodeSets, AppendsAfterTheSetsAlreadyRead) {
  FileBuilder b;
  b.LabelPair({{1.0, "", "first"}}, {1}).LabelPair({{0, "ab", "second"}}, {5}, true);
  DecodeFixture f;
  ASSERT_TRUE(f.Open(b.bytes(), false));
  AddVariables(f.fs());
  ASSERT_EQ(xova::DecodeValueLabelPair(f.fs()), XOVA_OK);
  std::int32_t type = 0;
  ASSERT_TRUE(xova::ReadInt32(f.fs(), &type));
  ASSERT_EQ(xova::DecodeValueLabelPair(f.fs()), XOVA_OK);
  ASSERT_EQ(f.fs().labelSets.size(), 2u);
  EXPECT_EQ(f.fs().labelSets.front().entries[0].label, "first");
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
  int failures = 0;
  for (long n = 0;; ++n) {
    DecodeFixture f;
    ASSERT_TRUE(f.Open(b.bytes(), false));
    AddVariables(f.fs());
    f.fs().labelSets.emplace_back();
    xova_test::AllocFailureScope scope;
    xova_test::FailAllocationAfter(n);
    const int rc = xova::DecodeValueLabelPair(f.fs());
    const bool failed = xova_test::FailedAllocations() > 0;
    xova_test::ResetAllocFailure();
    if (!failed) {
      ASSERT_EQ(rc, XOVA_OK);
      EXPECT_EQ(f.fs().labelSets.size(), 2u);
      break;
    }
    ++failures;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY) << n;
    EXPECT_EQ(f.fs().labelSets.size(), 1u);
  }
  EXPECT_GT(failures, 3);
}

}  // namespace
