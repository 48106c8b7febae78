// Every operation of spilling a block to its temporary file is made to fail
// in turn, when a caller stores a large text and when a file being opened
// holds one: the failure is reported, nothing is left half-stored, and no
// temporary file stays behind.
#include <gtest/gtest.h>

#include <string>

#include "ext/spill_env.h"
#include "support/fault_sweep.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova_test::Fault;
using xova_test::FaultCounts;

const char kSmall[] = "$a=C 0  x y\n";

std::string LargeSets() {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "$set" + std::to_string(i) + "=C 0  x y\n";
  return text;
}

std::string SetsOf(int h) {
  char* text = nullptr;
  if (xovaGetMultRespDefs(h, &text) != XOVA_OK || !text) return "(none)";
  std::string copy = text;
  xovaFreeMultRespDefs(text);
  return copy;
}

class SpillFaults : public ::testing::Test {
 protected:
  xova_test::FaultScope scope_;
  xova_test::SpillEnv env_;
};

TEST_F(SpillFaults, AStoreThatCannotSpillKeepsTheEarlierText) {
  const std::string large = LargeSets();
  FaultCounts ops;
  {
    xova_test::WriteHandle w;
    ASSERT_EQ(xovaSetMultRespDefs(w.handle(), kSmall), XOVA_OK);
    xova::platform::DisarmFaults();
    ASSERT_EQ(xovaSetMultRespDefs(w.handle(), large.c_str()), XOVA_OK);
    ops = FaultCounts::Now();
    ASSERT_EQ(env_.SpillFileCount(), 1u);
  }
  ASSERT_GT(ops.counts[static_cast<int>(xova::platform::FaultKind::kTempFile)], 0);
  xova_test::ForEachFault(ops, [&](const Fault& fault) {
    SCOPED_TRACE(fault.Describe());
    xova_test::WriteHandle w;
    ASSERT_EQ(xovaSetMultRespDefs(w.handle(), kSmall), XOVA_OK);
    xova::platform::ArmFault(fault.kind, fault.nth, fault.sticky);
    const int rc = xovaSetMultRespDefs(w.handle(), large.c_str());
    const bool fired = xova_test::Fired(fault);
    xova::platform::DisarmFaults();
    if (fired) {
      EXPECT_EQ(rc, XOVA_TEMP_FILE_ERROR);
      EXPECT_EQ(SetsOf(w.handle()), kSmall);
      EXPECT_EQ(env_.SpillFileCount(), 0u);
    } else {
      EXPECT_EQ(rc, XOVA_OK);
      EXPECT_EQ(SetsOf(w.handle()), large);
    }
  });
}

TEST_F(SpillFaults, AnOpenThatCannotSpillGivesNoHandleAndNoFile) {
  const std::string large = LargeSets();
  xova_test::ScratchDir dir;
  const std::string file = dir.File("sets.data");
  {
    int h = -1;
    ASSERT_EQ(xovaOpenWrite(file.c_str(), &h), XOVA_OK);
    ASSERT_EQ(xovaSetVarName(h, "x", 0), XOVA_OK);
    ASSERT_EQ(xovaSetVarName(h, "y", 0), XOVA_OK);
    ASSERT_EQ(xovaSetMultRespDefs(h, large.c_str()), XOVA_OK);
    ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
    ASSERT_EQ(xovaCloseWrite(h), XOVA_OK);
  }
  xova::platform::DisarmFaults();
  int h = -1;
  ASSERT_EQ(xovaOpenRead(file.c_str(), &h), XOVA_OK);
  const FaultCounts ops = FaultCounts::Now();
  ASSERT_EQ(SetsOf(h), large);
  ASSERT_EQ(xovaCloseRead(h), XOVA_OK);
  ASSERT_GT(ops.counts[static_cast<int>(xova::platform::FaultKind::kWrite)], 0);
  xova_test::ForEachFault(ops, [&](const Fault& fault) {
    SCOPED_TRACE(fault.Describe());
    xova::platform::ArmFault(fault.kind, fault.nth, fault.sticky);
    h = -1;
    const int rc = xovaOpenRead(file.c_str(), &h);
    const bool fired = xova_test::Fired(fault);
    xova::platform::DisarmFaults();
    if (rc == XOVA_OK) {
      // Only a failed positioning of the data file may be survivable.
      EXPECT_TRUE(!fired || fault.kind == xova::platform::FaultKind::kSeek);
      EXPECT_EQ(SetsOf(h), large);
      EXPECT_EQ(xovaCloseRead(h), XOVA_OK);
    } else {
      EXPECT_TRUE(fired);
      if (fault.kind != xova::platform::FaultKind::kSeek) {
        EXPECT_EQ(rc, XOVA_TEMP_FILE_ERROR);
      }
      EXPECT_EQ(xovaCloseRead(h), XOVA_BAD_HANDLE);
    }
    EXPECT_EQ(env_.SpillFileCount(), 0u);
  });
}

}  // namespace
