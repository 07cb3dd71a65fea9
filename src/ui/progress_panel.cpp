#include "ui/progress_panel.h"

#include <algorithm>

namespace kal {

namespace {

// n / 2 to the nearest integer, an exact half to the even neighbour.
int HalfToEven(int n) {
  const int q = n >> 1;  // floor, also for negative n
  if ((n & 1) == 0) return q;
  return (q & 1) == 0 ? q : q + 1;
}

constexpr Colour kTitleColour = Rgb(0, 0, 0);
constexpr Colour kFillColour = Rgb(0, 0, 128);
constexpr Colour kLabelOnFill = Rgb(255, 255, 255);
constexpr Colour kEmptyColour = Rgb(255, 255, 255);
constexpr Colour kLabelOnEmpty = Rgb(0, 0, 0);

}  // namespace

ProgressGeometry ProgressPanelGeometry(int clientWidth, int clientHeight) {
  ProgressGeometry g;
  const int cx = HalfToEven(clientWidth);
  const int cy = HalfToEven(clientHeight);
  g.panel = Rect{cx - 115, cy - 30, cx + 115, cy + 32};
  g.titleX = cx;
  g.titleY = g.panel.top + 5;
  const int x = clientWidth / 2;
  g.bar = Rect{x - 100, g.panel.top + 30, x + 100, g.panel.top + 48};
  g.labelX = x;
  return g;
}

std::int32_t ProgressPercent(std::int64_t done, std::int64_t total) {
  total = std::max<std::int64_t>(total, 1);
  if (done <= 0) return 0;
  if (done >= total) return 100;
  const std::int64_t num = 100 * done;
  std::int64_t q = num / total;
  const std::int64_t twice = 2 * (num % total);
  if (twice > total || (twice == total && (q & 1) != 0)) ++q;
  return static_cast<std::int32_t>(std::min<std::int64_t>(q, 100));
}

void ShowProgress(Gfx& gfx, ProgressPanel& panel, std::string_view title, std::string_view label, std::int64_t done,
                  std::int64_t& total) {
  total = std::max<std::int64_t>(total, 1);
  const std::int32_t percent = ProgressPercent(done, total);
  if (percent == panel.lastPercent && percent != 100) return;
  if (gfx.surface == nullptr) return;
  Surface& s = *gfx.surface;
  const ProgressGeometry g = ProgressPanelGeometry(gfx.clientWidth, gfx.clientHeight);
  const Rect oldClip = s.clip();
  if (panel.lastPercent == -1) {
    panel.savedScreen = gfx.SaveScreen();
    panel.hasSavedScreen = true;
    gfx.DrawPanel(g.panel.left, g.panel.top, g.panel.right, g.panel.bottom);
    gfx.DrawSunkenBox(g.bar.left, g.bar.top, g.bar.right - 1, g.bar.bottom - 1, kEmptyColour);
    gfx.DrawTextAligned(s, g.titleX, g.titleY, AlignCentre, kTitleColour, gfx.SmallBoldFont, title);
  }
  // The label is drawn twice, each time clipped to one part of the bar, so
  // it reads white on the filled part and black on the empty part.
  const int split = g.bar.left + 2 * percent;
  SetClip(s, g.bar.left, g.bar.top, split, g.bar.bottom);
  FillBox(s, kFillColour, g.bar.left, g.bar.top, split - 1, g.bar.bottom - 1);
  gfx.DrawTextAligned(s, g.labelX, g.bar.top, AlignCentre, kLabelOnFill, gfx.SmallFont, label);
  SetClip(s, split, g.bar.top, g.bar.right, g.bar.bottom);
  FillBox(s, kEmptyColour, split, g.bar.top, g.bar.right - 1, g.bar.bottom - 1);
  gfx.DrawTextAligned(s, g.labelX, g.bar.top, AlignCentre, kLabelOnEmpty, gfx.SmallFont, label);
  s.SetClipRect(oldClip);
  gfx.PresentRect(g.panel.left, g.panel.top, g.panel.right - g.panel.left + 10, g.panel.bottom - g.panel.top + 10);
  panel.lastPercent = percent;
}

void CloseProgress(Gfx& gfx, ProgressPanel& panel) {
  if (!panel.hasSavedScreen) return;
  gfx.RestoreScreen(panel.savedScreen, 0, 0, gfx.clientWidth, gfx.clientHeight);
  panel.savedScreen = Surface();
  panel.hasSavedScreen = false;
}

}  // namespace kal
