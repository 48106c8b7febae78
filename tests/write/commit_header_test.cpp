// Committing dictionaries through the C interface and reading the written
// records back with the test-side reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dict/formats.h"
#include "ext/extension_block.h"
#include "frame/handle_table.h"
#include "frame/special_values.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "support/scratch_dir.h"
#include "write/record_reader.h"
#include "xovaio32.h"

namespace {

using xova_test::Bytes;
using xova_test::FileRecords;
using xova_test::LeBytesOf;
using xova_test::ReadFileBytes;
using xova_test::TextBytes;
using xova_test::WriteHandle;

xova::FileState* State(int handle) {
  return xova::LookupHandle(handle);
}

// A write handle with helpers to define, commit, close and read back.
class Commit : public ::testing::Test {
 protected:
  int h() const { return file_.handle(); }
  void Define(const char* name, int type) { ASSERT_EQ(xovaSetVarName(h(), name, type), XOVA_OK); }
  FileRecords CommitAndClose() {
    EXPECT_EQ(xovaCommitHeader(h()), XOVA_OK);
    return CloseAndRead();
  }
  FileRecords CloseAndRead() {
    EXPECT_EQ(file_.Close(), XOVA_OK);
    FileRecords f = xova_test::ReadRecords(ReadFileBytes(file_.file()));
    EXPECT_TRUE(f.ok) << f.error;
    return f;
  }
  const std::string& path() const { return file_.file(); }
  WriteHandle file_;
};

std::vector<std::int32_t> Subtypes(const FileRecords& f) {
  std::vector<std::int32_t> out;
  for (const auto& e : f.extensions) out.push_back(e.subtype);
  return out;
}

TEST_F(Commit, OneNumericVariableGivesTheSmallestCompleteFile) {
  Define("A", 0);
  char date[10] = {};
  char time[9] = {};
  ASSERT_EQ(xovaGetTimeStamp(h(), date, time), XOVA_OK);
  const FileRecords f = CommitAndClose();

  EXPECT_EQ(f.header.magic, "$FL2");
  EXPECT_EQ(f.header.product, "@(#) XOVA DATA FILE MS Windows Release 12.0 xovaio32.dll    ");
  EXPECT_EQ(f.header.version, 2);
  EXPECT_EQ(f.header.caseSize, 1);
  EXPECT_EQ(f.header.compression, 0);
  EXPECT_EQ(f.header.weightIndex, 0);
  EXPECT_EQ(f.header.caseCount, 0);
  EXPECT_EQ(f.header.biasBits, 0x4059000000000000ull);
  EXPECT_EQ(f.header.date, date);
  EXPECT_EQ(f.header.time, time);
  EXPECT_EQ(f.header.label, std::string(64, ' '));
  EXPECT_EQ(f.header.tail, Bytes(3, 0));

  ASSERT_EQ(f.variables.size(), 1u);
  EXPECT_EQ(f.variables[0].offset, 176u);
  EXPECT_EQ(f.variables[0].size, 32u);
  EXPECT_EQ(f.variables[0].name, "A       ");
  EXPECT_EQ(f.variables[0].printFormat, xova::PackFormat(5, 8, 2));
  EXPECT_EQ(f.variables[0].writeFormat, xova::PackFormat(5, 8, 2));
  EXPECT_TRUE(f.labelSets.empty());
  EXPECT_FALSE(f.hasDocuments);

  ASSERT_EQ(Subtypes(f), (std::vector<std::int32_t>{3, 4, 13}));
  const auto* release = f.Extension(3);
  EXPECT_EQ(release->elemSize, 4);
  EXPECT_EQ(release->count, 8);
  const std::int32_t expected[8] = {12, 0, 0, 720, 1, 1, 2, 2};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(release->Int(i), expected[i]);
  const auto* special = f.Extension(4);
  EXPECT_EQ(special->elemSize, 8);
  EXPECT_EQ(special->count, 3);
  EXPECT_EQ(special->Bits(0), xova::kSysmisBits);
  EXPECT_EQ(special->Bits(1), xova::kHighestBits);
  EXPECT_EQ(special->Bits(2), xova::kLowestBits);
  EXPECT_EQ(f.Extension(13)->Text(), "A=A");

  EXPECT_EQ(f.order.back(), 999);
  EXPECT_EQ(f.terminatorFiller, 0);
  EXPECT_TRUE(f.caseData.empty());  // committed and closed without cases
}

TEST_F(Commit, StringsTakeElementsAndPushLaterPositions) {
  Define("N", 0);
  Define("Text", 20);
  Define("M", 0);
  ASSERT_EQ(xovaSetCaseWeightVar(h(), "M"), XOVA_OK);
  ASSERT_EQ(xovaSetIdString(h(), "Label of the file"), XOVA_OK);
  ASSERT_EQ(xovaSetCompression(h(), 1), XOVA_OK);
  const FileRecords f = CommitAndClose();
  EXPECT_EQ(f.header.caseSize, 5);
  EXPECT_EQ(f.header.weightIndex, 5);
  EXPECT_EQ(f.header.compression, 1);
  EXPECT_EQ(f.header.label, "Label of the file" + std::string(47, ' '));
  ASSERT_EQ(f.variables.size(), 5u);
  EXPECT_EQ(f.variables[1].name, "TEXT    ");
  EXPECT_EQ(f.variables[1].width, 20);
  EXPECT_EQ(f.variables[2].width, -1);
  EXPECT_EQ(f.variables[3].width, -1);
  EXPECT_EQ(f.variables[2].printFormat, f.variables[1].printFormat);
  EXPECT_EQ(f.variables[3].writeFormat, f.variables[1].writeFormat);
  EXPECT_EQ(f.variables[4].name, "M       ");
  EXPECT_EQ(f.Extension(13)->Text(), "N=N\tTEXT=Text\tM=M");
}

TEST_F(Commit, ShortNamesAndSetTextsUseShortNamesInTheFile) {
  Define("LONGNAME1", 0);
  Define("LONGNAME2", 0);
  const char* vars[] = {"LONGNAME1", "longname2"};
  ASSERT_EQ(xovaAddMultRespDefN(h(), "owns", "Owned", 1, 1, vars, 2), XOVA_OK);
  ASSERT_EQ(xovaSetVariableSets(h(), "Both= LONGNAME1 nosuch LONGNAME2\n"), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h()), XOVA_OK);
  char shortName[9] = {};
  ASSERT_EQ(xovaGetVarCompatName(h(), "LONGNAME2", shortName), XOVA_OK);
  EXPECT_STREQ(shortName, "LONGNA_A");
  // The stored texts keep the long names.
  char* sets = nullptr;
  ASSERT_EQ(xovaGetMultRespDefs(h(), &sets), XOVA_OK);
  EXPECT_STREQ(sets, "$owns=D1 1 5 Owned LONGNAME1 longname2\n");
  xovaFreeMultRespDefs(sets);

