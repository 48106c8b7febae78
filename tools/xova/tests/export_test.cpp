// xova export: the exact text of each format, column and row choices, labels,
// and threads that give the same bytes as one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include <cmath>
#include <limits>

#include "read/survey_sample.h"
#include "sample_files.h"
#include "support/scratch_dir.h"
#include "xova_run.h"
#include "xovaio32.hpp"

namespace xova_test {
namespace {

class Export : public ::testing::Test {
 protected:
  // num (labelled 1.5 "one and a half, \"1.5\""), str (width 10, "a,b" labelled)
  void SetUp() override {
    xovaio32::Dictionary d;
    xovaio32::Variable num, str;
    num.name = "num";
    num.print = num.write = {5, 8, 2};
    num.measureLevel = 3, num.alignment = 1;
    num.numericLabels = {{1.5, "one and a half, \"1.5\""}};
    str.name = "Str";
    str.width = 8;
    str.print = str.write = {1, 8, 0};
    str.measureLevel = 1;
    str.stringLabels = {{"a,b     ", "A or B"}};
    d.variables = {num, str};
    xovaio32::Writer w(file_);
    w.define(d);
    w.commit();
    const auto n = w.variable("num"), s = w.variable("Str");
    const double values[] = {1.5,
                             xovaSysmisVal(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -0.0,
                             1e21,
                             -std::numeric_limits<double>::infinity()};
    const char* strings[] = {"a,b", "q\"x", "l\nm", "  ", "t\tu\\", "\xff\xfe"};
    for (int i = 0; i < 6; ++i) {
      w.setNumber(n, values[i]);
      w.setString(s, strings[i]);
      w.commitCase();
    }
    w.close();
  }
  ScratchDir dir_;
  std::string file_ = dir_.File("f.data");
};

TEST_F(Export, CsvQuotesWhatNeedsItAndWritesShortestNumbers) {
  const RunResult r = RunXova({"export", file_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "num,Str\n1.5,\"a,b\"\n,\"q\"\"x\"\nnan,\"l\nm\"\n-0,\n1e+21,t\tu\\\n-inf,\xff\xfe\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(Export, TsvEscapesTabsLineEndsAndBackslashes) {
  const RunResult r = RunXova({"export", file_, "--format", "tsv"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "num\tStr\n1.5\ta,b\n\tq\"x\nnan\tl\\nm\n-0\t\n1e+21\tt\\tu\\\\\n-inf\t\xff\xfe\n");
}

TEST_F(Export, JsonLinesKeepEveryByte) {
  const RunResult r = RunXova({"export", file_, "--format", "jsonl"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"num\":1.5,\"Str\":\"a,b\"}\n"
            "{\"num\":null,\"Str\":\"q\\\"x\"}\n"
            "{\"num\":\"nan\",\"Str\":\"l\\nm\"}\n"
            "{\"num\":-0,\"Str\":\"\"}\n"
            "{\"num\":1e+21,\"Str\":\"t\\tu\\\\\"}\n"
            "{\"num\":\"-inf\",\"Str\":{\"hex\":\"fffe\"}}\n");
  // Every line is JSON.
  std::size_t start = 0;
  while (start < r.out.size()) {
    const auto end = r.out.find('\n', start);
    EXPECT_TRUE(nlohmann::json::accept(r.out.substr(start, end - start)));
    start = end + 1;
  }
}

TEST_F(Export, LabelsColumnsAndRows) {
  RunResult r = RunXova({"export", file_, "--labels", "--rows", "0:1"});
  EXPECT_EQ(r.out, "num,Str\n\"one and a half, \"\"1.5\"\"\",A or B\n");
  r = RunXova({"export", file_, "--columns", "str,NUM", "--rows", "4:"});
  EXPECT_EQ(r.out, "Str,num\nt\tu\\,1e+21\n\xff\xfe,-inf\n");
  r = RunXova({"export", file_, "--rows", ":2", "--columns", "num"});
  EXPECT_EQ(r.out, "num\n1.5\n\n");
  r = RunXova({"export", file_, "--rows", "100:200"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "num,Str\n");
}

TEST_F(Export, BadChoicesAreRefusedAndLeaveNoFile) {
  RunResult r = RunXova({"export", file_, "--columns", "nope", "-o", dir_.File("out.csv")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("XOVA_NO_SUCH_VARIABLE (12)"), std::string::npos) << r.err;
  r = RunXova({"export", file_, "--rows", "5:2"});
  EXPECT_EQ(r.status, 2);
  r = RunXova({"export", file_, "--rows", "x"});
  EXPECT_EQ(r.status, 2);
  r = RunXova({"export", file_, "--format", "xml"});
  EXPECT_EQ(r.status, 2);
  r = RunXova({"export", file_, "--jobs", "0"});
  EXPECT_EQ(r.status, 2);
  r = RunXova({"export", file_, "-o", file_});  // would put the CSV over its source
  EXPECT_EQ(r.status, 2);
  r = RunXova({"export", file_, "--format", "jsonl", "--columns", "num,NUM"});
  EXPECT_EQ(r.status, 2);  // the same key twice in every object
  EXPECT_NE(r.err.find("--columns names NUM twice"), std::string::npos) << r.err;
  EXPECT_EQ(RunXova({"check", file_}).status, 0);
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"f.data"});
}

// The finished output is renamed into place, which must never replace a
// symbolic link, a device or a pipe instead of writing to what they name.
TEST_F(Export, OutputsThatAreNoPlainFileAreWrittenThroughOrRefused) {
  const std::string whole = RunXova({"export", file_}).out;
  ASSERT_FALSE(whole.empty());
  ASSERT_EQ(mkdir(dir_.File("real").c_str(), 0755), 0);
  const std::string target = dir_.File("real") + "/t.csv", link = dir_.File("link.csv");
  WriteText(target, "old");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  RunResult r = RunXova({"export", file_, "-o", link, "--jobs", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadText(target), whole);
  const std::string null = dir_.File("null.csv");
  ASSERT_EQ(symlink("/dev/null", null.c_str()), 0);
  r = RunXova({"export", file_, "-o", null});
  EXPECT_EQ(r.status, 0) << r.err;
  // Standard output by another name (a fault here cannot replace a system
  // file: no temporary file can be made in /dev/fd).
  r = RunXova({"export", file_, "-o", "/dev/fd/1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, whole);
  // A Dataset file cannot go to a pipe or a device.
  const std::string fifo = dir_.File("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& out : {fifo, null}) {
    r = RunXova({"copy", file_, out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  }
  r = RunXova({"copy", file_, ""});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("name is empty"), std::string::npos) << r.err;
  r = RunXova({"export", file_, "-o", dir_.File("real")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("it is a directory"), std::string::npos) << r.err;
  struct stat st;
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(lstat(null.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(dir_.List(),
            (std::vector<std::string>{"f.data", "link.csv", "null.csv", "pipe", "real"}));
}

// Threads each read their own range; the output must not show it.
class ExportJobs : public ::testing::TestWithParam<bool> {};

TEST_P(ExportJobs, GiveTheBytesOfOneThread) {
  ScratchDir dir;
  const std::string f = dir.File("n.data");
  WriteNumberedFile(f, GetParam(), 20011);
  for (const std::string rows : {"", "5000:15001", "20000:", "0:3", "7:11", "0:14"}) {
    std::vector<std::string> base = {"export", f};
    if (!rows.empty()) base.insert(base.end(), {"--rows", rows});
    const RunResult one = RunXova(base);
    ASSERT_EQ(one.status, 0) << one.err;
    for (const char* jobs : {"2", "3", "7"}) {
      std::vector<std::string> args = base;
      args.insert(args.end(), {"--jobs", jobs, "-o", dir.File("out.csv")});
      const RunResult many = RunXova(args);
      ASSERT_EQ(many.status, 0) << many.err;
      EXPECT_EQ(ReadText(dir.File("out.csv")), one.out) << "rows " << rows << " jobs " << jobs;
    }
  }
  const RunResult all = RunXova({"export", f, "--jobs", "2"});
  EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 20012);
  EXPECT_NE(all.out.find("\n20010,r20010,"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Compression, ExportJobs, ::testing::Bool());

}  // namespace
}  // namespace xova_test

namespace xova_test {
namespace {

TEST(ExportLabels, StringLabelsOfAFileRead) {
  ScratchDir dir;
  const std::string f = dir.File("s.data");
  ASSERT_EQ(WriteSurveySample(f, 1, 4), 0);
  const RunResult r = RunXova({"export", f, "--labels", "--columns", "code,Score"});
  ASSERT_EQ(r.status, 0) << r.err;
  // code "a" is labelled "Answer A"; Score 1 "low", 2 "high".
  EXPECT_EQ(r.out, "code,Score\nAnswer A,0\nbcd,low\n  x,high\n,\n");
}

TEST(Help, ForTheToolAndEachCommand) {
  RunResult r = RunXova({"help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("export"), std::string::npos) << r.out;
  r = RunXova({"help", "export"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--jobs"), std::string::npos) << r.out;
  EXPECT_EQ(r.out, RunXova({"export", "--help"}).out);
  r = RunXova({"help", "nosuch"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("no command named nosuch"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace xova_test
