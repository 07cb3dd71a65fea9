// The events screen on a 100,000-record event file: building the list of all
// records, a search of two words and a phrase, and a full redraw of the
// screen at 1920 x 1080 after a Page Down, with the real FreeType renderer.
//
// Targets: the list under 10 ms, the search under 40 ms, the redraw under
// 5 ms. Baselines measured in the same run: a plain scan of the index that
// only reads each record's kind and category (for the list and the search),
// and clearing the 1920 x 1080 surface with memset (for the redraw). Each
// figure is printed against its baseline at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "screens/application.h"
#include "bench_records.h"
#include "calendar/sort_key.h"
#include "platform/freetype_text.h"
#include "platform/headless_window.h"
#include "calendar/event_list.h"
#include "screens/event_list_screen.h"
#include "screens/main_frame.h"
#include "ui/images.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr const char* kQuery = "birthday party \"blue folder\"";

struct Setup {
  std::filesystem::path dir;
  kal::EventStore store;
  kal::UnitModes units;

  Setup() {
    dir = std::filesystem::temp_directory_path() / ("kalendrina-list-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    store.eventFile = (dir / "Event20.dat").string();
    kal::bench::FillStore(store);
    kal::SaveEvents(store, kal::RecordSortKeys(units), kal::SilentHost());
  }
  ~Setup() { std::filesystem::remove_all(dir); }
};

Setup& Data() {
  static Setup setup;
  return setup;
}

void BM_ScanIndexBaseline(benchmark::State& state) {
  const kal::EventStore& s = Data().store;
  for (auto _ : state) {
    std::uint32_t live = 0;
    for (std::uint32_t i = 0; i < s.indexCount; ++i) {
      const std::uint32_t offset = kal::IndexOffset(s, i);
      live += kal::RecordKindAt(s, offset) != 0 && kal::Byte(s.store, offset + kal::rec::kCategory) < 99;
    }
    benchmark::DoNotOptimize(live);
  }
}
BENCHMARK(BM_ScanIndexBaseline)->Unit(benchmark::kMillisecond);

void BuildOnce(benchmark::State& state, std::int32_t mode, const char* query) {
  Setup& d = Data();
  kal::EventList list;
  list.mode = mode;
  list.searchText = query;
  for (auto _ : state) {
    kal::BuildEventList(list, d.store, d.units);
    benchmark::DoNotOptimize(list.offsets.data());
  }
  state.counters["records"] = d.store.indexCount;
  state.counters["listed"] = list.count();
}

void BM_BuildAllRecords(benchmark::State& state) { BuildOnce(state, kal::kModeAllRecords, ""); }
BENCHMARK(BM_BuildAllRecords)->Unit(benchmark::kMillisecond);

void BM_SearchTwoWordsAndPhrase(benchmark::State& state) { BuildOnce(state, kal::kModeSearchResults, kQuery); }
BENCHMARK(BM_SearchTwoWordsAndPhrase)->Unit(benchmark::kMillisecond);

// The program state of a 1920 x 1080 window showing the events screen.
struct Screen {
  Screen() : window(std::vector<kal::ScriptCommand>{}, kal::HeadlessOptions{kWidth, kHeight}) {
    kal::Program& p = app.program;
    p.ClientWidth = kWidth;
    p.ClientHeight = kHeight;
    p.CentreX = kWidth / 2;
    p.window = &window;
    app.offscreen.Resize(kWidth, kHeight);
    p.offscreen = &app.offscreen;
    app.presenter = kal::WindowPresenter(&window);
    app.gfx.surface = &app.offscreen;
    app.gfx.text = &text;
    app.gfx.presenter = &app.presenter;
    app.gfx.SetupFonts("Microsoft Sans Serif", 20);
    app.gfx.backgroundTexture = kal::FindImage(kal::BackgroundImage)->pixels;
    app.gfx.popupTexture = kal::FindImage(kal::PopupTextureImage)->pixels;
    kal::BuildCategoryTable(app.categories, "");
    kal::LayoutScreens(app);
    app.events.eventFile = Data().store.eventFile;
    kal::LoadEvents(app.events);
    kal::BuildEventList(list, app.events, kal::UnitModes{});
    list.cursor = 0;
  }
  kal::HeadlessWindow window;
  kal::FreeTypeTextRenderer text;
  kal::Application app;
  kal::EventList list;
};

void BM_RedrawAfterPageDown(benchmark::State& state) {
  static Screen screen;
  if (!screen.text.ok()) {
    state.SkipWithError("no usable font: the text renderer could not start");
    return;
  }
  const int rows = screen.app.layout.events.visibleRows;
  for (auto _ : state) {
    if (screen.list.cursor + rows >= screen.list.count()) screen.list.cursor = screen.list.top = 0;
    kal::PageCursor(screen.list, screen.app.events, 1, kal::MarkRule::kOnly, rows);
    kal::DrawEventListScreen(screen.app, screen.list);
    benchmark::ClobberMemory();
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_RedrawAfterPageDown)->Unit(benchmark::kMillisecond);

void BM_MemsetBaseline(benchmark::State& state) {
  static kal::Surface surface(kWidth, kHeight);
  int value = 0;
  for (auto _ : state) {
    std::memset(surface.pixels().data(), value++ & 0xFF, surface.pixels().size() * sizeof(kal::Colour));
    benchmark::DoNotOptimize(surface.pixels().data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemsetBaseline)->Unit(benchmark::kMillisecond);

class MillisecondReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // With repetitions the mean stands for the benchmark.
      if (run.error_occurred || (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean")) continue;
      milliseconds[run.run_name.function_name] =
          run.GetAdjustedRealTime() * 1000.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
  }
  double Get(const std::string& name) const {
    const auto it = milliseconds.find(name);
    return it == milliseconds.end() ? -1 : it->second;
  }
  std::map<std::string, double> milliseconds;
};

void PrintAgainst(const MillisecondReporter& r, const char* what, const char* name, double limit,
                  const char* baseline) {
  const double ms = r.Get(name);
  const double base = r.Get(baseline);
  if (ms < 0 || base <= 0) return;
  std::printf("%s: %.3f ms (limit %.0f ms)%s; baseline %s %.3f ms, ratio %.1fx\n", what, ms, limit,
              ms < limit ? "" : "  ** over the limit **", baseline, base, ms / base);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MillisecondReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintAgainst(reporter, "All Records of 100,000", "BM_BuildAllRecords", 10, "BM_ScanIndexBaseline");
  PrintAgainst(reporter, "search of two words and a phrase", "BM_SearchTwoWordsAndPhrase", 40,
               "BM_ScanIndexBaseline");
  PrintAgainst(reporter, "redraw at 1920 x 1080 after Page Down", "BM_RedrawAfterPageDown", 5, "BM_MemsetBaseline");
  return 0;
}
