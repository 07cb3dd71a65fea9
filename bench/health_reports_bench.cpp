// The weight trend chart of 10,000 readings of one person in a file of
// 100,000 records, drawn at 1920x1080, against clearing that surface (the
// least any full-screen picture costs); and export-csv of 100,000 health
// records as a whole process, against `list` of the same file printing
// nothing (the process start and the file load every command pays).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "bench_records.h"
#include "bench_report.h"
#include "calendar/sort_key.h"
#include "health/trends.h"
#include "platform/freetype_text.h"
#include "screens/trend_chart.h"
#include "store/event_store.h"

namespace {

using kal::EventStore;
using kal::bench::Dir;
using kal::bench::RatioReporter;

constexpr int kPerson = 7;

// 90,000 mixed health readings of three people, then 10,000 daily weights of a fourth.
void FillHealth(EventStore& s, const std::string& file, int weights) {
  s.eventFile = file;
  std::mt19937 rng(3);
  std::uint32_t id = 1;
  for (int i = 0; i < 100000 - weights; ++i, ++id) {
    const kal::Ymd d{1990 + static_cast<int>(rng() % 40), 1 + static_cast<int>(rng() % 12),
                     1 + static_cast<int>(rng() % 28)};
    const auto r = kal::bench::Health(rng, kal::PackDate(d), id);
    kal::AppendRecordBytes(s, r.data(), static_cast<std::uint32_t>(r.size()));
  }
  kal::Ymd d{1995, 1, 1};
  for (int i = 0; i < weights; ++i, ++id, kal::NextDay(d)) {
    auto r = kal::bench::Record(kal::kKindWeight, kal::rec::kWeightFixed, kal::rec::kWeightText, "Morning",
                                kal::PackDate(d), id, id, kPerson);
    kal::bench::Put(r, kal::rec::kWeight, 80000 + (i * 7919) % 9000 - i / 2, 4);
    kal::AppendRecordBytes(s, r.data(), static_cast<std::uint32_t>(r.size()));
  }
  kal::SaveEvents(s, kal::RecordSortKeys(kal::UnitModes{}), kal::SilentHost());
}

struct Canvas {
  Canvas() : surface(1920, 1080, 0) {
    gfx.surface = &surface;
    gfx.text = &text;
    gfx.clientWidth = 1920;
    gfx.clientHeight = 1080;
    gfx.SetupFonts("Microsoft Sans Serif", 20);
  }
  kal::FreeTypeTextRenderer text;
  kal::Surface surface;
  kal::Gfx gfx;
};

void BM_WeightTrendChart(benchmark::State& state) {
  EventStore s;
  FillHealth(s, Dir().File("trend.dat"), 10000);
  Canvas c;
  for (auto _ : state) {
    const kal::TrendSeries series = kal::CollectTrend(s, kal::kKindWeight, kPerson);
    kal::DrawTrendChart(c.gfx, c.surface.Bounds(), series, kal::UnitModes{}, "Weight Trend: Person");
    benchmark::DoNotOptimize(c.surface.At(960, 540));
    state.counters["readings"] = static_cast<double>(series.points.size());
  }
  state.counters["records"] = s.indexCount;
}

void BM_ClearSurface(benchmark::State& state) {
  Canvas c;
  for (auto _ : state) {
    kal::FillBox(c.surface, kal::Rgb(252, 252, 250), 0, 0, 1919, 1079);
    benchmark::DoNotOptimize(c.surface.At(960, 540));
  }
}

std::string Folder() {
  static const std::string folder = [] {
    const std::string dir = Dir().File("csv") + "/";
    std::system(("mkdir -p '" + dir + "'").c_str());
    EventStore s;
    FillHealth(s, dir + "Event20.dat", 0);
    return dir;
  }();
  return folder;
}

void RunKal(benchmark::State& state, const std::string& args) {
  const std::string command = std::string(KALENDRINA_EXE) + " " + args + " --data '" + Folder() + "' >/dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
  }
}

void BM_ExportCsvProcess(benchmark::State& state) { RunKal(state, "export-csv '" + Dir().File("out.csv") + "'"); }
void BM_ListNothingProcess(benchmark::State& state) { RunKal(state, "list --kind 2"); }

}  // namespace

BENCHMARK(BM_WeightTrendChart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClearSurface)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportCsvProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListNothingProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto time = [&](const std::string& name) { return reporter.Time(name); };
  const double chart = time("BM_WeightTrendChart/real_time");
  const double clear = time("BM_ClearSurface/real_time");
  const double csv = time("BM_ExportCsvProcess/real_time");
  const double list = time("BM_ListNothingProcess/real_time");
  if (clear > 0) std::printf("weight trend chart (10,000 readings, 1920x1080) / clearing the surface: %.2f\n", chart / clear);
  if (list > 0) std::printf("export-csv of 100,000 health records / list printing nothing: %.2f\n", csv / list);
  benchmark::Shutdown();
  return 0;
}
