#include <gtest/gtest.h>

#include <string>

#include "ext/set_text_translator.h"
#include "ext/side_test_support.h"
#include "xovaio32.h"

namespace {

using xova::BlockPtr;
using xova::kMultRespSetsSubtype;
using xova::kVariableSetsSubtype;
using xova_test::BlockText;
using xova_test::TextBlock;

class SetText : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(names_.Add("LongName1", "LONGNAME"));
    ASSERT_TRUE(names_.Add("LongName2", "LONGNA_A"));
    ASSERT_TRUE(names_.Add("red", "RED", 3));
    ASSERT_TRUE(names_.Add("blue", "BLUE"));
  }

  std::string Run(const std::string& text, int subtype, int toShort) {
    BlockPtr source = TextBlock(text);
    BlockPtr result;
    const xova::NameIndex& index = toShort ? names_.dict.index : names_.shortIndex;
    EXPECT_EQ(xova::TranslateSetText(source.get(), &result, index, subtype, toShort), XOVA_OK);
    EXPECT_TRUE(result);
    return BlockText(result.get());
  }
  std::string ToShort(const std::string& text, int subtype = kMultRespSetsSubtype) {
    return Run(text, subtype, 1);
  }
  std::string ToLong(const std::string& text, int subtype = kMultRespSetsSubtype) {
    return Run(text, subtype, 0);
  }

  xova_test::TestDictionary names_;
};

TEST_F(SetText, MultipleResponseLinesComeOutInNormalForm) {
  EXPECT_EQ(ToShort("$s=C 6 Colors longname1 LongName2\n"), "$s=C 6 Colors LONGNAME LONGNA_A\n");
  EXPECT_EQ(ToShort("$owns=D1 1 5 Owned red blue\n"), "$owns=D1 1 5 Owned RED BLUE\n");
  // Extra blanks and lower-case kinds are accepted; the output is normalised.
  EXPECT_EQ(ToShort("$s  = =c   3 a b   red    blue  \n"), "$s=C 3 a b RED BLUE\n");
  EXPECT_EQ(ToShort("$s=d2 ab  0 red\n"), "$s=D2 ab 0  RED\n");
  // An empty label leaves two blanks before the first name.
  EXPECT_EQ(ToShort("$s=C 0 red\n"), "$s=C 0  RED\n");
  // The label is taken by its length, blanks and all.
  EXPECT_EQ(ToShort("$s=C 5 a  b  red\n"), "$s=C 5 a  b  RED\n");
}

TEST_F(SetText, VariableSetLinesCarryOnlyNameAndVariables) {
  EXPECT_EQ(ToShort("Group=red longname2\n", kVariableSetsSubtype), "Group= RED LONGNA_A\n");
  EXPECT_EQ(ToShort("Group = red nosuch blue\n", kVariableSetsSubtype), "Group= RED BLUE\n");
  // A blank inside the set name breaks the line; the next one is kept.
  EXPECT_EQ(ToShort("Set A=red\nB=blue\n", kVariableSetsSubtype), "B= BLUE\n");
}

TEST_F(SetText, UnknownVariablesAreDropped) {
  EXPECT_EQ(ToShort("$s=C 1 x nosuch red other blue\n"), "$s=C 1 x RED BLUE\n");
  // A set with no known variable leaves only its line feed.
  EXPECT_EQ(ToShort("$s=C 1 x nosuch\n$t=C 1 y red\n"), "\n$t=C 1 y RED\n");
}

TEST_F(SetText, LineEndsOfEveryKind) {
  EXPECT_EQ(ToShort("$s=C 1 x red\r\n$t=C 1 y blue\r\n"), "$s=C 1 x RED\n$t=C 1 y BLUE\n");
  // The last line keeps its missing line feed missing.
  EXPECT_EQ(ToShort("$s=C 1 x red\n$t=C 1 y blue"), "$s=C 1 x RED\n$t=C 1 y BLUE");
  EXPECT_EQ(ToShort("$s=C 1 x red"), "$s=C 1 x RED");
  // Empty lines and blank lines between definitions vanish.
  EXPECT_EQ(ToShort("\n\n   \n$s=C 1 x red\n\r\n\n"), "$s=C 1 x RED\n");
}

