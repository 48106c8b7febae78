#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "dict/name_rules.h"
#include "name_test_helpers.h"
#include "xovaio32.h"

namespace {

using name_test::ScopedLocale;

int Validate(const std::string& name) {
  // Exactly sized, so a read beyond the name is caught.
  std::unique_ptr<char[]> copy(new char[name.size() + 1]);
  std::memcpy(copy.get(), name.c_str(), name.size() + 1);
  return xovaValidateVarname(copy.get());
}

TEST(NameRules, ValidNamesAndTheirPrefixResults) {
  EXPECT_EQ(Validate("abc"), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("abc   "), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("@abc"), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("a1_.@#$"), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("#tmp"), XOVA_NAME_HASH_PREFIX);
  EXPECT_EQ(Validate("#"), XOVA_NAME_HASH_PREFIX);
  EXPECT_EQ(Validate("$set"), XOVA_NAME_DOLLAR_PREFIX);
  EXPECT_EQ(Validate("$"), XOVA_NAME_DOLLAR_PREFIX);
}

TEST(NameRules, LengthIsCountedWithoutTrailingBlanks) {
  EXPECT_EQ(Validate(""), XOVA_NAME_BAD_LENGTH);
  EXPECT_EQ(Validate("     "), XOVA_NAME_BAD_LENGTH);
  EXPECT_EQ(xovaValidateVarname(nullptr), XOVA_NAME_BAD_LENGTH);
  EXPECT_EQ(Validate(std::string(64, 'a')), XOVA_NAME_VALID);
  EXPECT_EQ(Validate(std::string(64, 'a') + "   "), XOVA_NAME_VALID);
  EXPECT_EQ(Validate(std::string(65, 'a')), XOVA_NAME_BAD_LENGTH);
  // Length is checked before the characters.
  EXPECT_EQ(Validate(std::string(65, '-')), XOVA_NAME_BAD_LENGTH);
}

TEST(NameRules, CharactersOutsideTheSetAreRefused) {
  EXPECT_EQ(Validate(" abc"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate("a b"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate("a-b"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate("a&b"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate("tab\tx"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate("ab!"), XOVA_NAME_BAD_CHARACTER);
  // Characters are checked before the first byte and the reserved words.
  EXPECT_EQ(Validate("1-a"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate("_ x"), XOVA_NAME_BAD_CHARACTER);
}

TEST(NameRules, EmbeddedNulWithinTheLengthIsABadCharacter) {
  const char name[] = {'a', '\0', 'b'};
  EXPECT_EQ(xova::ValidateName(3, name), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(xova::ValidateName(1, name), XOVA_NAME_VALID);
  EXPECT_EQ(xova::ValidateName(5, nullptr), XOVA_NAME_BAD_LENGTH);
}

TEST(NameRules, FirstByteDigitUnderscoreOrPeriod) {
  EXPECT_EQ(Validate("1abc"), XOVA_NAME_BAD_FIRST_CHARACTER);
  EXPECT_EQ(Validate("9"), XOVA_NAME_BAD_FIRST_CHARACTER);
  EXPECT_EQ(Validate("_abc"), XOVA_NAME_BAD_FIRST_CHARACTER);
  EXPECT_EQ(Validate(".abc"), XOVA_NAME_BAD_FIRST_CHARACTER);
  EXPECT_EQ(Validate("a1"), XOVA_NAME_VALID);
}

TEST(NameRules, ReservedWordsInAnyCase) {
  for (const char* word :
       {"ALL", "AND", "BY", "EQ", "GE", "GT", "LE", "LT", "NE", "NOT", "OR", "TO", "WITH"}) {
    std::string lower(word);
    for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
    EXPECT_EQ(Validate(word), XOVA_NAME_RESERVED_WORD) << word;
    EXPECT_EQ(Validate(lower), XOVA_NAME_RESERVED_WORD) << lower;
    EXPECT_EQ(Validate(lower + "  "), XOVA_NAME_RESERVED_WORD) << lower;
  }
  EXPECT_EQ(Validate("with"), XOVA_NAME_RESERVED_WORD);
  EXPECT_EQ(Validate("To"), XOVA_NAME_RESERVED_WORD);
  EXPECT_EQ(Validate("nOt"), XOVA_NAME_RESERVED_WORD);
  EXPECT_EQ(Validate("WITHIN"), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("NOTE"), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("ALL1"), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("A"), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("#ALL"), XOVA_NAME_HASH_PREFIX);
}

TEST(NameRules, UsesOnlyTheGivenLength) {
  EXPECT_EQ(xova::ValidateName(3, "abc-def"), XOVA_NAME_VALID);
  EXPECT_EQ(xova::ValidateName(4, "abc-def"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(xova::ValidateName(2, "to-do"), XOVA_NAME_RESERVED_WORD);
  EXPECT_EQ(xova::ValidateName(0, "abc"), XOVA_NAME_BAD_LENGTH);
}

class NameRulesUtf8 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!locale_.SelectUtf8()) GTEST_SKIP() << "no UTF-8 locale";
  }
  ScopedLocale locale_;
};

TEST_F(NameRulesUtf8, WholeMultibyteCharactersAreAccepted) {
  EXPECT_EQ(Validate("caf\xc3\xa9"), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("\xc3\xa9t\xc3\xa9"), XOVA_NAME_VALID);
  EXPECT_EQ(Validate("\xe2\x82\xac"
                     "1"),
            XOVA_NAME_VALID);  // a multibyte first character
  std::string full;
  for (int i = 0; i < 32; ++i) full += "\xc3\xa9";
  EXPECT_EQ(Validate(full), XOVA_NAME_VALID);
  EXPECT_EQ(Validate(full + "a"), XOVA_NAME_BAD_LENGTH);
}

TEST_F(NameRulesUtf8, InvalidOrTruncatedSequencesAreBadCharacters) {
  EXPECT_EQ(Validate("ab\xc3"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate("ab\xe2\x82"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate("\xff"
                     "abc"),
            XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate("a\x80"), XOVA_NAME_BAD_CHARACTER);
  EXPECT_EQ(Validate(std::string(63, 'a') + "\xc3"), XOVA_NAME_BAD_CHARACTER);
  // A character cut by the given length is incomplete.
  EXPECT_EQ(xova::ValidateName(3, "ab\xc3\xa9"), XOVA_NAME_BAD_CHARACTER);
}

TEST(NameRules, HighBytesFollowTheLocale) {
  ScopedLocale locale;
  locale.SelectC();
  // A single high byte is a character only where the locale decodes it.
  std::mblen(nullptr, 0);
  const int expected = std::mblen("\xe9", 1) == 1 ? XOVA_NAME_VALID : XOVA_NAME_BAD_CHARACTER;
  EXPECT_EQ(Validate("ab\xe9"), expected);
  EXPECT_EQ(Validate("abc"), XOVA_NAME_VALID);
}

}  // namespace
