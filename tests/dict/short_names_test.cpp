#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dict/short_names.h"
#include "frame/handle_table.h"
#include "name_test_helpers.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using name_test::Define;
using name_test::ShortNames;
using Names = std::vector<std::string>;

// Short names of a dictionary defined with `names`, in order.
Names Assigned(const Names& names, int expected = XOVA_OK) {
  xova::Dictionary dict;
  for (const auto& n : names) EXPECT_EQ(Define(dict, n), XOVA_OK) << n;
  EXPECT_EQ(xova::AssignShortNames(dict), expected);
  return ShortNames(dict);
}

TEST(ShortNames, NamesUpToEightBytesKeepTheirFoldedForm) {
  EXPECT_EQ(Assigned({"age", "Income", "ABCDEFGH", "x"}),
            (Names{"AGE", "INCOME", "ABCDEFGH", "X"}));
}

TEST(ShortNames, LongNamesAreCutAndCompetitorsSuffixed) {
  EXPECT_EQ(Assigned({"LONGNAME1", "LONGNAME2"}), (Names{"LONGNAME", "LONGNA_A"}));
  EXPECT_EQ(Assigned({"longname1", "longname2", "longname3"}),
            (Names{"LONGNAME", "LONGNA_A", "LONGNA_B"}));
}

TEST(ShortNames, TrailingUnderscoresAndPeriodsAreStrippedAfterTheCut) {
  EXPECT_EQ(Assigned({"ABCDEFG_XY"}), (Names{"ABCDEFG"}));
  EXPECT_EQ(Assigned({"ABCDEFG.XY"}), (Names{"ABCDEFG"}));
  EXPECT_EQ(Assigned({"ABCD_._.XYZ"}), (Names{"ABCD"}));
  EXPECT_EQ(Assigned({"AB_CDEFGHIJ"}), (Names{"AB_CDEFG"}));  // only trailing ones go
}

TEST(ShortNames, ExactNamesWinOverEarlierCutOnes) {
  EXPECT_EQ(Assigned({"ABCDEFGHIJ", "ABCDEFGH"}), (Names{"ABCDEF_A", "ABCDEFGH"}));
  // A stripped cut meets an exact name of a later variable.
  EXPECT_EQ(Assigned({"ABCDEFG_XY", "abcdefg"}), (Names{"ABCDEF_A", "ABCDEFG"}));
}

TEST(ShortNames, SuffixedNamesAvoidEveryTakenName) {
  EXPECT_EQ(Assigned({"ABCDEF_A", "ABCDEFGHIJ", "ABCDEFGHXY"}),
            (Names{"ABCDEF_A", "ABCDEFGH", "ABCDEF_B"}));
  // The counter starts again for each variable: the third finds _A free.
  EXPECT_EQ(Assigned({"QRSTUVWXYZ1", "QRSTUVWXYZ2", "ABCDEFGHIJ", "ABCDEFGHIK"}),
            (Names{"QRSTUVWX", "QRSTUV_A", "ABCDEFGH", "ABCDEF_A"}));
}

TEST(ShortNames, TwentySeventhCompetitorGetsTwoLetters) {
  Names names, expected;
  for (int i = 0; i < 28; ++i) names.push_back("LONGNAME" + std::to_string(100 + i));
  expected.push_back("LONGNAME");
  for (char c = 'A'; c <= 'Z'; ++c) expected.push_back(std::string("LONGNA_") + c);
  expected.push_back("LONGN_AA");
  EXPECT_EQ(Assigned(names), expected);
}

TEST(ShortNames, EveryShortNameIsUniqueAndAtMostEightBytes) {
  Names names;
  for (int i = 0; i < 800; ++i) names.push_back("VARIABLE_" + std::to_string(i));
  for (int i = 0; i < 50; ++i) names.push_back("V" + std::to_string(i));
  const Names shorts = Assigned(names);
  std::vector<std::string> sorted(shorts);
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
  for (const auto& s : shorts) {
    EXPECT_FALSE(s.empty());
    EXPECT_LE(s.size(), 8u);
  }
  EXPECT_EQ(shorts[0], "VARIABLE");
  EXPECT_EQ(shorts[1], "VARIAB_A");
  EXPECT_EQ(shorts[27], "VARIA_AA");
  EXPECT_EQ(shorts[800], "V0");
}

