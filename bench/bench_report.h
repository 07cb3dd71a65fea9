// A console reporter that also keeps each benchmark's real time by name, so
// that a benchmark's main can print ratios against a baseline of the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace kal::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& r : runs) times[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  std::map<std::string, double> times;

  // A benchmark's real time; with repetitions only the aggregates are
  // reported, so its mean then.
  double Time(const std::string& name) {
    const auto it = times.find(name);
    return it != times.end() ? it->second : times[name + "_mean"];
  }
};

}  // namespace kal::bench
