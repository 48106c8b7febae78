#include "ratio_report.h"

#include <cstdio>

namespace xova_bench {

void MedianCollector::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.aggregate_name == "median" ||
        (run.run_type == Run::RT_Iteration && run.repetitions <= 1)) {
      medians_[run.run_name.function_name] = run.GetAdjustedRealTime() / 1e3;  // ms → s
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

double MedianCollector::Seconds(const std::string& name) const {
  const auto it = medians_.find(name);
  return it == medians_.end() ? 0 : it->second;
}

int PrintRatios(const MedianCollector& medians, const std::vector<Ratio>& ratios) {
  int missed = 0;
  std::printf("\n%-34s %-22s %8s %8s %6s\n", "workload", "baseline", "ratio", "target", "");
  for (const Ratio& r : ratios) {
    const double work = medians.Seconds(r.workload);
    const double base = medians.Seconds(r.baseline);
    if (work <= 0 || base <= 0) continue;
    const double ratio = base / work;
    const bool met = ratio >= r.target;
    missed += !met;
    std::printf("%-34s %-22s %8.2f %8.2f %6s\n", r.workload.c_str(), r.baseline.c_str(), ratio,
                r.target, met ? "met" : "MISSED");
  }
  return missed;
}

}  // namespace xova_bench
