// Names that begin with a byte the locale cannot decode. Only POSIX locales
// have such bytes: every byte is a character in the code pages of Windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dict/short_names.h"
#include "dict/suffixed_name.h"
#include "name_test_helpers.h"
#include "xovaio32.h"

namespace {

using name_test::Define;
using name_test::ShortNames;
using Names = std::vector<std::string>;

std::string Suffixed(const char* base, int n, int maxLength = 8) {
  char dst[80] = "untouched";
  const int rc = xova::MakeSuffixedName(dst, base, n, maxLength);
  return rc == XOVA_OK ? std::string(dst) : "rc=" + std::to_string(rc) + ":" + dst;
}

TEST(ShortNames, FirstFailureEndsTheWorkAndKeepsWhatWasSet) {
  // A folded name that starts with a byte the locale cannot decode leaves no
  // prefix for a suffixed name.
  name_test::ScopedLocale locale;
  if (!locale.SelectUtf8()) locale.SelectC();
  xova::Dictionary dict;
  ASSERT_EQ(Define(dict, "LONGNAME1"), XOVA_OK);
  ASSERT_EQ(Define(dict, "short"), XOVA_OK);
  ASSERT_EQ(Define(dict,
                   "\xff"
                   "BADPREFIX"),
            XOVA_OK);
  ASSERT_EQ(Define(dict, "LONGNAME2"), XOVA_OK);
  ASSERT_EQ(Define(dict, "LATERLONGNAME"), XOVA_OK);
  EXPECT_EQ(xova::AssignShortNames(dict), XOVA_BAD_FILE);
  // Passes 1 and 2 had run; pass 3 stopped at the bad name.
  EXPECT_EQ(ShortNames(dict), (Names{"LONGNAME", "SHORT", "", "", "LATERLON"}));
}

TEST(SuffixedName, InvalidLeadingByteLeavesNoPrefix) {
  EXPECT_EQ(Suffixed("\xff"
                     "ABCDEFGH",
                     0),
            "rc=6:untouched");
  EXPECT_EQ(Suffixed("AB\xff"
                     "CDEFGH",
                     0),
            "AB_A");
}

}  // namespace
