// Saving an event from the editor in a 100,000-record event file: from the
// press of "Save" to the rebuilt five-week calendar grid, without drawing
// the panel. The work record is filled as the editor leaves it, written back
// through the group operations (one changed occurrence, or a new yearly
// group of 150), SaveEvents sorts, de-duplicates, writes and reloads the file,
// and the grid is built again for the shown weeks with the real FreeType
// renderer. The whole path must stay under 100 ms; SaveEvents alone on the
// same file is the baseline measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench_dates.h"
#include "calendar/calendar_grid.h"
#include "calendar/repeat.h"
#include "calendar/sort_key.h"
#include "platform/freetype_text.h"
#include "store/categories.h"
#include "store/event_store.h"

namespace {

using kal::EventStore;
namespace rec = kal::rec;

constexpr kal::PackedDate kShownSunday = 2024 * 65536 + 4 * 256 + 28;
constexpr kal::PackedDate kEditedDay = 2024 * 65536 + 5 * 256 + 7;

const char* const kTitles[] = {"Dentist",       "Team meeting",   "Pay rent",     "Birthday party",
                               "Call mum",      "Gym",            "Recycling day", "Doctor",
                               "Anniversary",   "Project review", "Piano lesson", "Parent-teacher evening"};

// Fills the work record with a generic event, as the editor leaves it.
void WorkEvent(EventStore& s, kal::PackedDate date, const std::string& text, int mode, int startHour,
               std::int32_t id, std::int32_t group, int category) {
  kal::PrepareWorkRecord(s, kal::kKindGeneric, static_cast<std::uint8_t>(category), date);
  kal::MemBuffer& wr = s.workRecord;
  kal::SetLong(wr, rec::kRecordId, id);
  kal::SetLong(wr, rec::kGroupId, group);
  kal::SetByte(wr, rec::kRepeatMode, mode);
  kal::SetByte(wr, rec::kStartHour, startHour);
  kal::SetByte(wr, rec::kStartMinute, 0);
  kal::SetByte(wr, rec::kEndHour, 99);
  kal::PutBytes(wr, rec::kGenericText, text);
  const auto length = static_cast<std::int32_t>(rec::kGenericFixed + text.size());
  kal::SetLong(wr, rec::kLength, length);
  kal::SetWord(wr, static_cast<std::size_t>(length) - 2, static_cast<std::int32_t>(kal::kEndMarker));
}

using kal::bench::RandomDay;

// 100,000 generic events: 400 repeating groups of 150 (weekly, monthly and
// yearly rules through GenerateGroup), a dozen entries a day in the shown
// weeks, and one-time events over 40 years for the rest.
void FillStore(EventStore& s) {
  std::mt19937 rng(7);
  kal::EnsureWorkRecord(s);
  std::int32_t id = 1;
  std::int32_t group = 1;
  auto add = [&](kal::PackedDate date, int mode) {
    // Numbered, so that no event is a duplicate the save would drop.
    std::string text = std::string(kTitles[rng() % 12]) + " " + std::to_string(id);
    if (rng() % 4 == 0) text += " - bring the forms, the blue folder and the spare keys";
    const int start = rng() % 2 != 0 ? 7 + static_cast<int>(rng() % 12) : 255;
    WorkEvent(s, date, text, mode, start, id, group++, static_cast<int>(rng() % 12));
    kal::GenerateGroup(s, kal::GroupSize);
    id += mode == 0 ? 1 : kal::GroupSize;
  };
  const int modes[] = {1, 5, 11, 15};
  for (int g = 0; g < 400; ++g) add(kal::PackDate(RandomDay(rng)), modes[g % 4]);
  kal::Ymd shown = kal::UnpackDate(kShownSunday);
  for (int day = 0; day < 35; ++day, kal::NextDay(shown)) {
    for (int k = 0; k < 12; ++k) add(kal::PackDate(shown), 0);
  }
  while (id <= 100000) add(kal::PackDate(RandomDay(rng)), 0);
}

struct Setup {
  std::filesystem::path dir;
  EventStore store;
  kal::CategoryTable categories;
  kal::UnitModes units;
  kal::FreeTypeTextRenderer text;
  kal::CalendarGrid grid;
  // The calendar area of a 1024 x 768 window.
  kal::Rect area{20, 120, 20 + 7 * 140, 120 + 5 * 126};

