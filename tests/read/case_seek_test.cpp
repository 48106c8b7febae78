// Positioning read handles and counting their cases.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "read/case_position_index.h"
#include "read/read_state_fixture.h"
#include "support/alloc_failure.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using xova_test::CaseValues;
using xova_test::Cell;
using xova_test::ReadHandle;
using xova_test::ReadOptions;

const std::vector<int> kTypes = {0, 0, 10};

// Coded numbers, raw numbers (unique per case) and strings, some blank.
CaseValues Values(int c) {
  return {Cell{static_cast<double>(c % 200 - 50), ""}, Cell{c + 0.5, ""},
          Cell{0, c % 3 ? "s" + std::to_string(c) : ""}};
}

// Reads the next case and tells whether it is case c.
::testing::AssertionResult ReadsCase(const ReadHandle& r, int c) {
  if (int rc = xovaReadCaseRecord(r.handle())) {
    return ::testing::AssertionFailure() << "read of case " << c << " gave " << rc;
  }
  const CaseValues want = Values(c);
  for (std::size_t i = 0; i < kTypes.size(); ++i) {
    const std::string got = xova_test::ValueText(r.handle(), r.var(i), kTypes[i]);
    if (got != xova_test::ExpectedText(want[i], kTypes[i])) {
      return ::testing::AssertionFailure() << "case " << c << " variable " << i << ": " << got;
    }
  }
  return ::testing::AssertionSuccess();
}

int Counted(int h) {
  int n = -7;
  EXPECT_EQ(xovaGetNumberofCases(h, &n), XOVA_OK);
  return n;
}

int Estimated(int h) {
  int n = -7;
  EXPECT_EQ(xovaGetEstimatedNofCases(h, &n), XOVA_OK);
  return n;
}

// Compression, and whether the header knows the count.
class Seek : public ::testing::TestWithParam<std::tuple<int, bool>> {
 protected:
  xova_test::WrittenFile Write(int cases) {
    return xova_test::WriteCases(dir_.File("s.data"), kTypes, std::get<0>(GetParam()), cases,
                                 Values);
  }
  ReadOptions Options() const {
    ReadOptions o;
    o.ownCount = !std::get<1>(GetParam());
    return o;
  }
  xova_test::ScratchDir dir_;
};

// Seeking past the end must not make the count claim cases the file lacks.
TEST_P(Seek, PastTheEndCountsOnlyTheCasesThere) {
  ReadHandle r(Write(10), Options());
  ASSERT_EQ(xovaSeekNextCase(r.handle(), 1000), XOVA_OK);
  EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
  EXPECT_EQ(r.state().caseNumber, 1000);
  EXPECT_EQ(Counted(r.handle()), 10);
  EXPECT_EQ(Estimated(r.handle()), 10);
  EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
  EXPECT_EQ(Counted(r.handle()), 10);
  ASSERT_EQ(xovaSeekNextCase(r.handle(), 3), XOVA_OK);
  EXPECT_TRUE(ReadsCase(r, 3));
  EXPECT_TRUE(ReadsCase(r, 4));
}

TEST_P(Seek, BackAndForthGivesTheCasesSought) {
  ReadHandle r(Write(300), Options());
  for (int c = 0; c < 5; ++c) ASSERT_TRUE(ReadsCase(r, c));
  ASSERT_EQ(xovaSeekNextCase(r.handle(), 0), XOVA_OK);
  EXPECT_TRUE(ReadsCase(r, 0));
  for (int c : {299, 17, 16, 15, 256, 255, 257, 1, 298}) {
    ASSERT_EQ(xovaSeekNextCase(r.handle(), c), XOVA_OK);
    ASSERT_TRUE(ReadsCase(r, c));
    if (c == 299) {
      EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
    } else {
      ASSERT_TRUE(ReadsCase(r, c + 1));
    }
  }
}

