// Opening files for reading: round trips of files the library wrote, files of
// the other byte order, and files broken record by record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame/handle_table.h"
#include "read/file_builder.h"
#include "read/survey_sample.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace xova_test {
namespace {

class RoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(RoundTrip, GivesBackTheDictionaryAndEveryCase) {
  ScratchDir dir;
  const std::string path = dir.File("survey.data");
  ASSERT_EQ(WriteSurveySample(path, GetParam(), 25), XOVA_OK);
  int h = -1;
  ASSERT_EQ(xovaOpenRead(path.c_str(), &h), XOVA_OK);
  ExpectSurveyDictionary(h);
  int compression = -1;
  EXPECT_EQ(xovaGetCompression(h, &compression), XOVA_OK);
  EXPECT_EQ(compression, GetParam());
  int count = 0;
  EXPECT_EQ(xovaGetNumberofCases(h, &count), XOVA_OK);
  EXPECT_EQ(count, 25);
  ExpectSurveyCases(h, SampleCases(25));
  EXPECT_EQ(xovaReadCaseRecord(h), XOVA_END_OF_DATA);
  EXPECT_EQ(xovaCloseRead(h), XOVA_OK);
  EXPECT_EQ(xovaCloseRead(h), XOVA_BAD_HANDLE);
}

TEST_P(RoundTrip, ReportsTheExtensionRecordsTheFileHeld) {
  ScratchDir dir;
  const std::string path = dir.File("survey.data");
  ASSERT_EQ(WriteSurveySample(path, GetParam(), 1), XOVA_OK);
  int h = -1;
  ASSERT_EQ(xovaOpenRead(path.c_str(), &h), XOVA_OK);
  std::vector<int> found;
  for (int subtype = 0; subtype <= 32; ++subtype) {
    int f = -1;
    ASSERT_EQ(xovaQueryType7(h, subtype, &f), XOVA_OK);
    if (f) found.push_back(subtype);
  }
  EXPECT_EQ(found, (std::vector<int>{3, 4, 5, 6, 7, 8, 10, 11, 12, 13}));
  int release[8] = {};
  EXPECT_EQ(xovaGetReleaseInfo(h, release), XOVA_OK);
  EXPECT_EQ(release[3], 720);
  char guid[257];
  EXPECT_EQ(xovaGetQEBGUID(h, guid), XOVA_OK);
  EXPECT_STREQ(guid, "{guid}");
  int total = 0, last = 0;
  EXPECT_EQ(xovaGetQEBInfo(h, &total, &last), XOVA_OK);
  EXPECT_EQ(total, 8);
  EXPECT_EQ(xovaCloseRead(h), XOVA_OK);
}

INSTANTIATE_TEST_SUITE_P(BothCompressions, RoundTrip, ::testing::Values(0, 1));

// The same small dictionary in the file's own layout, in either byte order.
FileBuilder SmallDictionary(bool swapped, int compression = 0) {
  FileBuilder b(swapped);
  HeaderSpec h;
  h.caseSize = 3;
  h.compression = compression;
  h.caseCount = 2;
  h.label = "swapped or not";
  b.Header(h);
  VariableSpec num;
  num.name = "NUM";
  num.hasLabel = true;
  num.label = "A number";
  num.missingCode = 1;
  num.missingNumbers = {-1.5};
  b.Variable(num);
  b.String("STR", 12);
  b.LabelPair({{2.5, "", "two and a half"}}, {1});
  b.LabelPair({{0, "ab", "letters"}}, {2}, true);
  b.DoubleExtension(4, {FromBits(kHostSysmisBits), 1e300, -1e300});
  b.IntExtension(11, {1, 8, 0, 3, 10, 1});
  b.TextExtension(13, "NUM=Number\tSTR=Text");
  b.Terminator();
  return b;
}

void ExpectSmallDictionary(int h) {
  char name[65];
  int type = -1;
  ASSERT_EQ(xovaGetVarInfo(h, 0, name, &type), XOVA_OK);
  EXPECT_STREQ(name, "Number");
  EXPECT_EQ(type, 0);
  ASSERT_EQ(xovaGetVarInfo(h, 1, name, &type), XOVA_OK);
  EXPECT_STREQ(name, "Text");
  EXPECT_EQ(type, 12);
  char label[257];
  EXPECT_EQ(xovaGetVarLabel(h, "Number", label), XOVA_OK);
  EXPECT_STREQ(label, "A number");
  int form = 0;
  double m1 = 0, m2 = 0, m3 = 0;
  EXPECT_EQ(xovaGetVarNMissingValues(h, "Number", &form, &m1, &m2, &m3), XOVA_OK);
  EXPECT_EQ(form, 1);
  EXPECT_EQ(m1, -1.5);
  EXPECT_EQ(xovaGetVarNValueLabel(h, "Number", 2.5, label), XOVA_OK);
  EXPECT_STREQ(label, "two and a half");
  int level = 0;
  EXPECT_EQ(xovaGetVarMeasureLevel(h, "Text", &level), XOVA_OK);
  EXPECT_EQ(level, 3);
  char id[65];
  EXPECT_EQ(xovaGetIdString(h, id), XOVA_OK);
  EXPECT_EQ(std::string(id).substr(0, 14), "swapped or not");
}

TEST(OpenRead, FilesOfEitherByteOrderGiveTheSameDictionary) {
  for (bool swapped : {false, true}) {
    SCOPED_TRACE(swapped ? "swapped" : "native");
    ScratchDir dir;
    const std::string path = dir.File("small.data");
    FileBuilder b = SmallDictionary(swapped);
    b.CaseNumber(7.25).CaseText("hello wo").CaseText("rld     ");
    b.CaseNumber(-3).CaseText("        ").CaseText("        ");
    ASSERT_TRUE(b.WriteTo(path));
    int h = -1;
    ASSERT_EQ(xovaOpenRead(path.c_str(), &h), XOVA_OK);
    EXPECT_EQ(xova::LookupHandle(h)->byteSwap, swapped ? 1 : 0);
    ExpectSmallDictionary(h);
    double vh = 0;
    ASSERT_EQ(xovaGetVarHandle(h, "Number", &vh), XOVA_OK);
    double sh = 0;
    ASSERT_EQ(xovaGetVarHandle(h, "Text", &sh), XOVA_OK);
    ASSERT_EQ(xovaReadCaseRecord(h), XOVA_OK);
    double v = 0;
    EXPECT_EQ(xovaGetValueNumeric(h, vh, &v), XOVA_OK);
    EXPECT_EQ(v, 7.25);
    char text[13];
    EXPECT_EQ(xovaGetValueChar(h, sh, text, sizeof text), XOVA_OK);
    EXPECT_STREQ(text, "hello world ");
    ASSERT_EQ(xovaReadCaseRecord(h), XOVA_OK);
    EXPECT_EQ(xovaGetValueNumeric(h, vh, &v), XOVA_OK);
    EXPECT_EQ(v, -3);
    EXPECT_EQ(xovaReadCaseRecord(h), XOVA_END_OF_DATA);
    EXPECT_EQ(xovaCloseRead(h), XOVA_OK);
  }
}

TEST(OpenRead, AFileWithoutSpecialValuesUsesTheDefaultsForMissingValues) {
  for (int compression : {0, 1}) {
    ScratchDir dir;
    const std::string path = dir.File("foreign.data");
    FileBuilder b;
    HeaderSpec h;
    h.caseSize = 1;
    h.compression = compression;
    h.caseCount = -1;
    b.Header(h).Numeric("X").Terminator();
    if (compression) {
      b.CodeBlock({253, 253, 252}, {b.NumberBytes(FromBits(kDefaultSysmisBits)), b.NumberBytes(4)});
    } else {
      b.Bits(kDefaultSysmisBits).CaseNumber(4);
    }
    ASSERT_TRUE(b.WriteTo(path));
    int handle = -1;
    ASSERT_EQ(xovaOpenRead(path.c_str(), &handle), XOVA_OK);
    EXPECT_EQ(ToBits(xova::LookupHandle(handle)->sysmis), kDefaultSysmisBits);
    double vh = 0;
    ASSERT_EQ(xovaGetVarHandle(handle, "x", &vh), XOVA_OK);
    double v = 0;
    ASSERT_EQ(xovaReadCaseRecord(handle), XOVA_OK);
    EXPECT_EQ(xovaGetValueNumeric(handle, vh, &v), XOVA_OK);
    EXPECT_EQ(ToBits(v), kHostSysmisBits) << "compression " << compression;
    ASSERT_EQ(xovaReadCaseRecord(handle), XOVA_OK);
    EXPECT_EQ(xovaGetValueNumeric(handle, vh, &v), XOVA_OK);
    EXPECT_EQ(v, 4);
    EXPECT_EQ(xovaCloseRead(handle), XOVA_OK);
  }
}

// Opens bytes as a file and returns the result; a failed open must leave no
// handle behind.
int OpenBytes(const FileBuilder& b, int* handle = nullptr) {
  ScratchDir dir;
  const std::string path = dir.File("case.data");
  EXPECT_TRUE(b.WriteTo(path));
  int h = -1;
  const int rc = xovaOpenRead(path.c_str(), &h);
  if (rc != XOVA_OK) {
    EXPECT_EQ(xova::LookupHandle(h), nullptr);
  } else if (handle) {
    *handle = h;
  } else {
    xovaCloseRead(h);
  }
  return rc;
}

TEST(OpenRead, RefusesVersionCodesOfNeitherByteOrder) {
  for (std::int32_t version : {0, 4, 0x04000000}) {
    FileBuilder b;
    HeaderSpec h;
    h.version = version;
    b.Header(h).Numeric("X").Terminator();
    EXPECT_EQ(OpenBytes(b), XOVA_BAD_FILE) << version;
  }
}

TEST(OpenRead, IgnoresTheMagicAndTreatsAnyCompressionAsCompressed) {
  FileBuilder b;
  HeaderSpec h;
  h.compression = 5;
  b.Header(h).Numeric("X").Terminator();
  std::vector<unsigned char> bytes = b.bytes();
  std::memcpy(bytes.data(), "JUNK", 4);
  FileBuilder junk;
  junk.Raw(bytes);
  int handle = -1;
  ASSERT_EQ(OpenBytes(junk, &handle), XOVA_OK);
  int compression = 0;
  EXPECT_EQ(xovaGetCompression(handle, &compression), XOVA_OK);
  EXPECT_EQ(compression, 1);
  EXPECT_EQ(xovaCloseRead(handle), XOVA_OK);
}

TEST(OpenRead, RecordsOutOfOrderAreRefused) {
  FileBuilder labelsFirst;
  labelsFirst.Header(HeaderSpec()).LabelPair({{1, "", "one"}}, {1}).Numeric("X").Terminator();
  EXPECT_EQ(OpenBytes(labelsFirst), XOVA_NO_VARIABLE_RECORD);

  FileBuilder labelsAfterExtension;
  labelsAfterExtension.Header(HeaderSpec()).Numeric("X").TextExtension(10, "info");
  labelsAfterExtension.LabelPair({{1, "", "one"}}, {1}).Terminator();
  EXPECT_EQ(OpenBytes(labelsAfterExtension), XOVA_UNEXPECTED_RECORD);

  FileBuilder twoDocuments;
  twoDocuments.Header(HeaderSpec()).Numeric("X").Documents({"a"}).Documents({"b"}).Terminator();
  EXPECT_EQ(OpenBytes(twoDocuments), XOVA_UNEXPECTED_RECORD);

  FileBuilder noTerminator;
  noTerminator.Header(HeaderSpec()).Numeric("X");
  EXPECT_EQ(OpenBytes(noTerminator), XOVA_FILE_READ_ERROR);

  FileBuilder noFiller;
  noFiller.Header(HeaderSpec()).Numeric("X").Int32(999);
  EXPECT_EQ(OpenBytes(noFiller), XOVA_BAD_FILE);
}

TEST(OpenRead, EveryTruncationFailsCleanly) {
  const FileBuilder whole = SmallDictionary(false);
  const std::vector<unsigned char>& bytes = whole.bytes();
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    FileBuilder part;
    part.Raw(std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
    const int rc = OpenBytes(part);
    EXPECT_GT(rc, 0) << "cut at " << cut;
  }
  EXPECT_EQ(OpenBytes(whole), XOVA_OK);
}

TEST(OpenRead, TwoVariablesWithOneShortNameBothStay) {
  FileBuilder b;
  HeaderSpec h;
  h.caseSize = 2;
  b.Header(h).Numeric("A").Numeric("A").TextExtension(13, "A=first").Terminator();
  int handle = -1;
  ASSERT_EQ(OpenBytes(b, &handle), XOVA_OK);
  char name[65];
  int type = 0;
  EXPECT_EQ(xovaGetVarInfo(handle, 0, name, &type), XOVA_OK);
  EXPECT_STREQ(name, "first");
  EXPECT_EQ(xovaGetVarInfo(handle, 1, name, &type), XOVA_OK);
  EXPECT_STREQ(name, "a");
  EXPECT_EQ(xovaCloseRead(handle), XOVA_OK);
}

TEST(OpenRead, MissingFilesAndBadArguments) {
  ScratchDir dir;
  int h = 12345;
  EXPECT_EQ(xovaOpenRead(dir.File("absent.data").c_str(), &h), XOVA_FILE_OPEN_ERROR);
  EXPECT_EQ(h, 12345);
  EXPECT_EQ(xovaOpenRead(nullptr, &h), XOVA_FILE_OPEN_ERROR);
  EXPECT_EQ(xovaOpenRead(dir.path().c_str(), &h), XOVA_FILE_OPEN_ERROR);
  FileBuilder b;
  b.Header(HeaderSpec()).Numeric("X").Terminator();
  const std::string path = dir.File("ok.data");
  ASSERT_TRUE(b.WriteTo(path));
  EXPECT_EQ(xovaOpenRead(path.c_str(), nullptr), XOVA_OK);
  // The handle went nowhere; it is the lowest free slot, found again.
  int again = -1;
  ASSERT_EQ(xovaOpenRead(path.c_str(), &again), XOVA_OK);
  EXPECT_EQ(xovaCloseRead(again - 1), XOVA_OK);
  EXPECT_EQ(xovaCloseRead(again), XOVA_OK);
}

TEST(CloseRead, CrossedClosesFinishTheFile) {
  ScratchDir dir;
  const std::string path = dir.File("w.data");
  int h = -1;
  ASSERT_EQ(xovaOpenWrite(path.c_str(), &h), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h, "x", 0), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
  double vh = 0;
  ASSERT_EQ(xovaGetVarHandle(h, "x", &vh), XOVA_OK);
  ASSERT_EQ(xovaSetValueNumeric(h, vh, 3), XOVA_OK);
  ASSERT_EQ(xovaCommitCaseRecord(h), XOVA_OK);
  EXPECT_EQ(xovaCloseRead(h), XOVA_OPEN_FOR_WRITE);
  EXPECT_EQ(xova::LookupHandle(h), nullptr);

  int r = -1;
  ASSERT_EQ(xovaOpenRead(path.c_str(), &r), XOVA_OK);
  int count = 0;
  EXPECT_EQ(xovaGetNumberofCases(r, &count), XOVA_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(xovaCloseWrite(r), XOVA_OPEN_FOR_READ);
  EXPECT_EQ(xova::LookupHandle(r), nullptr);
}

TEST(OpenRead, AFileBeingWrittenCannotBeOpened) {
  ScratchDir dir;
  const std::string path = dir.File("busy.data");
  int w = -1;
  ASSERT_EQ(xovaOpenWrite(path.c_str(), &w), XOVA_OK);
  int r = -1;
  EXPECT_EQ(xovaOpenRead(path.c_str(), &r), XOVA_FILE_OPEN_ERROR);
  EXPECT_EQ(xovaCloseWrite(w), XOVA_NOT_COMMITTED);
}

}  // namespace
}  // namespace xova_test