TEST_F(SetText, SetNameRules) {
  const std::string name64 = "$" + std::string(63, 'n');
  const std::string name65 = "$" + std::string(64, 'n');
  EXPECT_EQ(ToShort(name64 + "=C 1 x red\n"), name64 + "=C 1 x RED\n");
  EXPECT_EQ(ToShort(name65 + "=C 1 x red\n$t=C 1 y red\n"), "$t=C 1 y RED\n");
  EXPECT_EQ(ToShort("=C 1 x red\n$t=C 1 y red\n"), "$t=C 1 y RED\n");
  EXPECT_EQ(ToShort("$s C 1 x red\n$t=C 1 y red\n"), "$t=C 1 y RED\n");
  // A name cut short by the line end does not reach into the next line.
  EXPECT_EQ(ToShort("$broken\n$t=C 1 y red\n"), "$t=C 1 y RED\n");
  EXPECT_EQ(ToShort("$broken\r\n$t=C 1 y red\n"), "$t=C 1 y RED\n");
}

TEST_F(SetText, SetKindRules) {
  EXPECT_EQ(ToShort("$s=X 1 x red\n$t=C 1 y red\n"), "$t=C 1 y RED\n");
  EXPECT_EQ(ToShort("$s=C1 x red\n$t=C 1 y red\n"), "$t=C 1 y RED\n");  // no blank after C
  EXPECT_EQ(ToShort("$s=\n$t=C 1 y red\n"), "$t=C 1 y RED\n");
}

TEST_F(SetText, CountedValueLengthRules) {
  const std::string keep = "$t=C 1 y red\n";
  EXPECT_EQ(ToShort("$s=D0  1 x red\n" + keep), "$t=C 1 y RED\n");
  EXPECT_EQ(ToShort("$s=D256 " + std::string(256, 'v') + " 1 x red\n" + keep), "$t=C 1 y RED\n");
  const std::string value255(255, 'v');
  EXPECT_EQ(ToShort("$s=D255 " + value255 + " 1 x red\n"), "$s=D255 " + value255 + " 1 x RED\n");
  EXPECT_EQ(ToShort("$s=D1x 1 x red\n" + keep), "$t=C 1 y RED\n");  // no blank after digits
  EXPECT_EQ(ToShort("$s=D 1 1 x red\n" + keep), "$t=C 1 y RED\n");  // no digits at all
  // 64 digits are read (with leading zeros), 65 are refused.
  const std::string digits64 = std::string(63, '0') + "1";
  EXPECT_EQ(ToShort("$s=D" + digits64 + " 7 1 x red\n"), "$s=D1 7 1 x RED\n");
  EXPECT_EQ(ToShort("$s=D0" + digits64 + " 7 1 x red\n" + keep), "$t=C 1 y RED\n");
  // A huge length neither overflows nor passes.
  EXPECT_EQ(ToShort("$s=D" + std::string(64, '9') + " 7 1 x red\n" + keep), "$t=C 1 y RED\n");
}

TEST_F(SetText, CountedValueRules) {
  const std::string keep = "$t=C 1 y red\n";
  EXPECT_EQ(ToShort("$s=D1 12 1 x red\n" + keep), "$t=C 1 y RED\n");  // value runs on
  EXPECT_EQ(ToShort("$s=D3 a b 1 x red\n"), "$s=D3 a b 1 x RED\n");   // blank inside a value
  EXPECT_EQ(ToShort("$s=D9 abc"), "");                                // data ends inside it
}

TEST_F(SetText, LabelRules) {
  const std::string keep = "$t=C 1 y red\n";
  const std::string label256(256, 'L');
  EXPECT_EQ(ToShort("$s=C 256 " + label256 + " red\n"), "$s=C 256 " + label256 + " RED\n");
  EXPECT_EQ(ToShort("$s=C 257 " + label256 + "L red\n" + keep), "$t=C 1 y RED\n");
  EXPECT_EQ(ToShort("$s=C x red\n" + keep), "$t=C 1 y RED\n");     // no length
  EXPECT_EQ(ToShort("$s=C 1\n" + keep), "$t=C 1 y RED\n");         // no blank after it
  EXPECT_EQ(ToShort("$s=C 1 xy red\n" + keep), "$t=C 1 y RED\n");  // label runs on
  EXPECT_EQ(ToShort("$s=C 0" + std::string(64, '0') + " red\n" + keep), "$t=C 1 y RED\n");
  EXPECT_EQ(ToShort("$s=C " + std::string(64, '9') + " x red\n" + keep), "$t=C 1 y RED\n");
  EXPECT_EQ(ToShort("$s=C 9 abc"), "");  // data ends inside the label
}

