// Throughput of the case paths against the C library moving the same bytes,
// seek costs, the open of a wide dictionary, and memory against case count.
//   throughput_bench [CASES] [google benchmark flags]
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "case_workload.h"
#include "ratio_report.h"
#include "xovaio32.h"

namespace xova_bench {
namespace {

long g_cases = 1000000;
std::string g_dir;
const CaseSource* g_source = nullptr;

std::string PathOf(const char* name) {
  return g_dir + "/" + name;
}

double PeakResidentMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Finish(benchmark::State& state, bool ok) {
  if (!ok) state.SkipWithError("the workload failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * g_cases * kCaseBytes);
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}

// Callers write new files, so every write, the baseline's too, starts with
// the file gone: rewriting in place costs differently on some file systems.
void RemoveUntimed(benchmark::State& state, const std::string& path) {
  state.PauseTiming();
  std::remove(path.c_str());
  state.ResumeTiming();
}

void BaselineWrite(benchmark::State& state) {
  const std::string file = PathOf("baseline.raw");
  bool ok = true;
  for (auto _ : state) {
    RemoveUntimed(state, file);
    ok = ok && WriteBaseline(file, g_cases, *g_source);
  }
  Finish(state, ok);
}

void BaselineRead(benchmark::State& state) {
  bool ok = true;
  for (auto _ : state) ok = ok && ReadBaseline(PathOf("baseline.raw"), g_cases) == g_cases;
  Finish(state, ok);
}

template <int kCompression, Output kHow>
void Write(benchmark::State& state) {
  const std::string file = PathOf(kCompression ? "scratch_c.data" : "scratch_u.data");
  bool ok = true;
  for (auto _ : state) {
    RemoveUntimed(state, file);
    ok = ok && WriteFile(file, g_cases, kCompression, kHow, *g_source);
  }
  Finish(state, ok);
  if (kCompression) {
    state.counters["size_ratio"] = static_cast<double>(FileSize(file)) /
                                   static_cast<double>(FileSize(PathOf("uncompressed.data")));
  }
}

template <int kCompression, Input kHow>
void Read(benchmark::State& state) {
  const std::string file = PathOf(kCompression ? "compressed.data" : "uncompressed.data");
  bool ok = true;
  for (auto _ : state) ok = ok && ReadFile(file, kHow) == g_cases;
  Finish(state, ok);
}

void EmptyCallFloor(benchmark::State& state) {
  bool ok = true;
  for (auto _ : state) ok = ok && EmptyCalls(g_cases) == g_cases;
  Finish(state, ok);
}

// The first seek builds the index of case positions: here, to the last case.
void FirstSeekToLast(benchmark::State& state) {
  bool ok = true;
  for (auto _ : state) {
    int h = -1;
    ok = ok && xovaOpenRead(PathOf("compressed.data").c_str(), &h) == XOVA_OK;
    ok = ok && xovaSeekNextCase(h, static_cast<int>(g_cases - 1)) == XOVA_OK &&
         xovaReadCaseRecord(h) == XOVA_OK;
    xovaCloseRead(h);
  }
  Finish(state, ok);
}

void RandomSeeks(benchmark::State& state) {
  constexpr int kSeeks = 2000;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(g_cases - 1));
  int h = -1;
  bool ok = xovaOpenRead(PathOf("compressed.data").c_str(), &h) == XOVA_OK &&
            xovaSeekNextCase(h, static_cast<int>(g_cases - 1)) == XOVA_OK &&
            xovaReadCaseRecord(h) == XOVA_OK;  // the index is built here, untimed
  for (auto _ : state) {
    for (int i = 0; ok && i < kSeeks; ++i) {
      ok = xovaSeekNextCase(h, pick(rng)) == XOVA_OK && xovaReadCaseRecord(h) == XOVA_OK;
    }
  }
  xovaCloseRead(h);
  if (!ok) state.SkipWithError("a seek failed");
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}

void OpenWideDictionary(benchmark::State& state) {
  bool ok = true;
  for (auto _ : state) {
    int h = -1;
    ok = ok && xovaOpenRead(PathOf("wide.data").c_str(), &h) == XOVA_OK;
    xovaCloseRead(h);
  }
  if (!ok) state.SkipWithError("the open failed");
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}

// Peak resident size of a child that writes, reads and seeks `cases` cases.
double ChildPeakMiB(long cases) {
  const pid_t pid = fork();
  if (pid == 0) {
    const std::string file = PathOf("memory.data");
    bool ok = WriteFile(file, cases, 1, Output::kSetters, *g_source) &&
              ReadFile(file, Input::kGetters) == cases;
    int h = -1;
    ok = ok && xovaOpenRead(file.c_str(), &h) == XOVA_OK &&
         xovaSeekNextCase(h, static_cast<int>(cases - 1)) == XOVA_OK;
    xovaCloseRead(h);
    std::remove(file.c_str());
    _exit(ok ? 0 : 1);
  }
  // That child's own figure: the children's total would also hold whatever
  // ran in this process before an exec (the build, say).
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0
             ? static_cast<double>(usage.ru_maxrss) / 1024.0
             : -1;
}

// A fixed piece of arithmetic, timed in ms. On a shared machine the CPU's
// speed can change during a run; work that is mostly calls slows down more
// than the baseline's copies then, and the ratios with it.
double SpeedProbeMs() {
  const auto start = std::chrono::steady_clock::now();
  volatile std::uint64_t x = 0;
  for (std::uint64_t i = 0; i < 100000000; ++i) x = x + i;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

bool Prepare() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/xovaio32-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) return false;
  g_dir = pattern;
  std::printf("files in %s, %ld cases of %d bytes\n", g_dir.c_str(), g_cases, kCaseBytes);
  return WriteBaseline(PathOf("baseline.raw"), g_cases, *g_source) &&
         WriteFile(PathOf("uncompressed.data"), g_cases, 0, Output::kWholeCase, *g_source) &&
         WriteFile(PathOf("compressed.data"), g_cases, 1, Output::kWholeCase, *g_source) &&
         WriteWideDictionary(PathOf("wide.data"), 5000);
}

void CleanUp() {
  for (const char* f : {"baseline.raw", "uncompressed.data", "compressed.data", "wide.data",
                        "scratch_u.data", "scratch_c.data"}) {
    std::remove(PathOf(f).c_str());
  }
  rmdir(g_dir.c_str());
}

void Register() {
  using benchmark::RegisterBenchmark;
  auto add = [](const char* name, void (*fn)(benchmark::State&)) {
    RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
  };
  add("baseline_write", BaselineWrite);
  add("write_raw_setters", Write<0, Output::kSetters>);
  add("write_raw_wholecase", Write<0, Output::kWholeCase>);
  add("write_compressed_setters", Write<1, Output::kSetters>);
  add("write_compressed_wholecase", Write<1, Output::kWholeCase>);
  add("baseline_read", BaselineRead);
  add("read_raw_wholecase", Read<0, Input::kWholeCase>);
  add("read_raw_getters", Read<0, Input::kGetters>);
  add("read_compressed_wholecase", Read<1, Input::kWholeCase>);
  add("read_compressed_getters", Read<1, Input::kGetters>);
  add("empty_calls_x22", EmptyCallFloor);
  add("first_seek_to_last_case", FirstSeekToLast);
  RegisterBenchmark("seek_and_read_x2000", RandomSeeks)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1)
      ->UseRealTime();
  RegisterBenchmark("open_5000_variables", OpenWideDictionary)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(20)
      ->UseRealTime();
}

}  // namespace
}  // namespace xova_bench

