#include "read/header_decode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "read/decode_fixture.h"
#include "read/file_builder.h"
#include "read/record_input.h"
#include "xovaio32.h"

namespace {

using xova_test::DecodeFixture;
using xova_test::FileBuilder;
using xova_test::HeaderSpec;

constexpr std::size_t kHeaderSize = 176;
constexpr std::size_t kVersionOffset = 64;

HeaderSpec FullSpec() {
  HeaderSpec h;
  h.version = 3;
  h.caseSize = 7;
  h.compression = 1;
  h.weightIndex = 3;
  h.caseCount = 42;
  h.date = "01 Feb 03";
  h.time = "04:05:06";
  h.label = "Survey wave 2";
  h.system = "Other Writer 9";
  return h;
}

std::vector<unsigned char> HeaderBytes(const HeaderSpec& h, bool bigEndian) {
  FileBuilder b(bigEndian);
  b.Header(h).Int32(2);  // the first record type follows the header
  return b.bytes();
}

void PutVersion(std::vector<unsigned char>& bytes, const unsigned char (&raw)[4]) {
  std::memcpy(bytes.data() + kVersionOffset, raw, 4);
}

class HeaderDecodeOrder : public ::testing::TestWithParam<bool> {};

TEST_P(HeaderDecodeOrder, DecodesEveryFieldAndStopsAtTheFirstRecord) {
  const bool bigEndian = GetParam();
  DecodeFixture f;
  ASSERT_TRUE(f.Open(HeaderBytes(FullSpec(), bigEndian), bigEndian, 2, false));
  f.fs().byteSwap = 0;  // the decoder must find the order itself
  ASSERT_EQ(xova::DecodeHeader(f.fs()), XOVA_OK);
  const xova::FileState& fs = f.fs();
  EXPECT_EQ(fs.byteSwap, bigEndian == xova_test::BigEndianNeedsSwap() ? 1 : 0);
  EXPECT_EQ(fs.versionCode, 3);
  EXPECT_EQ(fs.headerCaseSize, 7);
  EXPECT_EQ(fs.compression, 1);
  EXPECT_EQ(fs.weightIndex, 3);
  EXPECT_EQ(fs.caseCount, 42);
  EXPECT_EQ(std::string(fs.systemString), "Other Writer 9" + std::string(26, ' '));
  EXPECT_EQ(std::string(fs.timeStamp), "01 Feb 0304:05:06");
  EXPECT_EQ(std::string(fs.idString), "Survey wave 2" + std::string(51, ' '));
  std::int32_t type = 0;
  ASSERT_TRUE(xova::ReadInt32(f.fs(), &type));
  EXPECT_EQ(type, 2);
}

INSTANTIATE_TEST_SUITE_P(BothOrders, HeaderDecodeOrder, ::testing::Bool());

TEST(HeaderDecode, AcceptsEveryVersionInEitherOrder) {
  for (std::int32_t version : {1, 2, 3}) {
    for (bool bigEndian : {false, true}) {
      HeaderSpec h;
      h.version = version;
      DecodeFixture f;
      ASSERT_TRUE(f.Open(HeaderBytes(h, bigEndian), bigEndian, 2, false));
      ASSERT_EQ(xova::DecodeHeader(f.fs()), XOVA_OK) << version << " " << bigEndian;
      EXPECT_EQ(f.fs().versionCode, version);
    }
  }
}

TEST(HeaderDecode, RefusesUnknownVersionsAndChangesNothing) {
  const unsigned char codes[][4] = {
      {0, 0, 0, 0}, {4, 0, 0, 0}, {0, 0, 0, 4}, {0xFF, 0xFF, 0xFF, 0xFF}, {1, 0, 0, 1}};
  for (const auto& raw : codes) {
    std::vector<unsigned char> bytes = HeaderBytes(FullSpec(), false);
    PutVersion(bytes, raw);
    DecodeFixture f;
    ASSERT_TRUE(f.Open(bytes, false, 2, false));
    f.fs().byteSwap = 0;
    EXPECT_EQ(xova::DecodeHeader(f.fs()), XOVA_BAD_FILE);
    EXPECT_EQ(f.fs().byteSwap, 0);
    EXPECT_EQ(f.fs().versionCode, 2);
    EXPECT_EQ(f.fs().caseCount, 0);
    EXPECT_EQ(f.fs().systemString[0], '\0');
  }
}

// Only the version code decides the order, so fields that look implausible
// in the order found are kept as they stand.
TEST(HeaderDecode, KeepsFieldsAsReadWhateverTheirValue) {
  HeaderSpec h;
  h.compression = 5;
  h.caseCount = -1;
  h.weightIndex = 0x01000000;
  std::vector<unsigned char> bytes = HeaderBytes(h, false);
  const std::string foreign = "not a magic, not a product text";
  std::memcpy(bytes.data(), foreign.data(), 24);
  DecodeFixture f;
  ASSERT_TRUE(f.Open(bytes, false, 2, false));
  ASSERT_EQ(xova::DecodeHeader(f.fs()), XOVA_OK);
  EXPECT_EQ(f.fs().compression, 5);
  EXPECT_EQ(f.fs().caseCount, -1);
  EXPECT_EQ(f.fs().weightIndex, 0x01000000);
  EXPECT_EQ(f.fs().byteSwap, xova_test::BigEndianNeedsSwap() ? 0 : 1);
}

TEST(HeaderDecode, RefusesEveryTruncatedHeader) {
  for (bool bigEndian : {false, true}) {
    FileBuilder b(bigEndian);
    b.Header(FullSpec());
    ASSERT_EQ(b.size(), kHeaderSize);
    const auto accepted = xova_test::PrefixesNotRefused(
        b.bytes(), bigEndian, 2, false, [](xova::FileState& fs) { return xova::DecodeHeader(fs); });
    EXPECT_TRUE(accepted.empty()) << "first accepted prefix: " << accepted.front();
  }
}

}  // namespace
