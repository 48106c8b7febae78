// xova import: inferred dictionaries, matching columns to variables, and
// every kind of bad input stopping the import with its place and no file.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "sample_files.h"
#include "support/scratch_dir.h"
#include "xova_run.h"
#include "xovaio32.hpp"

namespace xova_test {
namespace {

class Import : public ::testing::Test {
 protected:
  std::string Csv(const std::string& text) {
    WriteText(dir_.File("in.csv"), text);
    return dir_.File("in.csv");
  }
  // The import must fail with exit 1, name the place and leave nothing behind.
  void ExpectRefused(const std::vector<std::string>& args, const std::string& where) {
    const auto before = dir_.List();
    const RunResult r = RunXova(args);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.signal, 0);
    EXPECT_NE(r.err.find(where), std::string::npos) << r.err;
    EXPECT_EQ(r.err.rfind("xova: ", 0), 0u) << r.err;
    EXPECT_EQ(dir_.List(), before);
  }
  ScratchDir dir_;
  std::string out_ = dir_.File("out.data");
};

TEST_F(Import, InfersTypesWidthsAndRepairsNames) {
  const std::string csv =
      Csv("id,2nd try,ALL,name,Name,empty\n"
          "1,2.5,x,Anna,a,\n"
          "2,,yy,\"Bo, \"\"B\"\"\",b,\n"
          "3,-inf,zzz,Cy,c,\n"
          "4,  ,w, ,d,   \n");
  const RunResult r = RunXova({"import", csv, "-o", out_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("\"2nd try\" renamed to v2nd_try"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\"ALL\" renamed to ALL_"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\"Name\" renamed to Name_2"), std::string::npos) << r.err;
  xovaio32::Reader f(out_);
  const auto d = f.dictionary();
  ASSERT_EQ(d.variables.size(), 6u);
  const int widths[] = {0, 0, 3, 7, 1, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(d.variables[i].width, widths[i]) << i;
  EXPECT_TRUE(d.compressed);
  const RunResult back = RunXova({"export", out_});
  EXPECT_EQ(back.out,
            "id,v2nd_try,ALL_,name,Name_2,empty\n1,2.5,x,Anna,a,\n2,,yy,\"Bo, \"\"B\"\"\",b,\n"
            "3,-inf,zzz,Cy,c,\n4,,w,,d,\n");
}

TEST_F(Import, ReadsStandardInputAndCrlfLines) {
  const std::string csv = Csv("a,b\r\n1,x\r\n\r\n2,\"y\r\nz\"\r\n");
  const RunResult r = RunXova({"import", "-", "-o", out_, "--no-compress"}, csv);
  ASSERT_EQ(r.status, 0) << r.err;
  const RunResult back = RunXova({"export", out_});
  EXPECT_EQ(back.out, "a,b\n1,x\n2,\"y\r\nz\"\n");
  EXPECT_FALSE(xovaio32::Reader(out_).dictionary().compressed);
}

TEST_F(Import, ByteOrderMarkAndNulBytesStayOutOfNames) {
  // A spreadsheet's UTF-8 mark: neither part of an inferred name nor a reason
  // for the first column not to match its variable.
  const std::string marked =
      Csv("\xEF\xBB\xBF"
          "a,b\n1,x\n");
  RunResult r = RunXova({"import", marked, "-o", out_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(RunXova({"export", out_}).out, "a,b\n1,x\n");
  const std::string like = dir_.File("like.data");
  ASSERT_EQ(std::rename(out_.c_str(), like.c_str()), 0);
  r = RunXova({"import", marked, "--like", like, "-o", out_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(RunXova({"export", out_}).out, "a,b\n1,x\n");
  // Only a leading mark is taken away.
  r = RunXova({"import", Csv("s\n\xEF\xBB\xBFx\n"), "-o", out_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(RunXova({"export", out_}).out, "s\n\xEF\xBB\xBFx\n");

  // A NUL in a header would cut the name the library sees.
  r = RunXova({"import", Csv(std::string("a\0b,a\n1,2\n", 10)), "-o", out_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("renamed to a_b"), std::string::npos) << r.err;
  EXPECT_EQ(RunXova({"export", out_}).out, "a_b,a\n1,2\n");
}

TEST_F(Import, OneColumnKeepsEmptyValues) {
  const RunResult r = RunXova({"import", Csv("s\nx\n\ny\n"), "-o", out_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(RunXova({"export", out_}).out, "s\nx\n\ny\n");
}

TEST_F(Import, BadCsvStopsAtItsPlace) {
  ExpectRefused({"import", Csv("a,b\n1,\"x\"y\n"), "-o", out_}, "line 2, column 2");
  ExpectRefused({"import", Csv("a,b\n1,\"open\n"), "-o", out_}, "not closed");
  ExpectRefused({"import", Csv("a,b\n1,2\n3\n"), "-o", out_}, "line 3: 1 fields");
  ExpectRefused({"import", Csv("a\n" + std::string(256, 'x') + "\n"), "-o", out_},
                "line 2, column 1: a string longer than 255 bytes");
  ExpectRefused({"import", Csv(""), "-o", out_}, "no header line");
}

TEST_F(Import, ColumnsMustMatchTheDictionary) {
  const std::string like = dir_.File("like.data");
  WriteNumberedFile(like, true, 3);  // x numeric, s width 12, y numeric
  ExpectRefused({"import", Csv("x,s,y\n1,abc,zz\n"), "--like", like, "-o", out_},
                "line 2, column 3: not a number in numeric variable y: \"zz\"");
  ExpectRefused({"import", Csv("x,s,y\n1,abcdefghijklm,2\n"), "--like", like, "-o", out_},
                "line 2, column 2: 13 bytes do not fit variable s of width 12");
  ExpectRefused({"import", Csv("x,s,y,extra\n1,a,2,3\n"), "--like", like, "-o", out_},
                "column \"extra\" names no variable");
  ExpectRefused({"import", Csv("x,s\n1,a\n"), "--like", like, "-o", out_},
                "variable y has no column");
  ExpectRefused({"import", Csv("x,s,X\n1,a,1\n"), "--like", like, "-o", out_}, "appears twice");
  // The options that allow the last two.
  RunResult r = RunXova({"import", Csv("S,extra,x\nab   ,zz,1\n"), "--like", like,
                         "--ignore-extra-columns", "--allow-missing-columns", "-o", out_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(RunXova({"export", out_}).out, "x,s,y\n1,ab,\n");
}

TEST_F(Import, NumbersKeepEveryBitWhateverTheirSpelling) {
  const std::string like = dir_.File("like.data");
  WriteNumberedFile(like, false, 1);  // x numeric, s width 12, y numeric
  const RunResult r = RunXova({"import",
                               Csv("x,s,y\n 1.5,a,+2\n-0,b,3 \n  ,c,\n4.9e-324,d,nan\n"
                                   "0.1,e,-1.7976931348623157e308\n"),
                               "--like", like, "-o", out_});
  ASSERT_EQ(r.status, 0) << r.err;
  xovaio32::Reader f(out_);
  const auto x = f.variable("x"), y = f.variable("y");
  const double sysmis = xovaSysmisVal();
  auto bits = [](double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
  };
  const double want[][2] = {
      {1.5, 2}, {-0.0, 3}, {sysmis, sysmis}, {4.9e-324, 0}, {0.1, -1.7976931348623157e308}};
  for (int c = 0; c < 5; ++c) {
    SCOPED_TRACE(c);
    ASSERT_TRUE(f.next());
    EXPECT_EQ(bits(f.number(x)), bits(want[c][0]));
    if (c == 3) {
      EXPECT_TRUE(std::isnan(f.number(y)));
    } else {
      EXPECT_EQ(bits(f.number(y)), bits(want[c][1]));
    }
  }
  EXPECT_FALSE(f.next());
  for (const char* bad : {"1e400", "+-1", "1 2", "0x10", "1,5"}) {
    SCOPED_TRACE(bad);
    ExpectRefused(
        {"import", Csv(std::string("x,s,y\n1,a,\"") + bad + "\"\n"), "--like", like, "-o", out_},
        "line 2, column 3: not a number in numeric variable y");
  }
}

TEST_F(Import, BadDictionaryJsonIsRefused) {
  const std::string csv = Csv("a\n1\n");
  const std::string json = dir_.File("d.json");
  const std::pair<const char*, const char*> cases[] = {
      {"{\"xova_dictionary\": 1, \"variables\": [", "malformed JSON"},
      {"[1, 2]", "expected a JSON object"},
      {"{\"variables\": []}", "not a dictionary document"},
      {"{\"xova_dictionary\": 2, \"variables\": []}", "unsupported version"},
      {"{\"xova_dictionary\": 1, \"variables\": []}", "a dictionary needs variables"},
      {"{\"xova_dictionary\": 1, \"variables\": [{\"name\": \"a\", \"width\": 300}]}",
       "variables[0].width: must be 0 to 255"},
      {"{\"xova_dictionary\": 1, \"variables\": [{\"name\": \"a\", \"width\": 0, \"colour\": 1}]}",
       "variables[0] (a).colour: unknown key"},
      {"{\"xova_dictionary\": 1, \"variables\": [{\"name\": \"a\", \"width\": 0, "
       "\"missing\": {\"code\": -1, \"values\": []}}]}",
       "must be -3, -2, 0, 1, 2 or 3"},
      {"{\"xova_dictionary\": 1, \"variables\": [{\"name\": {\"hex\": \"6g\"}, \"width\": 0}]}",
       "not a hex digit"},
      {"{\"xova_dictionary\": 1, \"variables\": [{\"name\": \"a\", \"width\": 0, "
       "\"print\": {\"type\": 5, \"width\": 99, \"decimals\": 2}}]}",
       "XOVA_BAD_PRINT_FORMAT (20)"},
      {"{\"xova_dictionary\": 1, \"variables\": [{\"name\": \"a b\", \"width\": 0}]}",
       "XOVA_BAD_VARIABLE_NAME (10)"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    WriteText(json, text);
    ExpectRefused({"import", csv, "--dict", json, "-o", out_}, message);
  }
}

TEST_F(Import, TextsCutToFitAreReported) {
  const std::string json = dir_.File("d.json");
  WriteText(json,
            "{\"xova_dictionary\": 1, \"variables\": [{\"name\": \"a\", \"width\": 0, "
            "\"label\": \"" +
                std::string(300, 'L') + "\"}]}");
  const RunResult r = RunXova({"import", Csv("a\n1\n"), "--dict", json, "-o", out_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "xova: " + out_ +
                       ": variable a: XOVA_VAR_LABEL_TRUNCATED (-2): the variable label was cut "
                       "to 256 bytes\n");
  EXPECT_EQ(xovaio32::Reader(out_).dictionary().variables.at(0).label, std::string(256, 'L'));
}

TEST_F(Import, ErrorsNameTheFileTheUserGave) {
  const RunResult r = RunXova({"import", dir_.File("none.csv"), "-o", out_});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("xova: " + dir_.File("none.csv") + ": cannot open for reading", 0), 0u)
      << r.err;
  const RunResult like =
      RunXova({"import", Csv("a\n1\n"), "--like", dir_.File("none.data"), "-o", out_});
  EXPECT_EQ(like.err, "xova: " + dir_.File("none.data") +
                          ": cannot open for reading: XOVA_FILE_OPEN_ERROR (1)\n");
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"in.csv"});
}

}  // namespace
}  // namespace xova_test

namespace xova_test {
namespace {

// The example of the schema's documentation is a dictionary import accepts.
TEST(DictionaryDocs, ExampleImports) {
  const std::string doc = ReadText(std::string(XOVA_SOURCE_DIR) + "/docs/dictionary-json.md");
  const auto start = doc.find("```json\n");
  ASSERT_NE(start, std::string::npos);
  const auto end = doc.find("```", start + 8);
  ScratchDir dir;
  WriteText(dir.File("d.json"), doc.substr(start + 8, end - start - 8));
  WriteText(dir.File("in.csv"), "region,age\nNorth,34\n,99\n");
  const RunResult r = RunXova(
      {"import", dir.File("in.csv"), "--dict", dir.File("d.json"), "-o", dir.File("f.data")});
  ASSERT_EQ(r.status, 0) << r.err;
  const RunResult back = RunXova({"export", dir.File("f.data"), "--labels"});
  EXPECT_EQ(back.out, "age,region\n34,North\nRefused,\n");
  const RunResult dict = RunXova({"dict", "--json", dir.File("f.data")});
  auto got = nlohmann::json::parse(dict.out);
  const auto given = nlohmann::json::parse(ReadText(dir.File("d.json")));
  // The library gives the file label back padded to 64 bytes.
  EXPECT_EQ(got["label"], given["label"].get<std::string>() + std::string(40, ' '));
  got["label"] = given["label"];
  EXPECT_EQ(got, given);
}

}  // namespace
}  // namespace xova_test
