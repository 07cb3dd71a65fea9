// PredictCycles on the 100,000-record file with 12 categories of 200 entered
// cycles each, against the SaveEvents it ends with, measured in the same run.
// The prediction is one walk over the index plus that save, so the ratio
// shows what the walk and the 144 new records cost on top of the save.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "bench_records.h"
#include "bench_report.h"
#include "calendar/sort_key.h"
#include "health/cycles.h"
#include "store/categories.h"
#include "store/event_store.h"

namespace {

using kal::EventStore;
using kal::bench::Dir;
using kal::bench::RatioReporter;

constexpr int kCyclesPerCategory = 200;

// The shared file plus the cycles, saved once so the file is sorted.
void FillWithCycles(EventStore& s, const std::string& file) {
  s.eventFile = file;
  kal::bench::FillStore(s);
  std::mt19937 rng(5);
  std::uint32_t id = 200000;
  for (int category = 0; category < kal::kCategoryCount; ++category) {
    kal::Ymd d{2010, 1, 1 + category};
    for (int n = 0; n < kCyclesPerCategory; ++n, ++id) {
      auto r = kal::bench::Record(kal::kKindCycle, kal::rec::kCycleFixed, kal::rec::kCycleText, "Period",
                                  kal::PackDate(d), id, 9000 + category, static_cast<std::uint8_t>(category));
      kal::AppendRecordBytes(s, r.data(), static_cast<std::uint32_t>(r.size()));
      const int gap = 26 + static_cast<int>(rng() % 6);
      for (int k = 0; k < gap; ++k) kal::NextDay(d);
    }
  }
  kal::SaveEvents(s, kal::RecordSortKeys(kal::UnitModes{}), kal::SilentHost());
}

void BM_PredictCycles(benchmark::State& state) {
  EventStore s;
  FillWithCycles(s, Dir().File("predict.dat"));
  kal::PredictCycles(s, kal::RecordSortKeys(kal::UnitModes{}), kal::SilentHost());
  state.counters["records"] = s.indexCount;
  for (auto _ : state) kal::PredictCycles(s, kal::RecordSortKeys(kal::UnitModes{}), kal::SilentHost());
}

// The walk alone: intervals, deletions and the appended predictions.
void BM_RecomputeCycles(benchmark::State& state) {
  EventStore s;
  FillWithCycles(s, Dir().File("walk.dat"));
  kal::PredictCycles(s, kal::RecordSortKeys(kal::UnitModes{}), kal::SilentHost());
  const std::uint32_t size = s.storeSize;
  for (auto _ : state) {
    state.PauseTiming();
    kal::LoadEvents(s);  // the predictions of the last pass gone again
    state.ResumeTiming();
    kal::RecomputeCycles(s);
    benchmark::DoNotOptimize(s.storeSize);
  }
  state.counters["bytes"] = size;
}

void BM_SaveEventsAlone(benchmark::State& state) {
  EventStore s;
  FillWithCycles(s, Dir().File("save.dat"));
  kal::PredictCycles(s, kal::RecordSortKeys(kal::UnitModes{}), kal::SilentHost());
  for (auto _ : state) kal::SaveEvents(s, kal::RecordSortKeys(kal::UnitModes{}), kal::SilentHost());
}

}  // namespace

BENCHMARK(BM_PredictCycles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecomputeCycles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveEventsAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // With repetitions only the aggregates are reported; take the mean then.
  auto time = [&](const std::string& name) {
    const auto it = reporter.times.find(name);
    return it != reporter.times.end() ? it->second : reporter.times[name + "_mean"];
  };
  const double predict = time("BM_PredictCycles/real_time");
  const double save = time("BM_SaveEventsAlone/real_time");
  if (save > 0) std::printf("PredictCycles / SaveEvents alone: %.2f\n", predict / save);
  benchmark::Shutdown();
  return 0;
}
