// Write failures of the commit on a device that accepts the open and fails
// every write that reaches it.
#include <gtest/gtest.h>

#include <string>

#include "frame/handle_table.h"
#include "xovaio32.h"

namespace {

int OpenFull() {
  int h = -1;
  EXPECT_EQ(xovaOpenWrite("/dev/full", &h), XOVA_OK);
  return h;
}

TEST(CommitOnFullDisk, ADictionaryLargerThanTheStreamBufferFailsTheCommitAndEndsTheHandle) {
  const int h = OpenFull();
  // Each labelled variable takes more than 300 bytes of records.
  for (int i = 0; i < 40; ++i) {
    const std::string name = "V" + std::to_string(i);
    ASSERT_EQ(xovaSetVarName(h, name.c_str(), 0), XOVA_OK);
    ASSERT_EQ(xovaSetVarLabel(h, name.c_str(), std::string(250, 'l').c_str()), XOVA_OK);
  }
  EXPECT_EQ(xovaCommitHeader(h), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(xova::LookupHandle(h), nullptr);
  EXPECT_EQ(xovaCloseWrite(h), XOVA_BAD_HANDLE);
}

TEST(CommitOnFullDisk, ASmallDictionaryWaitsInTheBufferAndTheCloseReportsTheLoss) {
  const int h = OpenFull();
  ASSERT_EQ(xovaSetVarName(h, "A", 0), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
  ASSERT_EQ(xovaCommitCaseRecord(h), XOVA_OK);
  EXPECT_EQ(xovaCloseWrite(h), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(xova::LookupHandle(h), nullptr);
}

}  // namespace
