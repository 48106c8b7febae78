#include <gtest/gtest.h>

#include "ext/side_test_support.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::ModeOverride;
using xova_test::StateOf;

class Type7Query : public ::testing::Test {
 protected:
  int h() const { return w_.handle(); }
  xova_test::WriteHandle w_;
};

TEST_F(Type7Query, WriteHandlesHaveNothingToReport) {
  StateOf(h())->present[3] = 1;
  int found = -1;
  EXPECT_EQ(xovaQueryType7(h(), 3, &found), XOVA_OPEN_FOR_WRITE);
  EXPECT_EQ(found, 0);
  // The mode is checked before the subtype.
  EXPECT_EQ(xovaQueryType7(h(), 33, &found), XOVA_OPEN_FOR_WRITE);
}

TEST_F(Type7Query, ReportsTheRecordsTheFileContained) {
  ModeOverride read(h(), FileMode::kRead, 1);
  for (int subtype : {0, 3, 7, 9, 32}) StateOf(h())->present[subtype] = 1;
  for (int subtype = 0; subtype <= 32; ++subtype) {
    int found = -1;
    ASSERT_EQ(xovaQueryType7(h(), subtype, &found), XOVA_OK);
    const bool expected = subtype == 0 || subtype == 3 || subtype == 7 || subtype == 32;
    EXPECT_EQ(found, expected ? 1 : 0) << subtype;  // 9 never answers 1
  }
}

TEST_F(Type7Query, AnswersFromPresentFlagsNotFromBlocks) {
  ModeOverride read(h(), FileMode::kRead, 1);
  // The release block exists (built by the open) but the flag was never set;
  // a long-name record was met and its block already released.
  StateOf(h())->present[13] = 1;
  int found = -1;
  ASSERT_EQ(xovaQueryType7(h(), 3, &found), XOVA_OK);
  EXPECT_EQ(found, 0);
  ASSERT_EQ(xovaQueryType7(h(), 13, &found), XOVA_OK);
  EXPECT_EQ(found, 1);
}

TEST_F(Type7Query, SubtypeOutsideTheSlotsIsRefused) {
  ModeOverride read(h(), FileMode::kRead, 1);
  for (int subtype : {-1, 33, 1000}) {
    int found = -1;
    EXPECT_EQ(xovaQueryType7(h(), subtype, &found), XOVA_SUBTYPE_OUT_OF_RANGE);
    EXPECT_EQ(found, 0);
  }
}

TEST_F(Type7Query, AppendHandlesAnswerLikeReadHandles) {
  ModeOverride append(h(), FileMode::kAppend, 1);
  StateOf(h())->present[5] = 1;
  int found = 0;
  ASSERT_EQ(xovaQueryType7(h(), 5, &found), XOVA_OK);
  EXPECT_EQ(found, 1);
}

TEST_F(Type7Query, BadHandleComesFirstAndNullOutPointerIsIgnored) {
  int found = -1;
  EXPECT_EQ(xovaQueryType7(1000, 33, &found), XOVA_BAD_HANDLE);
  EXPECT_EQ(found, 0);
  ModeOverride read(h(), FileMode::kRead, 1);
  EXPECT_EQ(xovaQueryType7(h(), 0, nullptr), XOVA_OK);
}

}  // namespace
