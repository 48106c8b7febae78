// The C++ layer: errors as exceptions, handles released by destructors,
// appending, and the Dictionary read back as it was defined.
#include <gtest/gtest.h>

#include <memory>

#include "sample_files.h"
#include "support/scratch_dir.h"
#include "xovaio32.hpp"

namespace xova_test {
namespace {

TEST(CppLayer, ErrorsCarryCodeNameAndFile) {
  ScratchDir dir;
  try {
    xovaio32::Reader r(dir.File("none.data"));
    FAIL() << "opened a file that does not exist";
  } catch (const xovaio32::Error& e) {
    EXPECT_EQ(e.code(), XOVA_FILE_OPEN_ERROR);
    EXPECT_STREQ(e.name(), "XOVA_FILE_OPEN_ERROR");
    EXPECT_EQ(e.file(), dir.File("none.data"));
    EXPECT_EQ(std::string(e.what()),
              dir.File("none.data") + ": cannot open for reading: XOVA_FILE_OPEN_ERROR (1)");
  }
  xovaio32::Writer w(dir.File("w.data"));
  EXPECT_THROW(w.commit(), xovaio32::Error);  // no variables yet: the handle stays open
  xovaio32::Dictionary d;
  d.variables.resize(1);
  d.variables[0].name = "bad name";
  try {
    w.define(d);
    FAIL();
  } catch (const xovaio32::Error& e) {
    EXPECT_EQ(e.code(), XOVA_BAD_VARIABLE_NAME);
  }
}

TEST(CppLayer, DestructorsReleaseHandles) {
  // More objects than the library has handles: each must give its back.
  ScratchDir dir;
  WriteNumberedFile(dir.File("n.data"), true, 5);
  for (int i = 0; i < 1100; ++i) {
    xovaio32::Reader r(dir.File("n.data"));
    xovaio32::Writer w(dir.File("w.data"));
  }
  EXPECT_NO_THROW(xovaio32::Reader(dir.File("n.data")));
}

TEST(CppLayer, AppendThenReadEveryCase) {
  ScratchDir dir;
  const std::string f = dir.File("n.data");
  WriteNumberedFile(f, true, 7);
  {
    xovaio32::Appender a(f);
    const auto x = a.variable("x"), s = a.variable("s");
    a.setNumber(x, 100);
    a.setString(s, "appended");
    a.commitCase();
    a.close();
  }
  xovaio32::Reader r(f);
  EXPECT_EQ(r.caseCount(), 8);
  const auto x = r.variable("x"), s = r.variable("s");
  r.seek(7);
  ASSERT_TRUE(r.next());
  EXPECT_EQ(r.number(x), 100);
  EXPECT_EQ(r.string(s), "appended    ");
  EXPECT_FALSE(r.next());
  r.seek(2);
  ASSERT_TRUE(r.next());
  EXPECT_EQ(r.number(x), 2);
  EXPECT_EQ(r.string(s), "r2          ");
}

TEST(CppLayer, DictionaryReadsBackAsDefined) {
  ScratchDir dir;
  const std::string f = dir.File("h.data");
  WriteHostileFile(f, true);
  xovaio32::Reader r(f);
  const auto d = r.dictionary();
  ASSERT_EQ(d.variables.size(), 10u);
  EXPECT_EQ(d.fileLabel.substr(0, 18), "Quotes \"q\", commas");
  EXPECT_EQ(d.weight, std::optional<std::string>("weight_var"));
  const auto* n1 = d.find("n1");
  ASSERT_NE(n1, nullptr);
  EXPECT_EQ(n1->label, std::optional<std::string>("Line one\nline two, \"quoted\""));
  ASSERT_EQ(n1->numericLabels.size(), 3u);
  EXPECT_EQ(n1->numericLabels[2].label, "bytes \xff\xfe here");
  EXPECT_EQ(n1->missing.code, 3);
  const auto* third = d.find("Third_Number");
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->missing.code, -3);
  EXPECT_EQ(third->print, (xovaio32::Format{5, 12, 4}));
  EXPECT_EQ(third->write, (xovaio32::Format{5, 14, 6}));
  EXPECT_EQ(third->columnWidth, 9);
  EXPECT_EQ(third->alignment, 2);
  const auto* s3 = d.find("s3");
  ASSERT_NE(s3, nullptr);
  EXPECT_EQ(s3->missing.strings[1], "zz");
  EXPECT_EQ(d.qeb, std::string("\x00\x01 binary \xff", 11));
  EXPECT_EQ(d.qebGuid, "{1234-abcd}");
  EXPECT_EQ(d.dateInfo, (std::vector<int>{1, 2, 3, -4}));
  EXPECT_EQ(d.variableSets, "Nums= n1 n2 Third_Number\nStrs= s1 s2\n");
  EXPECT_NE(d.multipleResponseSets.find("$mrn=D1 1 9 Numbers,\" n1 n2\n"), std::string::npos)
      << d.multipleResponseSets;
}

}  // namespace
}  // namespace xova_test