  const FileRecords f = CloseAndRead();
  EXPECT_EQ(f.header.version, 3);
  EXPECT_EQ(f.variables[0].name, "LONGNAME");
  EXPECT_EQ(f.variables[1].name, "LONGNA_A");
  EXPECT_EQ(Subtypes(f), (std::vector<std::int32_t>{3, 4, 5, 7, 13}));
  EXPECT_EQ(f.Extension(5)->Text(), "Both= LONGNAME LONGNA_A\n");
  EXPECT_EQ(f.Extension(7)->Text(), "$owns=D1 1 5 Owned LONGNAME LONGNA_A\n");
  EXPECT_EQ(f.Extension(13)->Text(), "LONGNAME=LONGNAME1\tLONGNA_A=LONGNAME2");
}

TEST_F(Commit, LabelsMissingValuesAndSharedValueLabels) {
  Define("Q1", 0);
  Define("Q2", 0);
  Define("City", 3);
  ASSERT_EQ(xovaSetVarLabel(h(), "Q1", "Label"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNMissingValues(h(), "Q1", -3, 90.0, 99.0, -1.0), XOVA_OK);
  ASSERT_EQ(xovaSetVarCMissingValues(h(), "City", 1, "xx", nullptr, nullptr), XOVA_OK);
  // Identical labels given by separate single calls end up in one set.
  for (const char* var : {"Q1", "Q2"}) {
    ASSERT_EQ(xovaSetVarNValueLabel(h(), var, 2.0, "Eight ch"), XOVA_OK);
    ASSERT_EQ(xovaSetVarNValueLabel(h(), var, 1.0, "Seven c"), XOVA_OK);
  }
  ASSERT_EQ(xovaSetVarCValueLabel(h(), "City", "ber", "Berlin"), XOVA_OK);
  const FileRecords f = CommitAndClose();

  ASSERT_EQ(f.variables.size(), 3u);
  EXPECT_EQ(f.variables[0].labelLength, 5);
  EXPECT_EQ(f.variables[0].labelField, "Label   ");
  EXPECT_EQ(f.variables[0].missingCode, -3);
  ASSERT_EQ(f.variables[0].missing.size(), 3u);
  EXPECT_EQ(f.variables[0].missing[0], LeBytesOf(90.0));
  EXPECT_EQ(f.variables[0].missing[1], LeBytesOf(99.0));
  EXPECT_EQ(f.variables[0].missing[2], LeBytesOf(-1.0));
  EXPECT_EQ(f.variables[1].labelFlag, 0);
  EXPECT_EQ(f.variables[2].missingCode, 1);
  ASSERT_EQ(f.variables[2].missing.size(), 1u);
  EXPECT_EQ(f.variables[2].missing[0], TextBytes("xx      "));

  ASSERT_EQ(f.labelSets.size(), 2u);
  const auto& shared = f.labelSets[0];
  ASSERT_EQ(shared.labels.size(), 2u);
  EXPECT_EQ(shared.labels[0].value, LeBytesOf(1.0));
  EXPECT_EQ(shared.labels[0].label, "Seven c");
  EXPECT_EQ(shared.labels[1].label, "Eight ch");
  EXPECT_EQ(shared.labels[1].fill, std::string(7, ' '));
  EXPECT_EQ(shared.variables, (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(f.labelSets[1].labels[0].value, TextBytes("ber     "));
  EXPECT_EQ(f.labelSets[1].variables, (std::vector<std::int32_t>{3}));
  // Variable records, then the label pairs, then the extension records.
  EXPECT_EQ(f.order, (std::vector<std::int32_t>{2, 2, 2, 3, 3, 7, 7, 7, 999}));
}

TEST_F(Commit, DisplayAttributesAreWrittenOnceOneWasSet) {
  Define("A", 0);
  Define("S", 4);
  ASSERT_EQ(xovaSetVarMeasureLevel(h(), "A", 2), XOVA_OK);
  const FileRecords f = CommitAndClose();
  EXPECT_EQ(Subtypes(f), (std::vector<std::int32_t>{3, 4, 11, 13}));
  const auto* display = f.Extension(11);
  EXPECT_EQ(display->elemSize, 4);
  ASSERT_EQ(display->count, 6);
  EXPECT_EQ(display->Int(0), 2);
  int level = 0;
  int width = 0;
  int align = 0;
  // The other values are the variables' own defaults, as the queries give them.
  WriteHandle other;
  ASSERT_EQ(xovaSetVarName(other.handle(), "S", 4), XOVA_OK);
  ASSERT_EQ(xovaGetVarMeasureLevel(other.handle(), "S", &level), XOVA_OK);
  ASSERT_EQ(xovaGetVarColumnWidth(other.handle(), "S", &width), XOVA_OK);
  ASSERT_EQ(xovaGetVarAlignment(other.handle(), "S", &align), XOVA_OK);
  EXPECT_EQ(display->Int(3), level);
  EXPECT_EQ(display->Int(4), width);
  EXPECT_EQ(display->Int(5), align);
}

TEST_F(Commit, DocumentsAndCarriedBlocksComeInOrderAndSpilledOnesWhole) {
  Define("A", 0);
  xova::FileState& fs = *State(h());
  std::string documents;
  for (int i = 0; i < 13; ++i) documents += std::string(80, static_cast<char>('a' + i));
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[0], 1, 1040, documents.data()), XOVA_OK);
  ASSERT_TRUE(fs.blocks[0]->spilled);
  const std::int32_t carried[3] = {7, -8, 9};
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[20], 4, 3, carried), XOVA_OK);
  std::string qeb(3000, '\0');
  for (std::size_t i = 0; i < qeb.size(); ++i) qeb[i] = static_cast<char>(i * 31);
  ASSERT_EQ(xovaSetQEBFirst(h(), qeb.data(), static_cast<int>(qeb.size())), XOVA_OK);
  ASSERT_TRUE(fs.blocks[8]->spilled);

  const FileRecords f = CommitAndClose();
  EXPECT_EQ(f.header.version, 3);
  EXPECT_EQ(f.order, (std::vector<std::int32_t>{2, 6, 7, 7, 7, 7, 7, 999}));
  EXPECT_EQ(f.documentLines, 13);
  EXPECT_EQ(f.documents, documents);
  EXPECT_EQ(Subtypes(f), (std::vector<std::int32_t>{3, 4, 8, 13, 20}));
  EXPECT_EQ(f.Extension(8)->Text(), qeb);
  EXPECT_EQ(f.Extension(20)->Int(1), -8);
}