  Setup() {
    dir = std::filesystem::temp_directory_path() /
          ("kalendrina-editor-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    store.eventFile = (dir / "Event20.dat").string();
    FillStore(store);
    kal::SaveEvents(store, kal::RecordSortKeys(units), kal::SilentHost());
    kal::BuildCategoryTable(categories, "");
  }
  ~Setup() { std::filesystem::remove_all(dir); }

  void RebuildGrid() { kal::BuildCalendarGrid(grid, store, categories, units, text, 5, area, kShownSunday); }

  // The first live generic event on the edited day.
  std::uint32_t EditedOffset() const {
    std::uint32_t found = 0;
    kal::ForEachRecordOnDay(store, kEditedDay, [&](std::uint32_t off) {
      if (found == 0 && kal::RecordKindAt(store, off) == kal::kKindGeneric) found = off;
    });
    return found;
  }
};

Setup& Data() {
  static Setup setup;
  return setup;
}

bool Ready(benchmark::State& state) {
  if (Data().text.ok()) return true;
  state.SkipWithError("no usable font for the FreeType renderer");
  return false;
}

// "Save" on one occurrence with a changed description: the file keeps its size.
void BM_SaveOccurrenceToGrid(benchmark::State& state) {
  if (!Ready(state)) return;
  Setup& d = Data();
  int round = 0;
  for (auto _ : state) {
    const std::uint32_t offset = d.EditedOffset();
    const std::uint32_t length = kal::RecordLength(d.store, offset);
    kal::MoveBytes(d.store.store, offset, d.store.workRecord, 0, length);
    const std::string text = std::string("Edited event, round ") + (round++ % 2 == 0 ? "one" : "two");
    const auto mode = static_cast<std::uint8_t>(kal::Byte(d.store.workRecord, rec::kRepeatMode));
    WorkEvent(d.store, kEditedDay, text, mode, 9, kal::Long(d.store.workRecord, rec::kRecordId),
              kal::Long(d.store.workRecord, rec::kGroupId), 3);
    kal::SaveOneOccurrence(d.store, offset, mode, d.units, kal::SilentHost());
    d.RebuildGrid();
    benchmark::DoNotOptimize(d.grid.items.data());
  }
  state.counters["records"] = d.store.indexCount;
}

// "Save" on a new yearly event: 150 records are generated and saved. The
// group is taken out again outside the timing, so every round starts from
// the same file.
void BM_NewGroupToGrid(benchmark::State& state) {
  if (!Ready(state)) return;
  Setup& d = Data();
  for (auto _ : state) {
    const std::int32_t group = kal::NextGroupId(d.store);
    WorkEvent(d.store, kEditedDay, "Ana's birthday", kal::RepeatCalculateAge, 255, kal::NextRecordId(d.store),
              group, 7);
    kal::NewEventGroup(d.store, d.units, kal::SilentHost());
    d.RebuildGrid();
    benchmark::DoNotOptimize(d.grid.items.data());
    state.PauseTiming();
    kal::DeleteGroup(d.store, group);
    kal::SaveEvents(d.store, kal::RecordSortKeys(d.units), kal::SilentHost());
    state.ResumeTiming();
  }
  state.counters["records"] = d.store.indexCount;
}

// The baseline: SaveEvents alone on the same file.
void BM_SaveEventsAlone(benchmark::State& state) {
  Setup& d = Data();
  for (auto _ : state) {
    kal::SaveEvents(d.store, kal::RecordSortKeys(d.units), kal::SilentHost());
    benchmark::DoNotOptimize(d.store.indexCount);
  }
  state.counters["records"] = d.store.indexCount;
}

class FiguresReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "mean") continue;
      if (r.error_occurred) continue;
      times[r.run_name.function_name] = r.GetAdjustedRealTime();
      cpu[r.run_name.function_name] = r.GetAdjustedCPUTime();
    }
  }
  std::map<std::string, double> times;
  std::map<std::string, double> cpu;
};

}  // namespace

BENCHMARK(BM_SaveEventsAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveOccurrenceToGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewGroupToGrid)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  FiguresReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& t = reporter.times;
  const auto base = t.find("BM_SaveEventsAlone");
  const struct {
    const char* name;
    const char* what;
  } paths[] = {{"BM_SaveOccurrenceToGrid", "Save one occurrence"}, {"BM_NewGroupToGrid", "Save a new yearly group"}};
  for (const auto& p : paths) {
    const auto it = t.find(p.name);
    if (it == t.end()) continue;
    std::printf("%s to rebuilt grid, 100,000 records: %.1f ms (CPU %.1f ms; limit 100 ms)%s", p.what, it->second,
                reporter.cpu[p.name], it->second < 100.0 ? "" : "  ** over the limit **");
    if (base != t.end() && base->second > 0) std::printf(", %.2f x SaveEvents alone", it->second / base->second);
    std::printf("\n");
  }
  if (base != t.end()) {
    std::printf("SaveEvents alone: %.1f ms (CPU %.1f ms)\n", base->second, reporter.cpu["BM_SaveEventsAlone"]);
  }
  benchmark::Shutdown();
  return 0;
}
