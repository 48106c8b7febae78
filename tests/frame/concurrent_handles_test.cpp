// Distinct handles used from several threads at once, with only the opens and
// closes serialised, as the threading contract allows. Under ThreadSanitizer
// (scripts/test --tsan) any state the handles share shows up as a race.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using xova_test::ScratchDir;

constexpr int kThreads = 4;
constexpr int kCases = 1500;
constexpr int kAppended = 250;
constexpr int kLongWidth = 40;

std::mutex g_openClose;

// An open or a close, under the one lock (any calling convention).
template <typename Fn, typename... Args>
int Locked(Fn fn, Args... args) {
  std::lock_guard<std::mutex> lock(g_openClose);
  return fn(args...);
}

int Open(int(XOVA_CALL* open)(const char*, int*) XOVA_NOEXCEPT, const std::string& file, int* h) {
  return Locked(open, file.c_str(), h);
}

int Close(int(XOVA_CALL* close)(int) XOVA_NOEXCEPT, int h) {
  return Locked(close, h);
}

// Values that compress (small integers), that don't (fractions) and sysmis.
double Amount(int thread, int i) {
  if (i % 7 == 3) return xovaSysmisVal();
  return i % 2 ? i % 50 : thread * 1000.0 + i / 8.0;
}

std::string Text(int thread, int i) {
  return "t" + std::to_string(thread) + " case " + std::to_string(i);
}

// Results are gathered per thread and checked on the main thread: gtest's
// assertions are safe across threads, but a message naming the step helps more.
struct Outcome {
  std::string failure;
  void Fail(const std::string& step, int rc) {
    if (failure.empty()) failure = step + " gave " + std::to_string(rc);
  }
};

