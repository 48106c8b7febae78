#include <gtest/gtest.h>

#include <vector>

#include "frame/handle_table.h"
#include "write/committed_handle.h"
#include "xovaio32.h"

namespace {

// /dev/full takes every byte into the stream's buffer and refuses it when the
// buffer goes to the device: each case that meets a flush must say so.
int CommitUntilAFailure(int handle, int limit, int* committed) {
  for (*committed = 0; *committed < limit; ++*committed) {
    const int rc = xovaCommitCaseRecord(handle);
    if (rc != XOVA_OK) {
      ++*committed;
      return rc;
    }
  }
  return XOVA_OK;
}

int OpenFullDevice(const std::vector<int>& types, int compression) {
  int h = -1;
  if (xovaOpenWrite("/dev/full", &h) != XOVA_OK) return -1;
  xova_test::MakeCommitted(h, types, compression);
  return h;
}

TEST(CaseOutputOnAFullDisk, UncompressedCasesReportTheFailedWriteAndGoOn) {
  const int h = OpenFullDevice({0, 0}, 0);
  ASSERT_GE(h, 0);
  int committed = 0;
  EXPECT_EQ(CommitUntilAFailure(h, 100000, &committed), XOVA_FILE_WRITE_ERROR);
  xova::FileState* fs = xova::LookupHandle(h);
  ASSERT_NE(fs, nullptr);  // the handle stays open
  EXPECT_EQ(fs->caseCount, committed);
  EXPECT_EQ(fs->caseBuffer, fs->blankCase);
  EXPECT_EQ(xovaCloseWrite(h), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(xova::LookupHandle(h), nullptr);
}

TEST(CaseOutputOnAFullDisk, ACaseLargerThanTheStreamBufferFailsAtOnce) {
  const int h = OpenFullDevice(std::vector<int>(80, 255), 0);  // 20480 bytes a case
  ASSERT_GE(h, 0);
  EXPECT_EQ(xovaCommitCaseRecord(h), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(xova::LookupHandle(h)->caseCount, 1);
  EXPECT_EQ(xovaCloseWrite(h), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(xova::LookupHandle(h), nullptr);
}

TEST(CaseOutputOnAFullDisk, CompressedCasesReportTheFailedBlockAndStartAfresh) {
  const int h = OpenFullDevice({0, 0, 0}, 1);
  ASSERT_GE(h, 0);
  xova::FileState* fs = xova::LookupHandle(h);
  ASSERT_NE(fs, nullptr);
  const double raw = 0.5;  // every element needs 8 raw bytes: blocks of 72 bytes
  int committed = 0;
  int rc = XOVA_OK;
  for (; committed < 100000 && rc == XOVA_OK; ++committed) {
    for (int i = 0; i < 3; ++i) {
      const double v = xova::EncodeVarHandle(1 + i, 0);
      ASSERT_EQ(xovaSetValueNumeric(h, v, raw), XOVA_OK);
    }
    rc = xovaCommitCaseRecord(h);
  }
  EXPECT_EQ(rc, XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(fs->caseCount, committed);
  EXPECT_EQ(fs->codeCount, 0);  // the failed block and the rest of its case are gone
  EXPECT_EQ(fs->rawCount, fs->codeCount);
  EXPECT_EQ(fs->caseBuffer, fs->blankCase);
  EXPECT_EQ(xovaCloseWrite(h), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(xova::LookupHandle(h), nullptr);
}

}  // namespace