TEST(ShortNames, EarlierShortNamesOfAnotherRunAreReplaced) {
  xova::Dictionary dict;
  ASSERT_EQ(Define(dict, "LONGNAME1"), XOVA_OK);
  ASSERT_EQ(Define(dict, "LONGNAME2"), XOVA_OK);
  std::strcpy(dict.vars[0]->shortName, "STALE");
  std::strcpy(dict.vars[1]->shortName, "LONGNAME");
  EXPECT_EQ(xova::AssignShortNames(dict), XOVA_OK);
  EXPECT_EQ(ShortNames(dict), (Names{"LONGNAME", "LONGNA_A"}));
}

TEST(ShortNames, MultibyteNamesAreCutToWholeCharacters) {
  name_test::ScopedLocale locale;
  if (!locale.SelectUtf8()) GTEST_SKIP() << "no UTF-8 locale";
  // "ABCDEFGÉX": eight bytes would split the É.
  EXPECT_EQ(Assigned({"ABCDEFG\xc3\xa9X"}), (Names{"ABCDEFG"}));
  EXPECT_EQ(Assigned({"ABCDEFG\xc3\xa9X", "ABCDEFG\xc3\xa9Y"}), (Names{"ABCDEFG", "ABCDEF_A"}));
  EXPECT_EQ(Assigned({"\xc3\xa9t\xc3\xa9"}), (Names{"\xc3\x89T\xc3\x89"}));
  // Cut to six bytes, then a trailing '_' stripped.
  EXPECT_EQ(Assigned({"ABCDE_\xe2\x82\xac"
                      "X"}),
            (Names{"ABCDE"}));
}

TEST(ShortNames, OutOfMemoryAtAnyPointIsReportedAndARetrySucceeds) {
  xova_test::AllocFailureScope scope;
  const Names names = {"LONGNAME1", "LONGNAME2", "short", "ABCDEFGHIJ", "ABCDEFGH"};
  const Names expected = {"LONGNAME", "LONGNA_A", "SHORT", "ABCDEF_A", "ABCDEFGH"};
  int failures = 0;
  for (long n = 0; n < 1000; ++n) {
    xova::Dictionary dict;
    for (const auto& name : names) ASSERT_EQ(Define(dict, name), XOVA_OK);
    xova_test::FailAllocationAfter(n);
    const int rc = xova::AssignShortNames(dict);
    const bool failed = xova_test::FailedAllocations() > 0;
    xova_test::ResetAllocFailure();
    if (!failed) {
      EXPECT_EQ(rc, XOVA_OK);
      EXPECT_EQ(ShortNames(dict), expected);
      break;
    }
    ++failures;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    for (const auto& s : ShortNames(dict)) EXPECT_LE(s.size(), 8u);
    EXPECT_EQ(xova::AssignShortNames(dict), XOVA_OK);
    EXPECT_EQ(ShortNames(dict), expected);
  }
  EXPECT_GT(failures, 1);  // the index and at least one of its entries
}

TEST(ShortNames, WorkOnTheDictionaryOfAnOpenFile) {
  xova_test::WriteHandle file;
  ASSERT_EQ(file.open_result(), XOVA_OK);
  xova::FileState* fs = xova::LookupHandle(file.handle());
  ASSERT_NE(fs, nullptr);
  ASSERT_EQ(Define(fs->dict, "LONGNAME1"), XOVA_OK);
  ASSERT_EQ(Define(fs->dict, "LONGNAME2"), XOVA_OK);
  EXPECT_EQ(xova::AssignShortNames(*fs), XOVA_OK);
  EXPECT_EQ(ShortNames(fs->dict), (Names{"LONGNAME", "LONGNA_A"}));
}

}  // namespace
