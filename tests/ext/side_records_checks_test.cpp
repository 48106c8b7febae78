// The entry checks every side-record setter and getter shares.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ext/side_test_support.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::BlockText;
using xova_test::ModeOverride;
using xova_test::StateOf;

struct Setter {
  const char* name;
  int slot;
  std::function<int(int handle)> call;
};

// Every setter, each called so that it would change its slot.
std::vector<Setter> Setters(int other) {
  static const char* vars[] = {"a", "b"};
  static const int ints[2] = {1, 2};
  return {
      {"SetMultRespDefs", 7, [](int h) { return xovaSetMultRespDefs(h, nullptr); }},
      {"AddMultRespDefC", 7,
       [](int h) { return xovaAddMultRespDefC(h, "n", "", 0, nullptr, vars, 2); }},
      {"AddMultRespDefN", 7, [](int h) { return xovaAddMultRespDefN(h, "n", "", 0, 1, vars, 2); }},
      {"SetVariableSets", 5, [](int h) { return xovaSetVariableSets(h, ""); }},
      {"SetDateVariables", 6, [](int h) { return xovaSetDateVariables(h, 2, ints); }},
      {"SetQEBFirst", 8, [](int h) { return xovaSetQEBFirst(h, ints, 3); }},
      {"SetQEBNext", 8, [](int h) { return xovaSetQEBNext(h, ints, 3); }},
      {"SetQEBGUID", 12, [](int h) { return xovaSetQEBGUID(h, "g"); }},
      {"SetTextInfo", 10, [](int h) { return xovaSetTextInfo(h, "t"); }},
      {"CopyDocuments", 0, [other](int h) { return xovaCopyDocuments(other, h); }},
  };
}

class SideRecordChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(w_.open_result(), XOVA_OK);
    xova::Dictionary& dict = StateOf(h())->dict;
    ASSERT_TRUE(xova_test::AddTestVariable(&dict, "a", ""));
    ASSERT_TRUE(xova_test::AddTestVariable(&dict, "b", ""));
    for (int slot : {0, 5, 6, 7, 8, 10, 12}) {
      const std::string old = "old" + std::to_string(slot);
      ASSERT_EQ(xova::BlockReplace(&StateOf(h())->blocks[slot], 1,
                                   static_cast<std::int32_t>(old.size()), old.data()),
                XOVA_OK);
    }
  }
  int h() const { return w_.handle(); }
  std::string Slot(int slot) { return BlockText(StateOf(h())->blocks[slot].get()); }

  xova_test::WriteHandle w_{"target.data"};
  xova_test::WriteHandle source_{"source.data"};
};

TEST_F(SideRecordChecks, SettersRefuseBadHandlesModesAndCommitsAndChangeNothing) {
  for (const Setter& s : Setters(source_.handle())) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(s.call(-1), XOVA_BAD_HANDLE);
    EXPECT_EQ(s.call(1000), XOVA_BAD_HANDLE);
    {
      ModeOverride read(h(), FileMode::kRead, 1);
      EXPECT_EQ(s.call(h()), XOVA_OPEN_FOR_READ);
    }
    {
      ModeOverride append(h(), FileMode::kAppend, 1);
      EXPECT_EQ(s.call(h()), XOVA_OPEN_FOR_READ);
    }
    {
      // The mode is checked before the commit flag.
      ModeOverride readUncommitted(h(), FileMode::kRead, 0);
      EXPECT_EQ(s.call(h()), XOVA_OPEN_FOR_READ);
    }
    {
      ModeOverride committed(h(), FileMode::kWrite, 1);
      EXPECT_EQ(s.call(h()), XOVA_ALREADY_COMMITTED);
    }
    EXPECT_EQ(Slot(s.slot), "old" + std::to_string(s.slot));
  }
}

TEST_F(SideRecordChecks, ClosedHandlesAreBadHandles) {
  const int closed = source_.handle();
  ASSERT_EQ(source_.Close(), XOVA_NOT_COMMITTED);
  for (const Setter& s : Setters(h())) {
    if (std::string(s.name) == "CopyDocuments") continue;  // the closed one is the source there
    SCOPED_TRACE(s.name);
    EXPECT_EQ(s.call(closed), XOVA_BAD_HANDLE);
  }
  EXPECT_EQ(xovaCopyDocuments(closed, h()), XOVA_BAD_HANDLE);
  EXPECT_EQ(Slot(0), "old0");
}

TEST_F(SideRecordChecks, GettersAnswerOnReadAndCommittedHandles) {
  for (FileMode mode : {FileMode::kRead, FileMode::kAppend, FileMode::kWrite}) {
    ModeOverride override(h(), mode, 1);
    char* text = nullptr;
    ASSERT_EQ(xovaGetVariableSets(h(), &text), XOVA_OK);
    EXPECT_STREQ(text, "old5");
    xovaFreeVariableSets(text);
    ASSERT_EQ(xovaGetMultRespDefs(h(), &text), XOVA_OK);
    EXPECT_STREQ(text, "old7");
    xovaFreeMultRespDefs(text);
    char buffer[257];
    ASSERT_EQ(xovaGetTextInfo(h(), buffer), XOVA_OK);
    EXPECT_STREQ(buffer, "old10");
    ASSERT_EQ(xovaGetQEBGUID(h(), buffer), XOVA_OK);
    EXPECT_STREQ(buffer, "old12");
    int total = 0;
    ASSERT_EQ(xovaGetQEBInfo(h(), &total, nullptr), XOVA_OK);
    EXPECT_EQ(total, 4);
  }
}

TEST_F(SideRecordChecks, GettersClearTheirOutputsBeforeTheHandleCheck) {
  char sentinel[] = "x";
  char* text = sentinel;
  EXPECT_EQ(xovaGetVariableSets(1000, &text), XOVA_BAD_HANDLE);
  EXPECT_EQ(text, nullptr);
  text = sentinel;
  EXPECT_EQ(xovaGetMultRespDefs(-1, &text), XOVA_BAD_HANDLE);
  EXPECT_EQ(text, nullptr);
  int count = -1;
  int intSentinel = 0;
  int* ints = &intSentinel;
  EXPECT_EQ(xovaGetDateVariables(-1, &count, &ints), XOVA_BAD_HANDLE);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(ints, nullptr);
  int total = -1;
  int last = -1;
  EXPECT_EQ(xovaGetQEBInfo(1000, &total, &last), XOVA_BAD_HANDLE);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(last, 0);
  int got = -1;
  unsigned char buffer[4];
  EXPECT_EQ(xovaGetQEBFirst(-1, buffer, 4, &got), XOVA_BAD_HANDLE);
  EXPECT_EQ(got, 0);
  got = -1;
  EXPECT_EQ(xovaGetQEBNext(-1, buffer, 4, &got), XOVA_BAD_HANDLE);
  EXPECT_EQ(got, 0);
  int found = -1;
  EXPECT_EQ(xovaQueryType7(-1, 0, &found), XOVA_BAD_HANDLE);
  EXPECT_EQ(found, 0);
  // The two fixed-buffer getters look at nothing without a buffer.
  char text257[257] = "stale";
  EXPECT_EQ(xovaGetTextInfo(1000, nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetQEBGUID(1000, nullptr), XOVA_OK);
  EXPECT_EQ(xovaGetQEBGUID(1000, text257), XOVA_BAD_HANDLE);
  EXPECT_EQ(xovaGetTextInfo(1000, text257), XOVA_BAD_HANDLE);
}

}  // namespace
