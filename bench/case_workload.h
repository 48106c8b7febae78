// The data the benchmark moves: files of 20 numeric and 2 string (width 12)
// variables, written and read through the library and, for comparison, the
// same case bytes moved through the C library's streams alone.
#ifndef XOVA_BENCH_CASE_WORKLOAD_H
#define XOVA_BENCH_CASE_WORKLOAD_H

#include <cstdint>
#include <string>
#include <vector>

namespace xova_bench {

constexpr int kNumeric = 20;
constexpr int kStrings = 2;
constexpr int kStringWidth = 12;
constexpr int kElements = kNumeric + kStrings * 2;
constexpr int kCaseBytes = kElements * 8;

// Survey-like values: small integer codes, some system-missing, some
// fractions, and short blank-padded answers.
class CaseSource {
 public:
  explicit CaseSource(std::uint32_t seed = 12345);
  // Values of case i (repeats with a period of 4096 cases).
  const double* Numbers(long i) const;
  const char* Text(long i, int s) const;
  // Case i as the bytes of a whole case.
  const char* Whole(long i) const;

 private:
  static constexpr long kPeriod = 4096;
  std::vector<double> numbers_;
  std::vector<std::string> texts_;
  std::vector<char> whole_;
};

enum class Output { kSetters, kWholeCase };

// Writes `cases` cases; false on any failure.
bool WriteFile(const std::string& path, long cases, int compression, Output how,
               const CaseSource& src);
bool WriteBaseline(const std::string& path, long cases, const CaseSource& src);

enum class Input { kGetters, kWholeCase };

// Reads every case; returns how many, or -1.
long ReadFile(const std::string& path, Input how);
long ReadBaseline(const std::string& path, long cases);
// The getter workload's calls, made to a function that does nothing: the
// least any getter can cost.
long EmptyCalls(long cases);

// A file of `vars` variables with long names, labels and value labels.
bool WriteWideDictionary(const std::string& path, int vars);

std::int64_t FileSize(const std::string& path);

}  // namespace xova_bench

#endif