TEST_F(Commit, LargeSetTextsAreTranslatedWhole) {
  std::string text;
  std::string expected;
  for (int i = 0; i < 60; ++i) {
    const std::string name = "Variable_number_" + std::to_string(i);
    Define(name.c_str(), 0);
    const std::string line = "Set" + std::to_string(i) + "= " + name + "\n";
    text += line;
  }
  ASSERT_EQ(xovaSetVariableSets(h(), text.c_str()), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h()), XOVA_OK);
  for (int i = 0; i < 60; ++i) {
    char shortName[9] = {};
    const std::string name = "Variable_number_" + std::to_string(i);
    ASSERT_EQ(xovaGetVarCompatName(h(), name.c_str(), shortName), XOVA_OK);
    expected += "Set" + std::to_string(i) + "= " + shortName + "\n";
  }
  ASSERT_GT(text.size(), 1024u);
  const FileRecords f = CloseAndRead();
  ASSERT_NE(f.Extension(5), nullptr);
  EXPECT_EQ(f.Extension(5)->Text(), expected);
}

TEST_F(Commit, CaseCountReadsZeroUntilTheClose) {
  Define("A", 0);
  Define("B", 0);
  Define("C", 0);
  ASSERT_EQ(xovaSetCompression(h(), 1), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h()), XOVA_OK);
  double a = 0;
  double b = 0;
  ASSERT_EQ(xovaGetVarHandle(h(), "A", &a), XOVA_OK);
  ASSERT_EQ(xovaGetVarHandle(h(), "B", &b), XOVA_OK);
  ASSERT_EQ(xovaSetValueNumeric(h(), a, 1.0), XOVA_OK);
  ASSERT_EQ(xovaSetValueNumeric(h(), b, 2.5), XOVA_OK);
  ASSERT_EQ(xovaCommitCaseRecord(h()), XOVA_OK);  // C stays system-missing
  std::fflush(State(h())->stream.get());
  EXPECT_EQ(xova_test::ReadRecords(ReadFileBytes(path())).header.caseCount, 0);

  const FileRecords f = CloseAndRead();
  EXPECT_EQ(f.header.caseCount, 1);
  Bytes expected = {101, 253, 255, 252, 0, 0, 0, 0};
  const Bytes raw = LeBytesOf(2.5);
  expected.insert(expected.end(), raw.begin(), raw.end());
  EXPECT_EQ(f.caseData, expected);
}

