#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/handle_table.h"
#include "support/open_handles.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using xova_test::ReadFileBytes;
using xova_test::ScratchDir;
using xova_test::WriteHandle;

// Stops at once when the handle is gone, so no test goes on through a null
// state (and the compiler sees that none can).
xova::FileState& State(int handle) {
  xova::FileState* fs = xova::LookupHandle(handle);
  if (!fs) std::abort();
  return *fs;
}

TEST(OpenWrite, CreatesAnEmptyFileAndWritesNothingBeforeTheCommit) {
  ScratchDir dir;
  const std::string name = dir.File("new.data");
  int h = -1;
  ASSERT_EQ(xovaOpenWrite(name.c_str(), &h), XOVA_OK);
  EXPECT_TRUE(xova_test::FileExists(name));
  EXPECT_EQ(xovaCloseWrite(h), XOVA_NOT_COMMITTED);
  EXPECT_TRUE(ReadFileBytes(name).empty());
  EXPECT_EQ(xovaGetCompression(h, nullptr), XOVA_BAD_HANDLE);  // closed all the same
}

TEST(OpenWrite, TruncatesAnExistingFile) {
  ScratchDir dir;
  const std::string name = dir.File("old.data");
  {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    std::fputs("previous contents", f);
    std::fclose(f);
  }
  int h = -1;
  ASSERT_EQ(xovaOpenWrite(name.c_str(), &h), XOVA_OK);
  EXPECT_EQ(xovaCloseWrite(h), XOVA_NOT_COMMITTED);
  EXPECT_TRUE(ReadFileBytes(name).empty());
}

TEST(OpenWrite, AFileBeingWrittenCannotBeOpenedAgain) {
  WriteHandle first;
  ASSERT_EQ(first.open_result(), XOVA_OK);
  State(first.handle()).committed = 1;
  std::fputs("dictionary", State(first.handle()).stream.get());
  std::fflush(State(first.handle()).stream.get());
  int second = -1;
  EXPECT_EQ(xovaOpenWrite(first.file().c_str(), &second), XOVA_FILE_OPEN_ERROR);
  // The refused open must not have emptied the file the first handle writes.
  EXPECT_EQ(ReadFileBytes(first.file()).size(), 10u);
  State(first.handle()).committed = 0;
}

TEST(FileSettings, IdStringIsCutTo64Characters) {
  WriteHandle w;
  const std::string exact(64, 'a');
  EXPECT_EQ(xovaSetIdString(w.handle(), exact.c_str()), XOVA_OK);
  char text[80];
  ASSERT_EQ(xovaGetIdString(w.handle(), text), XOVA_OK);
  EXPECT_EQ(std::string(text), exact);
  const std::string longer = std::string(64, 'b') + "c";
  EXPECT_EQ(xovaSetIdString(w.handle(), longer.c_str()), XOVA_TRUNCATED);
  ASSERT_EQ(xovaGetIdString(w.handle(), text), XOVA_OK);
  EXPECT_EQ(std::string(text), std::string(64, 'b'));
  EXPECT_EQ(xovaSetIdString(w.handle(), nullptr), XOVA_OK);
  ASSERT_EQ(xovaGetIdString(w.handle(), text), XOVA_OK);
  EXPECT_STREQ(text, "");
}

TEST(FileSettings, CompressionSwitchIsZeroOrOne) {
  WriteHandle w;
  EXPECT_EQ(xovaSetCompression(w.handle(), 1), XOVA_OK);
  for (int bad : {2, -1, 100})
    EXPECT_EQ(xovaSetCompression(w.handle(), bad), XOVA_BAD_COMPRESSION_SWITCH);
  int comp = -1;
  EXPECT_EQ(xovaGetCompression(w.handle(), &comp), XOVA_OK);
  EXPECT_EQ(comp, 1);
  EXPECT_EQ(xovaSetCompression(w.handle(), 0), XOVA_OK);
  EXPECT_EQ(xovaGetCompression(w.handle(), &comp), XOVA_OK);
  EXPECT_EQ(comp, 0);
}