int main(int argc, char** argv) {
  using namespace xova_bench;
  if (argc > 1 && argv[1][0] != '-') {
    g_cases = std::atol(argv[1]);
    --argc;
    ++argv;
  }
  const CaseSource source;
  g_source = &source;
  if (g_cases < 2 || !Prepare()) {
    std::fprintf(stderr, "could not prepare the files\n");
    return 1;
  }
  Register();
  benchmark::Initialize(&argc, argv);
  const double probeBefore = SpeedProbeMs();
  MedianCollector medians;
  benchmark::RunSpecifiedBenchmarks(&medians);
  const double probeAfter = SpeedProbeMs();

  const int missed =
      PrintRatios(medians, {{"write_raw_wholecase", "baseline_write", 0.9},
                            {"write_raw_setters", "baseline_write", 0.6},
                            {"write_compressed_wholecase", "baseline_write", 0.5},
                            {"write_compressed_setters", "baseline_write", 0.5},
                            {"read_raw_wholecase", "baseline_read", 0.9},
                            {"read_compressed_wholecase", "baseline_read", 0.5},
                            {"read_raw_getters", "baseline_read", 0.5},
                            {"read_compressed_getters", "baseline_read", 0.5},
                            {"first_seek_to_last_case", "read_compressed_wholecase", 1 / 1.5}});
  std::printf("speed probe: %.1f ms before, %.1f ms after%s\n", probeBefore, probeAfter,
              probeAfter > 1.1 * probeBefore || probeBefore > 1.1 * probeAfter
                  ? " (the machine's speed changed: repeat the run)"
                  : "");
  const double perSeek = medians.Seconds("seek_and_read_x2000") / 2000 * 1e6;
  const double open = medians.Seconds("open_5000_variables") * 1e3;
  std::printf("22 empty calls per case:   %.1f ms a pass (what any getter pass adds at least)\n",
              medians.Seconds("empty_calls_x22") * 1e3);
  std::printf("seek and read, compressed: %.2f us each (target at most 20)\n", perSeek);
  std::printf("open of 5,000 variables:   %.2f ms (target at most 50)\n", open);
  const double small = ChildPeakMiB(g_cases / 10);
  const double large = ChildPeakMiB(g_cases);
  std::printf("peak resident size: %ld cases %.1f MiB, %ld cases %.1f MiB (target within 2)\n",
              g_cases / 10, small, g_cases, large);
  CleanUp();
  return missed + (perSeek > 20) + (open > 50) + (large - small > 2 || small < 0) > 0 ? 3 : 0;
}
