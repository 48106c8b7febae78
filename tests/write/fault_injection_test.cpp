// Every write, positioning, flush and temporary-file creation of a commit, of
// case output and of the close is made to fail in turn. Each run must report
// the failure with the right code, leave no handle and no temporary file
// behind, and keep in the file everything it reported as written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ext/spill_env.h"
#include "frame/handle_table.h"
#include "support/fault_sweep.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using xova::platform::FaultKind;
using xova_test::Fault;
using xova_test::FaultCounts;
using Bytes = std::vector<unsigned char>;

constexpr std::size_t kCountOffset = 80;
constexpr std::size_t kStampOffset = 92;  // creation date and time, 17 bytes
constexpr int kCases = 30;

// The bytes that may differ between two runs that wrote the same thing: the
// creation stamp, and the case count that only a sound close writes.
Bytes Masked(Bytes bytes) {
  for (std::size_t i = kCountOffset; i < kCountOffset + 4 && i < bytes.size(); ++i) bytes[i] = 0;
  for (std::size_t i = kStampOffset; i < kStampOffset + 17 && i < bytes.size(); ++i) bytes[i] = 0;
  return bytes;
}

bool IsPrefix(const Bytes& prefix, const Bytes& whole) {
  return prefix.size() <= whole.size() && std::equal(prefix.begin(), prefix.end(), whole.begin());
}

// A dictionary that uses every kind of record, with a set text large enough
// that the commit copies a spilled block and spills its translation.
void Define(int h, int compression, bool largeSets) {
  ASSERT_EQ(xovaSetCompression(h, compression), XOVA_OK);
  ASSERT_EQ(xovaSetIdString(h, "fault sweep"), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h, "age", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h, "name", 8), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h, "comment", 20), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h, "income_in_thousands", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarLabel(h, "age", "Age in years"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h, "age", 1, "one"), XOVA_OK);
  ASSERT_EQ(xovaSetVarCValueLabel(h, "name", "x", "unknown"), XOVA_OK);
  ASSERT_EQ(xovaSetVarNMissingValues(h, "income_in_thousands", 1, -1, 0, 0), XOVA_OK);
  std::string sets = "$s=C 0  age income_in_thousands\n";
  if (largeSets) {
    for (int i = 0; i < 60; ++i)
      sets += "$t" + std::to_string(i) + "=C 0  age income_in_thousands\n";
  }
  ASSERT_EQ(xovaSetMultRespDefs(h, sets.c_str()), XOVA_OK);
}

double Handle(int h, const char* name) {
  double var = 0;
  EXPECT_EQ(xovaGetVarHandle(h, name, &var), XOVA_OK);
  return var;
}

// Case i: small codes, fractions, system-missing and strings, so compressed
// blocks carry raw elements of both kinds.
std::vector<int> WriteCases(int h) {
  const double age = Handle(h, "age");
  const double name = Handle(h, "name");
  const double income = Handle(h, "income_in_thousands");
  std::vector<int> results;
  for (int i = 0; i < kCases; ++i) {
    xovaSetValueNumeric(h, age, i % 7 == 0 ? xovaSysmisVal() : 20 + i);
    xovaSetValueChar(h, name, i % 3 == 0 ? "" : ("case " + std::to_string(i)).c_str());
    xovaSetValueNumeric(h, income, i * 1.25);
    results.push_back(xovaCommitCaseRecord(h));
  }
  return results;
}

struct Reference {
  Bytes file;
  FaultCounts commitOps;
  FaultCounts caseOps;  // case output and close
  std::size_t dictionaryBytes = 0;
};

class FaultSweep : public ::testing::TestWithParam<int> {
 protected:
  int compression() const { return GetParam(); }
  std::string NextFile() { return dir_.File("run" + std::to_string(runs_++) + ".data"); }

  int OpenDefined(const std::string& file) {
    int h = -1;
    EXPECT_EQ(xovaOpenWrite(file.c_str(), &h), XOVA_OK);
    Define(h, compression(), true);
    return h;
  }

  void SetUp() override {
    const std::string file = NextFile();
    const int h = OpenDefined(file);
    xova::platform::DisarmFaults();
    ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
    ref_.commitOps = FaultCounts::Now();
    std::fflush(xova::LookupHandle(h)->stream.get());  // past the seam: not counted
    ref_.dictionaryBytes = xova_test::ReadFileBytes(file).size();
    xova::platform::DisarmFaults();
    for (int rc : WriteCases(h)) ASSERT_EQ(rc, XOVA_OK);
    ASSERT_EQ(xovaCloseWrite(h), XOVA_OK);
    ref_.caseOps = FaultCounts::Now();
    ref_.file = Masked(xova_test::ReadFileBytes(file));
    ASSERT_EQ(env_.SpillFileCount(), 0u);
  }

