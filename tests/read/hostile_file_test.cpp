// Files damaged at random places: whatever the damage, every call gives a
// code, nothing crashes or hangs, and no handle or temporary file stays behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "frame/handle_table.h"
#include "read/file_builder.h"
#include "read/survey_sample.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace xova_test {
namespace {

void QueryEverything(int h) {
  int numVars = 0;
  xovaGetNumberofVariables(h, &numVars);
  for (int i = 0; i < numVars; ++i) {
    char name[65] = {};
    int type = 0;
    if (xovaGetVarInfo(h, i, name, &type) != XOVA_OK) continue;
    char label[257];
    int length = 0, f = 0, d = 0, w = 0, form = 0;
    double m[3];
    char c[3][9];
    xovaGetVarLabelLong(h, name, label, sizeof label, &length);
    xovaGetVarPrintFormat(h, name, &f, &d, &w);
    xovaGetVarNMissingValues(h, name, &form, &m[0], &m[1], &m[2]);
    xovaGetVarCMissingValues(h, name, &form, c[0], c[1], c[2]);
    double* values = nullptr;
    char** labels = nullptr;
    int n = 0;
    if (xovaGetVarNValueLabels(h, name, &values, &labels, &n) == XOVA_OK) {
      xovaFreeVarNValueLabels(values, labels, n);
    }
  }
  char* text = nullptr;
  if (xovaGetMultRespDefs(h, &text) == XOVA_OK) xovaFreeMultRespDefs(text);
  if (xovaGetVariableSets(h, &text) == XOVA_OK) xovaFreeVariableSets(text);
  for (int subtype = 0; subtype <= 33; ++subtype) {
    int found = 0;
    xovaQueryType7(h, subtype, &found);
  }
}

void ReadEveryCase(int h) {
  int caseSize = 0;
  xovaGetCaseSize(h, &caseSize);
  std::vector<unsigned char> whole(static_cast<std::size_t>(caseSize) + 8);
  int estimate = 0;
  xovaGetEstimatedNofCases(h, &estimate);
  for (int i = 0; i < 200 && xovaReadCaseRecord(h) == XOVA_OK; ++i) {
    double v = 0;
    char text[32];
    xovaGetValueNumeric(h, 1.0, &v);
    xovaGetValueChar(h, 3.0 + 20.0 * 4294967296.0, text, sizeof text);
  }
  xovaSeekNextCase(h, 3);
  xovaWholeCaseIn(h, whole.data());
  xovaSeekNextCase(h, 0);
  xovaWholeCaseIn(h, whole.data());
  int count = 0;
  xovaGetNumberofCases(h, &count);
}

void Exercise(const std::string& path, const std::string& copyPath) {
  int h = -1;
  if (xovaOpenRead(path.c_str(), &h) == XOVA_OK) {
    QueryEverything(h);
    ReadEveryCase(h);
    EXPECT_EQ(xovaCloseRead(h), XOVA_OK);
  }
  EXPECT_EQ(xova::LookupHandle(h < 0 ? 0 : h), nullptr);
  if (xovaOpenWriteCopy(copyPath.c_str(), path.c_str(), &h) == XOVA_OK) {
    if (xovaCommitHeader(h) == XOVA_OK) {
      xovaCloseWrite(h);
    } else if (xova::LookupHandle(h)) {
      xovaCloseWrite(h);
    }
  }
  if (xovaOpenAppend(path.c_str(), &h) == XOVA_OK) {
    xovaCommitCaseRecord(h);
    xovaCloseAppend(h);
  }
  EXPECT_EQ(xova::LookupHandle(h < 0 ? 0 : h), nullptr);
}

TEST(HostileFiles, RandomDamageNeverCrashes) {
  ScratchDir temp;
  ASSERT_EQ(xovaSetTempDir(temp.path().c_str()), XOVA_OK);
  std::mt19937 random(20261208);
  for (int compression : {0, 1}) {
    ScratchDir dir;
    const std::string original = dir.File("original.data");
    ASSERT_EQ(WriteSurveySample(original, compression, 30), XOVA_OK);
    const std::vector<unsigned char> bytes = ReadFileBytes(original);
    for (int round = 0; round < 250; ++round) {
      std::vector<unsigned char> damaged = bytes;
      const int hits = 1 + static_cast<int>(random() % 4);
      for (int k = 0; k < hits; ++k) {
        const std::size_t at = random() % damaged.size();
        damaged[at] = random() % 3 == 0 ? 0xFF : static_cast<unsigned char>(random());
      }
      if (round % 5 == 0) damaged.resize(random() % damaged.size());
      FileBuilder b;
      b.Raw(damaged);
      const std::string path = dir.File("damaged.data");
      ASSERT_TRUE(b.WriteTo(path));
      Exercise(path, dir.File("copy.data"));
    }
  }
  EXPECT_TRUE(temp.List().empty());
  xovaSetTempDir(nullptr);
}

}  // namespace
}  // namespace xova_test
