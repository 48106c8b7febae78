#include "read/extension_decode.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ext/spill_env.h"
#include "read/file_builder.h"
#include "read/record_stream.h"
#include "support/alloc_failure.h"
#include "xovaio32.h"

namespace {

using xova_test::BlockContents;
using xova_test::FileBuilder;
using xova_test::RecordStream;

std::vector<unsigned char> Pattern(std::size_t n) {
  std::vector<unsigned char> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 251);
  return bytes;
}

std::vector<unsigned char> IntBytes(const std::vector<std::int32_t>& values) {
  std::vector<unsigned char> bytes(values.size() * 4);
  if (!values.empty()) std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

std::vector<std::string> Lines(int n) {
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) lines.push_back("line " + std::to_string(i));
  return lines;
}

std::string Padded(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + std::string(80 - line.size(), ' ');
  return text;
}

// Parameter: the file is in the other byte order.
class PayloadTest : public ::testing::TestWithParam<bool> {
 protected:
  xova_test::ScratchDir dir;
  xova_test::SpillEnv env;
};

TEST_P(PayloadTest, NumbersComeOutInHostOrderTextUnchanged) {
  const std::vector<std::int32_t> ints = {12, 0, -7, 720, 1, 1, 2, 0x01020304};
  const std::vector<double> doubles = {1.5, -2.25, 3e300};
  FileBuilder b(GetParam());
  b.IntExtension(3, ints)
      .DoubleExtension(4, doubles)
      .TextExtension(10, "abcd\x01\x02")
      .Terminator();
  RecordStream in(dir, b, GetParam());
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(in.Next(), 7);
    ASSERT_EQ(xova::ReadExtensionRecord(in.fs()), XOVA_OK);
  }
  EXPECT_EQ(in.Next(), 999);
  xova::FileState& fs = in.fs();
  EXPECT_EQ(BlockContents(fs.blocks[3].get()), IntBytes(ints));
  std::vector<unsigned char> d(24);
  std::memcpy(d.data(), doubles.data(), d.size());
  EXPECT_EQ(BlockContents(fs.blocks[4].get()), d);
  EXPECT_EQ(fs.blocks[4]->elemSize, 8);
  EXPECT_STREQ(reinterpret_cast<const char*>(fs.blocks[10]->data), "abcd\x01\x02");
  EXPECT_EQ(fs.present[3] + fs.present[4] + fs.present[10], 3);
}

// 300 integers spill whole; elements of 1300 bytes pass the staging buffer
// in three pieces each, mirrored when the byte order differs.
TEST_P(PayloadTest, SpilledElementsOfAnySizeComeOutInHostOrder) {
  std::vector<std::int32_t> ints(300);
  for (std::size_t i = 0; i < ints.size(); ++i) ints[i] = static_cast<std::int32_t>(i * 100003);
  const std::vector<unsigned char> wide = Pattern(2600);
  FileBuilder b(GetParam());
  b.IntExtension(6, ints).Extension(20, 1300, 2, wide).Terminator();
  RecordStream in(dir, b, GetParam());
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(in.Next(), 7);
    ASSERT_EQ(xova::ReadExtensionRecord(in.fs()), XOVA_OK);
  }
  EXPECT_EQ(in.Next(), 999);
  for (int s : {6, 20}) {
    xova::ExtensionBlock* block = in.fs().blocks[static_cast<std::size_t>(s)].get();
    const std::vector<unsigned char> want = s == 6 ? IntBytes(ints) : wide;
    EXPECT_TRUE(block->spilled);
    EXPECT_EQ(block->spillFile, nullptr);
    EXPECT_EQ(xova_test::ReadFileBytes(block->spillPath), want);
    EXPECT_EQ(std::memcmp(block->tail, &want[want.size() - 4], 4), 0);
    EXPECT_EQ(BlockContents(block), want);
  }
  EXPECT_EQ(in.fs().blocks[20]->count, 2);
  EXPECT_EQ(env.FileCount(), 2u);
  in.Release();
  EXPECT_EQ(env.FileCount(), 0u);
}

