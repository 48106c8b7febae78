// Reading cases and their values through the C interface.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "frame/special_values.h"
#include "read/read_state_fixture.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using xova_test::CaseValues;
using xova_test::Cell;
using xova_test::ReadHandle;
using xova_test::ReadOptions;

// Coded, raw and missing numbers; a two-element string, often blank; a short one.
const std::vector<int> kTypes = {0, 0, 12, 0, 3};

CaseValues Mixed(int c) {
  return {Cell{static_cast<double>(c % 250 - 99), ""}, Cell{c * 1.5 + 0.25, ""},
          Cell{0, c % 7 == 0 ? "" : "case " + std::to_string(c)},
          Cell{c % 5 == 0 ? xova::Sysmis() : -c, ""},
          Cell{0, std::string(1, static_cast<char>('a' + c % 26)) + "z"}};
}

void ExpectCase(const ReadHandle& r, int c) {
  const CaseValues want = Mixed(c);
  for (std::size_t i = 0; i < kTypes.size(); ++i) {
    ASSERT_EQ(xova_test::ValueText(r.handle(), r.var(i), kTypes[i]),
              xova_test::ExpectedText(want[i], kTypes[i]))
        << "case " << c << " variable " << i;
  }
}

class CaseInput : public ::testing::TestWithParam<int> {
 protected:
  xova_test::WrittenFile Write(int cases) {
    return xova_test::WriteCases(dir_.File("mixed.data"), kTypes, GetParam(), cases, Mixed);
  }
  xova_test::ScratchDir dir_;
};

TEST_P(CaseInput, DeliversEveryCaseThenTheEnd) {
  ReadHandle r(Write(50));
  for (int c = 0; c < 50; ++c) {
    ASSERT_EQ(xovaReadCaseRecord(r.handle()), XOVA_OK) << c;
    ExpectCase(r, c);
  }
  EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
  EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
  double v = 0;
  EXPECT_EQ(xovaGetValueNumeric(r.handle(), r.var(0), &v), XOVA_NO_CASE_DATA);
  int count = -1;
  EXPECT_EQ(xovaGetNumberofCases(r.handle(), &count), XOVA_OK);
  EXPECT_EQ(count, 50);
  // Back to the start, the same cases again.
  ASSERT_EQ(xovaSeekNextCase(r.handle(), 0), XOVA_OK);
  ASSERT_EQ(xovaReadCaseRecord(r.handle()), XOVA_OK);
  ExpectCase(r, 0);
}

TEST_P(CaseInput, WholeCaseInCopiesTheCaseOrRefusesWithoutReading) {
  ReadHandle r(Write(2));
  EXPECT_EQ(xovaWholeCaseIn(r.handle(), nullptr), XOVA_BUFFER_TOO_SMALL);
  EXPECT_EQ(r.state().caseNumber, 0);
  std::vector<unsigned char> out(r.state().caseBuffer.size() + 1, 0xAB);
  ASSERT_EQ(xovaWholeCaseIn(r.handle(), out.data()), XOVA_OK);
  EXPECT_TRUE(std::equal(r.state().caseBuffer.begin(), r.state().caseBuffer.end(), out.begin()));
  EXPECT_EQ(out.back(), 0xAB);
  ExpectCase(r, 0);  // it was case 0 that the refusal left unread
  ASSERT_EQ(xovaWholeCaseIn(r.handle(), out.data()), XOVA_OK);
  out.assign(out.size(), 0xCD);
  EXPECT_EQ(xovaWholeCaseIn(r.handle(), out.data()), XOVA_END_OF_DATA);
  EXPECT_EQ(out.front(), 0xCD);
}

INSTANTIATE_TEST_SUITE_P(BothCompressions, CaseInput, ::testing::Values(0, 1));

class ValueGetters : public ::testing::Test {
 protected:
  ValueGetters()
      : file_(xova_test::WriteCases(
            dir_.File("g.data"), {0, 8, 20}, 1, 1,
            [](int) {
              return CaseValues{Cell{4.25, ""}, Cell{0, "ABCDEFGH"}, Cell{0, "twenty wide text"}};
            })),
        r_(file_) {}
  int h() const { return r_.handle(); }
  xova_test::ScratchDir dir_;
  xova_test::WrittenFile file_;
  ReadHandle r_;
};