TEST_F(Commit, UncompressedCasesStartRightAfterTheTerminator) {
  Define("N", 0);
  Define("S", 10);
  ASSERT_EQ(xovaCommitHeader(h()), XOVA_OK);
  ASSERT_EQ(xovaCommitCaseRecord(h()), XOVA_OK);  // nothing set: the blank case
  const FileRecords f = CloseAndRead();
  EXPECT_EQ(f.header.caseCount, 1);
  Bytes expected = LeBytesOf(xova::Sysmis());
  expected.insert(expected.end(), 16, ' ');
  EXPECT_EQ(f.caseData, expected);
}

TEST(CommitChecks, EmptyDictionaryLeavesTheHandleUsable) {
  WriteHandle w;
  EXPECT_EQ(xovaCommitHeader(w.handle()), XOVA_EMPTY_DICTIONARY);
  ASSERT_NE(State(w.handle()), nullptr);
  EXPECT_EQ(State(w.handle())->committed, 0);
  EXPECT_TRUE(ReadFileBytes(w.file()).empty());
  ASSERT_EQ(xovaSetVarName(w.handle(), "late", 0), XOVA_OK);
  EXPECT_EQ(xovaCommitHeader(w.handle()), XOVA_OK);
  EXPECT_EQ(xovaCommitHeader(w.handle()), XOVA_ALREADY_COMMITTED);
  EXPECT_EQ(xovaSetIdString(w.handle(), "x"), XOVA_ALREADY_COMMITTED);
  EXPECT_EQ(xovaSetVarName(w.handle(), "later", 0), XOVA_ALREADY_COMMITTED);
  EXPECT_EQ(w.Close(), XOVA_OK);
  EXPECT_TRUE(xova_test::ReadRecords(ReadFileBytes(w.file())).ok);
}

TEST(CommitChecks, BadHandlesAndReadHandlesAreRefused) {
  EXPECT_EQ(xovaCommitHeader(-1), XOVA_BAD_HANDLE);
  EXPECT_EQ(xovaCommitHeader(1000), XOVA_BAD_HANDLE);
  WriteHandle w;
  ASSERT_EQ(xovaSetVarName(w.handle(), "A", 0), XOVA_OK);
  State(w.handle())->mode = xova::FileMode::kRead;
  EXPECT_EQ(xovaCommitHeader(w.handle()), XOVA_OPEN_FOR_READ);
  State(w.handle())->mode = xova::FileMode::kAppend;
  EXPECT_EQ(xovaCommitHeader(w.handle()), XOVA_OPEN_FOR_READ);
  State(w.handle())->mode = xova::FileMode::kWrite;
  EXPECT_TRUE(ReadFileBytes(w.file()).empty());
  const int closed = w.handle();
  ASSERT_EQ(w.Close(), XOVA_NOT_COMMITTED);
  EXPECT_EQ(xovaCommitHeader(closed), XOVA_BAD_HANDLE);
}