TEST_P(PayloadTest, TwelveDocumentLinesStayInMemoryThirteenSpill) {
  for (int lines : {12, 13}) {
    FileBuilder b(GetParam());
    b.Documents(Lines(lines)).Terminator();
    RecordStream in(dir, b, GetParam());
    ASSERT_EQ(in.Next(), 6);
    ASSERT_EQ(xova::ReadExtensionPayload(&in.fs().blocks[0], in.fs(), 0), XOVA_OK);
    EXPECT_EQ(in.Next(), 999);
    xova::ExtensionBlock* docs = in.fs().blocks[0].get();
    EXPECT_EQ(docs->elemSize, 1);
    EXPECT_EQ(docs->count, 80 * lines);
    EXPECT_EQ(docs->spilled, lines == 13);
    const std::string text = Padded(Lines(lines));
    if (!docs->spilled) {
      EXPECT_EQ(reinterpret_cast<const char*>(docs->data), text);
    }
    const auto got = BlockContents(docs);
    EXPECT_EQ(std::string(got.begin(), got.end()), text);
  }
}

TEST_P(PayloadTest, OtherSubtypesArePassedOverAndEmptyPayloadsKept) {
  FileBuilder b(GetParam());
  b.Extension(33, 1, 10, Pattern(10)).Extension(0, 4, 2, Pattern(8));
  b.Extension(-5, 2, 3, Pattern(6)).Extension(1000, 1, 0, {}).Extension(21, 4, 0, {}).Terminator();
  RecordStream in(dir, b, GetParam());
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(in.Next(), 7);
    ASSERT_EQ(xova::ReadExtensionRecord(in.fs()), XOVA_OK);
  }
  EXPECT_EQ(in.Next(), 999);
  for (int s = 0; s < xova::kBlockSlots; ++s) {
    EXPECT_EQ(in.fs().present[static_cast<std::size_t>(s)], s == 21) << s;
    EXPECT_EQ(in.fs().blocks[static_cast<std::size_t>(s)] != nullptr, s == 21) << s;
  }
  EXPECT_EQ(in.fs().blocks[21]->count, 0);
}

INSTANTIATE_TEST_SUITE_P(BothOrders, PayloadTest, ::testing::Bool());

class PayloadFailureTest : public ::testing::Test {
 protected:
  // Reads one type 7 (or type 6) record into a state whose slot already
  // holds a block, which a failure must leave in place.
  int ReadOne(const FileBuilder& b, int slot = 5) {
    RecordStream in(dir, b, false);
    xova::FileState& fs = in.fs();
    const std::size_t s = static_cast<std::size_t>(slot);
    fs.blocks[s] = xova::BlockCreate(1);
    xova::ExtensionBlock* earlier = fs.blocks[s].get();
    const std::int32_t type = in.Next();
    const int rc = type == 6 ? xova::ReadExtensionPayload(&fs.blocks[0], fs, 0)
                             : xova::ReadExtensionRecord(fs);
    if (rc != XOVA_OK) {
      EXPECT_EQ(fs.blocks[s].get(), earlier);
      EXPECT_EQ(fs.present[s], 0);
    }
    in.Release();
    EXPECT_EQ(env.FileCount(), 0u);
    return rc;
  }
  FileBuilder Record(const std::vector<std::int32_t>& fields, std::size_t payload) {
    FileBuilder b;
    for (std::int32_t f : fields) b.Int32(f);
    b.Raw(Pattern(payload));
    return b;
  }
  xova_test::ScratchDir dir;
  xova_test::SpillEnv env;
};

