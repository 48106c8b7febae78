// Out-of-memory paths of the label setters, the fold and the whole-set queries.
#include <string>

#include "frame/api_guard.h"
#include "label_test_support.h"
#include "support/alloc_failure.h"

namespace {

using xova_test::AllocFailureScope;
using xova_test::FailedAllocations;
using xova_test::ForEachAllocationFailure;
using xova_test::ResetAllocFailure;
using xova_test::ValueLabelTest;

using ValueLabelMemory = ValueLabelTest;

const std::string kLong(40, 'L');  // too long for any small-string buffer
const char* const kL = kLong.c_str();

// Runs `call` with the failure armed by ForEachAllocationFailure, then
// disarms it so the test's own checks may allocate. -1000 when nothing failed.
template <class Call>
int Armed(Call call) {
  const int rc = call();
  ResetAllocFailure();
  return FailedAllocations() > 0 ? rc : -1000;
}

TEST_F(ValueLabelMemory, NewEditIsDiscardedWhenItCannotBeBuilt) {
  AllocFailureScope scope;
  const char* names[] = {"N1"};
  const double values[] = {1};
  const char* labels[] = {kL};
  ASSERT_EQ(xovaSetVarNValueLabels(h_, names, 1, values, labels, 1), XOVA_OK);
  const std::string before = State();
  const long runs = ForEachAllocationFailure([&] {
    const int rc = Armed([&] { return xovaSetVarNValueLabel(h_, "N1", 2, kL); });
    if (rc == -1000) return;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    EXPECT_EQ(State(), before);
  });
  EXPECT_GT(runs, 2);
  EXPECT_EQ(Pending(), "N1 1=" + kLong + " 2=" + kLong);
}

TEST_F(ValueLabelMemory, EditWithEntriesStaysAsItWas) {
  AllocFailureScope scope;
  ASSERT_EQ(xovaSetVarCValueLabel(h_, "S8", "a", kL), XOVA_OK);
  const std::string before = State();
  const long runs = ForEachAllocationFailure([&] {
    const int rc = Armed([&] { return xovaSetVarCValueLabel(h_, "S8", "b", kL); });
    if (rc == -1000) return;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    EXPECT_EQ(State(), before);
  });
  EXPECT_GT(runs, 0);
  EXPECT_EQ(fs_->pendingLabels->entries.size(), 2u);
}

TEST_F(ValueLabelMemory, SingleSetterKeepsAFoldThatSucceeded) {
  AllocFailureScope scope;
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, kL), XOVA_OK);
  const std::string before = State();
  const std::string foldedOnly = "N 1=" + kLong + " @1\n|none";
  const long runs = ForEachAllocationFailure([&] {
    const int rc = Armed([&] { return xovaSetVarNValueLabel(h_, "N3", 2, kL); });
    if (rc == -1000) return;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    const std::string now = State();
    EXPECT_TRUE(now == before || now == foldedOnly) << now;
  });
  EXPECT_GT(runs, 0);
  EXPECT_EQ(State(), "N 1=" + kLong + " @1\n|N3 2=" + kLong);
}

// Deliberately sounder than losing labels: a failed fold changes nothing, so
// the variable keeps its old set and the edit can still be folded.
TEST_F(ValueLabelMemory, FailedFoldChangesNothing) {
  AllocFailureScope scope;
  const char* names[] = {"N1", "N3"};
  const double values[] = {1};
  const char* labels[] = {kL};
  ASSERT_EQ(xovaSetVarNValueLabels(h_, names, 2, values, labels, 1), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 2, kL), XOVA_OK);
  const std::string before = State();
  const long runs = ForEachAllocationFailure([&] {
    const int rc = Armed([&] { return xova::Guarded([&] { return Fold(); }); });
    if (rc == -1000) return;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    EXPECT_EQ(State(), before);
  });
  EXPECT_GT(runs, 0);
  EXPECT_EQ(State(), "N 1=" + kLong + " @3\nN 1=" + kLong + " 2=" + kLong + " @1\n|none");
}

TEST_F(ValueLabelMemory, FailedJoinChangesNothing) {
  AllocFailureScope scope;
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N1", 1, kL), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N3", 1, kL), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N7", 1, kL), XOVA_OK);
  // Folding N3 joined N1's set; fill its variable list to capacity so that
  // joining N7 must grow it.
  auto& vars = fs_->labelSets.front().variables;
  vars.shrink_to_fit();
  const std::string before = State();
  const long runs = ForEachAllocationFailure([&] {
    const int rc = Armed([&] { return xova::Guarded([&] { return Fold(); }); });
    if (rc == -1000) return;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    EXPECT_EQ(State(), before);
  });
  EXPECT_GT(runs, 0);
  EXPECT_EQ(Sets(), "N 1=" + kLong + " @1,3,7\n");
}

