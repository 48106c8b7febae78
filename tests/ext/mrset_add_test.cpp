#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ext/side_test_support.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::ModeOverride;

class MrSetAdd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(w_.open_result(), XOVA_OK);
    xova::Dictionary& dict = xova_test::StateOf(h())->dict;
    for (const char* name : {"red", "blue", "car", "bike"}) {
      ASSERT_TRUE(xova_test::AddTestVariable(&dict, name, ""));
    }
    ASSERT_TRUE(xova_test::AddTestVariable(&dict, "s1", "", 8));
    ASSERT_TRUE(xova_test::AddTestVariable(&dict, "s2", "", 20));
  }

  int h() const { return w_.handle(); }

  std::string Text() {
    char* text = nullptr;
    const int rc = xovaGetMultRespDefs(h(), &text);
    std::string result = rc == XOVA_OK ? text : "<" + std::to_string(rc) + ">";
    xovaFreeMultRespDefs(text);
    return result;
  }

  int AddN(const char* name, std::vector<const char*> vars, const char* label = "L",
           int dichotomy = 0, int value = 1) {
    return xovaAddMultRespDefN(h(), name, label, dichotomy, value, vars.data(),
                               static_cast<int>(vars.size()));
  }
  int AddC(const char* name, std::vector<const char*> vars, const char* label = "L",
           int dichotomy = 0, const char* value = nullptr) {
    return xovaAddMultRespDefC(h(), name, label, dichotomy, value, vars.data(),
                               static_cast<int>(vars.size()));
  }

  xova_test::WriteHandle w_;
};

TEST_F(MrSetAdd, LinesHaveTheDocumentedForm) {
  EXPECT_EQ(AddN("colors", {"red", "blue"}, "Colors"), XOVA_OK);
  EXPECT_EQ(AddN("owns", {"car", "bike"}, "Owned", 1, 1), XOVA_OK);
  EXPECT_EQ(AddN("neg", {"car", "bike"}, "", 1, -25), XOVA_OK);
  EXPECT_EQ(AddC("str", {"s1", "s2"}, nullptr, 1, "yes"), XOVA_OK);
  EXPECT_EQ(AddC("cat", {"S1", "s2  "}, "a b"), XOVA_OK);
  EXPECT_EQ(Text(),
            "$colors=C 6 Colors red blue\n"
            "$owns=D1 1 5 Owned car bike\n"
            "$neg=D3 -25 0 car bike\n"
            "$str=D3 yes 0 s1 s2\n"
            "$cat=C 3 a b S1 s2  \n");
}

TEST_F(MrSetAdd, LongLabelsAreCutTo60Bytes) {
  const std::string label(70, 'x');
  EXPECT_EQ(AddN("s", {"red", "blue"}, label.c_str()), XOVA_LABEL_TRUNCATED);
  EXPECT_EQ(Text(), "$s=C 60 " + std::string(60, 'x') + " red blue\n");
  const std::string label60(60, 'y');
  EXPECT_EQ(AddN("t", {"red", "blue"}, label60.c_str()), XOVA_OK);
}