TEST_F(PayloadFailureTest, ShortOrUnusableHeadersAndShortPayloads) {
  EXPECT_EQ(ReadOne(Record({7}, 2)), XOVA_FILE_READ_ERROR);  // no subtype
  EXPECT_EQ(ReadOne(Record({7, 5, 1}, 0)), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({7, 5, 1, 10}, 9)), XOVA_BAD_FILE);              // in memory
  EXPECT_EQ(ReadOne(Record({7, 5, 1, 3000}, 2000)), XOVA_FILE_READ_ERROR);  // spilled
  EXPECT_EQ(ReadOne(Record({7, 5, 1300, 2}, 2000)), XOVA_FILE_READ_ERROR);
  EXPECT_EQ(ReadOne(Record({7, 5, 0, 10}, 10)), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({7, 5, 4, -1}, 10)), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({7, 5, 8, 1 << 29}, 10)), XOVA_BAD_FILE);  // 2^32 bytes
  EXPECT_EQ(ReadOne(Record({7, 5, 2, 1 << 30}, 10)), XOVA_BAD_FILE);  // 2^31 bytes
  EXPECT_EQ(ReadOne(Record({6, 2}, 100), 0), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({6, -1}, 100), 0), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({6, INT_MAX / 80 + 1}, 100), 0), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({6}, 2), 0), XOVA_BAD_FILE);
  // Passed-over records: their sizes must make sense and their bytes exist.
  EXPECT_EQ(ReadOne(Record({7, 40, 1}, 0)), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({7, 40, 0, 10}, 10)), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({7, 40, 4, -3}, 10)), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({7, 40, 1, 10}, 9)), XOVA_BAD_FILE);
  EXPECT_EQ(ReadOne(Record({7, 40, 1 << 20, 1 << 20}, 10)), XOVA_BAD_FILE);
}

// Fails at the first staging piece, without allocating the declared size.
TEST_F(PayloadFailureTest, TwoGigabytesDeclaredInATinyFile) {
  EXPECT_EQ(ReadOne(Record({7, 5, 1, INT_MAX}, 200)), XOVA_FILE_READ_ERROR);
  EXPECT_EQ(ReadOne(Record({7, 5, 4, INT_MAX / 4}, 200)), XOVA_FILE_READ_ERROR);
  EXPECT_EQ(ReadOne(Record({7, 5, INT_MAX, 1}, 200)), XOVA_FILE_READ_ERROR);
}

TEST_F(PayloadFailureTest, NoTemporaryFileMeansTempFileError) {
  env.SetSystemDir(env.Missing());
  EXPECT_EQ(ReadOne(Record({7, 5, 1, 2000}, 2000)), XOVA_TEMP_FILE_ERROR);
}

TEST_F(PayloadFailureTest, LaterRecordReplacesOnlyOnSuccess) {
  FileBuilder b;
  b.TextExtension(7, std::string(2000, 'a')).TextExtension(7, "second");
  b.Int32(7).Int32(7).Int32(1).Int32(5).Raw("abc");
  RecordStream in(dir, b, false);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(in.Next(), 7);
    ASSERT_EQ(xova::ReadExtensionRecord(in.fs()), XOVA_OK);
  }
  EXPECT_EQ(env.FileCount(), 0u);  // the spilled first block went with its file
  ASSERT_EQ(in.Next(), 7);
  EXPECT_EQ(xova::ReadExtensionRecord(in.fs()), XOVA_BAD_FILE);
  EXPECT_STREQ(reinterpret_cast<const char*>(in.fs().blocks[7]->data), "second");
}

TEST_F(PayloadFailureTest, AllocationFailureIsOutOfMemoryAndLeavesNothing) {
  for (std::size_t size : {100u, 3000u}) {
    FileBuilder b;
    b.TextExtension(9, std::string(size, 'x'));
    RecordStream in(dir, b, false);
    std::vector<int> results;
    results.reserve(1000);
    const long runs = xova_test::ForEachAllocationFailure([&] {
      xova::platform::Seek(in.fs().stream.get(), 4, SEEK_SET);
      results.push_back(xova::ReadExtensionRecord(in.fs()));
    });
    EXPECT_GT(runs, 0);
    ASSERT_EQ(results.back(), XOVA_OK);
    results.pop_back();
    for (int rc : results) {
      // Without memory for its name no temporary file can be made either.
      EXPECT_TRUE(rc == XOVA_OUT_OF_MEMORY || (size > 1000 && rc == XOVA_TEMP_FILE_ERROR)) << rc;
    }
    EXPECT_EQ(in.fs().blocks[9]->count, static_cast<std::int32_t>(size));
    in.Release();
    EXPECT_EQ(env.FileCount(), 0u);
  }
}

}  // namespace