// A committed handle with a header's worth of bytes already in the file.
int OpenCommitted(const std::string& name, int compression) {
  int h = -1;
  EXPECT_EQ(xovaOpenWrite(name.c_str(), &h), XOVA_OK);
  xova::FileState& fs = State(h);
  const std::vector<unsigned char> header(176, 0xAA);
  std::fwrite(header.data(), 1, header.size(), fs.stream.get());
  fs.committed = 1;
  fs.compression = compression;
  return h;
}

std::int32_t CaseCountAt80(const std::vector<unsigned char>& bytes) {
  return static_cast<std::int32_t>(bytes[80] | bytes[81] << 8 | bytes[82] << 16 |
                                   static_cast<std::uint32_t>(bytes[83]) << 24);
}

TEST(CloseWrite, WritesTheCaseCountAtOffset80) {
  ScratchDir dir;
  const std::string name = dir.File("count.data");
  const int h = OpenCommitted(name, 0);
  State(h).caseCount = 0x01020304;
  EXPECT_EQ(xovaCloseWrite(h), XOVA_OK);
  const auto bytes = ReadFileBytes(name);
  ASSERT_EQ(bytes.size(), 176u);
  EXPECT_EQ(CaseCountAt80(bytes), 0x01020304);
  EXPECT_EQ(bytes[79], 0xAA);
  EXPECT_EQ(bytes[84], 0xAA);
}

TEST(CloseWrite, FinishesAPartlyFilledCodeBlockWithTheEndCode) {
  ScratchDir dir;
  const std::string name = dir.File("partial.data");
  const int h = OpenCommitted(name, 1);
  xova::FileState& fs = State(h);
  const unsigned char codes[3] = {101, 253, 255};
  std::memcpy(fs.codeBlock, codes, 3);
  fs.codeBlock[5] = 77;  // stale code that must not reach the file
  fs.codeCount = 3;
  const double raw = 2.5;
  std::memcpy(fs.rawValues[0], &raw, 8);
  fs.rawCount = 1;
  fs.caseCount = 1;
  EXPECT_EQ(xovaCloseAppend(h), XOVA_OK);
  const auto bytes = ReadFileBytes(name);
  ASSERT_EQ(bytes.size(), 176u + 16u);
  const unsigned char expected[8] = {101, 253, 255, 252, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(bytes.data() + 176, expected, 8), 0);
  double back = 0;
  std::memcpy(&back, bytes.data() + 184, 8);
  EXPECT_EQ(back, 2.5);
  EXPECT_EQ(CaseCountAt80(bytes), 1);
}

TEST(CloseWrite, AFullCodeBlockIsWrittenWithoutAnEndCode) {
  ScratchDir dir;
  const std::string name = dir.File("full.data");
  const int h = OpenCommitted(name, 1);
  xova::FileState& fs = State(h);
  std::memset(fs.codeBlock, 101, 8);
  fs.codeCount = 8;
  EXPECT_EQ(xovaCloseWrite(h), XOVA_OK);
  const auto bytes = ReadFileBytes(name);
  ASSERT_EQ(bytes.size(), 184u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[176 + i], 101);
}

TEST(CloseWrite, AnEmptyCodeBlockWritesNothing) {
  ScratchDir dir;
  const std::string name = dir.File("none.data");
  const int h = OpenCommitted(name, 1);
  EXPECT_EQ(xovaCloseWrite(h), XOVA_OK);
  EXPECT_EQ(ReadFileBytes(name).size(), 176u);
}

TEST(CloseWrite, CrossedCloseOfAReadHandleClosesIt) {
  WriteHandle w;
  State(w.handle()).mode = xova::FileMode::kRead;
  EXPECT_EQ(xovaCloseWrite(w.handle()), XOVA_OPEN_FOR_READ);
  EXPECT_EQ(xovaGetCompression(w.handle(), nullptr), XOVA_BAD_HANDLE);
}

}  // namespace
