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

#include "bench_dates.h"
#include "calendar/calendar_grid.h"
#include "calendar/sort_key.h"
#include "platform/freetype_text.h"
#include "store/categories.h"
#include "store/event_store.h"

namespace {

using kal::EventStore;
using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::uint32_t v, int width) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes Record(std::uint8_t kind, std::uint32_t fixed, std::uint32_t textAt, const std::string& text, std::int32_t date,
             std::uint32_t id, std::uint32_t group, std::uint8_t category) {
  Bytes b(fixed + text.size(), 0);
  Put(b, 0, static_cast<std::uint32_t>(b.size()), 4);
  b[4] = kind;
  b[5] = category;
  Put(b, 8, static_cast<std::uint32_t>(date), 4);
  Put(b, 16, id, 4);
  Put(b, 20, group, 4);
  std::copy(text.begin(), text.end(), b.begin() + textAt);
  Put(b, b.size() - 2, kal::kEndMarker, 2);
  return b;
}

const char* const kTitles[] = {
    "Dentist",       "Team meeting", "Pay rent",           "Birthday party", "Call mum",     "Gym",
    "Recycling day", "Doctor",       "Anniversary dinner", "Project review", "Piano lesson", "Parent-teacher evening"};

Bytes Generic(std::mt19937& rng, std::int32_t date, std::uint32_t id, std::uint32_t group, int years) {
  std::string text = kTitles[rng() % 12];
  if (rng() % 4 == 0) text += " - bring the forms, the blue folder and the spare keys for the neighbours";
  Bytes r = Record(kal::kKindGeneric, kal::rec::kGenericFixed, kal::rec::kGenericText, text, date, id, group,
                   static_cast<std::uint8_t>(rng() % 12));
  r[kal::rec::kYearCount] = static_cast<std::uint8_t>(years);
  const bool timed = rng() % 2 != 0;
  r[kal::rec::kStartHour] = timed ? static_cast<std::uint8_t>(7 + rng() % 12) : 255;
  r[kal::rec::kStartMinute] = static_cast<std::uint8_t>((rng() % 4) * 15);
  r[kal::rec::kEndHour] = timed && rng() % 2 ? static_cast<std::uint8_t>(r[kal::rec::kStartHour] + 1) : 99;
  return r;
}

Bytes Health(std::mt19937& rng, std::int32_t date, std::uint32_t id) {
  const auto cat = static_cast<std::uint8_t>(rng() % 3);
  switch (rng() % 5) {
    case 0: {
      Bytes r = Record(kal::kKindWeight, kal::rec::kWeightFixed, kal::rec::kWeightText, "Morning", date, id, id, cat);
      Put(r, kal::rec::kWeight, 60000 + rng() % 40000, 4);
      Put(r, kal::rec::kHeight, 1600 + rng() % 300, 2);
      return r;
    }
    case 1: {
      Bytes r = Record(kal::kKindBloodPressure, kal::rec::kPressureFixed, kal::rec::kPressureText,
                       std::string("Home\0After the walk\0", 21), date, id, id, cat);
      Put(r, kal::rec::kSystolic, 110 + rng() % 40, 2);
      Put(r, kal::rec::kDiastolic, 70 + rng() % 20, 2);
      return r;
    }
    case 2: {
      Bytes r =
          Record(kal::kKindGlucose, kal::rec::kGlucoseFixed, kal::rec::kGlucoseText, "Fasting", date, id, id, cat);
      Put(r, kal::rec::kGlucose, 80 + rng() % 60, 2);
      return r;
    }
    case 3: {
      Bytes r = Record(kal::kKindCholesterol, kal::rec::kCholesterolFixed, kal::rec::kCholesterolText, "Lab", date, id,
                       id, cat);
      Put(r, kal::rec::kTotal, 150 + rng() % 100, 2);
      return r;
    }
    default: {
      Bytes r = Record(kal::kKindCycle, kal::rec::kCycleFixed, kal::rec::kCycleText, "Period", date, id, id, cat);
      r[kal::rec::kPredicted] = static_cast<std::uint8_t>(rng() % 2);
      return r;
    }
  }
}

constexpr kal::PackedDate kShownSunday = 2024 * 65536 + 4 * 256 + 28;

using kal::bench::RandomDay;

// 100,000 records: groups of 150 (weekly, monthly, yearly with year counts),
// one-time events and health readings over 1990-2029, and about a dozen
// entries a day in the five shown weeks.
void FillStore(EventStore& s) {
  std::mt19937 rng(11);
  std::uint32_t id = 1;
  std::uint32_t group = 1;
  auto add = [&](const Bytes& r) { kal::AppendRecordBytes(s, r.data(), static_cast<std::uint32_t>(r.size())); };

  for (int g = 0; g < 300; ++g, ++group) {
    kal::Ymd d = RandomDay(rng);
    const int step = static_cast<int>(rng() % 3);  // 0 weekly, 1 monthly, 2 yearly
    for (int k = 0; k < 150; ++k, ++id) {
      add(Generic(rng, kal::PackDate(d), id, group, step == 2 ? k : 0));
      if (step == 0) {
        for (int i = 0; i < 7; ++i) kal::NextDay(d);
      } else if (step == 1) {
        d.month = d.month % 12 + 1;
        d.year += d.month == 1;
      } else {
        ++d.year;
      }
    }
  }
  kal::Ymd shown = kal::UnpackDate(kShownSunday);
  for (int day = 0; day < 35; ++day, kal::NextDay(shown)) {
    for (int k = 0; k < 12; ++k, ++id) {
      add(k % 3 == 0 ? Health(rng, kal::PackDate(shown), id) : Generic(rng, kal::PackDate(shown), id, group++, 0));
    }
  }
  while (id <= 100000) {
    const kal::Ymd d = RandomDay(rng);
    add(rng() % 3 == 0 ? Generic(rng, kal::PackDate(d), id, group++, 0) : Health(rng, kal::PackDate(d), id));
    ++id;
  }
}

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
    FillStore(store);
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
