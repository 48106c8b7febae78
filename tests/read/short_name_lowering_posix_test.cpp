// Bytes that are no character of the locale. Only POSIX locales have such
// bytes: every byte is a character in the code pages of Windows.
#include "read/short_name_lowering.h"

#include <gtest/gtest.h>

#include <string>

#include "dict/name_test_helpers.h"

namespace {

std::string Lowered(const std::string& text) {
  char out[xova::LoweredSize(8)];
  const std::size_t n = xova::LowerName(text.data(), text.size(), out);
  return std::string(out, n);
}

TEST(ShortNameLowering, KeepsBytesThatAreNoCharacter) {
  name_test::ScopedLocale locale;
  if (!locale.SelectUtf8()) GTEST_SKIP() << "no UTF-8 locale";
  EXPECT_EQ(Lowered("\xFF"
                    "AB\xC3\x84"),
            "\xFF"
            "ab\xC3\xA4");
  // A character cut off at the end of the field stays as it is.
  EXPECT_EQ(Lowered("ABCDEFG\xC3"), "abcdefg\xC3");
  EXPECT_EQ(Lowered("A\x80Z"), "a\x80z");
}

TEST(ShortNameLowering, ClassicLocaleLowersAsciiOnly) {
  name_test::ScopedLocale locale;
  locale.SelectC();
  EXPECT_EQ(Lowered("AZ_@#9\xC4"), "az_@#9\xC4");
}

}  // namespace
