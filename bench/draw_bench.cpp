// One full redraw of a 1920 × 1080 screen with the drawing primitives and
// the real FreeType renderer, then presenting it (a copy into a second buffer
// standing in for the window). The baseline, measured in the same run, is
// clearing the same surface with memset; the ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/freetype_text.h"
#include "ui/gfx.h"
#include "ui/images.h"

namespace kal {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

class CopyPresenter : public Presenter {
 public:
  CopyPresenter() : window(kWidth, kHeight) {}
  void Present(const Surface& surface, const Rect& area) override {
    for (int y = area.top; y < area.bottom; ++y) {
      std::memcpy(window.Row(y) + area.left, surface.Row(y) + area.left,
                  static_cast<std::size_t>(area.Width()) * sizeof(Colour));
    }
  }
  Surface window;
};

struct Screen {
  Screen() : surface(kWidth, kHeight) {
    gfx.surface = &surface;
    gfx.text = &text;
    gfx.presenter = &window;
    gfx.clientWidth = kWidth;
    gfx.clientHeight = kHeight;
    gfx.SetupFonts("Microsoft Sans Serif", 20);
    gfx.backgroundTexture = FindImage(BackgroundImage)->pixels;
    gfx.popupTexture = FindImage(PopupTextureImage)->pixels;
  }
  Surface surface;
  FreeTypeTextRenderer text;
  CopyPresenter window;
  Gfx gfx;
};

void Redraw(Screen& s) {
  Gfx& g = s.gfx;
  g.TileImage(g.backgroundTexture, 0, 0, kWidth, kHeight);
  g.DrawPanel(360, 140, 1560, 940);
  for (int i = 0; i < 35; ++i) {
    const int x = 400 + (i % 5) * 230;
    const int y = 180 + (i / 5) * 40;
    g.DrawSunkenBox(x, y, x + 200, y + 22, ColourFieldBack);
  }
  static const char* const kLines[] = {
      "May 5, 2024   Dentist appointment at 10:30 - bring the insurance card",
      "Jun 12, 2024  Weight 71.4 kg, waist 82 cm, hip 98 cm (BMI 23.1)",
      "Jul 1, 2024   Blood pressure 128/84 mmHg, pulse 72 - high normal",
      "Aug 23, 2024  Anniversary of Anna and Tomas (12 years) - dinner at eight",
  };
  for (int i = 0; i < 200; ++i) {
    const int x = 8 + (i / 67) * 640;
    const int y = 60 + (i % 67) * 15;
    g.DrawTextAligned(s.surface, x, y, AlignLeft, ColourListText, g.SmallFont, kLines[i % 4]);
  }
}

void BM_FullRedrawAndPresent(benchmark::State& state) {
  static Screen screen;
  if (!screen.text.ok()) {
    state.SkipWithError("no usable font: the text renderer could not start");
    return;
  }
  for (auto _ : state) {
    Redraw(screen);
    screen.gfx.PresentRect(0, 0, kWidth, kHeight);
    benchmark::DoNotOptimize(screen.window.window.pixels().data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FullRedrawAndPresent)->Unit(benchmark::kMillisecond);

// The parts of the redraw on their own, to see where the time goes.
void BM_PartTile(benchmark::State& state) {
  static Screen screen;
  for (auto _ : state) {
    screen.gfx.TileImage(screen.gfx.backgroundTexture, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PartTile)->Unit(benchmark::kMillisecond);

void BM_PartText200Lines(benchmark::State& state) {
  static Screen screen;
  for (auto _ : state) {
    for (int i = 0; i < 200; ++i) {
      screen.gfx.DrawTextAligned(screen.surface, 8 + (i / 67) * 640, 60 + (i % 67) * 15, AlignLeft, ColourListText,
                                 screen.gfx.SmallFont,
                                 "Jun 12, 2024  Weight 71.4 kg, waist 82 cm, hip 98 cm (BMI 23.1)");
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PartText200Lines)->Unit(benchmark::kMillisecond);

void BM_MemsetBaseline(benchmark::State& state) {
  static Surface surface(kWidth, kHeight);
  int value = 0;
  for (auto _ : state) {
    std::memset(surface.pixels().data(), value++ & 0xFF, surface.pixels().size() * sizeof(Colour));
    benchmark::DoNotOptimize(surface.pixels().data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemsetBaseline)->Unit(benchmark::kMillisecond);

// Prints as usual and keeps each benchmark's real time per iteration in ms.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const double ms = run.GetAdjustedRealTime() * 1000.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      milliseconds[run.run_name.function_name] = ms;
    }
  }
  std::map<std::string, double> milliseconds;
};

}  // namespace
}  // namespace kal

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  kal::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto redraw = reporter.milliseconds.find("BM_FullRedrawAndPresent");
  const auto base = reporter.milliseconds.find("BM_MemsetBaseline");
  if (redraw != reporter.milliseconds.end() && base != reporter.milliseconds.end() && base->second > 0) {
    std::printf("full redraw + present: %.3f ms (target <= 16 ms); memset baseline: %.3f ms; ratio %.1fx "
                "(target <= 25x)\n",
                redraw->second, base->second, redraw->second / base->second);
  }
  return 0;
}
