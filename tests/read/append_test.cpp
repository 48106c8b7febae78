// Appending cases to existing files, and reading the whole file back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/handle_table.h"
#include "read/file_builder.h"
#include "read/survey_sample.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace xova_test {
namespace {

// Appends cases `from`..`to`-1 of the sample pattern through one append handle.
int AppendSampleCases(const std::string& path, int from, int to) {
  int h = -1;
  int rc = xovaOpenAppend(path.c_str(), &h);
  if (rc != XOVA_OK) return rc;
  double vh[5];
  const char* names[] = {"respondent_id", "Score", "city_of_residence", "code", "income"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(xovaGetVarHandle(h, names[i], &vh[i]), XOVA_OK);
  const std::vector<SampleCase> cases = SampleCases(to);
  for (int i = from; i < to; ++i) {
    const SampleCase& c = cases[static_cast<std::size_t>(i)];
    EXPECT_EQ(xovaSetValueNumeric(h, vh[0], c.id), XOVA_OK);
    EXPECT_EQ(xovaSetValueNumeric(h, vh[1], c.score), XOVA_OK);
    EXPECT_EQ(xovaSetValueChar(h, vh[2], c.city.c_str()), XOVA_OK);
    EXPECT_EQ(xovaSetValueChar(h, vh[3], c.code.c_str()), XOVA_OK);
    EXPECT_EQ(xovaSetValueNumeric(h, vh[4], c.income), XOVA_OK);
    EXPECT_EQ(xovaCommitCaseRecord(h), XOVA_OK);
  }
  return xovaCloseAppend(h);
}

void ExpectWholeFile(const std::string& path, int n) {
  int h = -1;
  ASSERT_EQ(xovaOpenRead(path.c_str(), &h), XOVA_OK);
  int count = 0;
  EXPECT_EQ(xovaGetNumberofCases(h, &count), XOVA_OK);
  EXPECT_EQ(count, n);
  ExpectSurveyDictionary(h);
  ExpectSurveyCases(h, SampleCases(n));
  EXPECT_EQ(xovaReadCaseRecord(h), XOVA_END_OF_DATA);
  EXPECT_EQ(xovaCloseRead(h), XOVA_OK);
}

struct AppendCase {
  int compression;
  int before;  // cases in the file first
  int added;
};

class Append : public ::testing::TestWithParam<AppendCase> {};

// The sample case has 7 elements, so with compression the existing data end
// inside a block (with its end code), on a block boundary (8 cases: 56
// codes), or at the very start.
TEST_P(Append, ContinuesTheFileAndTheCountInTheHeader) {
  const AppendCase p = GetParam();
  ScratchDir dir;
  const std::string path = dir.File("grow.data");
  ASSERT_EQ(WriteSurveySample(path, p.compression, p.before), XOVA_OK);
  int h = -1;
  ASSERT_EQ(xovaOpenAppend(path.c_str(), &h), XOVA_OK);
  int count = -1;
  EXPECT_EQ(xovaGetNumberofCases(h, &count), XOVA_OK);
  EXPECT_EQ(count, p.before);
  EXPECT_EQ(xovaReadCaseRecord(h), XOVA_OPEN_FOR_WRITE);
  EXPECT_EQ(xovaSetIdString(h, "x"), XOVA_OPEN_FOR_READ);
  EXPECT_EQ(xovaCloseAppend(h), XOVA_OK);
  ASSERT_EQ(AppendSampleCases(path, p.before, p.before + p.added), XOVA_OK);
  ExpectWholeFile(path, p.before + p.added);
}

INSTANTIATE_TEST_SUITE_P(Files, Append,
                         ::testing::Values(AppendCase{0, 10, 3}, AppendCase{0, 0, 2},
                                           AppendCase{1, 3, 5}, AppendCase{1, 8, 5},
                                           AppendCase{1, 0, 3}, AppendCase{1, 1, 40}));

TEST(AppendOpen, ClosingWithoutNewCasesLeavesTheFileAsItWas) {
  for (int compression : {0, 1}) {
    ScratchDir dir;
    const std::string path = dir.File("same.data");
    ASSERT_EQ(WriteSurveySample(path, compression, 3), XOVA_OK);
    const std::vector<unsigned char> before = ReadFileBytes(path);
    int h = -1;
    ASSERT_EQ(xovaOpenAppend(path.c_str(), &h), XOVA_OK);
    EXPECT_EQ(xovaCloseAppend(h), XOVA_OK);
    EXPECT_EQ(ReadFileBytes(path), before) << "compression " << compression;
  }
}

TEST(AppendOpen, UnsetValuesOfAnAppendedCaseAreMissingAndBlank) {
  ScratchDir dir;
  const std::string path = dir.File("blank.data");
  ASSERT_EQ(WriteSurveySample(path, 1, 2), XOVA_OK);
  int h = -1;
  ASSERT_EQ(xovaOpenAppend(path.c_str(), &h), XOVA_OK);
  ASSERT_EQ(xovaCommitCaseRecord(h), XOVA_OK);
  ASSERT_EQ(xovaCloseAppend(h), XOVA_OK);
  ASSERT_EQ(xovaOpenRead(path.c_str(), &h), XOVA_OK);
  ASSERT_EQ(xovaSeekNextCase(h, 2), XOVA_OK);
  ASSERT_EQ(xovaReadCaseRecord(h), XOVA_OK);
  double vh = 0, v = 0;
  ASSERT_EQ(xovaGetVarHandle(h, "income", &vh), XOVA_OK);
  EXPECT_EQ(xovaGetValueNumeric(h, vh, &v), XOVA_OK);
  EXPECT_EQ(ToBits(v), kHostSysmisBits);
  char city[21];
  ASSERT_EQ(xovaGetVarHandle(h, "city_of_residence", &vh), XOVA_OK);
  EXPECT_EQ(xovaGetValueChar(h, vh, city, sizeof city), XOVA_OK);
  EXPECT_EQ(std::string(city), std::string(20, ' '));
  EXPECT_EQ(xovaCloseRead(h), XOVA_OK);
}

// A file of 3-element cases in the file's own layout.
FileBuilder ThreeElementFile(bool swapped, int compression, bool specialValues = true) {
  FileBuilder b(swapped);
  HeaderSpec h;
  h.caseSize = 3;
  h.compression = compression;
  b.Header(h).Numeric("A").Numeric("B").Numeric("C");
  if (specialValues) b.DoubleExtension(4, {FromBits(kHostSysmisBits), 1, -1});
  return b.Terminator();
}

int OpenAppendBytes(const FileBuilder& b) {
  ScratchDir dir;
  const std::string path = dir.File("append.data");
  EXPECT_TRUE(b.WriteTo(path));
  int h = -1;
  const int rc = xovaOpenAppend(path.c_str(), &h);
  if (rc == XOVA_OK) {
    int count = -1;
    xovaGetNumberofCases(h, &count);
    xovaCloseAppend(h);
    return 1000 + count;  // the count, told apart from codes
  }
  EXPECT_EQ(xova::LookupHandle(h), nullptr);
  return rc;
}

TEST(AppendOpen, CountsUncompressedCasesFromTheLength) {
  FileBuilder ten = ThreeElementFile(false, 0);
  for (int i = 0; i < 30; ++i) ten.CaseNumber(i);
  EXPECT_EQ(OpenAppendBytes(ten), 1010);
  ten.CaseNumber(1);
  EXPECT_EQ(OpenAppendBytes(ten), XOVA_FILE_READ_ERROR);
}

TEST(AppendOpen, CountsCompressedCasesUpToTheEndCode) {
  FileBuilder partly = ThreeElementFile(false, 1);
  partly.CodeBlock({101, 102, 103, 104, 105, 106, 101, 102}).CodeBlock({103, 252});
  EXPECT_EQ(OpenAppendBytes(partly), 1003);
  FileBuilder full = ThreeElementFile(false, 1);
  full.CodeBlock({101, 102, 103, 253, 105, 106, 101, 102}, {full.NumberBytes(2.5)});
  full.CodeBlock({103, 1, 1, 1, 1, 1, 2, 2}).CodeBlock({1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(OpenAppendBytes(full), 1008);
  FileBuilder cut = ThreeElementFile(false, 1);
  cut.CodeBlock({101, 102, 103, 104, 252});
  EXPECT_EQ(OpenAppendBytes(cut), XOVA_FILE_READ_ERROR);
  FileBuilder rawMissing = ThreeElementFile(false, 1);
  rawMissing.CodeBlock({253, 253, 253, 252}, {rawMissing.NumberBytes(1)});
  EXPECT_EQ(OpenAppendBytes(rawMissing), XOVA_FILE_READ_ERROR);
}

TEST(AppendOpen, ContinuesABlockInTheMiddle) {
  ScratchDir dir;
  const std::string path = dir.File("middle.data");
  FileBuilder two;
  HeaderSpec h;
  h.caseSize = 2;
  h.compression = 1;
  two.Header(h).Numeric("A").Numeric("B").DoubleExtension(4, {FromBits(kHostSysmisBits), 1, -1});
  two.Terminator().CodeBlock({101, 102, 252, 0, 0, 0, 0, 0});
  ASSERT_TRUE(two.WriteTo(path));
  int handle = -1;
  ASSERT_EQ(xovaOpenAppend(path.c_str(), &handle), XOVA_OK);
  xova::FileState& fs = *xova::LookupHandle(handle);
  EXPECT_EQ(fs.codeCount, 2);
  EXPECT_EQ(fs.caseCount, 1);
  double va = 0;
  ASSERT_EQ(xovaGetVarHandle(handle, "a", &va), XOVA_OK);
  ASSERT_EQ(xovaSetValueNumeric(handle, va, 3), XOVA_OK);
  ASSERT_EQ(xovaCommitCaseRecord(handle), XOVA_OK);
  ASSERT_EQ(xovaCloseAppend(handle), XOVA_OK);
  const std::vector<unsigned char> bytes = ReadFileBytes(path);
  const std::vector<unsigned char> tail(bytes.end() - 8, bytes.end());
  EXPECT_EQ(tail, (std::vector<unsigned char>{101, 102, 103, 255, 252, 0, 0, 0}));
  EXPECT_EQ(bytes.size(), two.size());
}

TEST(AppendOpen, RefusesOtherByteOrdersAndForeignMissingValues) {
  EXPECT_EQ(OpenAppendBytes(ThreeElementFile(true, 0)), XOVA_APPEND_REFUSED);
  EXPECT_EQ(OpenAppendBytes(ThreeElementFile(false, 1, false)), XOVA_APPEND_REFUSED);
}

TEST(AppendOpen, RefusesAHeaderCaseSizeThatDisagreesWithTheDictionary) {
  for (std::int32_t size : {0, -1, 2}) {
    FileBuilder b;
    HeaderSpec h;
    h.caseSize = size;
    b.Header(h).Numeric("A").Numeric("B").Numeric("C");
    b.DoubleExtension(4, {FromBits(kHostSysmisBits), 1, -1}).Terminator();
    EXPECT_EQ(OpenAppendBytes(b), XOVA_FILE_READ_ERROR) << size;
  }
}

TEST(AppendOpen, AFileOpenForReadingCannotBeAppendedTo) {
  ScratchDir dir;
  const std::string path = dir.File("shared.data");
  ASSERT_EQ(WriteSurveySample(path, 0, 1), XOVA_OK);
  int r = -1;
  ASSERT_EQ(xovaOpenRead(path.c_str(), &r), XOVA_OK);
  int a = -1;
  EXPECT_EQ(xovaOpenAppend(path.c_str(), &a), XOVA_FILE_OPEN_ERROR);
  EXPECT_EQ(xovaCloseRead(r), XOVA_OK);
}

}  // namespace
}  // namespace xova_test
