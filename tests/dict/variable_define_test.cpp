#include <gtest/gtest.h>

#include <string>

#include "dict/dictionary.h"
#include "dict/formats.h"
#include "frame/handle_table.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::WriteHandle;

// A write handle with a numeric variable "num" and a 12-byte string "str".
class Defined : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(w_.open_result(), XOVA_OK);
    ASSERT_EQ(xovaSetVarName(h(), "num", 0), XOVA_OK);
    ASSERT_EQ(xovaSetVarName(h(), "str", 12), XOVA_OK);
  }
  void TearDown() override {
    fs()->mode = FileMode::kWrite;
    fs()->committed = 0;
  }
  int h() const { return w_.handle(); }
  xova::FileState* fs() const { return xova::LookupHandle(w_.handle()); }
  xova::VariableRecord& Var(const char* name) const {
    return *xova::FindVariable(fs()->dict, name);
  }

  WriteHandle w_;
};

using DefinitionChecks = Defined;

// Each setter of this group with valid arguments for "num".
int CallSetter(int which, int handle, const char* name) {
  switch (which) {
    case 0:
      return xovaSetVarLabel(handle, name, "label");
    case 1:
      return xovaSetVarPrintFormat(handle, name, 5, 2, 8);
    case 2:
      return xovaSetVarWriteFormat(handle, name, 5, 2, 8);
    default:
      return xovaSetCaseWeightVar(handle, name);
  }
}

TEST_F(DefinitionChecks, HandleThenModeThenCommitThenVariable) {
  for (int which = 0; which < 4; ++which) {
    SCOPED_TRACE(which);
    EXPECT_EQ(CallSetter(which, -1, "num"), XOVA_BAD_HANDLE);
    EXPECT_EQ(CallSetter(which, 1000, "num"), XOVA_BAD_HANDLE);
    fs()->mode = FileMode::kRead;
    EXPECT_EQ(CallSetter(which, h(), "nosuch"), XOVA_OPEN_FOR_READ);
    fs()->mode = FileMode::kAppend;
    EXPECT_EQ(CallSetter(which, h(), "nosuch"), XOVA_OPEN_FOR_READ);
    fs()->mode = FileMode::kWrite;
    fs()->committed = 1;
    EXPECT_EQ(CallSetter(which, h(), "nosuch"), XOVA_ALREADY_COMMITTED);
    fs()->committed = 0;
    EXPECT_EQ(CallSetter(which, h(), "nosuch"), XOVA_NO_SUCH_VARIABLE);
    EXPECT_EQ(CallSetter(which, h(), nullptr), XOVA_NO_SUCH_VARIABLE);
  }
  EXPECT_EQ(Var("num").hasLabel, 0);
  EXPECT_EQ(fs()->weightIndex, 0);
}

using SetVarLabel = Defined;

TEST_F(SetVarLabel, StoresFindsByAnyCaseAndReplaces) {
  EXPECT_EQ(xovaSetVarLabel(h(), "NUM  ", "Age in years"), XOVA_OK);
  EXPECT_EQ(Var("num").hasLabel, 1);
  EXPECT_EQ(Var("num").label, "Age in years");
  EXPECT_EQ(xovaSetVarLabel(h(), "num", "Age"), XOVA_OK);
  EXPECT_EQ(Var("num").label, "Age");
  EXPECT_EQ(Var("str").hasLabel, 0);
}

TEST_F(SetVarLabel, CutsAt256BytesWithAWarning) {
  const std::string exact(256, 'e');
  EXPECT_EQ(xovaSetVarLabel(h(), "num", exact.c_str()), XOVA_OK);
  EXPECT_EQ(Var("num").label, exact);
  std::string longer(300, 'x');
  longer[255] = 'L';
  longer[256] = 'M';
  EXPECT_EQ(xovaSetVarLabel(h(), "num", longer.c_str()), XOVA_VAR_LABEL_TRUNCATED);
  EXPECT_EQ(Var("num").label, longer.substr(0, 256));
  EXPECT_EQ(xovaSetVarLabel(h(), "num", std::string(257, 'y').c_str()), XOVA_VAR_LABEL_TRUNCATED);
  EXPECT_EQ(Var("num").label.size(), 256u);
}

TEST_F(SetVarLabel, EmptyOrNullRemovesIt) {
  ASSERT_EQ(xovaSetVarLabel(h(), "num", "something"), XOVA_OK);
  EXPECT_EQ(xovaSetVarLabel(h(), "num", ""), XOVA_OK);
  EXPECT_EQ(Var("num").hasLabel, 0);
  EXPECT_TRUE(Var("num").label.empty());
  char buf[16] = "junk";
  EXPECT_EQ(xovaGetVarLabel(h(), "num", buf), XOVA_LABEL_ABSENT);
  ASSERT_EQ(xovaSetVarLabel(h(), "num", "again"), XOVA_OK);
  EXPECT_EQ(xovaSetVarLabel(h(), "num", nullptr), XOVA_OK);
  EXPECT_EQ(Var("num").hasLabel, 0);
}

