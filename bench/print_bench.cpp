// The printed pages at printer resolution: the six-week calendar on a Letter
// sheet at 600 dpi with 300 entries (target < 200 ms) and the event list of
// 2,000 marked records, about 40 pages (target < 1 s). Each is drawn into our
// own Surface (the pixels a raster printer gets) and into the PDF that CUPS is
// sent. The baseline, measured in the same run, fills one page surface with a
// colour; ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench_records.h"
#include "bench_report.h"
#include "calendar/event_list.h"
#include "platform/freetype_text.h"
#include "platform/pdf_canvas.h"
#include "print/print_pages.h"
#include "store/categories.h"
#include "ui/surface_canvas.h"

namespace kal {
namespace {

struct Fixture {
  Fixture() : page(PaperPage(8500, 11000, 600)), metrics(PageMetricsFrom(page)), surface(page.physicalWidth, page.physicalHeight) {
    gfx.surface = &surface;
    gfx.text = &text;
    BuildCategoryTable(categories, kDefaultCategories);
    // 300 entries over the six weeks from 3 March 2024, and 2,000 more marked
    // records later on for the list.
    for (int i = 0; i < 300; ++i) {
      Ymd d{2024, 3, 3};
      for (int k = 0; k < i % 42; ++k) NextDay(d);
      calendarOffsets.push_back(Add(PackDate(d), "Appointment number " + std::to_string(i) + " with someone", i % 12));
    }
    for (int i = 0; i < 2000; ++i) {
      Ymd d{2025, 1, 1};
      for (int k = 0; k < i / 8; ++k) NextDay(d);
      const std::uint32_t offset = Add(PackDate(d), "Blood pressure reading taken after the morning walk, no. " +
                                                        std::to_string(i), 3);
      listOffsets.push_back(offset);
    }
    BuildEventIndex(store);
    for (std::uint32_t offset : listOffsets) SetMarked(store, offset, true);
    calendar = PrintSettings{"bench", "Arial", 10, 500, 500, 500, 500, ""};
    list = PrintSettings{"bench", "Arial", 12, 1000, 1000, 1000, 1000, ""};
  }

  std::uint32_t Add(PackedDate date, const std::string& text, int category) {
    ++id;
    bench::Bytes bytes = bench::Record(kKindGeneric, rec::kGenericFixed, rec::kGenericText, text, date, id, id,
                                       static_cast<std::uint8_t>(category));
    bytes[rec::kStartHour] = 9;
    bytes[rec::kEndHour] = 99;
    const std::uint32_t offset = store.storeSize;
    AppendRecordBytes(store, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return offset;
  }

  PrintSource Source() const { return PrintSource{&store, &categories, {}}; }

  FreeTypeTextRenderer text;
  PrinterPage page;
  PageMetrics metrics;
  Surface surface;
  Gfx gfx;
  EventStore store;
  CategoryTable categories;
  std::vector<std::uint32_t> calendarOffsets, listOffsets;
  PrintSettings calendar, list;
  std::uint32_t id = 0;
};

std::string PdfPath() {
  static const std::string path = (std::filesystem::temp_directory_path() / "kalendrina-print-bench.pdf").string();
  return path;
}

Fixture& Shared() {
  static Fixture f;
  return f;
}

void BM_PageFillBaseline(benchmark::State& state) {
  Fixture& f = Shared();
  Colour c = 0;
  for (auto _ : state) {
    FillBox(f.surface, c++, 0, 0, f.surface.width() - 1, f.surface.height() - 1);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PageFillBaseline)->Unit(benchmark::kMillisecond);

void BM_CalendarPageRaster(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    SurfaceCanvas canvas(f.gfx, f.surface);
    CalendarGrid grid;
    PrintCalendarPage(canvas, f.metrics, f.calendar, f.Source(), PackDate(2024, 3, 3), Ymd{2024, 3, 5}, grid);
    state.counters["entries"] = grid.count() - 42;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CalendarPageRaster)->Unit(benchmark::kMillisecond);

void BM_CalendarPagePdf(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    PdfCanvas canvas(PdfPath(), f.page.physicalWidth, f.page.physicalHeight, 600, f.text, "bench");
    CalendarGrid grid;
    PrintCalendarPage(canvas, f.metrics, f.calendar, f.Source(), PackDate(2024, 3, 3), Ymd{2024, 3, 5}, grid);
    std::string error;
    canvas.Finish(error);
  }
}
BENCHMARK(BM_CalendarPagePdf)->Unit(benchmark::kMillisecond);

void BM_EventList2000Raster(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    SurfaceCanvas canvas(f.gfx, f.surface);
    state.counters["pages"] = PrintEventListPages(canvas, f.metrics, f.list, f.Source(), f.listOffsets);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_EventList2000Raster)->Unit(benchmark::kMillisecond);

void BM_EventList2000Pdf(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    PdfCanvas canvas(PdfPath(), f.page.physicalWidth, f.page.physicalHeight, 600, f.text, "bench");
    state.counters["pages"] = PrintEventListPages(canvas, f.metrics, f.list, f.Source(), f.listOffsets);
    std::string error;
    canvas.Finish(error);
  }
}
BENCHMARK(BM_EventList2000Pdf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kal

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  kal::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double base = reporter.Time("BM_PageFillBaseline");
  if (base > 0) {
    for (const char* name : {"BM_CalendarPageRaster", "BM_CalendarPagePdf", "BM_EventList2000Raster",
                             "BM_EventList2000Pdf"}) {
      std::printf("%-24s %8.1f ms = %6.1f page fills\n", name, reporter.Time(name), reporter.Time(name) / base);
    }
    std::printf("page fill baseline (5100 x 6600 pixels): %.2f ms; targets: calendar < 200 ms, list < 1000 ms\n",
                base);
  }
  return 0;
}