TEST_P(Seek, NegativeCaseNumbersAreRefusedAndChangeNothing) {
  ReadHandle r(Write(3), Options());
  ASSERT_TRUE(ReadsCase(r, 0));
  EXPECT_EQ(xovaSeekNextCase(r.handle(), -1), XOVA_BAD_FILE);
  EXPECT_EQ(xovaSeekNextCase(r.handle(), -2147483647 - 1), XOVA_BAD_FILE);
  EXPECT_EQ(r.state().caseNumber, 1);
  EXPECT_EQ(r.state().caseIndex, nullptr);
  EXPECT_TRUE(ReadsCase(r, 1));
}

INSTANTIATE_TEST_SUITE_P(CompressionAndHeaderCount, Seek,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::Bool()));

TEST(SeekCompressed, ToTheCurrentCaseBuildsNoIndex) {
  xova_test::ScratchDir dir;
  ReadHandle r(xova_test::WriteCases(dir.File("c.data"), kTypes, 1, 5, Values));
  EXPECT_EQ(xovaSeekNextCase(r.handle(), 0), XOVA_OK);
  for (int c = 0; c < 3; ++c) ASSERT_TRUE(ReadsCase(r, c));
  EXPECT_EQ(xovaSeekNextCase(r.handle(), 3), XOVA_OK);
  EXPECT_EQ(r.state().caseIndex, nullptr);
  EXPECT_TRUE(ReadsCase(r, 3));
  EXPECT_EQ(xovaSeekNextCase(r.handle(), 2), XOVA_OK);
  EXPECT_NE(r.state().caseIndex, nullptr);
}

std::size_t Pages(const xova::CasePositionIndex& index) {
  std::size_t n = 0;
  for (const xova::CasePage* p = index.firstPage.get(); p; p = p->next.get()) ++n;
  return n;
}

// Tens of thousands of cases in random order, each checked value by value.
TEST(SeekCompressed, RandomOrdersOverManyCases) {
  constexpr int kCases = 30000;
  xova_test::ScratchDir dir;
  const xova_test::WrittenFile file =
      xova_test::WriteCases(dir.File("big.data"), kTypes, 1, kCases, Values);
  std::mt19937 random(20240611);
  for (bool knownCount : {true, false}) {
    ReadOptions options;
    options.ownCount = !knownCount;
    ReadHandle r(file, options);
    for (int i = 0; i < 3000; ++i) {
      const int c = static_cast<int>(random() % kCases);
      ASSERT_EQ(xovaSeekNextCase(r.handle(), c), XOVA_OK);
      ASSERT_TRUE(ReadsCase(r, c));
      if (i % 10 == 0 && c + 1 < kCases) {
        ASSERT_TRUE(ReadsCase(r, c + 1));
      }
    }
    const xova::CasePositionIndex& index = *r.state().caseIndex;
    EXPECT_EQ(index.stride, 16);
    EXPECT_LE(Pages(index), kCases / (16 * 16) + 1u);
    ASSERT_EQ(xovaSeekNextCase(r.handle(), kCases), XOVA_OK);
    EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
    EXPECT_EQ(Counted(r.handle()), kCases);
  }
}

TEST(SeekUncompressed, RandomOrder) {
  xova_test::ScratchDir dir;
  ReadHandle r(xova_test::WriteCases(dir.File("u.data"), kTypes, 0, 2000, Values));
  std::mt19937 random(7);
  for (int i = 0; i < 500; ++i) {
    const int c = static_cast<int>(random() % 2000);
    ASSERT_EQ(xovaSeekNextCase(r.handle(), c), XOVA_OK);
    ASSERT_TRUE(ReadsCase(r, c));
  }
}

