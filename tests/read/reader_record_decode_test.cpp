#include "read/reader_record_decode.h"

#include <gtest/gtest.h>

#include "read/decode_fixture.h"
#include "read/file_builder.h"
#include "read/record_input.h"
#include "support/alloc_failure.h"
#include "xovaio32.h"

namespace {

using xova_test::DecodeFixture;
using xova_test::FileBuilder;

constexpr std::int32_t kNextRecord = 999;

FileBuilder Record(bool bigEndian, std::int32_t count, std::int32_t extra,
                   const std::vector<std::int32_t>& values) {
  FileBuilder b(bigEndian);
  b.Int32(5).Int32(count).Int32(extra);
  for (std::int32_t v : values) b.Int32(v);
  return b;
}

TEST(ReaderRecordDecode, KeepsCountExtraAndValuesInEitherOrder) {
  for (bool bigEndian : {false, true}) {
    FileBuilder b = Record(bigEndian, 3, -7, {1, 0x01020304, -2});
    b.Int32(kNextRecord);
    DecodeFixture f;
    ASSERT_TRUE(f.Open(b.bytes(), bigEndian));
    ASSERT_EQ(xova::DecodeReaderRecord(f.fs()), XOVA_OK);
    ASSERT_TRUE(f.fs().readerRecord);
    EXPECT_EQ(f.fs().readerRecord->count, 3);
    EXPECT_EQ(f.fs().readerRecord->extra, -7);
    EXPECT_EQ(f.fs().readerRecord->values, (std::vector<std::int32_t>{1, 0x01020304, -2}));
    std::int32_t next = 0;
    ASSERT_TRUE(xova::ReadInt32(f.fs(), &next));
    EXPECT_EQ(next, kNextRecord);
  }
}

TEST(ReaderRecordDecode, RefusesBadCountsAndKeepsAnEarlierRecord) {
  const FileBuilder zero = Record(false, 0, 0, {});
  const FileBuilder negative = Record(false, -1, 0, {1});
  // A count the file cannot back fails at its end, without reserving for it.
  const FileBuilder unbacked = Record(false, 1 << 30, 0, std::vector<std::int32_t>(22, 1));
  for (const FileBuilder* b : {&zero, &negative, &unbacked}) {
    DecodeFixture f;
    ASSERT_TRUE(f.Open(b->bytes(), false));
    f.fs().readerRecord = std::make_unique<xova::ReaderRecord>();
    f.fs().readerRecord->count = 99;
    xova_test::LimitAllocationSize(1 << 16);
    EXPECT_EQ(xova::DecodeReaderRecord(f.fs()), XOVA_BAD_FILE);
    xova_test::LimitAllocationSize(0);
    ASSERT_TRUE(f.fs().readerRecord);
    EXPECT_EQ(f.fs().readerRecord->count, 99);
  }
}

TEST(ReaderRecordDecode, EveryTruncationIsRefused) {
  for (bool bigEndian : {false, true}) {
    const FileBuilder b = Record(bigEndian, 4, 1, {1, 2, 3, 4});
    const auto accepted = xova_test::PrefixesNotRefused(
        b.bytes(), bigEndian, 2, true,
        [](xova::FileState& fs) { return xova::DecodeReaderRecord(fs); });
    EXPECT_TRUE(accepted.empty()) << "accepted a prefix of " << accepted.front() << " bytes";
  }
}

TEST(ReaderRecordDecode, OutOfMemoryGivesSevenAndStoresNothing) {
  const FileBuilder b = Record(false, 40, 0, std::vector<std::int32_t>(40, 6));
  const int failing = xova_test::RunWithAllocationFailures(
      b.bytes(), [](xova::FileState&) {},
      [](xova::FileState& fs) { return xova::DecodeReaderRecord(fs); },
      [](xova::FileState& fs, int rc, bool failed) {
        EXPECT_EQ(rc, failed ? XOVA_OUT_OF_MEMORY : XOVA_OK);
        EXPECT_EQ(fs.readerRecord ? fs.readerRecord->values.size() : 0u, failed ? 0u : 40u);
      });
  EXPECT_GT(failing, 1);
}

}  // namespace
