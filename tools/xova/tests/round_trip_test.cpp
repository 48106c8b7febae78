// dict --json + export + import --dict, and import --like, give a file equal
// to the original through every query and every case.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "read/survey_sample.h"
#include "same_file.h"
#include "sample_files.h"
#include "support/scratch_dir.h"
#include "xova_run.h"
#include "xovaio32.hpp"

namespace xova_test {
namespace {

// The three commands of the round trip, as a user would type them.
void ByDictionary(const ScratchDir& dir, const std::string& f, const std::string& g) {
  const RunResult dict = RunXova({"dict", "--json", f});
  ASSERT_EQ(dict.status, 0) << dict.err;
  WriteText(dir.File("d.json"), dict.out);
  const RunResult exported = RunXova({"export", f});
  ASSERT_EQ(exported.status, 0) << exported.err;
  WriteText(dir.File("f.csv"), exported.out);
  const RunResult imported =
      RunXova({"import", dir.File("f.csv"), "--dict", dir.File("d.json"), "-o", g});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.err, "");
}

void ByLike(const ScratchDir& dir, const std::string& f, const std::string& g) {
  const RunResult exported = RunXova({"export", f, "-o", dir.File("like.csv")});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const RunResult imported = RunXova({"import", dir.File("like.csv"), "--like", f, "-o", g});
  ASSERT_EQ(imported.status, 0) << imported.err;
}

class RoundTrip : public ::testing::TestWithParam<bool> {
 protected:
  ScratchDir dir_;
  std::string f_ = dir_.File("f.data");
  std::string g_ = dir_.File("g.data");
  std::string h_ = dir_.File("h.data");

  void BothWays() {
    {
      SCOPED_TRACE("import --dict");
      ASSERT_NO_FATAL_FAILURE(ByDictionary(dir_, f_, g_));
      ExpectSameFile(f_, g_, false);
    }
    SCOPED_TRACE("import --like");
    ASSERT_NO_FATAL_FAILURE(ByLike(dir_, f_, h_));
    ExpectSameFile(f_, h_, true);
  }
};

TEST_P(RoundTrip, SurveySample) {
  ASSERT_EQ(WriteSurveySample(f_, GetParam() ? 1 : 0, 40), XOVA_OK);
  BothWays();
  // Independently of the comparison above: the sample's own checks.
  xovaio32::Reader g(g_);
  ExpectSurveyDictionary(g.handle());
  ExpectSurveyCases(g.handle(), SampleCases(40));
}

TEST_P(RoundTrip, HostileTextsEveryMissingFormSharedSetsAndMrSets) {
  WriteHostileFile(f_, GetParam());
  BothWays();
}

TEST_P(RoundTrip, OtherByteOrder) {
  WriteBigEndianFile(f_, GetParam());
  const RunResult info = RunXova({"info", "--json", f_});
  ASSERT_EQ(info.status, 0) << info.err;
  const auto j = nlohmann::json::parse(info.out);
  EXPECT_EQ(j["byte_order"], "big");
  EXPECT_EQ(j["cases"], 3);
  BothWays();
  const RunResult csv = RunXova({"export", g_});
  EXPECT_EQ(csv.out, "num,str,other\n1,abc,2.5\n,\"x,y\",-7\n9,,1e+100\n");
}

TEST_P(RoundTrip, FiveThousandVariables) {
  WriteWideFile(f_, 5000, 3);
  BothWays();
}

INSTANTIATE_TEST_SUITE_P(Compression, RoundTrip, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "compressed" : "raw"; });

TEST(RoundTripOptions, CompressionAndLabelCanBeChanged) {
  ScratchDir dir;
  const std::string f = dir.File("f.data"), g = dir.File("g.data");
  WriteNumberedFile(f, false, 30);
  ASSERT_EQ(RunXova({"export", f, "-o", dir.File("f.csv")}).status, 0);
  const RunResult r = RunXova(
      {"import", dir.File("f.csv"), "--like", f, "--compress", "--label", "New label", "-o", g});
  ASSERT_EQ(r.status, 0) << r.err;
  xovaio32::Reader a(f), b(g);
  auto da = a.dictionary(), db = b.dictionary();
  EXPECT_FALSE(da.compressed);
  EXPECT_TRUE(db.compressed);
  EXPECT_EQ(db.fileLabel.substr(0, 9), "New label");
  const RunResult back = RunXova({"export", g});
  EXPECT_EQ(back.out, ReadText(dir.File("f.csv")));
  // A label longer than the file holds is cut, and the user is told.
  const RunResult cut =
      RunXova({"import", dir.File("f.csv"), "--like", f, "--label", std::string(70, 'L'), "-o", g});
  ASSERT_EQ(cut.status, 0) << cut.err;
  EXPECT_EQ(cut.err, "xova: " + g + ": the file label was cut to 64 bytes\n");
  EXPECT_EQ(xovaio32::Reader(g).dictionary().fileLabel, std::string(64, 'L'));
}

}  // namespace
}  // namespace xova_test
