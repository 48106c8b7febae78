#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dict/name_list.h"
#include "frame/handle_table.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova_test::WriteHandle;

void Define(const WriteHandle& w, const std::vector<std::pair<std::string, int>>& vars) {
  for (const auto& [name, type] : vars) {
    ASSERT_EQ(xovaSetVarName(w.handle(), name.c_str(), type), XOVA_OK) << name;
  }
}

TEST(GetVarNames, EmptyDictionaryGivesBadFileAndClearedOutputs) {
  WriteHandle w;
  int count = 99;
  char** names = reinterpret_cast<char**>(&count);
  int* types = &count;
  EXPECT_EQ(xovaGetVarNames(w.handle(), &count, &names, &types), XOVA_BAD_FILE);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(names, nullptr);
  EXPECT_EQ(types, nullptr);
}

TEST(GetVarNames, BadHandleClearsTheOutputsFirst) {
  int count = 99;
  char** names = reinterpret_cast<char**>(&count);
  int* types = &count;
  EXPECT_EQ(xovaGetVarNames(-1, &count, &names, &types), XOVA_BAD_HANDLE);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(names, nullptr);
  EXPECT_EQ(types, nullptr);
  EXPECT_EQ(xovaGetVarNames(1000, nullptr, nullptr, nullptr), XOVA_BAD_HANDLE);
}

TEST(GetVarNames, ListsNamesAsSpelledAndTypesInOrder) {
  WriteHandle w;
  Define(w, {{"Zeta", 0}, {"alpha", 9}, {"MiXeD", 255}});
  int count = 0;
  char** names = nullptr;
  int* types = nullptr;
  ASSERT_EQ(xovaGetVarNames(w.handle(), &count, &names, &types), XOVA_OK);
  ASSERT_EQ(count, 3);
  EXPECT_STREQ(names[0], "Zeta");
  EXPECT_STREQ(names[1], "alpha");
  EXPECT_STREQ(names[2], "MiXeD");
  EXPECT_EQ(types[0], 0);
  EXPECT_EQ(types[1], 9);
  EXPECT_EQ(types[2], 255);
  EXPECT_EQ(xovaFreeVarNames(names, types, count), XOVA_OK);
}

TEST(GetVarNames, PartialOutputsLeakNothing) {
  WriteHandle w;
  Define(w, {{"a_name_longer_than_small_strings", 0}});
  int count = -1;
  EXPECT_EQ(xovaGetVarNames(w.handle(), &count, nullptr, nullptr), XOVA_OK);
  EXPECT_EQ(count, 0);
  char** names = nullptr;
  EXPECT_EQ(xovaGetVarNames(w.handle(), nullptr, &names, nullptr), XOVA_OK);
  EXPECT_EQ(names, nullptr);
}

TEST(GetVarNames, OutOfMemoryFreesEverythingAndResetsOutputs) {
  WriteHandle w;
  Define(w, {{"first_variable_name", 0}, {"second_variable_name", 4}, {"third", 0}});
  int lastRc = -1;
  int count = 0;
  char** names = nullptr;
  int* types = nullptr;
  const long failures = xova_test::ForEachAllocationFailure([&] {
    lastRc = xovaGetVarNames(w.handle(), &count, &names, &types);
    if (xova_test::FailedAllocations() > 0) {
      EXPECT_EQ(lastRc, XOVA_OUT_OF_MEMORY);
      EXPECT_EQ(count, 0);
      EXPECT_EQ(names, nullptr);
      EXPECT_EQ(types, nullptr);
    }
  });
  EXPECT_GE(failures, 5);  // two arrays and three names
  ASSERT_EQ(lastRc, XOVA_OK);
  ASSERT_EQ(count, 3);
  EXPECT_STREQ(names[1], "second_variable_name");
  EXPECT_EQ(xovaFreeVarNames(names, types, count), XOVA_OK);
}

TEST(FreeVarNames, ArgumentsMustFitTogether) {
  EXPECT_EQ(xovaFreeVarNames(nullptr, nullptr, 0), XOVA_OK);
  int type = 0;
  char* name = nullptr;
  char** names = &name;
  EXPECT_EQ(xovaFreeVarNames(names, nullptr, 3), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarNames(nullptr, &type, 3), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarNames(nullptr, nullptr, 1), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarNames(names, &type, 0), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarNames(names, &type, -2), XOVA_BAD_FREE_ARGS);
  EXPECT_EQ(xovaFreeVarNames(nullptr, nullptr, -1), XOVA_BAD_FREE_ARGS);
}

TEST(GetVarInfo, AnswersByIndexAndClearsOnFailure) {
  WriteHandle w;
  char name[65] = "stale";
  int type = 7;
  EXPECT_EQ(xovaGetVarInfo(w.handle(), 0, name, &type), XOVA_BAD_FILE);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(type, 0);
  Define(w, {{"One", 0}, {"Two", 20}});
  EXPECT_EQ(xovaGetVarInfo(w.handle(), 1, name, &type), XOVA_OK);
  EXPECT_STREQ(name, "Two");
  EXPECT_EQ(type, 20);
  for (int bad : {-1, 2, 1 << 30}) {
    std::strcpy(name, "stale");
    type = 7;
    EXPECT_EQ(xovaGetVarInfo(w.handle(), bad, name, &type), XOVA_NO_SUCH_VARIABLE);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(type, 0);
  }
  std::strcpy(name, "stale");
  EXPECT_EQ(xovaGetVarInfo(-1, 0, name, &type), XOVA_BAD_HANDLE);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(xovaGetVarInfo(w.handle(), 0, nullptr, nullptr), XOVA_OK);
}

TEST(GetVarInfo, SeesVariablesAddedAfterTheFirstCall) {
  WriteHandle w;
  Define(w, {{"One", 0}});
  char name[65];
  int type = -1;
  ASSERT_EQ(xovaGetVarInfo(w.handle(), 0, name, &type), XOVA_OK);
  Define(w, {{"Later", 3}});
  EXPECT_EQ(xovaGetVarInfo(w.handle(), 1, name, &type), XOVA_OK);
  EXPECT_STREQ(name, "Later");
  EXPECT_EQ(type, 3);
  EXPECT_EQ(xova::LookupHandle(w.handle())->nameList.count, 2);
}

TEST(GetVarInfo, FailedRefreshKeepsTheOldList) {
  WriteHandle w;
  Define(w, {{"One", 0}});
  char name[65];
  int type = -1;
  ASSERT_EQ(xovaGetVarInfo(w.handle(), 0, name, &type), XOVA_OK);
  Define(w, {{"a_second_rather_long_variable_name", 3}});
  int lastRc = -1;
  xova_test::ForEachAllocationFailure([&] {
    lastRc = xovaGetVarInfo(w.handle(), 0, name, &type);
    if (xova_test::FailedAllocations() > 0) {
      EXPECT_EQ(lastRc, XOVA_OUT_OF_MEMORY);
      EXPECT_EQ(xova::LookupHandle(w.handle())->nameList.count, 1);
      EXPECT_STREQ(xova::LookupHandle(w.handle())->nameList.names[0], "One");
    }
  });
  EXPECT_EQ(lastRc, XOVA_OK);
  EXPECT_STREQ(name, "One");
  EXPECT_EQ(xovaGetVarInfo(w.handle(), 1, name, &type), XOVA_OK);
  EXPECT_STREQ(name, "a_second_rather_long_variable_name");
}

}  // namespace