TEST_F(ValueGetters, RefuseBeforeACaseAndForTheWrongType) {
  double v = 7;
  char text[32] = "keep";
  EXPECT_EQ(xovaGetValueNumeric(h(), r_.var(0), &v), XOVA_NO_CASE_DATA);
  EXPECT_EQ(xovaGetValueChar(h(), r_.var(1), text, 32), XOVA_NO_CASE_DATA);
  ASSERT_EQ(xovaReadCaseRecord(h()), XOVA_OK);
  EXPECT_EQ(xovaGetValueNumeric(h(), r_.var(1), &v), XOVA_NOT_NUMERIC);
  EXPECT_EQ(xovaGetValueChar(h(), r_.var(0), text, 32), XOVA_NOT_STRING);
  EXPECT_EQ(v, 7);
  EXPECT_STREQ(text, "keep");
  EXPECT_EQ(xovaGetValueNumeric(h(), r_.var(0), nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetValueNumeric(h(), r_.var(0), &v), XOVA_OK);
  EXPECT_EQ(v, 4.25);
}

TEST_F(ValueGetters, StringNeedsRoomForItsTerminator) {
  ASSERT_EQ(xovaReadCaseRecord(h()), XOVA_OK);
  char text[32];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(xovaGetValueChar(h(), r_.var(1), text, 8), XOVA_BUFFER_TOO_SMALL);
  EXPECT_EQ(xovaGetValueChar(h(), r_.var(1), text, 0), XOVA_BUFFER_TOO_SMALL);
  EXPECT_EQ(xovaGetValueChar(h(), r_.var(1), text, -5), XOVA_BUFFER_TOO_SMALL);
  EXPECT_EQ(xovaGetValueChar(h(), r_.var(1), nullptr, 9), XOVA_BUFFER_TOO_SMALL);
  EXPECT_EQ(text[0], 'x');
  EXPECT_EQ(xovaGetValueChar(h(), r_.var(1), text, 9), XOVA_OK);
  EXPECT_STREQ(text, "ABCDEFGH");
  EXPECT_EQ(xovaGetValueChar(h(), r_.var(2), text, 21), XOVA_OK);
  EXPECT_STREQ(text, "twenty wide text    ");  // trailing blanks kept
}

TEST_F(ValueGetters, HandlesOutsideTheCaseAreRefused) {
  ASSERT_EQ(xovaReadCaseRecord(h()), XOVA_OK);
  // Elements: 1 numeric, 2 for width 8, 3 to 5 for width 20.
  const std::pair<int, int> outside[] = {{0, 0},   {-1, 0}, {6, 0},         {6, 8},          {5, 9},
                                         {3, 255}, {-1, 8}, {INT32_MIN, 0}, {INT32_MIN, 255}};
  for (const auto& [position, width] : outside) {
    double var = 0;
    std::uint64_t bits = 0x3FF00000ull << 32 | static_cast<std::uint32_t>(position);
    bits |= static_cast<std::uint64_t>(width) << 32;
    std::memcpy(&var, &bits, 8);
    double v = 0;
    char text[300];
    const int rc = width == 0 ? xovaGetValueNumeric(h(), var, &v)
                              : xovaGetValueChar(h(), var, text, sizeof text);
    EXPECT_EQ(rc, XOVA_NO_SUCH_VARIABLE) << position << "/" << width;
  }
}

TEST(CaseInputHandles, OnlyReadHandlesAreServed) {
  xova_test::ScratchDir dir;
  ReadOptions append;
  append.mode = xova::FileMode::kAppend;
  ReadHandle r(xova_test::WriteCases(dir.File("a.data"), {0}, 1, 3,
                                     [](int) {
                                       return CaseValues{Cell{1, ""}};
                                     }),
               append);
  int writer = -1;
  ASSERT_EQ(xovaOpenWrite(dir.File("w.data").c_str(), &writer), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(writer, "A", 0), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(writer), XOVA_OK);
  double v = 0;
  char text[8];
  int count = 0;
  for (int h : {r.handle(), writer}) {
    EXPECT_EQ(xovaReadCaseRecord(h), XOVA_OPEN_FOR_WRITE);
    EXPECT_EQ(xovaWholeCaseIn(h, text), XOVA_OPEN_FOR_WRITE);
    EXPECT_EQ(xovaGetValueNumeric(h, 0, &v), XOVA_OPEN_FOR_WRITE);
    EXPECT_EQ(xovaGetValueChar(h, 0, text, 8), XOVA_OPEN_FOR_WRITE);
    EXPECT_EQ(xovaSeekNextCase(h, 2), XOVA_OPEN_FOR_WRITE);
    EXPECT_EQ(xovaGetEstimatedNofCases(h, &count), XOVA_OPEN_FOR_WRITE);
  }
  EXPECT_EQ(r.state().caseNumber, 0);
  EXPECT_EQ(r.state().caseIndex, nullptr);
  EXPECT_EQ(xovaCloseWrite(writer), XOVA_OK);
  for (int h : {-1, 1000, writer}) {
    EXPECT_EQ(xovaReadCaseRecord(h), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaSeekNextCase(h, 0), XOVA_BAD_HANDLE);
    count = 9;
    EXPECT_EQ(xovaGetEstimatedNofCases(h, &count), XOVA_BAD_HANDLE);
    EXPECT_EQ(count, 0);
  }
}

}  // namespace
