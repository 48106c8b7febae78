// Damaged and hostile Dataset files: every command ends with 0 or 1 and a
// message, never a signal; damage in the cases is found with its case number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>

#include "read/file_builder.h"
#include "read/survey_sample.h"
#include "support/scratch_dir.h"
#include "xova_run.h"

namespace xova_test {
namespace {

using Bytes = std::vector<unsigned char>;

void WriteBytes(const std::string& path, const Bytes& b) {
  WriteText(path, std::string(b.begin(), b.end()));
}

// Runs every reading command; all must end in 0 or 1, and 1 with a message.
void ExpectNoCrash(const ScratchDir& dir, const std::string& file) {
  const std::vector<std::vector<std::string>> commands = {
      {"info", file},
      {"info", "--json", file},
      {"dict", file},
      {"dict", "--json", file},
      {"export", file, "--labels"},
      {"export", file, "--format", "jsonl", "--jobs", "2"},
      {"export", file, "--rows", "3:", "-o", dir.File("out.csv")},
      {"check", file},
      {"copy", file, dir.File("copy.data")}};
  for (const auto& c : commands) {
    std::remove(dir.File("out.csv").c_str());
    const RunResult r = RunXova(c);
    SCOPED_TRACE(c[0] + " " + c.back());
    EXPECT_EQ(r.signal, 0);
    EXPECT_TRUE(r.status == 0 || r.status == 1) << r.status;
    if (r.status == 1) {
      EXPECT_EQ(r.err.rfind("xova: ", 0), 0u) << r.err;
      if (std::find(c.begin(), c.end(), "-o") != c.end()) {
        EXPECT_FALSE(FileExists(dir.File("out.csv")));
      }
    }
  }
}

class Damaged : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_EQ(WriteSurveySample(good_, GetParam(), 300), 0);
    bytes_ = ReadFileBytes(good_);
  }
  ScratchDir dir_;
  std::string good_ = dir_.File("good.data");
  std::string bad_ = dir_.File("bad.data");
  Bytes bytes_;
};

TEST_P(Damaged, CutShortAnywhere) {
  for (std::size_t cut :
       {std::size_t{0}, std::size_t{3}, std::size_t{100}, std::size_t{176}, std::size_t{400},
        bytes_.size() / 2, bytes_.size() - 300, bytes_.size() - 5}) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    WriteBytes(bad_, Bytes(bytes_.begin(), bytes_.begin() + static_cast<long>(cut)));
    ExpectNoCrash(dir_, bad_);
  }
}

TEST_P(Damaged, CasesCutShortAreFoundWithTheirNumber) {
  WriteBytes(bad_, Bytes(bytes_.begin(), bytes_.end() - 300));
  const RunResult check = RunXova({"check", bad_});
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.err.find(": case "), std::string::npos) << check.err;
  EXPECT_NE(check.err.find("XOVA_END_OF_DATA (-5)"), std::string::npos) << check.err;
  const RunResult good = RunXova({"check", good_});
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_EQ(good.out, good_ + ": ok: 5 variables, 300 cases\n");
  const RunResult exported = RunXova({"export", bad_, "-o", dir_.File("out.csv")});
  EXPECT_EQ(exported.status, 1);
  EXPECT_FALSE(FileExists(dir_.File("out.csv")));
}

TEST_P(Damaged, RandomBytesChanged) {
  std::mt19937 random(1234 + GetParam());
  for (int round = 0; round < 12; ++round) {
    Bytes b = bytes_;
    for (int k = 0; k < 1 + round % 4; ++k) {
      b[random() % b.size()] = static_cast<unsigned char>(random());
    }
    WriteBytes(bad_, b);
    ExpectNoCrash(dir_, bad_);
  }
}

TEST_P(Damaged, NotADatasetFileAtAll) {
  WriteText(bad_, "id,name\n1,x\n");
  const RunResult r = RunXova({"info", bad_});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "xova: " + bad_ + ": cannot open for reading: XOVA_BAD_FILE (6)\n");
  ExpectNoCrash(dir_, bad_);
}

INSTANTIATE_TEST_SUITE_P(Compression, Damaged, ::testing::Values(0, 1));

