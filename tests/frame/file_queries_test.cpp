#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "frame/handle_table.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova_test::WriteHandle;

xova::FileState& State(const WriteHandle& w) {
  return *xova::LookupHandle(w.handle());
}

TEST(FileQueries, NewWriteHandleDescribesTheLibrary) {
  WriteHandle w;
  ASSERT_EQ(w.open_result(), XOVA_OK);
  char text[80];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(xovaGetSystemString(w.handle(), text), XOVA_OK);
  EXPECT_STREQ(text, "MS Windows Release 12.0 xovaio32.dll");
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(xovaGetIdString(w.handle(), text), XOVA_OK);
  EXPECT_STREQ(text, "");
  int rel[8] = {};
  EXPECT_EQ(xovaGetReleaseInfo(w.handle(), rel), XOVA_OK);
  const int expected[8] = {12, 0, 0, 720, 1, 1, 2, 2};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(rel[i], expected[i]) << i;
  int comp = 7;
  EXPECT_EQ(xovaGetCompression(w.handle(), &comp), XOVA_OK);
  EXPECT_EQ(comp, 0);
}

TEST(FileQueries, TimeStampHasTheFixedShape) {
  WriteHandle w;
  char date[16], time[16];
  std::memset(date, 'x', sizeof date);
  std::memset(time, 'x', sizeof time);
  ASSERT_EQ(xovaGetTimeStamp(w.handle(), date, time), XOVA_OK);
  ASSERT_EQ(std::strlen(date), 9u);
  ASSERT_EQ(std::strlen(time), 8u);
  EXPECT_TRUE(std::isdigit(date[0]) && std::isdigit(date[1]) && date[2] == ' ' && date[6] == ' ');
  const std::string month(date + 3, 3);
  EXPECT_NE(std::string("JanFebMarAprMayJunJulAugSepOctNovDec").find(month), std::string::npos);
  EXPECT_TRUE(std::isdigit(date[7]) && std::isdigit(date[8]));
  EXPECT_TRUE(time[2] == ':' && time[5] == ':');
  for (int i : {0, 1, 3, 4, 6, 7}) EXPECT_TRUE(std::isdigit(time[i])) << time;
}

TEST(FileQueries, NullBuffersAreNotWrittenThrough) {
  WriteHandle w;
  EXPECT_EQ(xovaGetSystemString(w.handle(), nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetIdString(w.handle(), nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetTimeStamp(w.handle(), nullptr, nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetCompression(w.handle(), nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetReleaseInfo(w.handle(), nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetCaseWeightVar(w.handle(), nullptr), XOVA_WEIGHT_ABSENT);
  EXPECT_EQ(xovaGetNumberofCases(w.handle(), nullptr), XOVA_OK);
}

TEST(FileQueries, CommittedQueriesNeedACommit) {
  WriteHandle w;
  int n = 42;
  EXPECT_EQ(xovaGetNumberofVariables(w.handle(), &n), XOVA_NOT_COMMITTED);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(xovaGetCaseSize(w.handle(), &n), XOVA_NOT_COMMITTED);
  State(w).committed = 1;
  EXPECT_EQ(xovaGetNumberofVariables(w.handle(), &n), XOVA_BAD_FILE);  // no variables
  EXPECT_EQ(n, 0);
  State(w).elementCount = 5;
  EXPECT_EQ(xovaGetCaseSize(w.handle(), &n), XOVA_OK);
  EXPECT_EQ(n, 40);
  State(w).committed = 0;
}

TEST(FileQueries, NumberOfCasesOnlyForReadAndAppendHandles) {
  WriteHandle w;
  State(w).caseCount = 17;
  int n = -1;
  EXPECT_EQ(xovaGetNumberofCases(w.handle(), &n), XOVA_OK);
  EXPECT_EQ(n, 0);
  State(w).mode = xova::FileMode::kAppend;
  EXPECT_EQ(xovaGetNumberofCases(w.handle(), &n), XOVA_OK);
  EXPECT_EQ(n, 17);
  State(w).mode = xova::FileMode::kWrite;
}

TEST(FileQueries, WeightVariableLookup) {
  WriteHandle w;
  char name[80] = "junk";
  EXPECT_EQ(xovaGetCaseWeightVar(w.handle(), name), XOVA_WEIGHT_ABSENT);
  EXPECT_STREQ(name, "");
  xova::FileState& fs = State(w);
  auto num = std::make_unique<xova::VariableRecord>();
  num->name = "Weight";
  num->key = "WEIGHT";
  num->position = 1;
  auto str = std::make_unique<xova::VariableRecord>();
  str->name = "s";
  str->key = "S";
  str->type = 9;
  str->position = 2;
  fs.dict.vars.push_back(std::move(num));
  fs.dict.vars.push_back(std::move(str));
  fs.weightIndex = 1;
  EXPECT_EQ(xovaGetCaseWeightVar(w.handle(), name), XOVA_OK);
  EXPECT_STREQ(name, "Weight");
  fs.weightIndex = 2;
  std::strcpy(name, "junk");
  EXPECT_EQ(xovaGetCaseWeightVar(w.handle(), name), XOVA_BAD_WEIGHT_VARIABLE);
  EXPECT_STREQ(name, "");
  fs.weightIndex = 3;
  EXPECT_EQ(xovaGetCaseWeightVar(w.handle(), name), XOVA_BAD_WEIGHT_VARIABLE);
}

TEST(FileQueries, ReleaseInfoAbsentWithoutItsBlock) {
  WriteHandle w;
  State(w).blocks[3].reset();
  int rel[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  EXPECT_EQ(xovaGetReleaseInfo(w.handle(), rel), XOVA_NO_RELEASE_INFO);
  EXPECT_EQ(rel[0], -1);
}

TEST(FileQueries, ShortReleaseBlockIsPaddedWithZeros) {
  WriteHandle w;
  const int two[2] = {5, 6};
  ASSERT_EQ(xova::BlockReplace(&State(w).blocks[3], 4, 2, two), XOVA_OK);
  int rel[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  EXPECT_EQ(xovaGetReleaseInfo(w.handle(), rel), XOVA_OK);
  EXPECT_EQ(rel[0], 5);
  EXPECT_EQ(rel[1], 6);
  for (int i = 2; i < 8; ++i) EXPECT_EQ(rel[i], 0);
}

}  // namespace