// Allocations fail one after another: each failure must leave the handle as
// it was, and the next try must still find the case.
TEST(SeekCompressed, AllocationFailuresChangeNothing) {
  xova_test::ScratchDir dir;
  const xova_test::WrittenFile file =
      xova_test::WriteCases(dir.File("m.data"), kTypes, 1, 3000, Values);
  ReadOptions unknown;
  unknown.ownCount = true;
  ReadHandle r(file, unknown);
  ASSERT_TRUE(ReadsCase(r, 0));
  xova_test::AllocFailureScope scope;
  const long seekRuns = xova_test::ForEachAllocationFailure([&] {
    const int rc = xovaSeekNextCase(r.handle(), 2900);
    if (xova_test::FailedAllocations() > 0) {
      EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
      EXPECT_EQ(r.state().caseNumber, 1);
      EXPECT_EQ(r.state().caseIndex, nullptr);
    } else {
      EXPECT_EQ(rc, XOVA_OK);
    }
  });
  EXPECT_GT(seekRuns, 0);
  // Decoding to case 2900 adds coarse pages.
  const long readRuns = xova_test::ForEachAllocationFailure([&] {
    const int rc = xovaReadCaseRecord(r.handle());
    if (xova_test::FailedAllocations() > 0) {
      EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
      EXPECT_EQ(r.state().caseNumber, 2900);
      EXPECT_EQ(r.state().caseCount, -1);
    } else {
      EXPECT_EQ(rc, XOVA_OK);
    }
  });
  EXPECT_GT(readRuns, 0);
  EXPECT_EQ(xovaSeekNextCase(r.handle(), 2900), XOVA_OK);
  EXPECT_TRUE(ReadsCase(r, 2900));
}

TEST(Estimate, CompressedWithoutHeaderCount) {
  xova_test::ScratchDir dir;
  ReadOptions unknown;
  unknown.ownCount = true;
  {
    ReadHandle r(xova_test::WriteCases(dir.File("40.data"), kTypes, 1, 40, Values), unknown);
    EXPECT_EQ(Estimated(r.handle()), 40);  // exact: the end came within 100 cases
  }
  const xova_test::WrittenFile file =
      xova_test::WriteCases(dir.File("10k.data"), kTypes, 1, 10000, Values);
  // The mean size of the first 100 cases: up to the end of the block and
  // raw values that hold the last code of case 99.
  const std::vector<unsigned char> bytes = xova_test::ReadFileBytes(file.path);
  std::size_t at = static_cast<std::size_t>(file.dataOffset);
  for (int codes = 0; codes < 100 * 4;) {  // 4 elements a case
    int raws = 0;
    for (int i = 0; i < 8; ++i) {
      const unsigned char code = bytes[at + static_cast<std::size_t>(i)];
      codes += code != 0 && code != 252;
      raws += code == 253;
    }
    at += 8 + 8 * static_cast<std::size_t>(raws);
  }
  const std::int64_t mean = (static_cast<std::int64_t>(at) - file.dataOffset) / 100;
  const std::int64_t expected = (static_cast<std::int64_t>(bytes.size()) - file.dataOffset) / mean;
  ReadHandle r(file, unknown);
  for (int c = 0; c < 3; ++c) ASSERT_TRUE(ReadsCase(r, c));
  EXPECT_EQ(Estimated(r.handle()), expected);
  EXPECT_NE(expected, 10000);  // an estimate, not a count
  EXPECT_EQ(r.state().estimatedCount, expected);
  EXPECT_TRUE(ReadsCase(r, 3));  // the decoder was put back
}

TEST(Estimate, UncompressedFromTheLength) {
  xova_test::ScratchDir dir;
  xova_test::WrittenFile file = xova_test::WriteCases(dir.File("u.data"), kTypes, 0, 25, Values);
  xova_test::AppendBytes(file.path, std::vector<unsigned char>(13, 0));  // a part case
  ReadOptions unknown;
  unknown.ownCount = true;
  ReadHandle r(file, unknown);
  EXPECT_EQ(Estimated(r.handle()), 25);
  EXPECT_EQ(Counted(r.handle()), -1);
  EXPECT_TRUE(ReadsCase(r, 0));
}

}  // namespace
