#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dict/long_name_repair.h"
#include "frame/handle_table.h"
#include "name_test_helpers.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using name_test::Append;
using name_test::LongNames;
using Names = std::vector<std::string>;

void Fill(xova::Dictionary& dict, const Names& names) {
  for (const auto& n : names) Append(dict, n);
}

// Long names after repairing a dictionary read with `names`.
Names Repaired(const Names& names, int expected = XOVA_OK) {
  xova::Dictionary dict;
  Fill(dict, names);
  EXPECT_EQ(xova::RepairLongNames(dict), expected);
  return LongNames(dict);
}

// Every variable is found by its (new) name, and the key is its folded form.
void ExpectIndexed(const xova::Dictionary& dict) {
  for (const auto& var : dict.vars) {
    EXPECT_EQ(xova::FindVariable(dict, var->name.c_str()), var.get()) << var->name;
    char folded[xova::kMaxNameLength + 1];
    ASSERT_EQ(xova::FoldName(folded, var->name.c_str()), XOVA_OK);
    EXPECT_EQ(var->key, folded);
  }
}

TEST(LongNameRepair, ValidUniqueNamesStayAndAreIndexed) {
  xova::Dictionary dict;
  Fill(dict, {"Age", "income", "@weight", "V1"});
  ASSERT_EQ(xova::RepairLongNames(dict), XOVA_OK);
  EXPECT_EQ(LongNames(dict), (Names{"Age", "income", "@weight", "V1"}));
  ExpectIndexed(dict);
  EXPECT_EQ(xova::FindVariable(dict, "AGE"), dict.vars[0].get());
}

TEST(LongNameRepair, CaseDuplicateBecomesVAndItsOrdinal) {
  EXPECT_EQ(Repaired({"x", "X"}), (Names{"x", "V2"}));
  EXPECT_EQ(Repaired({"a", "b", "c", "B"}), (Names{"a", "b", "c", "V4"}));
}

TEST(LongNameRepair, CandidateHeldByALaterVariableGetsASuffix) {
  xova::Dictionary dict;
  Fill(dict, {"x", "X", "V2"});
  ASSERT_EQ(xova::RepairLongNames(dict), XOVA_OK);
  EXPECT_EQ(LongNames(dict), (Names{"x", "V2_A", "V2"}));
  ExpectIndexed(dict);
  // A later variable's name counts in any letter case.
  EXPECT_EQ(Repaired({"x", "X", "v2"}), (Names{"x", "V2_A", "v2"}));
}

TEST(LongNameRepair, CandidateHeldByAnEarlierVariableGetsASuffix) {
  EXPECT_EQ(Repaired({"V2", "v2"}), (Names{"V2", "V2_A"}));
  EXPECT_EQ(Repaired({"V3", "V3_A", "a", "A"}), (Names{"V3", "V3_A", "a", "V4"}));
  EXPECT_EQ(Repaired({"V4", "V4_A", "a", "A"}), (Names{"V4", "V4_A", "a", "V4_B"}));
}

TEST(LongNameRepair, SuffixesCountUpPastEveryTakenName) {
  Names names;
  for (int i = 0; i < 11; ++i) names.push_back("n" + std::to_string(i));
  names.push_back("N0");  // ordinal 12, a duplicate
  names.push_back("V12");
  names.push_back("V12_A");
  names.push_back("v12_b");
  const Names got = Repaired(names);
  EXPECT_EQ(got[11], "V12_C");
  EXPECT_EQ(got[12], "V12");
}

TEST(LongNameRepair, NamesBreakingTheRulesAreReplaced) {
  const std::string over(65, 'z');
  EXPECT_EQ(Repaired({"$abc", "ok", "#tmp", "1st", "a-b", "with", "", over, "_x"}),
            (Names{"V1", "ok", "V3", "V4", "V5", "V6", "V7", "V8", "V9"}));
}

TEST(LongNameRepair, RepeatedDuplicatesEachGetTheirOwnName) {
  xova::Dictionary dict;
  Fill(dict, {"a", "A", "a", "V3", "A"});
  ASSERT_EQ(xova::RepairLongNames(dict), XOVA_OK);
  EXPECT_EQ(LongNames(dict), (Names{"a", "V2", "V3_A", "V3", "V5"}));
  ExpectIndexed(dict);
}

TEST(LongNameRepair, IndexStartsEmpty) {
  xova::Dictionary dict;
  Fill(dict, {"a", "b"});
  ASSERT_EQ(xova::AddToIndex(dict, dict.vars[0].get()), XOVA_OK);  // left over
  ASSERT_EQ(xova::RepairLongNames(dict), XOVA_OK);
  EXPECT_EQ(LongNames(dict), (Names{"a", "b"}));  // not taken for a duplicate of itself
  ExpectIndexed(dict);
}

TEST(LongNameRepair, RenamedVariableIsNoLongerFoundByItsOldName) {
  xova::Dictionary dict;
  Fill(dict, {"x", "X", "$dollar"});
  ASSERT_EQ(xova::RepairLongNames(dict), XOVA_OK);
  EXPECT_EQ(xova::FindVariable(dict, "x"), dict.vars[0].get());
  EXPECT_EQ(xova::FindVariable(dict, "$dollar"), nullptr);
  EXPECT_EQ(xova::FindVariable(dict, "v3"), dict.vars[2].get());
}

TEST(LongNameRepair, ManyDuplicatesFinish) {
  Names names(3000, "same");
  const Names got = Repaired(names);
  EXPECT_EQ(got[0], "same");
  EXPECT_EQ(got[1], "V2");
  EXPECT_EQ(got[2999], "V3000");
}

TEST(LongNameRepair, OutOfMemoryAtAnyPointIsReported) {
  xova_test::AllocFailureScope scope;
  const Names names = {"a_name_long_enough_to_allocate", "A_NAME_LONG_ENOUGH_TO_ALLOCATE", "x",
                       "V2", "$bad"};
  int failures = 0;
  for (long n = 0; n < 1000; ++n) {
    xova::Dictionary dict;
    Fill(dict, names);
    xova_test::FailAllocationAfter(n);
    const int rc = xova::RepairLongNames(dict);
    const bool failed = xova_test::FailedAllocations() > 0;
    xova_test::ResetAllocFailure();
    if (!failed) {
      EXPECT_EQ(rc, XOVA_OK);
      EXPECT_EQ(LongNames(dict), (Names{names[0], "V2_A", "x", "V2", "V5"}));
      ExpectIndexed(dict);
      break;
    }
    ++failures;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    for (const auto& var : dict.vars) EXPECT_FALSE(var->name.empty());
  }
  EXPECT_GT(failures, 3);
}

TEST(LongNameRepair, WorksOnTheDictionaryOfAnOpenFile) {
  xova_test::WriteHandle file;
  ASSERT_EQ(file.open_result(), XOVA_OK);
  xova::FileState* fs = xova::LookupHandle(file.handle());
  ASSERT_NE(fs, nullptr);
  Fill(fs->dict, {"x", "X"});
  EXPECT_EQ(xova::RepairLongNames(*fs), XOVA_OK);
  EXPECT_EQ(LongNames(fs->dict), (Names{"x", "V2"}));
}

}  // namespace
