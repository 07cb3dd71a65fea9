// Building the five-week calendar grid from a 100,000-record event file.
//
// The file spreads mixed record kinds over 40 years (repeating events as
// groups of 150, one-time events, daily health readings) and packs the shown
// weeks densely, so cells overflow and entries are measured, wrapped and
// skipped. Entries are measured with the real FreeType renderer. The grid must
// build in under 5 ms; the same build forced onto the full index scan (how a
// file not sorted by date is read) is the baseline measured in the same run,
// and the ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench_records.h"
#include "calendar/calendar_grid.h"
#include "calendar/sort_key.h"
#include "platform/freetype_text.h"
#include "store/categories.h"
#include "store/event_store.h"

namespace {

using kal::EventStore;
using kal::bench::kShownSunday;

struct Setup {
  std::filesystem::path dir;
  EventStore store;
  kal::CategoryTable categories;
  kal::UnitModes units;
  kal::FreeTypeTextRenderer text;
  // The calendar area of a 1024 x 768 window.
  kal::Rect area{20, 120, 20 + 7 * 140, 120 + 5 * 126};

  Setup() {
    dir = std::filesystem::temp_directory_path() / ("kalendrina-grid-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    store.eventFile = (dir / "Event20.dat").string();
    kal::bench::FillStore(store);
    kal::SaveEvents(store, kal::RecordSortKeys(units), kal::SilentHost());  // sorted by date, as the program keeps it
    kal::BuildCategoryTable(categories, "");
  }
  ~Setup() { std::filesystem::remove_all(dir); }
};

Setup& Data() {
  static Setup setup;
  return setup;
}

void BuildOnce(benchmark::State& state, bool sortedIndex) {
  Setup& d = Data();
  if (!d.text.ok()) {
    state.SkipWithError("no usable font for the FreeType renderer");
    return;
  }
  d.store.indexSorted = sortedIndex;
  kal::CalendarGrid grid;
  for (auto _ : state) {
    kal::BuildCalendarGrid(grid, d.store, d.categories, d.units, d.text, 5, d.area, kShownSunday);
    benchmark::DoNotOptimize(grid.items.data());
  }
  d.store.indexSorted = true;
  state.counters["records"] = d.store.indexCount;
  state.counters["items"] = grid.count();
}

void BM_BuildGrid(benchmark::State& state) { BuildOnce(state, true); }
void BM_BuildGridFullScan(benchmark::State& state) { BuildOnce(state, false); }

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // With repetitions the mean stands for the benchmark.
    for (const auto& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "mean") continue;
      times[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
  }
  std::map<std::string, double> times;
};

}  // namespace

BENCHMARK(BM_BuildGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildGridFullScan)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto fast = reporter.times.find("BM_BuildGrid");
  const auto scan = reporter.times.find("BM_BuildGridFullScan");
  if (fast != reporter.times.end()) {
    std::printf("Five-week grid from 100,000 records: %.3f ms (limit 5 ms)%s\n", fast->second,
                fast->second < 5.0 ? "" : "  ** over the limit **");
  }
  if (fast != reporter.times.end() && scan != reporter.times.end() && fast->second > 0) {
    std::printf("full index scan / binary search: %.1f\n", scan->second / fast->second);
  }
  benchmark::Shutdown();
  return 0;
}
