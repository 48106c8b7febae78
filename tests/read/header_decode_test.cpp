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

HeaderSpec FullHeader() {
  HeaderSpec h;
  h.version = 3;
  h.caseSize = 7;
  h.compression = 5;  // any non-zero value is kept: it means compressed
  h.weightIndex = 3;
  h.caseCount = -1;
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

TEST(HeaderDecode, DecodesEveryFieldInEitherOrderAndStopsAtTheFirstRecord) {
  for (bool bigEndian : {false, true}) {
    std::vector<unsigned char> bytes = HeaderBytes(FullHeader(), bigEndian);
    std::memcpy(bytes.data(), "neither magic nor product", 24);  // never checked
    DecodeFixture f;
    ASSERT_TRUE(f.Open(bytes, bigEndian, 2, false));
    f.fs().byteSwap = 0;  // the decoder must find the order itself
    ASSERT_EQ(xova::DecodeHeader(f.fs()), XOVA_OK);
    const xova::FileState& fs = f.fs();
    EXPECT_EQ(fs.byteSwap, bigEndian == xova_test::BigEndianNeedsSwap() ? 1 : 0);
    EXPECT_EQ(fs.versionCode, 3);
    EXPECT_EQ(fs.headerCaseSize, 7);
    EXPECT_EQ(fs.compression, 5);
    EXPECT_EQ(fs.weightIndex, 3);
    EXPECT_EQ(fs.caseCount, -1);
    EXPECT_EQ(std::string(fs.systemString), "Other Writer 9" + std::string(26, ' '));
    EXPECT_EQ(std::string(fs.timeStamp), "01 Feb 0304:05:06");
    EXPECT_EQ(std::string(fs.idString), "Survey wave 2" + std::string(51, ' '));
    std::int32_t type = 0;
    ASSERT_TRUE(xova::ReadInt32(f.fs(), &type));
    EXPECT_EQ(type, 2);
  }
}

TEST(HeaderDecode, AcceptsVersionsOneToThreeOnly) {
  for (std::int32_t version : {0, 1, 2, 3, 4, 0x04000000, -1, 0x01000001}) {
    HeaderSpec h = FullHeader();
    h.version = version;
    DecodeFixture f;
    ASSERT_TRUE(f.Open(HeaderBytes(h, false), false, 2, false));
    f.fs().byteSwap = 0;
    const bool known = version >= 1 && version <= 3;
    ASSERT_EQ(xova::DecodeHeader(f.fs()), known ? XOVA_OK : XOVA_BAD_FILE) << version;
    EXPECT_EQ(f.fs().versionCode, known ? version : 2);
    if (!known) {  // a refused header changes nothing
      EXPECT_EQ(f.fs().byteSwap, 0);
      EXPECT_EQ(f.fs().compression, 0);
      EXPECT_EQ(f.fs().systemString[0], '\0');
    }
  }
}

TEST(HeaderDecode, RefusesEveryTruncatedHeader) {
  for (bool bigEndian : {false, true}) {
    FileBuilder b(bigEndian);
    b.Header(FullHeader());
    const auto accepted = xova_test::PrefixesNotRefused(
        b.bytes(), bigEndian, 2, false, [](xova::FileState& fs) { return xova::DecodeHeader(fs); });
    EXPECT_TRUE(accepted.empty()) << "accepted a prefix of " << accepted.front() << " bytes";
  }
}

}  // namespace
