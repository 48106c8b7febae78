#include <gtest/gtest.h>

#include <string>

#include "dict/record_name.h"
#include "support/alloc_failure.h"
#include "xovaio32.h"

namespace {

TEST(RecordName, SetsTheNameAndItsFoldedKey) {
  xova::VariableRecord var;
  EXPECT_EQ(xova::SetRecordName(var, "Income"), XOVA_OK);
  EXPECT_EQ(var.name, "Income");
  EXPECT_EQ(var.key, "INCOME");
  EXPECT_EQ(xova::SetRecordName(var, "v12   "), XOVA_OK);
  EXPECT_EQ(var.name, "v12");
  EXPECT_EQ(var.key, "V12");
}

TEST(RecordName, LongestNameIsKeptWhole) {
  xova::VariableRecord var;
  const std::string name = std::string(63, 'q') + "Z";
  EXPECT_EQ(xova::SetRecordName(var, name.c_str()), XOVA_OK);
  EXPECT_EQ(var.name, name);
  EXPECT_EQ(var.key, std::string(63, 'Q') + "Z");
}

TEST(RecordName, RefusedTextsLeaveTheOldNames) {
  xova::VariableRecord var;
  ASSERT_EQ(xova::SetRecordName(var, "keep"), XOVA_OK);
  const std::string over(65, 'x');
  for (const char* bad : {static_cast<const char*>(nullptr), "", "    ", over.c_str()}) {
    EXPECT_EQ(xova::SetRecordName(var, bad), XOVA_BAD_VARIABLE_NAME);
    EXPECT_EQ(var.name, "keep");
    EXPECT_EQ(var.key, "KEEP");
  }
}

TEST(RecordName, OutOfMemoryLeavesTheOldNames) {
  xova_test::AllocFailureScope scope;
  // Long enough that neither text fits into a string's own storage.
  const std::string oldName = "an_old_variable_name_of_some_length";
  const std::string oldKey = "AN_OLD_VARIABLE_NAME_OF_SOME_LENGTH";
  const std::string newName = "a_new_variable_name_also_quite_long";
  int failures = 0;
  for (long n = 0; n < 10; ++n) {
    xova::VariableRecord var;
    var.name = oldName;
    var.key = oldKey;
    xova_test::FailAllocationAfter(n);
    const int rc = xova::SetRecordName(var, newName.c_str());
    const bool failed = xova_test::FailedAllocations() > 0;
    xova_test::ResetAllocFailure();
    if (!failed) {
      EXPECT_EQ(rc, XOVA_OK);
      EXPECT_EQ(var.name, newName);
      EXPECT_EQ(var.key, "A_NEW_VARIABLE_NAME_ALSO_QUITE_LONG");
      break;
    }
    ++failures;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    EXPECT_EQ(var.name, oldName);
    EXPECT_EQ(var.key, oldKey);
  }
  EXPECT_EQ(failures, 2);  // the name, then the key
}

}  // namespace
