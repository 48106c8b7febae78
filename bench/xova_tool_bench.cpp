// The xova tool against hand-written baselines, side by side in one run on
// the benchmark's files (20 numeric and 2 string variables per case):
// - export csv, and export csv --jobs 2, against a loop that formats the
//   same values from memory with std::to_chars into a 64 KiB buffer;
// - import of that CSV against a loop that parses it from memory with
//   std::from_chars and writes the doubles with fwrite;
// - the tool's peak resident size at a tenth of the cases and at all of them.
// Every write goes to a new file. Repetitions are interleaved; ratios compare
// medians, baseline time over tool time (higher is better).
//   xova_tool_bench XOVA_BINARY [CASES] [REPETITIONS]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "case_workload.h"
#include "xovaio32.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Child {
  double seconds = 0;
  long maxRssKiB = 0;
  int status = -1;
};

Child Run(const std::vector<std::string>& args) {
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  Child c;
  c.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  c.maxRssKiB = usage.ru_maxrss;
  c.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return c;
}

// The cases of a file in memory, whole, as the library hands them out.
std::vector<char> LoadCases(const std::string& path, long& cases, std::vector<int>& offsets,
                            std::vector<int>& widths, std::vector<std::string>& names) {
  int h = -1;
  if (xovaOpenRead(path.c_str(), &h) != XOVA_OK) std::exit(1);
  int size = 0, n = 0;
  xovaGetCaseSize(h, &size);
  char** vn = nullptr;
  int* types = nullptr;
  xovaGetVarNames(h, &n, &vn, &types);
  for (int i = 0; i < n; ++i) {
    double vh;
    xovaGetVarHandle(h, vn[i], &vh);
    std::uint64_t bits;
    std::memcpy(&bits, &vh, 8);
    offsets.push_back(static_cast<int>((bits & 0xFFFFFFFFu) - 1) * 8);
    widths.push_back(types[i]);
    names.push_back(vn[i]);
  }
  xovaFreeVarNames(vn, types, n);
  std::vector<char> all;
  std::vector<char> one(static_cast<std::size_t>(size));
  cases = 0;
  while (xovaWholeCaseIn(h, one.data()) == XOVA_OK) {
    all.insert(all.end(), one.begin(), one.end());
    ++cases;
  }
  xovaCloseRead(h);
  return all;
}

// to_chars and a 64 KiB buffer, writing the same CSV the tool writes.
double BaselineExport(const std::vector<char>& data, std::size_t caseSize, long cases,
                      const std::vector<int>& offsets, const std::vector<int>& widths,
                      const std::vector<std::string>& names, const std::string& out) {
  fs::remove(out);
  const auto start = Clock::now();
  std::FILE* f = std::fopen(out.c_str(), "wb");
  std::setvbuf(f, nullptr, _IONBF, 0);
  std::vector<char> buf(1 << 16);
  std::size_t used = 0;
  auto flush = [&] {
    std::fwrite(buf.data(), 1, used, f);
    used = 0;
  };
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i) buf[used++] = ',';
    std::memcpy(&buf[used], names[i].data(), names[i].size());
    used += names[i].size();
  }
  buf[used++] = '\n';
  std::uint64_t sysmis;
  const double s = xovaSysmisVal();
  std::memcpy(&sysmis, &s, 8);
  for (long c = 0; c < cases; ++c) {
    const char* rec = data.data() + static_cast<std::size_t>(c) * caseSize;
    if (used > buf.size() - 4096) flush();
    for (std::size_t i = 0; i < offsets.size(); ++i) {
      if (i) buf[used++] = ',';
      const char* at = rec + offsets[i];
      if (widths[i] == 0) {
        std::uint64_t bits;
        std::memcpy(&bits, at, 8);
        if (bits == sysmis) continue;
        double v;
        std::memcpy(&v, at, 8);
        used =
            static_cast<std::size_t>(std::to_chars(&buf[used], &buf[used] + 32, v).ptr - &buf[0]);
      } else {
        int n = widths[i];
        while (n > 0 && at[n - 1] == ' ') --n;
        std::memcpy(&buf[used], at, static_cast<std::size_t>(n));
        used += static_cast<std::size_t>(n);
      }
    }
    buf[used++] = '\n';
  }
  flush();
  std::fclose(f);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// from_chars over the CSV in memory, the doubles written with fwrite.
