// The progress panel: percentages, redraws only on whole-percent changes,
// the label across the fill boundary, the saved screen; and the window's
// Host running it phase by phase.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ui/progress_panel.h"
#include "ui/ui_host.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;

// Counts what is presented and passes it on.
struct CountingPresenter : Presenter {
  explicit CountingPresenter(Presenter* next = nullptr) : next(next) {}
  void Present(const Surface& surface, const Rect& area) override {
    ++presents;
    if (next != nullptr) next->Present(surface, area);
  }
  Presenter* next;
  int presents = 0;
};

// A fixture whose screen has a pattern on it, shown in the window.
struct Painted : UiFixture {
  Painted() {
    for (int y = 0; y < surface.height(); ++y)
      for (int x = 0; x < surface.width(); ++x) surface.Row(y)[x] = Rgb((x * 7) & 255, (y * 3) & 255, 90);
    gfx.PresentRect(0, 0, 1024, 768);
  }
};

TEST(ProgressPanel, PercentRoundsHalvesToEvenAndTheGeometryIsCentred) {
  const std::tuple<std::int64_t, std::int64_t, int> percents[] = {
      {0, 0, 0}, {1, 0, 100}, {7, 5, 100}, {1, 8, 12}, {3, 8, 38}, {5, 1000, 0}, {995, 1000, 100},
      {4000000000LL, 4294967295LL, 93}};
  for (const auto& [done, total, percent] : percents) EXPECT_EQ(ProgressPercent(done, total), percent) << done;

  ProgressGeometry g = ProgressPanelGeometry(1024, 768);
  EXPECT_EQ(std::tuple(g.panel, g.bar, g.titleY), std::tuple(Rect{397, 354, 627, 416}, Rect{412, 384, 612, 402}, 359));
  // Odd sizes: the centre rounds half to even, the bar's X rounds down.
  g = ProgressPanelGeometry(1023, 765);
  EXPECT_EQ(std::tuple(g.panel.left, g.panel.top, g.bar.left), std::tuple(512 - 115, 382 - 30, 511 - 100));
}

TEST(ShowProgress, RedrawsOnlyWhenTheWholePercentChangesAndAlwaysAt100) {
  UiFixture f;
  CountingPresenter counter;
  f.gfx.presenter = &counter;
  ProgressPanel panel;
  std::int64_t total = 1000;
  for (int done = 1; done <= 1000; ++done) ShowProgress(f.gfx, panel, "Sorting Events", "", done, total);
  // Percent 0 (1..5), 1 .. 100: 101 values; 100 is reached at 995 and the
  // five calls after it draw again.
  EXPECT_EQ(counter.presents, 106);
  EXPECT_EQ(panel.lastPercent, 100);

  counter.presents = 0;
  panel.lastPercent = -1;
  total = 0;
  ShowProgress(f.gfx, panel, "Importing Events", "", 0, total);
  EXPECT_EQ(total, 1);  // the caller's total is raised
  ShowProgress(f.gfx, panel, "Importing Events", "", 0, total);
  EXPECT_EQ(counter.presents, 1);
  ShowProgress(f.gfx, panel, "Importing Events", "", 1, total);
  EXPECT_EQ(counter.presents, 2);
}

TEST(ShowProgress, BarFillsTwoPixelsPerPercentAndTheLabelReadsOnBothParts) {
  Painted f;
  ProgressPanel panel;
  std::int64_t total = 200;
  ShowProgress(f.gfx, panel, "Downloading", "Downloading Update...", 100, total);
  const ProgressGeometry g = ProgressPanelGeometry(1024, 768);
  const Surface& s = f.window.image();
  test::ExpectPixels(s, {{g.bar.left, g.bar.top, ColourNavy}, {g.bar.left + 99, g.bar.bottom - 1, ColourNavy},
                         {g.bar.left + 100, g.bar.top, ColourWhite}, {g.bar.right - 1, g.bar.bottom - 1, ColourWhite},
                         {10, 10, Rgb(70, 30, 90)}});  // only the panel was drawn
  // The label straddles the split at the bar's centre: white ink on the
  // navy part, black ink on the white part, and neither across it.
  const int mid = g.bar.left + 100;
  EXPECT_GT(test::CountIn(s, ColourWhite, mid - 60, g.bar.top, mid, g.bar.bottom), 10);
  EXPECT_EQ(test::CountIn(s, ColourBlack, mid - 60, g.bar.top, mid, g.bar.bottom), 0);
  EXPECT_GT(test::CountIn(s, ColourBlack, mid, g.bar.top, mid + 60, g.bar.bottom), 10);
  EXPECT_EQ(test::CountIn(s, ColourNavy, mid, g.bar.top, mid + 60, g.bar.bottom), 0);
}

// A second run without closing the first keeps the first panel in its copy.
TEST(CloseProgress, PutsBackTheScreenTakenAtTheStartOfTheRun) {
  Painted f;
  ProgressPanel panel;
  std::int64_t total = 10;
  ShowProgress(f.gfx, panel, "Sorting Events", "", 1, total);
  const Surface withPanel = f.surface;
  panel.lastPercent = -1;
  ShowProgress(f.gfx, panel, "Removing Duplicates", "", 7, total);
  CloseProgress(f.gfx, panel);
  EXPECT_TRUE(f.surface.pixels() == withPanel.pixels());
  EXPECT_FALSE(panel.hasSavedScreen);
  CloseProgress(f.gfx, panel);  // nothing saved: nothing happens
  EXPECT_TRUE(f.surface.pixels() == withPanel.pixels());
}

TEST(UiHost, RunsThePanelAndPutsTheWindowBackAfterEachPhase) {
  Painted f;
  const Surface before = f.surface;
  UiHost host(f.ui);
  Host& h = host;
  CountingPresenter counter(&f.presenter);
  f.gfx.presenter = &counter;
  for (const char* phase : {"Sorting Events", "Removing Duplicates"}) {
    counter.presents = 0;
    h.StartProgress();  // each phase draws, even at the same percentage
    h.ShowProgress(phase, 10, 40);
    EXPECT_EQ(counter.presents, 1);
    EXPECT_FALSE(f.window.image().pixels() == before.pixels());
    h.CloseProgress();  // the panel and its shadow go from the window too
    EXPECT_TRUE(f.surface.pixels() == before.pixels());
    EXPECT_TRUE(f.window.image().pixels() == before.pixels());
  }
}

}  // namespace
}  // namespace kal
