#include <gtest/gtest.h>

#include "frame/handle_table.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::WriteHandle;

// A write handle with a numeric variable "num" and an 8-byte string "str".
class Display : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(xovaSetVarName(h(), "num", 0), XOVA_OK);
    ASSERT_EQ(xovaSetVarName(h(), "str", 8), XOVA_OK);
  }
  void TearDown() override {
    fs()->mode = FileMode::kWrite;
    fs()->committed = 0;
  }
  int h() const { return w_.handle(); }
  xova::FileState* fs() const { return xova::LookupHandle(w_.handle()); }
  int Level(const char* name) const {
    int v = -99;
    EXPECT_EQ(xovaGetVarMeasureLevel(h(), name, &v), XOVA_OK);
    return v;
  }
  int Width(const char* name) const {
    int v = -99;
    EXPECT_EQ(xovaGetVarColumnWidth(h(), name, &v), XOVA_OK);
    return v;
  }
  int Align(const char* name) const {
    int v = -99;
    EXPECT_EQ(xovaGetVarAlignment(h(), name, &v), XOVA_OK);
    return v;
  }

  WriteHandle w_;
};

TEST_F(Display, NewVariablesReportTheDefaultsAndNoChange) {
  EXPECT_EQ(Level("num"), 3);
  EXPECT_EQ(Level("str"), 1);
  EXPECT_EQ(Width("num"), 0);
  EXPECT_EQ(Align("num"), 1);
  EXPECT_EQ(Align("str"), 0);
  EXPECT_EQ(fs()->displayFlag, 0);
}

TEST_F(Display, MeasureLevelRange) {
  EXPECT_EQ(xovaSetVarMeasureLevel(h(), "str", 3), XOVA_MEASURE_LEVEL_OUT_OF_RANGE);
  EXPECT_EQ(xovaSetVarMeasureLevel(h(), "num", 4), XOVA_MEASURE_LEVEL_OUT_OF_RANGE);
  EXPECT_EQ(xovaSetVarMeasureLevel(h(), "num", -1), XOVA_MEASURE_LEVEL_OUT_OF_RANGE);
  EXPECT_EQ(fs()->displayFlag, 0);  // refusals mark nothing
  EXPECT_EQ(Level("str"), 1);
  EXPECT_EQ(Level("num"), 3);
  EXPECT_EQ(xovaSetVarMeasureLevel(h(), "str", 2), XOVA_OK);
  EXPECT_EQ(Level("str"), 2);
  EXPECT_EQ(fs()->displayFlag, 1);
  EXPECT_EQ(xovaSetVarMeasureLevel(h(), "str", 0), XOVA_OK);
  EXPECT_EQ(Level("str"), 1);
  EXPECT_EQ(xovaSetVarMeasureLevel(h(), "num", 1), XOVA_OK);
  EXPECT_EQ(Level("num"), 1);
  EXPECT_EQ(xovaSetVarMeasureLevel(h(), "num", 0), XOVA_OK);
  EXPECT_EQ(Level("num"), 3);
}

TEST_F(Display, ColumnWidthNegativeRestoresZero) {
  EXPECT_EQ(xovaSetVarColumnWidth(h(), "num", 12), XOVA_OK);
  EXPECT_EQ(Width("num"), 12);
  EXPECT_EQ(fs()->displayFlag, 1);
  EXPECT_EQ(xovaSetVarColumnWidth(h(), "num", -5), XOVA_OK);
  EXPECT_EQ(Width("num"), 0);
  EXPECT_EQ(xovaSetVarColumnWidth(h(), "str", 0x7FFFFFFF), XOVA_OK);
  EXPECT_EQ(Width("str"), 0x7FFFFFFF);
}

TEST_F(Display, AlignmentOutOfRangeRestoresTheDefault) {
  EXPECT_EQ(xovaSetVarAlignment(h(), "num", 2), XOVA_OK);
  EXPECT_EQ(Align("num"), 2);
  EXPECT_EQ(fs()->displayFlag, 1);
  EXPECT_EQ(xovaSetVarAlignment(h(), "num", 7), XOVA_OK);
  EXPECT_EQ(Align("num"), 1);
  EXPECT_EQ(xovaSetVarAlignment(h(), "str", 1), XOVA_OK);
  EXPECT_EQ(xovaSetVarAlignment(h(), "str", -1), XOVA_OK);
  EXPECT_EQ(Align("str"), 0);
  EXPECT_EQ(xovaSetVarAlignment(h(), "str", 0), XOVA_OK);
  EXPECT_EQ(Align("str"), 0);
}

TEST_F(Display, SettersCheckHandleModeCommitAndVariable) {
  using Setter = int(XOVA_CALL*)(int, const char*, int);
  for (Setter set : {Setter{xovaSetVarMeasureLevel}, Setter{xovaSetVarColumnWidth},
                     Setter{xovaSetVarAlignment}}) {
    EXPECT_EQ(set(-1, "num", 1), XOVA_BAD_HANDLE);
    EXPECT_EQ(set(1000, "num", 1), XOVA_BAD_HANDLE);
    fs()->mode = FileMode::kRead;
    EXPECT_EQ(set(h(), "nosuch", 99), XOVA_OPEN_FOR_READ);
    fs()->mode = FileMode::kWrite;
    fs()->committed = 1;
    EXPECT_EQ(set(h(), "nosuch", 99), XOVA_ALREADY_COMMITTED);
    fs()->committed = 0;
    EXPECT_EQ(set(h(), "nosuch", 99), XOVA_NO_SUCH_VARIABLE);
  }
  EXPECT_EQ(fs()->displayFlag, 0);
}

TEST_F(Display, GettersWorkInAnyModeAndCheckHandleThenVariable) {
  ASSERT_EQ(xovaSetVarColumnWidth(h(), "str", 9), XOVA_OK);
  fs()->mode = FileMode::kRead;
  fs()->committed = 1;
  EXPECT_EQ(Width("str"), 9);
  EXPECT_EQ(Level("STR"), 1);
  using Getter = int(XOVA_CALL*)(int, const char*, int*);
  for (Getter get : {Getter{xovaGetVarMeasureLevel}, Getter{xovaGetVarColumnWidth},
                     Getter{xovaGetVarAlignment}}) {
    int v = 42;
    EXPECT_EQ(get(-1, "num", &v), XOVA_BAD_HANDLE);
    EXPECT_EQ(get(h(), "nosuch", &v), XOVA_NO_SUCH_VARIABLE);
    EXPECT_EQ(v, 42);
    EXPECT_EQ(get(h(), "num", nullptr), XOVA_OK);  // nothing to store into
  }
}

}  // namespace
