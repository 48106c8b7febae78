// QEB information in pieces, and its GUID text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ext/side_test_support.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::ModeOverride;
using xova_test::StateOf;

std::int32_t HostWord(const unsigned char* bytes) {
  std::int32_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

class Qeb : public ::testing::Test {
 protected:
  int h() const { return w_.handle(); }
  const unsigned char data_[8] = {1, 2, 3, 4, 5, 0xa6, 0xb7, 0xc8};
  xova_test::WriteHandle w_;
};

TEST_F(Qeb, PiecesWrittenAndReadBack) {
  ASSERT_EQ(xovaSetQEBFirst(h(), data_, 5), XOVA_OK);
  ASSERT_EQ(xovaSetQEBNext(h(), data_ + 5, 3), XOVA_OK);
  int total = -1;
  int last = -1;
  ASSERT_EQ(xovaGetQEBInfo(h(), &total, &last), XOVA_OK);
  EXPECT_EQ(total, 8);
  EXPECT_EQ(last, HostWord(data_ + 4));

  unsigned char buffer[8] = {};
  int got = -1;
  ASSERT_EQ(xovaGetQEBFirst(h(), buffer, 6, &got), XOVA_OK);
  EXPECT_EQ(got, 6);
  ASSERT_EQ(xovaGetQEBNext(h(), buffer + 6, 6, &got), XOVA_OK);
  EXPECT_EQ(got, 2);
  EXPECT_EQ(std::memcmp(buffer, data_, 8), 0);
  // The last read reached the end: a further "next" needs a new "first".
  EXPECT_EQ(xovaGetQEBNext(h(), buffer, 6, &got), XOVA_QEB_NEXT_WITHOUT_FIRST);
  EXPECT_EQ(got, 0);
  ASSERT_EQ(xovaGetQEBFirst(h(), buffer, 100, &got), XOVA_OK);
  EXPECT_EQ(got, 8);
  EXPECT_EQ(xovaGetQEBNext(h(), buffer, 6, &got), XOVA_QEB_NEXT_WITHOUT_FIRST);
}

TEST_F(Qeb, FirstRestartsAfterAPartialRead) {
  ASSERT_EQ(xovaSetQEBFirst(h(), data_, 8), XOVA_OK);
  unsigned char buffer[8] = {};
  int got = 0;
  ASSERT_EQ(xovaGetQEBFirst(h(), buffer, 3, &got), XOVA_OK);
  ASSERT_EQ(xovaGetQEBFirst(h(), buffer, 2, &got), XOVA_OK);
  EXPECT_EQ(got, 2);
  EXPECT_EQ(buffer[0], 1);
  ASSERT_EQ(xovaGetQEBNext(h(), buffer, 2, &got), XOVA_OK);
  EXPECT_EQ(buffer[0], 3);
}

TEST_F(Qeb, NextBeforeFirstIsRefused) {
  EXPECT_EQ(xovaSetQEBNext(h(), data_, 3), XOVA_QEB_NEXT_WITHOUT_FIRST);
  EXPECT_FALSE(StateOf(h())->blocks[8]);
  int got = -1;
  unsigned char buffer[4];
  EXPECT_EQ(xovaGetQEBNext(h(), buffer, 4, &got), XOVA_QEB_NEXT_WITHOUT_FIRST);
  EXPECT_EQ(got, 0);
}

TEST_F(Qeb, EmptyPiecesAndBadCounts) {
  ASSERT_EQ(xovaSetQEBFirst(h(), data_, 4), XOVA_OK);
  EXPECT_EQ(xovaSetQEBNext(h(), data_, 0), XOVA_OK);
  EXPECT_EQ(xovaSetQEBNext(h(), nullptr, 3), XOVA_OK);
  EXPECT_EQ(xovaSetQEBNext(h(), data_, -1), XOVA_BAD_EXT_INDEX);
  EXPECT_EQ(xovaSetQEBFirst(h(), data_, -1), XOVA_BAD_EXT_INDEX);
  int total = 0;
  ASSERT_EQ(xovaGetQEBInfo(h(), &total, nullptr), XOVA_OK);
  EXPECT_EQ(total, 4);
  // A first piece of nothing empties the record.
  EXPECT_EQ(xovaSetQEBFirst(h(), nullptr, 4), XOVA_OK);
  int last = -1;
  EXPECT_EQ(xovaGetQEBInfo(h(), &total, &last), XOVA_QEB_ABSENT);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(last, 0);
}

TEST_F(Qeb, GettersRefuseAbsentOrSwappedRecords) {
  int total = -1;
  int last = -1;
  int got = -1;
  unsigned char buffer[8];
  EXPECT_EQ(xovaGetQEBInfo(h(), &total, &last), XOVA_QEB_ABSENT);
  EXPECT_EQ(xovaGetQEBFirst(h(), buffer, 8, &got), XOVA_QEB_ABSENT);
  EXPECT_EQ(got, 0);
  ASSERT_EQ(xovaSetQEBFirst(h(), data_, 8), XOVA_OK);
  StateOf(h())->byteSwap = 1;  // as a file of the other byte order leaves it
  got = -1;
  EXPECT_EQ(xovaGetQEBInfo(h(), &total, &last), XOVA_QEB_ABSENT);
  EXPECT_EQ(xovaGetQEBFirst(h(), buffer, 8, &got), XOVA_QEB_ABSENT);
  EXPECT_EQ(xovaGetQEBNext(h(), buffer, 8, &got), XOVA_QEB_NEXT_WITHOUT_FIRST);
  StateOf(h())->byteSwap = 0;
}

TEST_F(Qeb, ReadsNeverWriteBeyondTheCallersBuffer) {
  ASSERT_EQ(xovaSetQEBFirst(h(), data_, 8), XOVA_OK);
  int got = -1;
  EXPECT_EQ(xovaGetQEBFirst(h(), nullptr, 8, &got), XOVA_OK);
  EXPECT_EQ(got, 0);
  unsigned char buffer[4] = {};
  EXPECT_EQ(xovaGetQEBFirst(h(), buffer, -5, &got), XOVA_OK);
  EXPECT_EQ(got, 0);
  // Wider elements (possible in a file read) are handed out whole, never
  // more bytes than asked for.
  const std::int32_t wide[3] = {11, 22, 33};
  ASSERT_EQ(xova::BlockReplace(&StateOf(h())->blocks[8], 4, 3, wide), XOVA_OK);
  std::int32_t out[2] = {0, 0};
  ASSERT_EQ(xovaGetQEBFirst(h(), out, 7, &got), XOVA_OK);
  EXPECT_EQ(got, 4);
  EXPECT_EQ(out[0], 11);
  EXPECT_EQ(out[1], 0);
  int total = 0;
  ASSERT_EQ(xovaGetQEBInfo(h(), &total, nullptr), XOVA_OK);
  EXPECT_EQ(total, 12);
  EXPECT_EQ(xovaSetQEBNext(h(), data_, 3), XOVA_BAD_EXT_INDEX);
}

TEST_F(Qeb, LargeRecordsAreReadInPiecesFromTheSpillFile) {
  std::vector<unsigned char> big(5000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 31);
  ASSERT_EQ(xovaSetQEBFirst(h(), big.data(), 3000), XOVA_OK);
  ASSERT_EQ(xovaSetQEBNext(h(), big.data() + 3000, 2000), XOVA_OK);
  ASSERT_TRUE(StateOf(h())->blocks[8]->spilled);
  int total = 0;
  int last = 0;
  ASSERT_EQ(xovaGetQEBInfo(h(), &total, &last), XOVA_OK);
  EXPECT_EQ(total, 5000);
  EXPECT_EQ(last, HostWord(big.data() + 4996));
  std::vector<unsigned char> back;
  unsigned char piece[700];
  int got = 0;
  int rc = xovaGetQEBFirst(h(), piece, 700, &got);
  while (rc == XOVA_OK) {
    back.insert(back.end(), piece, piece + got);
    rc = xovaGetQEBNext(h(), piece, 700, &got);
  }
  EXPECT_EQ(rc, XOVA_QEB_NEXT_WITHOUT_FIRST);
  EXPECT_EQ(back, big);
}

TEST(QebGuid, TextIsCutTo256Bytes) {
  xova_test::WriteHandle w;
  const std::string text(300, 'g');
  ASSERT_EQ(xovaSetQEBGUID(w.handle(), text.c_str()), XOVA_OK);
  EXPECT_EQ(StateOf(w.handle())->blocks[12]->count, 256);
  char buffer[300];
  std::memset(buffer, 'z', sizeof buffer);
  ASSERT_EQ(xovaGetQEBGUID(w.handle(), buffer), XOVA_OK);
  EXPECT_EQ(std::string(buffer), std::string(256, 'g'));
  ASSERT_EQ(xovaSetQEBGUID(w.handle(), "{1234}"), XOVA_OK);
  ASSERT_EQ(xovaGetQEBGUID(w.handle(), buffer), XOVA_OK);
  EXPECT_STREQ(buffer, "{1234}");
}

TEST(QebGuid, NullTextLeavesAnEmptyBlock) {
  xova_test::WriteHandle w;
  ASSERT_EQ(xovaSetQEBGUID(w.handle(), "{1234}"), XOVA_OK);
  ASSERT_EQ(xovaSetQEBGUID(w.handle(), nullptr), XOVA_OK);
  ASSERT_TRUE(StateOf(w.handle())->blocks[12]);
  EXPECT_EQ(StateOf(w.handle())->blocks[12]->count, 0);
  char buffer[257] = "stale";
  ASSERT_EQ(xovaGetQEBGUID(w.handle(), buffer), XOVA_OK);
  EXPECT_STREQ(buffer, "");
}

TEST(QebGuid, ALongGuidReadFromAFileIsCutOnTheWayOut) {
  xova_test::WriteHandle w;
  const std::string text(3000, 'q');  // only a file read can leave this much
  ASSERT_EQ(xova::BlockReplace(&StateOf(w.handle())->blocks[12], 1, 3000, text.data()), XOVA_OK);
  ASSERT_TRUE(StateOf(w.handle())->blocks[12]->spilled);
  char buffer[257];
  ASSERT_EQ(xovaGetQEBGUID(w.handle(), buffer), XOVA_OK);
  EXPECT_EQ(std::string(buffer), std::string(256, 'q'));
  EXPECT_EQ(StateOf(w.handle())->blocks[12]->spillFile, nullptr);
  EXPECT_EQ(StateOf(w.handle())->blocks[12]->cursor, 0);
}

}  // namespace