TEST_F(ValueLabelMemory, ListSetterChangesNothingButTheFold) {
  AllocFailureScope scope;
  const char* shared[] = {"N1", "N3"};
  const double one[] = {1};
  const char* labels[] = {kL, kL};
  ASSERT_EQ(xovaSetVarNValueLabels(h_, shared, 2, one, labels, 1), XOVA_OK);
  ASSERT_EQ(xovaSetVarNValueLabel(h_, "N7", 5, kL), XOVA_OK);
  const std::string before = State();
  const std::string foldedOnly = "N 1=" + kLong + " @1,3\nN 5=" + kLong + " @7\n|none";
  const char* names[] = {"N3", "N7"};
  const double values[] = {2, 1};
  const long runs = ForEachAllocationFailure([&] {
    const int rc = Armed([&] { return xovaSetVarNValueLabels(h_, names, 2, values, labels, 2); });
    if (rc == -1000) return;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    const std::string now = State();
    EXPECT_TRUE(now == before || now == foldedOnly) << now;
  });
  EXPECT_GT(runs, 3);
  EXPECT_EQ(State(), "N 1=" + kLong + " @1\nN 1=" + kLong + " 2=" + kLong + " @3,7\n|none");
}

TEST_F(ValueLabelMemory, StringListSetterChangesNothingOnFailure) {
  AllocFailureScope scope;
  const char* names[] = {"S2", "S8"};
  const char* values[] = {"b", "a"};
  const char* labels[] = {kL, kL};
  const long runs = ForEachAllocationFailure([&] {
    const int rc = Armed([&] { return xovaSetVarCValueLabels(h_, names, 2, values, labels, 2); });
    if (rc == -1000) return;
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    EXPECT_EQ(State(), "|none");
  });
  EXPECT_GT(runs, 3);
  EXPECT_EQ(Sets(), "C 'a       '=" + kLong + " 'b       '=" + kLong + " @2,4\n");
}

TEST_F(ValueLabelMemory, WholeSetQueryReleasesWhatItBuilt) {
  AllocFailureScope scope;
  const char* names[] = {"S8"};
  const char* values[] = {"a", "b", "c"};
  const char* labels[] = {kL, kL, kL};
  ASSERT_EQ(xovaSetVarCValueLabels(h_, names, 1, values, labels, 3), XOVA_OK);
  const long runs = ForEachAllocationFailure([&] {
    char** v = nullptr;
    char** l = nullptr;
    int n = -1;
    const int rc = Armed([&] { return xovaGetVarCValueLabels(h_, "S8", &v, &l, &n); });
    if (rc == -1000) {
      EXPECT_EQ(n, 3);
      EXPECT_EQ(xovaFreeVarCValueLabels(v, l, n), XOVA_OK);
      return;
    }
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    EXPECT_EQ(v, nullptr);
    EXPECT_EQ(l, nullptr);
    EXPECT_EQ(n, 0);
  });
  EXPECT_EQ(runs, 8);  // two arrays, three values, three labels
}

TEST_F(ValueLabelMemory, NumericWholeSetQueryReleasesWhatItBuilt) {
  AllocFailureScope scope;
  const char* names[] = {"N1"};
  const double values[] = {2, 1};
  const char* labels[] = {kL, kL};
  ASSERT_EQ(xovaSetVarNValueLabels(h_, names, 1, values, labels, 2), XOVA_OK);
  const long runs = ForEachAllocationFailure([&] {
    double* v = nullptr;
    char** l = nullptr;
    int n = -1;
    const int rc = Armed([&] { return xovaGetVarNValueLabels(h_, "N1", &v, &l, &n); });
    if (rc == -1000) {
      ASSERT_EQ(n, 2);
      EXPECT_EQ(v[0], 1.0);
      EXPECT_EQ(xovaFreeVarNValueLabels(v, l, n), XOVA_OK);
      return;
    }
    EXPECT_EQ(rc, XOVA_OUT_OF_MEMORY);
    EXPECT_EQ(v, nullptr);
    EXPECT_EQ(l, nullptr);
    EXPECT_EQ(n, 0);
  });
  EXPECT_EQ(runs, 4);  // values, label array, two labels
}

}  // namespace
