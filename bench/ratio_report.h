// Collects the medians of the benchmark runs and prints, for each workload,
// its ratio to the baseline that ran beside it, against the target.
#ifndef XOVA_BENCH_RATIO_REPORT_H
#define XOVA_BENCH_RATIO_REPORT_H

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace xova_bench {

class MedianCollector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  // Median real time of a benchmark in seconds (0 when it didn't run).
  double Seconds(const std::string& name) const;

 private:
  std::map<std::string, double> medians_;
};

struct Ratio {
  std::string workload;
  std::string baseline;
  double target;  // the least ratio of baseline time to workload time
};

// Prints the table; returns the number of targets missed.
int PrintRatios(const MedianCollector& medians, const std::vector<Ratio>& ratios);

}  // namespace xova_bench

#endif