TEST(CommandLine, ExitStatusesAndVersion) {
  ScratchDir dir;
  RunResult r = RunXova({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("xova ", 0), 0u);
  EXPECT_EQ(RunXova({}).status, 2);
  EXPECT_EQ(RunXova({"frobnicate"}).status, 2);
  EXPECT_EQ(RunXova({"info"}).status, 2);
  EXPECT_EQ(RunXova({"import", "a.csv"}).status, 2);  // -o is required
  EXPECT_EQ(RunXova({"import", "a.csv", "-o", "x", "--dict", "d", "--like", "l"}).status, 2);
  for (const char* command : {"info", "dict", "export", "import", "check", "copy"}) {
    r = RunXova({command, "--help"});
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_NE(r.out.find("Usage"), std::string::npos) << command;
  }
  r = RunXova({"info", dir.File("none.data")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "xova: " + dir.File("none.data") +
                       ": cannot open for reading: XOVA_FILE_OPEN_ERROR (1)\n");
}

TEST(CommandLine, CopyReencodesAndKeepsRows) {
  ScratchDir dir;
  const std::string f = dir.File("f.data"), g = dir.File("g.data");
  ASSERT_EQ(WriteSurveySample(f, 1, 50), 0);
  RunResult r = RunXova({"copy", f, g, "--no-compress", "--rows", "10:20"});
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunXova({"info", "--json", g});
  EXPECT_NE(r.out.find("\"compressed\": false"), std::string::npos) << r.out;
  // The label without the file's padding to 64 bytes.
  EXPECT_NE(r.out.find("\"label\": \"Sample survey\","), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"cases\": 10"), std::string::npos) << r.out;
  const RunResult part = RunXova({"export", g});
  const RunResult whole = RunXova({"export", f, "--rows", "10:20"});
  EXPECT_EQ(part.out, whole.out);
  EXPECT_EQ(RunXova({"check", g}).status, 0);
}

}  // namespace
}  // namespace xova_test

namespace xova_test {
namespace {

// Records built by hand: counts that lie, references to nothing, texts that
// break their grammar.
TEST(CraftedFiles, LyingCountsAndBrokenRecords) {
  ScratchDir dir;
  auto build = [&](int caseCount, const std::function<void(FileBuilder&)>& extra) {
    FileBuilder b;
    HeaderSpec h;
    h.caseSize = 2;
    h.caseCount = caseCount;
    b.Header(h);
    b.Numeric("A").String("B", 8);
    extra(b);
    b.Terminator();
    for (int i = 0; i < 3; ++i) b.CaseNumber(i).CaseText("x");
    const std::string path = dir.File("crafted.data");
    EXPECT_TRUE(b.WriteTo(path));
    return path;
  };
  const auto nothing = [](FileBuilder&) {};

  // The header claims far more cases than there are.
  std::string f = build(0x7FFFFFFF, nothing);
  RunResult r = RunXova({"check", f});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("case 3 cannot be read"), std::string::npos) << r.err;
  r = RunXova({"export", f, "--jobs", "2", "-o", dir.File("out.csv")});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(FileExists(dir.File("out.csv")));
  ExpectNoCrash(dir, f);

  // The header does not know: everything there is, is read.
  f = build(-1, nothing);
  r = RunXova({"check", f});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("3 cases (the header does not record the count)"), std::string::npos);
  r = RunXova({"info", "--json", f});
  EXPECT_NE(r.out.find("\"cases\": null"), std::string::npos) << r.out;
  EXPECT_EQ(RunXova({"export", f, "--jobs", "2"}).out, "a,b\n0,x\n1,x\n2,x\n");
  // A LAST beyond the data ends with the data, as for a recorded count.
  r = RunXova({"export", f, "--rows", "1:50", "--jobs", "4"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "a,b\n1,x\n2,x\n");
  r = RunXova({"copy", f, dir.File("part.data"), "--rows", "2:50"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(RunXova({"export", dir.File("part.data")}).out, "a,b\n2,x\n");
  EXPECT_EQ(RunXova({"export", f, "--rows", "7:9"}).out, "a,b\n");

  // Labels for a variable that is not there; set texts without grammar.
  f = build(3, [](FileBuilder& b) {
    b.LabelPair({{1, "", "one"}}, {99});
    b.TextExtension(7, "$broken no equals sign and no line end");
    b.TextExtension(5, "=\n\n==");
  });
  ExpectNoCrash(dir, f);
  r = RunXova({"dict", "--json", f});
  if (r.status == 0) {
    WriteText(dir.File("d.json"), r.out);
    WriteText(dir.File("in.csv"), RunXova({"export", f}).out);
    r = RunXova(
        {"import", dir.File("in.csv"), "--dict", dir.File("d.json"), "-o", dir.File("g.data")});
    EXPECT_TRUE(r.status == 0 || r.status == 1) << r.err;
  }

  // An extension record that declares more than the file holds.
  f = build(3, [](FileBuilder& b) { b.Extension(20, 1, 0x7FFFFFF0, {1, 2, 3}); });
  ExpectNoCrash(dir, f);
}

}  // namespace
}  // namespace xova_test