TEST_F(SetText, VariableTokenRules) {
  names_.Add(std::string(64, 'w'), "WWWWWWWW");
  // A 64-byte name is looked up; a 65-byte token is passed over, the line kept.
  EXPECT_EQ(ToShort("$s=C 1 x " + std::string(64, 'W') + " red\n"), "$s=C 1 x WWWWWWWW RED\n");
  EXPECT_EQ(ToShort("$s=C 1 x " + std::string(65, 'w') + " red\n"), "$s=C 1 x RED\n");
  // Carriage returns inside the list separate names like blanks.
  EXPECT_EQ(ToShort("$s=C 1 x red\rblue\n"), "$s=C 1 x RED BLUE\n");
}

TEST_F(SetText, ShortNamesTranslateBackToLongNames) {
  EXPECT_EQ(ToLong("$s=C 1 x LONGNAME LONGNA_A\n"), "$s=C 1 x LongName1 LongName2\n");
  // Tokens are folded before they meet the stored short names.
  EXPECT_EQ(ToLong("$s=C 1 x longname red\n"), "$s=C 1 x LongName1 red\n");
  EXPECT_EQ(ToLong("G=LONGNA_A blue\n", kVariableSetsSubtype), "G= LongName2 blue\n");
  // A long name is not a short name.
  EXPECT_EQ(ToLong("$s=C 1 x LongName1 red\n"), "$s=C 1 x red\n");
}

TEST_F(SetText, NormalFormIsAFixedPoint) {
  const std::string text = "$s=C  3 abc  longname1 nosuch red\r\n$d=D2 ab 0 blue\nbad line\n";
  const std::string once = ToLong(ToShort(text));
  EXPECT_EQ(once, "$s=C 3 abc LongName1 red\n$d=D2 ab 0  blue\n");
  EXPECT_EQ(ToLong(ToShort(once)), once);
}

TEST_F(SetText, InvalidMultibyteBytesNeverMatchAndNeverBreakTheScan) {
  xova_test::Utf8Locale utf8;
  if (!utf8.active()) GTEST_SKIP() << "no UTF-8 locale";
  EXPECT_EQ(ToShort("$s=C 1 x \xff\xfe red \xc3\n"), "$s=C 1 x RED\n");
  // Set names and labels are carried as bytes.
  EXPECT_EQ(ToShort("$\xff=C 2 \xe2\x82 red\n"), "$\xff=C 2 \xe2\x82 RED\n");
}

TEST_F(SetText, AbsentEmptyOrNonTextSourcesGiveNoBlock) {
  BlockPtr result = TextBlock("stale");
  EXPECT_EQ(xova::TranslateSetText(nullptr, &result, names_.dict.index, 7, 1), XOVA_OK);
  EXPECT_FALSE(result);
  BlockPtr empty = TextBlock("");
  result = TextBlock("stale");
  EXPECT_EQ(xova::TranslateSetText(empty.get(), &result, names_.dict.index, 7, 1), XOVA_OK);
  EXPECT_FALSE(result);
  BlockPtr ints = xova::BlockCreate(4);
  const int values[2] = {0x3d73243d, 0x0a444552};
  ASSERT_EQ(xova::BlockAppend(ints.get(), 2, values), XOVA_OK);
  EXPECT_EQ(xova::TranslateSetText(ints.get(), &result, names_.dict.index, 7, 1), XOVA_OK);
  EXPECT_FALSE(result);
}

TEST_F(SetText, ResultMayReplaceTheSourceSlot) {
  BlockPtr slot = TextBlock("$s=C 1 x red\n");
  ASSERT_EQ(xova::TranslateSetText(slot.get(), &slot, names_.dict.index, 7, 1), XOVA_OK);
  EXPECT_EQ(BlockText(slot.get()), "$s=C 1 x RED\n");
}

TEST_F(SetText, ATextWithoutAnyKnownLineStillGivesABlock) {
  BlockPtr source = TextBlock("garbage\n");
  BlockPtr result;
  ASSERT_EQ(xova::TranslateSetText(source.get(), &result, names_.dict.index, 7, 1), XOVA_OK);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->count, 0);
  EXPECT_EQ(source->cursor, 0);  // a later sequential read starts at the front again
}

}  // namespace