#define STEP(call, expected)                             \
  do {                                                   \
    const int rc_ = (call);                              \
    if (rc_ != (expected)) return out->Fail(#call, rc_); \
  } while (0)

void DefineAndWrite(int thread, const std::string& file, bool compress, Outcome* out) {
  int h = -1;
  STEP(Open(xovaOpenWrite, file, &h), XOVA_OK);
  STEP(xovaSetCompression(h, compress ? 1 : 0), XOVA_OK);
  STEP(xovaSetIdString(h, ("thread " + std::to_string(thread)).c_str()), XOVA_OK);
  STEP(xovaSetVarName(h, "CaseNumber", 0), XOVA_OK);
  STEP(xovaSetVarName(h, "amount", 0), XOVA_OK);
  STEP(xovaSetVarName(h, "remark", kLongWidth), XOVA_OK);
  STEP(xovaSetVarLabel(h, "amount", "Amount spent, in whole units"), XOVA_OK);
  STEP(xovaSetVarNValueLabel(h, "amount", 1.0, "One"), XOVA_OK);
  STEP(xovaSetVarNMissingValues(h, "amount", 1, 49.0, 0.0, 0.0), XOVA_OK);
  // Enough set definitions to move the side data to a temporary file.
  for (int s = 0; s < 40; ++s) {
    const char* vars[] = {"CaseNumber", "amount"};
    const std::string name = "$set" + std::to_string(s);
    STEP(xovaAddMultRespDefN(h, name.c_str(), "A set with a fairly long label for its size", 1, 1,
                             vars, 2),
         XOVA_OK);
  }
  STEP(xovaCommitHeader(h), XOVA_OK);
  double number = 0, amount = 0, remark = 0;
  STEP(xovaGetVarHandle(h, "CaseNumber", &number), XOVA_OK);
  STEP(xovaGetVarHandle(h, "amount", &amount), XOVA_OK);
  STEP(xovaGetVarHandle(h, "remark", &remark), XOVA_OK);
  int caseSize = 0;
  STEP(xovaGetCaseSize(h, &caseSize), XOVA_OK);
  std::vector<char> record(static_cast<std::size_t>(caseSize));
  for (int i = 0; i < kCases; ++i) {
    if (i % 2) {
      STEP(xovaSetValueNumeric(h, number, i), XOVA_OK);
      STEP(xovaSetValueNumeric(h, amount, Amount(thread, i)), XOVA_OK);
      STEP(xovaSetValueChar(h, remark, Text(thread, i).c_str()), XOVA_OK);
      STEP(xovaCommitCaseRecord(h), XOVA_OK);
    } else {
      // Whole cases: two numbers, then the string blank-padded.
      const double values[2] = {static_cast<double>(i), Amount(thread, i)};
      std::memcpy(record.data(), values, sizeof values);
      std::memset(record.data() + 16, ' ', record.size() - 16);
      const std::string text = Text(thread, i);
      std::memcpy(record.data() + 16, text.data(), text.size());
      STEP(xovaWholeCaseOut(h, record.data()), XOVA_OK);
    }
  }
  STEP(Close(xovaCloseWrite, h), XOVA_OK);
}

bool SameValue(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void ReadBack(int thread, const std::string& file, int cases, Outcome* out) {
  int h = -1;
  STEP(Open(xovaOpenRead, file, &h), XOVA_OK);
  int count = 0;
  STEP(xovaGetNumberofCases(h, &count), XOVA_OK);
  if (count != cases) return out->Fail("case count of " + file, count);
  double number = 0, amount = 0, remark = 0;
  STEP(xovaGetVarHandle(h, "CaseNumber", &number), XOVA_OK);
  STEP(xovaGetVarHandle(h, "amount", &amount), XOVA_OK);
  STEP(xovaGetVarHandle(h, "remark", &remark), XOVA_OK);
  char text[kLongWidth + 1];
  for (int i = 0; i < cases; ++i) {
    STEP(xovaReadCaseRecord(h), XOVA_OK);
    double n = -1, a = -1;
    STEP(xovaGetValueNumeric(h, number, &n), XOVA_OK);
    STEP(xovaGetValueNumeric(h, amount, &a), XOVA_OK);
    STEP(xovaGetValueChar(h, remark, text, sizeof text), XOVA_OK);
    const int k = i < kCases ? i : i - kCases;
    if (n != k || !SameValue(a, Amount(thread, k))) return out->Fail("value of case", i);
    if (std::string(text).substr(0, Text(thread, k).size()) != Text(thread, k)) {
      return out->Fail("text of case", i);
    }
  }
  STEP(xovaReadCaseRecord(h), XOVA_END_OF_DATA);
  // Back into the middle, then whole cases from there on.
  const int from = cases / 3;
  STEP(xovaSeekNextCase(h, from), XOVA_OK);
  int caseSize = 0;
  STEP(xovaGetCaseSize(h, &caseSize), XOVA_OK);
  std::vector<char> record(static_cast<std::size_t>(caseSize));
  for (int i = from; i < cases; ++i) {
    STEP(xovaWholeCaseIn(h, record.data()), XOVA_OK);
    double values[2];
    std::memcpy(values, record.data(), sizeof values);
    const int k = i < kCases ? i : i - kCases;
    if (values[0] != k || !SameValue(values[1], Amount(thread, k))) {
      return out->Fail("whole case", i);
    }
  }
  STEP(Close(xovaCloseRead, h), XOVA_OK);
}

void Append(int thread, const std::string& file, Outcome* out) {
  int h = -1;
  STEP(Open(xovaOpenAppend, file, &h), XOVA_OK);
  double number = 0, amount = 0, remark = 0;
  STEP(xovaGetVarHandle(h, "CaseNumber", &number), XOVA_OK);
  STEP(xovaGetVarHandle(h, "amount", &amount), XOVA_OK);
  STEP(xovaGetVarHandle(h, "remark", &remark), XOVA_OK);
  for (int i = 0; i < kAppended; ++i) {
    STEP(xovaSetValueNumeric(h, number, i), XOVA_OK);
    STEP(xovaSetValueNumeric(h, amount, Amount(thread, i)), XOVA_OK);
    STEP(xovaSetValueChar(h, remark, Text(thread, i).c_str()), XOVA_OK);
    STEP(xovaCommitCaseRecord(h), XOVA_OK);
  }
  STEP(Close(xovaCloseAppend, h), XOVA_OK);
}

void CopyDictionary(const std::string& file, const std::string& from, Outcome* out) {
  int h = -1;
  STEP(Locked(xovaOpenWriteCopy, file.c_str(), from.c_str(), &h), XOVA_OK);
  STEP(xovaCommitHeader(h), XOVA_OK);
  double number = 0;
  STEP(xovaGetVarHandle(h, "CaseNumber", &number), XOVA_OK);
  STEP(xovaSetValueNumeric(h, number, 7), XOVA_OK);
  STEP(xovaCommitCaseRecord(h), XOVA_OK);
  STEP(Close(xovaCloseWrite, h), XOVA_OK);
  STEP(Open(xovaOpenRead, file, &h), XOVA_OK);
  int vars = 0, cases = 0;
  STEP(xovaGetNumberofVariables(h, &vars), XOVA_OK);
  STEP(xovaGetNumberofCases(h, &cases), XOVA_OK);
  STEP(Close(xovaCloseRead, h), XOVA_OK);
  if (vars != 3 || cases != 1) out->Fail("copy of " + from, vars * 1000 + cases);
}

#undef STEP

void Worker(int thread, const ScratchDir* dir, Outcome* out) {
  for (bool compress : {false, true}) {
    const std::string base = "t" + std::to_string(thread) + (compress ? "c" : "r");
    const std::string file = dir->File(base + ".data");
    DefineAndWrite(thread, file, compress, out);
    if (!out->failure.empty()) return;
    ReadBack(thread, file, kCases, out);
    if (!out->failure.empty()) return;
    Append(thread, file, out);
    if (!out->failure.empty()) return;
    ReadBack(thread, file, kCases + kAppended, out);
    if (!out->failure.empty()) return;
    CopyDictionary(dir->File(base + "-copy.data"), file, out);
    if (!out->failure.empty()) return;
  }
}

TEST(ConcurrentHandles, ThreadsWriteReadAppendAndCopyTheirOwnFiles) {
  ScratchDir dir;
  std::vector<Outcome> outcomes(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(Worker, t, &dir, &outcomes[t]);
  for (auto& t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(outcomes[t].failure, "") << "thread " << t;
  }
  // Every handle was closed: the whole table is free again.
  std::vector<int> handles;
  int h = -1;
  for (int i = 0; i < kThreads * 2; ++i) {
    ASSERT_EQ(xovaOpenWrite(dir.File("probe" + std::to_string(i)).c_str(), &h), XOVA_OK);
    handles.push_back(h);
  }
  EXPECT_EQ(handles.front(), 0);
  for (int x : handles) xovaCloseWrite(x);
}

}  // namespace
