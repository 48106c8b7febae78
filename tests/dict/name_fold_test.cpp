#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <random>
#include <string>

#include "dict/name_fold.h"
#include "name_test_helpers.h"
#include "xovaio32.h"

namespace {

using name_test::ScopedLocale;

// A heap copy with no byte to spare, so a read past the NUL is caught.
std::unique_ptr<char[]> Exact(const std::string& s) {
  std::unique_ptr<char[]> p(new char[s.size() + 1]);
  std::memcpy(p.get(), s.c_str(), s.size() + 1);
  return p;
}

std::string Fold(const std::string& name) {
  auto src = Exact(name);
  char dst[xova::kMaxNameLength + 1];
  EXPECT_EQ(xova::FoldName(dst, src.get()), XOVA_OK) << name;
  return dst;
}

// UTF-8 length of a wide character's capital under the current locale.
std::size_t UpperLength(wchar_t wc) {
  char buf[MB_LEN_MAX];
  std::mbstate_t st{};
  return std::wcrtomb(buf, static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(wc))), &st);
}

TEST(NameFold, TrimmedLengthCutsOnlyTrailingBlanks) {
  EXPECT_EQ(xova::TrimmedLength(nullptr), 0u);
  EXPECT_EQ(xova::TrimmedLength(""), 0u);
  EXPECT_EQ(xova::TrimmedLength("    "), 0u);
  EXPECT_EQ(xova::TrimmedLength("abc   "), 3u);
  EXPECT_EQ(xova::TrimmedLength("  a b  "), 5u);
  EXPECT_EQ(xova::TrimmedLength("ab\t"), 3u);  // only the blank is cut
  EXPECT_EQ(xova::TrimmedLength("abc   ", 4), 3u);
  EXPECT_EQ(xova::TrimmedLength("abc   ", 0), 0u);
}

TEST(NameFold, UpperCasesAsciiAndCutsTrailingBlanks) {
  EXPECT_EQ(Fold("Age"), "AGE");
  EXPECT_EQ(Fold("age   "), "AGE");
  EXPECT_EQ(Fold("  lead"), "  LEAD");
  EXPECT_EQ(Fold("x1@#$_.z"), "X1@#$_.Z");
}

TEST(NameFold, MayFoldInPlace) {
  char buf[xova::kMaxNameLength + 1] = "mixedCase  ";
  EXPECT_EQ(xova::FoldName(buf, buf), XOVA_OK);
  EXPECT_STREQ(buf, "MIXEDCASE");
}

TEST(NameFold, LengthLimitsAndUntouchedTargetOnRefusal) {
  const std::string max(64, 'a');
  EXPECT_EQ(Fold(max), std::string(64, 'A'));
  EXPECT_EQ(Fold(max + "     "), std::string(64, 'A'));

  for (const char* bad : {"", "   ", static_cast<const char*>(nullptr)}) {
    char dst[8] = "keepme";
    EXPECT_EQ(xova::FoldName(dst, bad), XOVA_BAD_VARIABLE_NAME);
    EXPECT_STREQ(dst, "keepme");
  }
  auto over = Exact(std::string(65, 'b'));
  char dst[8] = "keepme";
  EXPECT_EQ(xova::FoldName(dst, over.get()), XOVA_BAD_VARIABLE_NAME);
  EXPECT_STREQ(dst, "keepme");
}

TEST(NameFold, InvalidAndTruncatedSequencesKeepTheirBytes) {
  ScopedLocale locale;
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 0) {
      locale.SelectC();
    } else if (!locale.SelectUtf8()) {
      continue;
    }
    EXPECT_EQ(Fold("a\xc3"), "A\xc3");
    EXPECT_EQ(Fold("\xff\xfe"
                   "b"),
              "\xff\xfe"
              "B");
    EXPECT_EQ(Fold("q\xe2\x82"), "Q\xe2\x82");
    EXPECT_EQ(Fold(std::string(63, 'z') + "\xe2"), std::string(63, 'Z') + "\xe2");
  }
}