TEST(CommitFailures, ALostTemporaryFileEndsTheHandle) {
  WriteHandle w;
  ASSERT_EQ(xovaSetVarName(w.handle(), "A", 0), XOVA_OK);
  const std::string qeb(2000, 'q');
  ASSERT_EQ(xovaSetQEBFirst(w.handle(), qeb.data(), 2000), XOVA_OK);
  const xova::ExtensionBlock* block = State(w.handle())->blocks[8].get();
  ASSERT_TRUE(block && block->spilled);
  ASSERT_EQ(std::remove(block->spillPath.c_str()), 0);
  EXPECT_EQ(xovaCommitHeader(w.handle()), XOVA_TEMP_FILE_ERROR);
  EXPECT_EQ(State(w.handle()), nullptr);
  // The file keeps what was written before the failure.
  const Bytes bytes = ReadFileBytes(w.file());
  ASSERT_GE(bytes.size(), 176u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "$FL2");
}

TEST(CommitFailures, APendingLabelEditWithoutItsVariableEndsTheHandle) {
  WriteHandle w;
  ASSERT_EQ(xovaSetVarName(w.handle(), "A", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(w.handle(), "A", 1.0, "one"), XOVA_OK);
  State(w.handle())->pendingLabels->key = "GONE";
  EXPECT_EQ(xovaCommitHeader(w.handle()), XOVA_BAD_LABEL_SET);
  EXPECT_EQ(State(w.handle()), nullptr);
}

// A dictionary that exercises every allocating step of the commit.
void DefineRichDictionary(int h) {
  ASSERT_EQ(xovaSetVarName(h, "Respondent_identifier", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h, "Respondent_city", 12), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h, "Q1", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarMeasureLevel(h, "Q1", 1), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h, "Q1", 1.0, "Yes"), XOVA_OK);
  const char* vars[] = {"Respondent_identifier", "Q1"};
  ASSERT_EQ(xovaAddMultRespDefN(h, "m", "Set", 0, 0, vars, 2), XOVA_OK);
  ASSERT_EQ(xovaSetVariableSets(h, "All= Q1 Respondent_city\n"), XOVA_OK);
}

TEST(CommitFailures, EveryAllocationFailureGivesOutOfMemoryAndNoHalfCommittedHandle) {
  xova_test::AllocFailureScope scope;
  bool sawUsable = false;
  bool sawClosed = false;
  for (long n = 0; n < 10000; ++n) {
    WriteHandle w;
    ASSERT_EQ(w.open_result(), XOVA_OK);
    DefineRichDictionary(w.handle());
    xova_test::FailAllocationAfter(n);
    const int rc = xovaCommitHeader(w.handle());
    const bool failed = xova_test::FailedAllocations() > 0;
    xova_test::ResetAllocFailure();
    if (!failed) {
      EXPECT_EQ(rc, XOVA_OK);
      ASSERT_TRUE(sawUsable && sawClosed) << "no failure before run " << n;
      EXPECT_EQ(w.Close(), XOVA_OK);
      return;
    }
    const xova::FileState* fs = State(w.handle());
    if (fs) {
      ASSERT_EQ(rc, XOVA_OUT_OF_MEMORY) << "allocation " << n;
      // Failed before anything was written: still usable, and a retry works.
      sawUsable = true;
      EXPECT_EQ(fs->committed, 0);
      EXPECT_TRUE(ReadFileBytes(w.file()).empty());
      EXPECT_EQ(xovaCommitHeader(w.handle()), XOVA_OK);
      EXPECT_EQ(w.Close(), XOVA_OK);
      EXPECT_TRUE(xova_test::ReadRecords(ReadFileBytes(w.file())).ok);
    } else {
      // The set translator reports any failure to grow its result as a
      // temporary-file failure: the block falls back to a file it can't name.
      EXPECT_TRUE(rc == XOVA_OUT_OF_MEMORY || rc == XOVA_TEMP_FILE_ERROR)
          << "allocation " << n << " gave " << rc;
      sawClosed = true;
    }
  }
  FAIL() << "the commit never got through";
}

}  // namespace