TEST_F(SetVarLabel, OutOfMemoryKeepsTheOldLabel) {
  const std::string old = "the old label, long enough to live on the heap";
  ASSERT_EQ(xovaSetVarLabel(h(), "num", old.c_str()), XOVA_OK);
  const std::string fresh(280, 'n');
  int lastRc = -1;
  const long failures = xova_test::ForEachAllocationFailure([&] {
    lastRc = xovaSetVarLabel(h(), "num", fresh.c_str());
    if (xova_test::FailedAllocations() > 0) {
      EXPECT_EQ(lastRc, XOVA_OUT_OF_MEMORY);
      EXPECT_EQ(Var("num").hasLabel, 1);
      EXPECT_EQ(Var("num").label, old);
    }
  });
  EXPECT_GT(failures, 0);
  EXPECT_EQ(lastRc, XOVA_VAR_LABEL_TRUNCATED);
  EXPECT_EQ(Var("num").label, fresh.substr(0, 256));
}

using SetVarFormat = Defined;

TEST_F(SetVarFormat, StoresThePackedTriple) {
  EXPECT_EQ(xovaSetVarPrintFormat(h(), "num", 3, 4, 12), XOVA_OK);
  EXPECT_EQ(Var("num").printFormat, xova::PackFormat(3, 12, 4));
  EXPECT_EQ(Var("num").writeFormat, xova::PackFormat(5, 8, 2));  // the other one stays
  EXPECT_EQ(xovaSetVarWriteFormat(h(), "num", 9, 0, 4), XOVA_OK);
  EXPECT_EQ(Var("num").writeFormat, xova::PackFormat(9, 4, 0));
  EXPECT_EQ(xovaSetVarPrintFormat(h(), "str", 2, 0, 24), XOVA_OK);
  EXPECT_EQ(Var("str").printFormat, xova::PackFormat(2, 24, 0));
}

TEST_F(SetVarFormat, RefusalsNameTheirFormatAndChangeNothing) {
  const std::int32_t print = Var("num").printFormat;
  const std::int32_t write = Var("num").writeFormat;
  EXPECT_EQ(xovaSetVarPrintFormat(h(), "num", 9, 0, 4), XOVA_BAD_PRINT_FORMAT);  // write only
  EXPECT_EQ(xovaSetVarPrintFormat(h(), "num", 5, 2, 2), XOVA_BAD_PRINT_FORMAT);
  EXPECT_EQ(xovaSetVarWriteFormat(h(), "num", 5, 17, 30), XOVA_BAD_WRITE_FORMAT);
  EXPECT_EQ(xovaSetVarWriteFormat(h(), "num", 1, 0, 8), XOVA_BAD_WRITE_FORMAT);
  EXPECT_EQ(Var("num").printFormat, print);
  EXPECT_EQ(Var("num").writeFormat, write);
  EXPECT_EQ(xovaSetVarPrintFormat(h(), "str", 1, 0, 11), XOVA_BAD_PRINT_FORMAT);
  EXPECT_EQ(xovaSetVarWriteFormat(h(), "str", 5, 2, 8), XOVA_BAD_WRITE_FORMAT);
  EXPECT_EQ(Var("str").printFormat, xova::PackFormat(1, 12, 0));
}

TEST_F(SetVarFormat, CodesWithoutARuleMustStillFitTheirBytes) {
  EXPECT_EQ(xovaSetVarPrintFormat(h(), "num", 45, 0, 0), XOVA_OK);
  EXPECT_EQ(Var("num").printFormat, xova::PackFormat(45, 0, 0));
  EXPECT_EQ(xovaSetVarWriteFormat(h(), "str", 0, 7, 200), XOVA_OK);
  // Parts that would spill into the neighbouring byte read back as another format.
  EXPECT_EQ(xovaSetVarPrintFormat(h(), "num", 45, 0, 300), XOVA_BAD_PRINT_FORMAT);
  EXPECT_EQ(xovaSetVarPrintFormat(h(), "num", -1, 0, 8), XOVA_BAD_PRINT_FORMAT);
  EXPECT_EQ(xovaSetVarWriteFormat(h(), "num", 256, 0, 8), XOVA_BAD_WRITE_FORMAT);
  EXPECT_EQ(xovaSetVarWriteFormat(h(), "num", 13, -2, 8), XOVA_BAD_WRITE_FORMAT);
  EXPECT_EQ(Var("num").printFormat, xova::PackFormat(45, 0, 0));
  EXPECT_EQ(Var("num").writeFormat, xova::PackFormat(5, 8, 2));
}

TEST(SetCaseWeightVar, StoresThePositionOfANumericVariable) {
  WriteHandle w;
  ASSERT_EQ(xovaSetVarName(w.handle(), "first", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(w.handle(), "text", 9), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(w.handle(), "Weight", 0), XOVA_OK);
  EXPECT_EQ(xovaSetCaseWeightVar(w.handle(), "text"), XOVA_NOT_NUMERIC);
  EXPECT_EQ(xova::LookupHandle(w.handle())->weightIndex, 0);
  EXPECT_EQ(xovaSetCaseWeightVar(w.handle(), "WEIGHT"), XOVA_OK);
  EXPECT_EQ(xova::LookupHandle(w.handle())->weightIndex, 4);
  char name[65] = "junk";
  EXPECT_EQ(xovaGetCaseWeightVar(w.handle(), name), XOVA_OK);
  EXPECT_STREQ(name, "Weight");
  EXPECT_EQ(xovaSetCaseWeightVar(w.handle(), "text"), XOVA_NOT_NUMERIC);
  EXPECT_EQ(xova::LookupHandle(w.handle())->weightIndex, 4);  // kept
  EXPECT_EQ(xovaSetCaseWeightVar(w.handle(), "first"), XOVA_OK);
  EXPECT_EQ(xova::LookupHandle(w.handle())->weightIndex, 1);
}

}  // namespace
