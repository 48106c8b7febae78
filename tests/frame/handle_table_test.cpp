#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame/handle_table.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using xova_test::ScratchDir;
using xova_test::WriteHandle;

TEST(HandleTable, FirstFreeSlotIsTakenAndReused) {
  ScratchDir dir;
  std::vector<int> handles(8, -1);
  for (int i = 0; i < 8; ++i) {
    ASSERT_EQ(xovaOpenWrite(dir.File("f" + std::to_string(i)).c_str(), &handles[i]), XOVA_OK);
    EXPECT_EQ(handles[i], i);
  }
  EXPECT_EQ(xovaCloseWrite(handles[7]), XOVA_NOT_COMMITTED);
  EXPECT_EQ(xovaCloseWrite(handles[3]), XOVA_NOT_COMMITTED);
  int again = -1;
  ASSERT_EQ(xovaOpenWrite(dir.File("again").c_str(), &again), XOVA_OK);
  EXPECT_EQ(again, 3);  // the lowest free slot, not the last freed
  int next = -1;
  ASSERT_EQ(xovaOpenWrite(dir.File("next").c_str(), &next), XOVA_OK);
  EXPECT_EQ(next, 7);
  for (int h : {0, 1, 2, 3, 4, 5, 6, 7}) EXPECT_EQ(xovaCloseWrite(h), XOVA_NOT_COMMITTED);
}

TEST(HandleTable, ClosedAndOutOfRangeHandlesAreBad) {
  int closed = -1;
  {
    WriteHandle w;
    closed = w.handle();
  }
  for (int h : {-1, 1000, closed, 123456}) {
    char text[80] = "x";
    int n = 42;
    double d = 0;
    EXPECT_EQ(xovaSetIdString(h, "label"), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaSetCompression(h, 1), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaGetNumberofVariables(h, &n), XOVA_BAD_HANDLE);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(xovaGetCaseSize(h, &n), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaGetVarHandle(h, "a", &d), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaGetSystemString(h, text), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaGetIdString(h, text), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaGetTimeStamp(h, text, text), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaGetCompression(h, &n), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaGetCaseWeightVar(h, text), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaGetReleaseInfo(h, &n), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaCloseWrite(h), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaCloseAppend(h), XOVA_BAD_HANDLE);
    n = 42;
    EXPECT_EQ(xovaGetNumberofCases(h, &n), XOVA_OK);
    EXPECT_EQ(n, 0);
  }
}

TEST(HandleTable, FullTableRefusesBeforeCreatingAFile) {
  ScratchDir dir;
  std::vector<int> handles;
  for (int i = 0; i < xova::kHandleSlots; ++i) {
    int h = -1;
    ASSERT_EQ(xovaOpenWrite(dir.File("f" + std::to_string(i)).c_str(), &h), XOVA_OK) << i;
    handles.push_back(h);
  }
  int extra = -1;
  const std::string name = dir.File("one-too-many");
  EXPECT_EQ(xovaOpenWrite(name.c_str(), &extra), XOVA_TABLE_FULL);
  EXPECT_FALSE(xova_test::FileExists(name));
  for (int h : handles) EXPECT_EQ(xovaCloseWrite(h), XOVA_NOT_COMMITTED);
}

TEST(HandleTable, FailedOpenLeavesTheSlotEmpty) {
  ScratchDir dir;
  int h = -1;
  EXPECT_EQ(xovaOpenWrite(dir.File("no/such/dir/file").c_str(), &h), XOVA_FILE_OPEN_ERROR);
  EXPECT_EQ(xovaOpenWrite(nullptr, &h), XOVA_FILE_OPEN_ERROR);
  EXPECT_EQ(xovaOpenWrite("", &h), XOVA_FILE_OPEN_ERROR);
  EXPECT_EQ(xovaOpenWrite(dir.path().c_str(), &h), XOVA_FILE_OPEN_ERROR);  // a directory
  WriteHandle w;
  EXPECT_EQ(w.handle(), 0);
}

TEST(HandleTable, OutOfMemoryDuringOpenLeavesNoHandle) {
  ScratchDir dir;
  const std::string name = dir.File("oom");
  long runs = xova_test::ForEachAllocationFailure([&] {
    int h = -1;
    const int rc = xovaOpenWrite(name.c_str(), &h);
    xova_test::ResetAllocFailure();
    if (rc == XOVA_OK) {
      EXPECT_EQ(xovaCloseWrite(h), XOVA_NOT_COMMITTED);
    } else {
      EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
      EXPECT_EQ(xova::LookupHandle(0), nullptr);
    }
  });
  EXPECT_GT(runs, 0);
}

TEST(HandleTable, CloseAndReleaseRefusesReadHandles) {
  WriteHandle w;
  xova::LookupHandle(w.handle())->mode = xova::FileMode::kRead;
  EXPECT_EQ(xova::CloseAndRelease(w.handle()), XOVA_OPEN_FOR_READ);
  EXPECT_NE(xova::LookupHandle(w.handle()), nullptr);
  xova::LookupHandle(w.handle())->mode = xova::FileMode::kWrite;
  EXPECT_EQ(xova::CloseAndRelease(w.handle()), XOVA_OK);
  EXPECT_EQ(xova::LookupHandle(w.handle()), nullptr);
  EXPECT_EQ(xova::CloseAndRelease(-1), XOVA_BAD_HANDLE);
}

}  // namespace