double BaselineImport(const std::string& csv, const std::vector<int>& widths,
                      const std::string& out) {
  fs::remove(out);
  const auto start = Clock::now();
  std::FILE* f = std::fopen(out.c_str(), "wb");
  std::vector<double> row;
  std::vector<char> text;
  const char* p = csv.data();
  const char* end = p + csv.size();
  p = static_cast<const char*>(std::memchr(p, '\n', csv.size())) + 1;  // the header
  std::size_t col = 0;
  while (p < end) {
    const char* q = p;
    while (q < end && *q != ',' && *q != '\n') ++q;
    if (widths[col] == 0) {
      double v = xovaSysmisVal();
      if (q > p) std::from_chars(p, q, v);
      row.push_back(v);
    } else {
      text.assign(static_cast<std::size_t>(widths[col]), ' ');
      std::memcpy(text.data(), p, static_cast<std::size_t>(q - p));
      std::fwrite(text.data(), 1, text.size(), f);
    }
    if (q < end && *q == '\n') {
      std::fwrite(row.data(), sizeof(double), row.size(), f);
      row.clear();
      col = 0;
    } else {
      ++col;
    }
    p = q + 1;
  }
  std::fclose(f);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::string ReadAll(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::string s;
  char buf[1 << 16];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: xova_tool_bench XOVA_BINARY [CASES] [REPETITIONS]\n");
    return 2;
  }
  const std::string xova = fs::absolute(argv[1]).string();
  const long cases = argc > 2 ? std::atol(argv[2]) : 1000000;
  const int reps = argc > 3 ? std::atoi(argv[3]) : 5;
  const fs::path dir = fs::temp_directory_path() / ("xova-tool-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string data = (dir / "cases.data").string(), small = (dir / "small.data").string();
  const std::string csv = (dir / "tool.csv").string(), base = (dir / "base.csv").string();
  const xova_bench::CaseSource src;
  if (!xova_bench::WriteFile(data, cases, 0, xova_bench::Output::kWholeCase, src) ||
      !xova_bench::WriteFile(small, cases / 10, 0, xova_bench::Output::kWholeCase, src)) {
    std::fprintf(stderr, "xova_tool_bench: cannot write the files in %s\n", dir.c_str());
    return 1;
  }
  // Peak resident size first, while this process is small: a child's peak
  // counts what it shared with its parent before the exec.
  const long rssSmall =
      Run({xova, "export", small, "-o", (dir / "small.csv").string(), "--quiet"}).maxRssKiB;
  const long rssLarge = Run({xova, "export", data, "-o", csv, "--quiet"}).maxRssKiB;
  fs::remove(dir / "small.csv");
  fs::remove(csv);

  long n = 0;
  std::vector<int> offsets, widths;
  std::vector<std::string> names;
  const std::vector<char> mem = LoadCases(data, n, offsets, widths, names);
  const std::size_t caseSize = mem.size() / static_cast<std::size_t>(n);

  std::vector<double> tExport, tJobs, tBaseExport, tImport, tBaseImport;
  for (int r = 0; r < reps; ++r) {
    tBaseExport.push_back(BaselineExport(mem, caseSize, n, offsets, widths, names, base));
    fs::remove(csv);
    Child e = Run({xova, "export", data, "-o", csv, "--quiet"});
    if (e.status != 0) return 1;
    tExport.push_back(e.seconds);
    fs::remove(csv);
    Child j = Run({xova, "export", data, "-o", csv, "--quiet", "--jobs", "2"});
    if (j.status != 0) return 1;
    tJobs.push_back(j.seconds);
  }
  const bool same = ReadAll(csv) == ReadAll(base);
  const std::string csvText = ReadAll(csv);
  for (int r = 0; r < reps; ++r) {
    tBaseImport.push_back(BaselineImport(csvText, widths, (dir / "base.raw").string()));
    fs::remove(dir / "imported.data");
    Child i = Run(
        {xova, "import", csv, "--like", data, "-o", (dir / "imported.data").string(), "--quiet"});
    if (i.status != 0) return 1;
    tImport.push_back(i.seconds);
  }
  const double be = Median(tBaseExport), bi = Median(tBaseImport);
  std::printf("xova_tool_bench: %ld cases of %zu bytes, %d repetitions, CSV of %zu bytes%s\n", n,
              caseSize, reps, csvText.size(),
              same ? " (the baseline's CSV is the same, byte for byte)" : " (CSV DIFFERS)");
  std::printf("%-34s %10s %10s %8s %8s\n", "workload", "tool s", "base s", "ratio", "target");
  std::printf("%-34s %10.3f %10.3f %8.2f %8.2f\n", "export csv", Median(tExport), be,
              be / Median(tExport), 0.7);
  std::printf("%-34s %10.3f %10.3f %8.2f %8.2f\n", "export csv --jobs 2", Median(tJobs), be,
              be / Median(tJobs), 1.4);
  std::printf("%-34s %10.3f %10.3f %8.2f %8.2f\n", "import csv --like", Median(tImport), bi,
              bi / Median(tImport), 0.5);
  std::printf("peak resident size of export: %ld KiB at %ld cases, %ld KiB at %ld cases\n",
              rssSmall, cases / 10, rssLarge, cases);
  fs::remove_all(dir);
  return same ? 0 : 1;
}