  xova_test::FaultScope scope_;
  xova_test::SpillEnv env_;  // no temporary directory set: a failed creation is final
  xova_test::ScratchDir dir_;
  int runs_ = 0;
  Reference ref_;
};

TEST_P(FaultSweep, EveryFailureInACommitEndsTheHandleAndKeepsAPrefix) {
  ASSERT_GT(ref_.commitOps.counts[static_cast<int>(FaultKind::kWrite)], 5);
  ASSERT_GT(ref_.commitOps.counts[static_cast<int>(FaultKind::kTempFile)], 0);
  xova_test::ForEachFault(ref_.commitOps, [&](const Fault& fault) {
    SCOPED_TRACE(fault.Describe());
    const std::string file = NextFile();
    const int h = OpenDefined(file);
    std::FILE* data = xova::LookupHandle(h)->stream.get();
    xova::platform::ArmFault(fault.kind, fault.nth, fault.sticky);
    const int rc = xovaCommitHeader(h);
    const bool fired = xova_test::Fired(fault);
    const bool onData =
        fault.kind != FaultKind::kTempFile && xova::platform::LastFaultStream() == data;
    xova::platform::DisarmFaults();
    if (!fired) {
      EXPECT_EQ(rc, XOVA_OK);
      EXPECT_EQ(xovaCloseWrite(h), XOVA_OK);
      EXPECT_EQ(env_.SpillFileCount(), 0u);
      return;
    }
    EXPECT_EQ(rc, onData ? XOVA_FILE_WRITE_ERROR : XOVA_TEMP_FILE_ERROR);
    EXPECT_EQ(xovaCloseWrite(h), XOVA_BAD_HANDLE);  // the failed commit released it
    EXPECT_EQ(env_.SpillFileCount(), 0u);
    const Bytes got = Masked(xova_test::ReadFileBytes(file));
    EXPECT_LT(got.size(), ref_.dictionaryBytes);
    EXPECT_TRUE(IsPrefix(got, ref_.file));
  });
}

TEST_P(FaultSweep, EveryFailureInCaseOutputAndCloseIsReportedAndLosesOnlyItsBytes) {
  ASSERT_GE(ref_.caseOps.counts[static_cast<int>(FaultKind::kWrite)], compression() ? 3 : kCases);
  ASSERT_GT(ref_.caseOps.counts[static_cast<int>(FaultKind::kSeek)], 0);
  ASSERT_GT(ref_.caseOps.counts[static_cast<int>(FaultKind::kFlush)], 0);
  int caseSize = 0;
  xova_test::ForEachFault(ref_.caseOps, [&](const Fault& fault) {
    SCOPED_TRACE(fault.Describe());
    const std::string file = NextFile();
    const int h = OpenDefined(file);
    ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
    ASSERT_EQ(xovaGetCaseSize(h, &caseSize), XOVA_OK);
    xova::platform::ArmFault(fault.kind, fault.nth, fault.sticky);
    const std::vector<int> results = WriteCases(h);
    const int closed = xovaCloseWrite(h);
    const bool fired = xova_test::Fired(fault);
    const auto before = static_cast<std::size_t>(xova::platform::BytesBeforeFault());
    xova::platform::DisarmFaults();
    EXPECT_EQ(xovaCloseWrite(h), XOVA_BAD_HANDLE);  // the close always releases
    const Bytes got = Masked(xova_test::ReadFileBytes(file));
    if (!fired) {
      EXPECT_EQ(closed, XOVA_OK);
      EXPECT_EQ(got, ref_.file);
      return;
    }
    // A lost write is never reported as success, even when only the close sees it.
    EXPECT_EQ(closed, XOVA_FILE_WRITE_ERROR);
    if (compression() == 0) {
      // Exactly the cases reported as written are in the file, in order.
      Bytes expected(ref_.file.begin(),
                     ref_.file.begin() + static_cast<long>(ref_.dictionaryBytes));
      for (int i = 0; i < kCases; ++i) {
        if (results[static_cast<std::size_t>(i)] != XOVA_OK) continue;
        const auto from = ref_.file.begin() + static_cast<long>(ref_.dictionaryBytes) +
                          static_cast<long>(i) * caseSize;
        expected.insert(expected.end(), from, from + caseSize);
      }
      EXPECT_EQ(got, expected);
    } else {
      // A lost block takes the codes of the cases it held, and the rest of the
      // case being written; what went out before it stays as it was.
      std::size_t kept = ref_.dictionaryBytes + before;
      if (fault.kind == FaultKind::kFlush) kept -= 4;  // the count went in place, at offset 80
      ASSERT_GE(got.size(), kept);
      EXPECT_TRUE(
          std::equal(got.begin(), got.begin() + static_cast<long>(kept), ref_.file.begin()));
    }
  });
}

INSTANTIATE_TEST_SUITE_P(BothCompressions, FaultSweep, ::testing::Values(0, 1));

}  // namespace