TEST(NameFold, ArbitraryBytesNeverChangeTheLength) {
  ScopedLocale locale;
  std::mt19937 rng(12345);
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 0) {
      locale.SelectC();
    } else if (!locale.SelectUtf8()) {
      continue;
    }
    for (int round = 0; round < 2000; ++round) {
      std::string s(1 + rng() % 70, 'x');
      for (char& c : s) c = static_cast<char>(1 + rng() % 255);
      auto src = Exact(s);
      char dst[xova::kMaxNameLength + 1];
      const std::size_t n = xova::TrimmedLength(s.c_str());
      const int rc = xova::FoldName(dst, src.get());
      if (n < 1 || n > 64) {
        EXPECT_EQ(rc, XOVA_BAD_VARIABLE_NAME);
        continue;
      }
      ASSERT_EQ(rc, XOVA_OK);
      EXPECT_EQ(std::strlen(dst), n);
    }
  }
}

class NameFoldUtf8 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!locale_.SelectUtf8()) GTEST_SKIP() << "no UTF-8 locale";
  }
  ScopedLocale locale_;
};

TEST_F(NameFoldUtf8, SameLengthCapitalIsTaken) {
  EXPECT_EQ(Fold("caf\xc3\xa9"), "CAF\xc3\x89");  // U+00E9 -> U+00C9
  EXPECT_EQ(Fold("\xcf\x82"
                 "a"),
            "\xce\xa3"
            "A");                                             // final sigma -> U+03A3
  EXPECT_EQ(Fold("\xc3\xa9\xc3\xa9  "), "\xc3\x89\xc3\x89");  // blanks cut
}

TEST_F(NameFoldUtf8, CapitalOfAnotherLengthKeepsTheOriginal) {
  struct Case {
    wchar_t wc;
    const char* utf8;
  };
  const Case cases[] = {
      {L'\u0131', "\xc4\xb1"},      // dotless i -> I, 2 bytes -> 1
      {L'\u017f', "\xc5\xbf"},      // long s -> S, 2 -> 1
      {L'\u0250', "\xc9\x90"},      // turned a -> U+2C6F, 2 -> 3
      {L'\u2c65', "\xe2\xb1\xa5"},  // a with stroke -> U+023A, 3 -> 2
  };
  int differing = 0;
  for (const Case& c : cases) {
    const std::size_t own = std::strlen(c.utf8);
    if (UpperLength(c.wc) == own) continue;  // this locale has no such capital
    ++differing;
    const std::string name = std::string("a") + c.utf8 + "b";
    EXPECT_EQ(Fold(name), std::string("A") + c.utf8 + "B");
    EXPECT_EQ(Fold(name).size(), name.size());
  }
  EXPECT_GT(differing, 0) << "the locale changes no character's length";
}

TEST_F(NameFoldUtf8, FullLengthNameOfMultibyteCharacters) {
  std::string name;
  for (int i = 0; i < 32; ++i) name += "\xc4\xb1";  // 64 bytes
  EXPECT_EQ(Fold(name), name);
  auto over = Exact(name + "a");
  char dst[xova::kMaxNameLength + 1];
  EXPECT_EQ(xova::FoldName(dst, over.get()), XOVA_BAD_VARIABLE_NAME);
}

TEST_F(NameFoldUtf8, CharLengthAndWholeCharPrefix) {
  const char* text =
      "ab\xc3\xa9"
      "c";  // a b é c
  EXPECT_EQ(xova::CharLength(text, 0), 0);
  EXPECT_EQ(xova::CharLength(text, 5), 1);
  EXPECT_EQ(xova::CharLength(text + 2, 2), 2);
  EXPECT_LT(xova::CharLength(text + 2, 1), 1);  // incomplete
  EXPECT_LT(xova::CharLength("\xff", 1), 1);    // invalid

  EXPECT_EQ(xova::WholeCharPrefix(text, 5, 3), 2u);  // é would be split
  EXPECT_EQ(xova::WholeCharPrefix(text, 5, 4), 4u);
  EXPECT_EQ(xova::WholeCharPrefix(text, 5, 99), 5u);
  EXPECT_EQ(xova::WholeCharPrefix("ab\xff"
                                  "cd",
                                  5, 5),
            2u);  // stops at the bad byte
  EXPECT_EQ(xova::WholeCharPrefix(text, 5, 0), 0u);
}

}  // namespace
