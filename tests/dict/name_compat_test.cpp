#include <gtest/gtest.h>

#include <cstring>

#include "dict/short_names.h"
#include "frame/handle_table.h"
#include "name_test_helpers.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using name_test::Define;

class CompatName : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(file_.open_result(), XOVA_OK);
    fs_ = xova::LookupHandle(file_.handle());
    ASSERT_NE(fs_, nullptr);
    ASSERT_EQ(Define(fs_->dict, "LongName1"), XOVA_OK);
    ASSERT_EQ(Define(fs_->dict, "LongName2"), XOVA_OK);
    ASSERT_EQ(Define(fs_->dict, "age"), XOVA_OK);
  }
  void Commit() {
    ASSERT_EQ(xova::AssignShortNames(*fs_), XOVA_OK);
    fs_->committed = 1;
  }
  xova_test::WriteHandle file_;
  xova::FileState* fs_ = nullptr;
};

TEST_F(CompatName, CopiesTheShortNameOfAnyLetterCase) {
  Commit();
  char shortName[9] = "garbage";
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "longname2", shortName), XOVA_OK);
  EXPECT_STREQ(shortName, "LONGNA_A");
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "LONGNAME1  ", shortName), XOVA_OK);
  EXPECT_STREQ(shortName, "LONGNAME");
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "Age", shortName), XOVA_OK);
  EXPECT_STREQ(shortName, "AGE");
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "age", nullptr), XOVA_OK);
}

TEST_F(CompatName, ChecksHandleThenCommitThenVariable) {
  char shortName[9] = "keep";
  EXPECT_EQ(xovaGetVarCompatName(-1, "age", shortName), XOVA_BAD_HANDLE);
  EXPECT_EQ(xovaGetVarCompatName(1000, "age", shortName), XOVA_BAD_HANDLE);
  // Not committed wins over an unknown name.
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "nosuch", shortName), XOVA_NOT_COMMITTED);
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "age", shortName), XOVA_NOT_COMMITTED);
  EXPECT_STREQ(shortName, "keep");
  Commit();
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "nosuch", shortName), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), nullptr, shortName), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "", shortName), XOVA_NO_SUCH_VARIABLE);
  EXPECT_STREQ(shortName, "keep");
}

TEST_F(CompatName, ClosedHandleIsBad) {
  const int handle = file_.handle();
  file_.Close();  // its result belongs to the close call
  char shortName[9] = "keep";
  EXPECT_EQ(xovaGetVarCompatName(handle, "age", shortName), XOVA_BAD_HANDLE);
  EXPECT_STREQ(shortName, "keep");
}

TEST_F(CompatName, NeverCopiesMoreThanNineBytes) {
  Commit();
  // A short name from a damaged file could fill the whole record buffer.
  std::memset(fs_->dict.vars[2]->shortName, 'Q', sizeof fs_->dict.vars[2]->shortName);
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "age", buffer), XOVA_OK);
  EXPECT_STREQ(buffer, "QQQQQQQQ");
  EXPECT_EQ(buffer[9], '#');
}

TEST_F(CompatName, AnswersOnAReadHandleToo) {
  Commit();
  fs_->mode = xova::FileMode::kRead;
  char shortName[9] = "";
  EXPECT_EQ(xovaGetVarCompatName(file_.handle(), "age", shortName), XOVA_OK);
  EXPECT_STREQ(shortName, "AGE");
  fs_->mode = xova::FileMode::kWrite;  // so the handle closes as a write handle
}

}  // namespace
