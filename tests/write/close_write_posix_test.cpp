#include <gtest/gtest.h>

#include "frame/handle_table.h"
#include "xovaio32.h"

namespace {

// /dev/full accepts the open and fails every write: the close must say so.
TEST(CloseWrite, AFullDiskIsReportedAndTheHandleStillCloses) {
  int h = -1;
  ASSERT_EQ(xovaOpenWrite("/dev/full", &h), XOVA_OK);
  xova::FileState& fs = *xova::LookupHandle(h);
  fs.committed = 1;
  fs.compression = 1;
  fs.codeCount = 2;
  EXPECT_EQ(xovaCloseWrite(h), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(xova::LookupHandle(h), nullptr);

  ASSERT_EQ(xovaOpenWrite("/dev/full", &h), XOVA_OK);
  xova::LookupHandle(h)->committed = 1;
  EXPECT_EQ(xovaCloseWrite(h), XOVA_FILE_WRITE_ERROR);  // the count never reaches the disk
  EXPECT_EQ(xova::LookupHandle(h), nullptr);
}

}  // namespace
