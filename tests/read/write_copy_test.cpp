// New files started with the dictionary of an existing one.
#include <gtest/gtest.h>

#include <string>

#include "frame/handle_table.h"
#include "read/file_builder.h"
#include "read/survey_sample.h"
#include "support/scratch_dir.h"
#include "write/record_reader.h"
#include "xovaio32.h"

namespace xova_test {
namespace {

TEST(WriteCopy, KeepsTheDictionaryAndDropsTheCases) {
  ScratchDir dir;
  const std::string source = dir.File("source.data");
  const std::string copy = dir.File("copy.data");
  ASSERT_EQ(WriteSurveySample(source, 1, 5), XOVA_OK);
  int h = -1;
  ASSERT_EQ(xovaOpenWriteCopy(copy.c_str(), source.c_str(), &h), XOVA_OK);
  char system[41];
  EXPECT_EQ(xovaGetSystemString(h, system), XOVA_OK);
  EXPECT_STREQ(system, "MS Windows Release 12.0 xovaio32.dll");
  // Still open for definition.
  EXPECT_EQ(xovaSetVarName(h, "added", 0), XOVA_OK);
  char guid[257] = "x";
  EXPECT_EQ(xovaGetQEBGUID(h, guid), XOVA_OK);
  EXPECT_STREQ(guid, "");
  ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
  ASSERT_EQ(xovaCloseWrite(h), XOVA_OK);

  ASSERT_EQ(xovaOpenRead(copy.c_str(), &h), XOVA_OK);
  int count = -1;
  EXPECT_EQ(xovaGetNumberofCases(h, &count), XOVA_OK);
  EXPECT_EQ(count, 0);
  int vars = 0;
  EXPECT_EQ(xovaGetNumberofVariables(h, &vars), XOVA_OK);
  EXPECT_EQ(vars, 6);
  char qeb[8];
  int got = 0;
  EXPECT_EQ(xovaGetQEBFirst(h, qeb, sizeof qeb, &got), XOVA_OK);
  EXPECT_EQ(got, 8);
  int found = -1;
  EXPECT_EQ(xovaQueryType7(h, 12, &found), XOVA_OK);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(xovaReadCaseRecord(h), XOVA_END_OF_DATA);
  EXPECT_EQ(xovaCloseRead(h), XOVA_OK);
}

TEST(WriteCopy, ACopyHasTheSourcesDictionaryWhenReadBack) {
  ScratchDir dir;
  const std::string source = dir.File("source.data");
  const std::string copy = dir.File("copy.data");
  ASSERT_EQ(WriteSurveySample(source, 0, 1), XOVA_OK);
  int h = -1;
  ASSERT_EQ(xovaOpenWriteCopy(copy.c_str(), source.c_str(), &h), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
  ASSERT_EQ(xovaCloseWrite(h), XOVA_OK);
  ASSERT_EQ(xovaOpenRead(copy.c_str(), &h), XOVA_OK);
  ExpectSurveyDictionary(h);
  EXPECT_EQ(xovaCloseRead(h), XOVA_OK);
}

TEST(WriteCopy, ASwappedSourceIsCopiedInTheHostsOrderAndValues) {
  ScratchDir dir;
  const std::string source = dir.File("swapped.data");
  const std::string copy = dir.File("copy.data");
  FileBuilder b(true);
  HeaderSpec header;
  header.caseSize = 1;
  b.Header(header).Numeric("X").DoubleExtension(4, {-1.0, 2.0, -2.0}).Terminator();
  ASSERT_TRUE(b.WriteTo(source));
  int h = -1;
  ASSERT_EQ(xovaOpenWriteCopy(copy.c_str(), source.c_str(), &h), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
  ASSERT_EQ(xovaCloseWrite(h), XOVA_OK);
  const FileRecords records = ReadRecords(ReadFileBytes(copy));
  ASSERT_TRUE(records.ok) << records.error;
  EXPECT_EQ(records.header.version, 2);
  bool sawSpecial = false;
  for (const auto& ext : records.extensions) {
    if (ext.subtype != 4) continue;
    sawSpecial = true;
    EXPECT_EQ(ext.Bits(0), kHostSysmisBits);
  }
  EXPECT_TRUE(sawSpecial);
}

TEST(WriteCopy, KeepsDocumentsAndUnknownSubtypes) {
  ScratchDir dir;
  const std::string source = dir.File("docs.data");
  const std::string copy = dir.File("copy.data");
  FileBuilder b;
  b.Header(HeaderSpec()).Numeric("X");
  std::vector<std::string> lines;
  for (int i = 0; i < 14; ++i) lines.push_back("line " + std::to_string(i));  // spilled
  b.Documents(lines).TextExtension(21, "carried unaltered").Terminator();
  ASSERT_TRUE(b.WriteTo(source));
  int h = -1;
  ASSERT_EQ(xovaOpenWriteCopy(copy.c_str(), source.c_str(), &h), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
  ASSERT_EQ(xovaCloseWrite(h), XOVA_OK);
  const FileRecords records = ReadRecords(ReadFileBytes(copy));
  ASSERT_TRUE(records.ok) << records.error;
  ASSERT_TRUE(records.hasDocuments);
  EXPECT_EQ(records.documentLines, 14);
  EXPECT_EQ(records.documents.substr(80 * 13, 7), "line 13");
  std::string carried;
  for (const auto& ext : records.extensions) {
    if (ext.subtype == 21) carried = ext.Text();
  }
  EXPECT_EQ(carried, "carried unaltered");
}

TEST(WriteCopy, Failures) {
  ScratchDir dir;
  const std::string source = dir.File("source.data");
  ASSERT_EQ(WriteSurveySample(source, 0, 2), XOVA_OK);
  const auto before = ReadFileBytes(source);
  int h = 777;
  // Creating the copy over its own source would destroy the source.
  EXPECT_EQ(xovaOpenWriteCopy(source.c_str(), source.c_str(), &h), XOVA_FILE_OPEN_ERROR);
  EXPECT_EQ(ReadFileBytes(source), before);
  const std::string copy = dir.File("copy.data");
  EXPECT_EQ(xovaOpenWriteCopy(copy.c_str(), dir.File("absent.data").c_str(), &h),
            XOVA_FILE_OPEN_ERROR);
  EXPECT_TRUE(FileExists(copy));
  EXPECT_EQ(h, 777);
  FileBuilder bad;
  bad.Header(HeaderSpec()).Int32(3);
  const std::string broken = dir.File("broken.data");
  ASSERT_TRUE(bad.WriteTo(broken));
  EXPECT_EQ(xovaOpenWriteCopy(copy.c_str(), broken.c_str(), &h), XOVA_NO_VARIABLE_RECORD);
  EXPECT_EQ(xovaOpenWriteCopy(dir.path().c_str(), source.c_str(), &h), XOVA_FILE_OPEN_ERROR);
}

}  // namespace
}  // namespace xova_test