TEST_F(MrSetAdd, ArgumentChecksRunInTheirOrder) {
  const std::string value256(256, 'v');
  const std::string name64(64, 'n');
  // Too few variables comes before every other argument.
  EXPECT_EQ(AddC(name64.c_str(), {"red"}, "L", 1, nullptr), XOVA_EMPTY_VARIABLE_LIST);
  EXPECT_EQ(xovaAddMultRespDefN(h(), "s", "L", 0, 1, nullptr, 2), XOVA_EMPTY_VARIABLE_LIST);
  // Then a string dichotomy's counted value, before the name.
  EXPECT_EQ(AddC(name64.c_str(), {"s1", "s2"}, "L", 1, nullptr), XOVA_BAD_STRING_VALUE);
  EXPECT_EQ(AddC("s", {"s1", "s2"}, "L", 1, ""), XOVA_BAD_STRING_VALUE);
  EXPECT_EQ(AddC("s", {"s1", "s2"}, "L", 1, value256.c_str()), XOVA_BAD_STRING_VALUE);
  // Then the name, before the duplicate check and the variables.
  EXPECT_EQ(AddN(name64.c_str(), {"nosuch", "red"}), XOVA_MRSET_BAD_NAME);
  EXPECT_EQ(AddN("a-b", {"nosuch", "red"}), XOVA_MRSET_BAD_NAME);
  EXPECT_EQ(AddN("a b", {"red", "blue"}), XOVA_MRSET_BAD_NAME);
  EXPECT_EQ(AddN(" ab", {"red", "blue"}), XOVA_MRSET_BAD_NAME);
  // Variables in list order: the first failing one decides.
  EXPECT_EQ(AddN("s", {"red", "nosuch", "s1"}), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(AddN("s", {"red", "s1", "nosuch"}), XOVA_NOT_NUMERIC);
  EXPECT_EQ(AddC("s", {"s1", "red", "nosuch"}), XOVA_NOT_STRING);
  EXPECT_EQ(AddN("s", {"red", nullptr}), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(Text(), "<-13>");  // every refusal left the text alone
}

TEST_F(MrSetAdd, CountedValuesOnlyMatterForStringDichotomies) {
  const std::string value255(255, 'v');
  EXPECT_EQ(AddC("a", {"s1", "s2"}, "L", 1, value255.c_str()), XOVA_OK);
  EXPECT_EQ(AddC("b", {"s1", "s2"}, "L", 0, nullptr), XOVA_OK);  // category: ignored
  EXPECT_EQ(Text(), "$a=D255 " + value255 + " 1 L s1 s2\n$b=C 1 L s1 s2\n");
}

TEST_F(MrSetAdd, NameLengthLimit) {
  const std::string name63(63, 'n');
  const std::string name64(64, 'n');
  EXPECT_EQ(AddN(name64.c_str(), {"red", "blue"}), XOVA_MRSET_BAD_NAME);
  EXPECT_EQ(AddN(name63.c_str(), {"red", "blue"}), XOVA_OK);
  // Trailing blanks are not part of a name.
  const std::string padded = "m" + std::string(70, ' ');
  EXPECT_EQ(AddN(padded.c_str(), {"red", "blue"}), XOVA_OK);
  EXPECT_EQ(AddN("M", {"red", "blue"}), XOVA_MRSET_NAME_TAKEN);
  EXPECT_EQ(Text(), "$" + name63 + "=C 1 L red blue\n$m=C 1 L red blue\n");
}

TEST_F(MrSetAdd, DuplicateNamesIgnoreLetterCase) {
  EXPECT_EQ(AddN("COLORS", {"red", "blue"}), XOVA_OK);
  EXPECT_EQ(AddN("colors", {"car", "bike"}), XOVA_MRSET_NAME_TAKEN);
  EXPECT_EQ(AddN("Colors2", {"car", "bike"}), XOVA_OK);
  EXPECT_EQ(Text(), "$COLORS=C 1 L red blue\n$Colors2=C 1 L car bike\n");
}

TEST_F(MrSetAdd, MalformedStoredTextRefusesFurtherSets) {
  const std::string tooLong = "$" + std::string(64, 'x') + "=C 1 L red blue\n";
  const char* const bad[] = {
      "$a=C 1 L red blue",        // last line without line feed
      "$a=C 1 L red blue\r",      // carriage return without line feed
      "$a=C 1 L red blue\r\r\n",  // ... also before a later one
      "\n",                       // an empty line has no name
      "no equals sign\n",
      "=C 1 L red blue\n",
      tooLong.c_str(),
  };
  for (const char* text : bad) {
    ASSERT_EQ(xovaSetMultRespDefs(h(), text), XOVA_OK);
    EXPECT_EQ(AddN("z", {"red", "blue"}), XOVA_MRSET_TEXT_MALFORMED) << text;
    EXPECT_EQ(Text(), text);
  }
  // CR LF line ends are fine, and a taken name is found before a later fault.
  ASSERT_EQ(xovaSetMultRespDefs(h(), "$a=C 1 L red\r\n$b=x\r\nbroken"), XOVA_OK);
  EXPECT_EQ(AddN("b", {"red", "blue"}), XOVA_MRSET_NAME_TAKEN);
  ASSERT_EQ(xovaSetMultRespDefs(h(), "$a=C 1 L red\r\n$b=x\r\n"), XOVA_OK);
  EXPECT_EQ(AddN("c", {"red", "blue"}), XOVA_OK);
  EXPECT_EQ(Text(), "$a=C 1 L red\r\n$b=x\r\n$c=C 1 L red blue\n");
}

TEST_F(MrSetAdd, InvalidMultibyteNameInTheStoredTextIsMalformed) {
  xova_test::Utf8Locale utf8;
  if (!utf8.active()) GTEST_SKIP() << "no UTF-8 locale";
  ASSERT_EQ(xovaSetMultRespDefs(h(), "$a\xff=C 1 L red blue\n"), XOVA_OK);
  EXPECT_EQ(AddN("z", {"red", "blue"}), XOVA_MRSET_TEXT_MALFORMED);
  // Valid multibyte names compare in lower case too.
  ASSERT_EQ(xovaSetMultRespDefs(h(), "$\xc3\x84pfel=C 1 L red blue\n"), XOVA_OK);
  EXPECT_EQ(AddN("\xc3\xa4PFEL", {"red", "blue"}), XOVA_MRSET_NAME_TAKEN);
}

TEST_F(MrSetAdd, DuplicateCheckReachesIntoASpilledText) {
  for (int i = 0; i < 60; ++i) {
    const std::string name = "set" + std::to_string(i);
    ASSERT_EQ(AddN(name.c_str(), {"red", "blue"}), XOVA_OK);
  }
  ASSERT_TRUE(xova_test::StateOf(h())->blocks[7]->spilled);
  EXPECT_EQ(AddN("SET0", {"red", "blue"}), XOVA_MRSET_NAME_TAKEN);
  EXPECT_EQ(AddN("SET59", {"red", "blue"}), XOVA_MRSET_NAME_TAKEN);
  EXPECT_EQ(AddN("set60", {"red", "blue"}), XOVA_OK);
  const std::string text = Text();
  EXPECT_EQ(text.rfind("$set60=C 1 L red blue\n"), text.size() - 22);
  EXPECT_EQ(xova_test::StateOf(h())->blocks[7]->data, nullptr);  // loaded copy dropped
}

TEST_F(MrSetAdd, AllocationFailureLeavesTheTextAlone) {
  ASSERT_EQ(AddN("first", {"red", "blue"}), XOVA_OK);
  const std::string before = Text();
  int failures = 0;
  int added = 0;
  xova_test::ForEachAllocationFailure([&] {
    const char* vars[] = {"car", "bike"};
    const int rc = xovaAddMultRespDefN(h(), "second", "L", 0, 1, vars, 2);
    xova_test::ResetAllocFailure();
    if (rc == XOVA_OK) {
      ++added;
      EXPECT_EQ(Text(), before + "$second=C 1 L car bike\n");
      ASSERT_EQ(xovaSetMultRespDefs(h(), before.c_str()), XOVA_OK);  // ready for the next run
    } else {
      ++failures;
      EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
      EXPECT_EQ(Text(), before);
    }
  });
  EXPECT_GT(failures, 0);
  EXPECT_GE(added, 1);
}

}  // namespace
