#include "screens/trend_chart.h"

#include <algorithm>
#include <cmath>

#include "calendar/dates.h"
#include "health/encodings.h"
#include "screens/application.h"
#include "store/categories.h"
#include "store/event_record.h"
#include "ui/controls.h"

namespace kal {

namespace {

constexpr Colour kBack = Rgb(252, 252, 250);
constexpr Colour kFrame = Rgb(90, 96, 110);
constexpr Colour kGrid = Rgb(222, 226, 232);
constexpr Colour kAxisText = Rgb(40, 40, 40);
constexpr Colour kTitleColour = Rgb(0, 0, 96);
constexpr Colour kReadingColour = Rgb(120, 160, 220);
constexpr Colour kAverageColour = Rgb(0, 40, 150);
constexpr Colour kSystolicColour = Rgb(200, 30, 30);
constexpr Colour kDiastolicColour = Rgb(30, 70, 200);
constexpr Colour kElevatedLine = Rgb(230, 170, 0);
constexpr Colour kHighLine = Rgb(220, 50, 0);
constexpr Colour kGlucoseColour = Rgb(60, 40, 120);

// The glucose class bands behind the readings, light tints of the box colours.
struct Band {
  double from, to;
  Colour tint;
  const char* name;
};
constexpr Band kGlucoseBands[] = {
    {-1e9, 70, Rgb(255, 250, 200), "Low"},
    {70, 100, Rgb(220, 245, 220), "Normal"},
    {100, 126, Rgb(255, 230, 200), "Prediabetes"},
    {126, 1e9, Rgb(255, 215, 215), "Diabetes"},
};

// Writes one pixel when it lies inside the surface's clip.
inline void Plot(Surface& s, const Rect& clip, int x, int y, Colour c) {
  if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) s.Row(y)[x] = c;
}

// A line `thickness` pixels wide (grown downwards and rightwards), Bresenham.
void DrawLine(Surface& s, int x0, int y0, int x1, int y1, Colour c, int thickness) {
  const Rect clip = s.clip();
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  while (true) {
    for (int i = 0; i < thickness; ++i) {
      for (int j = 0; j < thickness; ++j) Plot(s, clip, x0 + i, y0 + j, c);
    }
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void DashedRow(Surface& s, int x1, int x2, int y, Colour c) {
  for (int x = x1; x < x2; x += 8) FillBox(s, c, x, y, std::min(x + 4, x2 - 1), y + 1);
}

// A step of 1, 2 or 5 times a power of ten giving about `ticks` intervals.
double NiceStep(double range, int ticks) {
  if (!(range > 0)) return 1;
  const double raw = range / std::max(1, ticks);
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * p >= raw) return m * p;
  }
  return 10 * p;
}

// One mean point per pixel column of a series.
struct ColumnPoint {
  int x;
  double value;
};
std::vector<ColumnPoint> PerColumn(const std::vector<int>& xs, const std::vector<double>& values) {
  std::vector<ColumnPoint> out;
  out.reserve(std::min<std::size_t>(xs.size(), 4096));
  std::size_t i = 0;
  while (i < xs.size()) {
    const int x = xs[i];
    double sum = 0;
    std::size_t n = 0;
    for (; i < xs.size() && xs[i] == x; ++i, ++n) sum += values[i];
    out.push_back({x, sum / static_cast<double>(n)});
  }
  return out;
}

struct Plotter {
  Rect plot;
  double low, high;
  int Y(double v) const {
    const double t = (v - low) / (high - low);
    return plot.bottom - 1 - static_cast<int>(std::lround(t * (plot.Height() - 1)));
  }
};

void DrawSeries(Surface& s, const Plotter& pl, const std::vector<ColumnPoint>& pts, Colour c, int thickness,
                bool dots) {
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const int y = pl.Y(pts[i].value);
    if (i > 0) DrawLine(s, pts[i - 1].x, pl.Y(pts[i - 1].value), pts[i].x, y, c, thickness);
    if (dots) FillBox(s, c, pts[i].x - 2, y - 2, pts[i].x + 2, y + 2);
  }
}

int Measure(Gfx& gfx, const FontDescription& f, std::string_view t) {
  return gfx.text != nullptr ? gfx.text->Measure(f, t).width : static_cast<int>(t.size()) * 7;
}

}  // namespace

std::string TrendTitle(std::uint32_t kind, std::string_view categoryName) {
  const char* word = kind == kKindWeight           ? "Weight Trend: "
                     : kind == kKindBloodPressure ? "Blood Pressure Trend: "
                                                   : "Glucose Trend: ";
  return std::string(word) + std::string(categoryName);
}

void DrawTrendChart(Gfx& gfx, const Rect& area, const TrendSeries& series, const UnitModes& units,
                    std::string_view title) {
  Surface& s = *gfx.surface;
  const Rect oldClip = s.clip();
  s.SetClipRect(area.Intersect(oldClip));
  FillBox(s, kBack, area.left, area.top, area.right - 1, area.bottom - 1);
  DrawBox(s, kFrame, 1, area.left, area.top, area.right - 2, area.bottom - 2);
  const FontDescription& small = gfx.SmallFont;
  const int lh = std::max(12, gfx.text != nullptr ? gfx.text->Measure(small, "Ag").height : 15);
  gfx.DrawTextAligned(s, (area.left + area.right) / 2, area.top + 8, AlignCentre, kTitleColour, gfx.MessageFont,
                      title);

  const Rect plot{area.left + 72, area.top + 44 + lh, area.right - 24, area.bottom - 20 - 2 * lh};
  const std::vector<TrendPoint>& pts = series.points;
  if (plot.Width() < 8 || plot.Height() < 8 || pts.empty()) {
    gfx.DrawTextAligned(s, (area.left + area.right) / 2, (area.top + area.bottom) / 2, AlignCentre, kAxisText,
                        gfx.EditFont, pts.empty() ? "No readings to chart" : "");
    s.SetClipRect(oldClip);
    return;
  }

  // Values in the units shown: weights in pounds or kilograms, readings as typed.
  const bool weight = series.kind == kKindWeight;
  const bool pressure = series.kind == kKindBloodPressure;
  const double divisor = weight ? (units.weightMode == 0 ? kGramsPerPound : 1000.0) : 1.0;
  std::vector<double> first(pts.size());
  std::vector<double> second;
  double low = 1e300;
  double high = -1e300;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    first[i] = pts[i].value / divisor;
    low = std::min(low, first[i]);
    high = std::max(high, first[i]);
  }
  if (pressure) {
    second.resize(pts.size());
    for (std::size_t i = 0; i < pts.size(); ++i) {
      second[i] = pts[i].second;
      if (second[i] > 0) low = std::min(low, second[i]);
      high = std::max(high, second[i]);
    }
    // The reference lines stay in view.
    low = std::min(low, 70.0);
    high = std::max(high, 150.0);
  } else if (!weight) {
    low = std::min(low, 60.0);
    high = std::max(high, 140.0);
  }
  if (high - low < 1e-9) {
    low -= 1;
    high += 1;
  }
  const double step = NiceStep(high - low, std::max(2, plot.Height() / 60));
  low = std::floor(low / step) * step;
  high = std::ceil(high / step) * step;
  const Plotter pl{plot, low, high};

  if (series.kind == kKindGlucose) {
    for (const Band& b : kGlucoseBands) {
      const int yTop = pl.Y(std::min(b.to, high));
      const int yBottom = pl.Y(std::max(b.from, low));
      if (yBottom <= yTop) continue;
      FillBox(s, b.tint, plot.left, yTop, plot.right - 1, yBottom);
      gfx.DrawTextAligned(s, plot.left + 6, yTop + 2, AlignLeft, kAxisText, small, b.name);
    }
  }

  // Value axis: grid rows and their numbers.
  const std::string unit = weight ? (units.weightMode == 0 ? "pounds" : "kg") : "";
  for (int k = 0;; ++k) {
    const double v = low + k * step;
    if (v > high + step / 2) break;
    const int y = pl.Y(v);
    if (series.kind != kKindGlucose) FillBox(s, kGrid, plot.left, y, plot.right - 1, y);
    gfx.DrawTextAligned(s, plot.left - 6, y - lh / 2, AlignRight, kAxisText, small, NumberText(RoundHalfEven(v, 6)));
  }
  if (!unit.empty()) gfx.DrawTextAligned(s, plot.left - 6, plot.top - lh - 6, AlignRight, kAxisText, small, unit);

  // Date axis: a label every `stepDays`, as many as fit.
  const std::int32_t d0 = pts.front().day;
  const std::int32_t d1 = std::max(pts.back().day, d0 + 1);
  const int labelWidth = Measure(gfx, small, "0000-00-00") + 24;
  const int maxLabels = std::max(1, plot.Width() / labelWidth);
  std::int32_t stepDays = 1;
  for (std::int32_t candidate : {1, 2, 7, 14, 30, 61, 91, 182, 365, 730, 1826, 3652, 36524}) {
    stepDays = candidate;
    if ((d1 - d0) / candidate + 1 <= maxLabels) break;
  }
  const double xScale = static_cast<double>(plot.Width() - 1) / (d1 - d0);
  auto xOf = [&](std::int32_t day) { return plot.left + static_cast<int>((day - d0) * xScale); };
  for (std::int32_t day = d0; day <= d1; day += stepDays) {
    const int x = xOf(day);
    FillBox(s, kGrid, x, plot.top, x, plot.bottom - 1);
    FillBox(s, kFrame, x, plot.bottom, x, plot.bottom + 4);
    gfx.DrawTextAligned(s, x, plot.bottom + 7, AlignCentre, kAxisText, small, IsoDateText(DateOfDayNumber(day)));
  }

  if (pressure) {
    DashedRow(s, plot.left, plot.right, pl.Y(120), kElevatedLine);
    DashedRow(s, plot.left, plot.right, pl.Y(80), kElevatedLine);
    DashedRow(s, plot.left, plot.right, pl.Y(140), kHighLine);
    DashedRow(s, plot.left, plot.right, pl.Y(90), kHighLine);
    gfx.DrawTextAligned(s, plot.right - 4, pl.Y(140) - lh - 1, AlignRight, kHighLine, small, "140/90");
    gfx.DrawTextAligned(s, plot.right - 4, pl.Y(120) - lh - 1, AlignRight, kElevatedLine, small, "120/80");
  }

  std::vector<int> xs(pts.size());
  for (std::size_t i = 0; i < pts.size(); ++i) xs[i] = xOf(pts[i].day);
  const std::vector<ColumnPoint> main = PerColumn(xs, first);
  // Dots only while they stay apart; at large counts the line says enough.
  const bool dots = static_cast<int>(main.size()) * 6 < plot.Width();
  s.SetClipRect(Rect{plot.left - 3, plot.top - 3, plot.right + 3, plot.bottom + 3}.Intersect(s.clip()));
  struct Legend {
    const char* name;
    Colour colour;
  };
  std::vector<Legend> legend;
  if (weight) {
    DrawSeries(s, pl, main, kReadingColour, 1, dots);
    DrawSeries(s, pl, PerColumn(xs, MovingAverage(first, kTrendAverageWindow)), kAverageColour, 2, false);
    legend = {{"Readings", kReadingColour}, {"7-reading average", kAverageColour}};
  } else if (pressure) {
    std::vector<int> xs2;
    std::vector<double> v2;
    for (std::size_t i = 0; i < pts.size(); ++i) {
      if (second[i] > 0) {
        xs2.push_back(xs[i]);
        v2.push_back(second[i]);
      }
    }
    DrawSeries(s, pl, main, kSystolicColour, 2, dots);
    DrawSeries(s, pl, PerColumn(xs2, v2), kDiastolicColour, 2, dots);
    legend = {{"Systolic", kSystolicColour}, {"Diastolic", kDiastolicColour}};
  } else {
    DrawSeries(s, pl, main, kGlucoseColour, 2, dots);
    legend = {{"Glucose", kGlucoseColour}};
  }
  s.SetClipRect(area.Intersect(oldClip));
  DrawBox(s, kFrame, 1, plot.left, plot.top, plot.right - 1, plot.bottom - 1);

  int x = plot.right;
  for (auto it = legend.rbegin(); it != legend.rend(); ++it) {
    x -= Measure(gfx, small, it->name) + 34;
    FillBox(s, it->colour, x, plot.top - lh / 2 - 8, x + 16, plot.top - lh / 2 - 6);
    gfx.DrawTextAligned(s, x + 22, plot.top - lh - 6, AlignLeft, kAxisText, small, it->name);
  }
  const std::string count = std::to_string(pts.size()) + (pts.size() == 1 ? " reading" : " readings");
  gfx.DrawTextAligned(s, plot.left, plot.top - lh - 6, AlignLeft, kAxisText, small, count);
  s.SetClipRect(oldClip);
}

void TrendChartScreen(Application& app, UiContext& ui, std::uint32_t kind, int category) {
  Program& p = ui.program;
  Gfx& gfx = ui.gfx;
  const std::int32_t oldModal = p.ModalActive;
  p.ModalActive = 1;
  const Surface saved = gfx.SaveScreen();
  const TrendSeries series = CollectTrend(app.events, kind, category);
  const UnitModes units{app.settings.weightMode, app.settings.measureMode};
  const Rect panel{16, p.HeaderHeight + 8, p.ClientWidth - 16, p.ClientHeight - 8};
  gfx.DrawPanel(panel.left, panel.top, panel.right, panel.bottom);
  const Rect chart{panel.left + 10, panel.top + 10, panel.right - 10, panel.bottom - 50};
  DrawTrendChart(gfx, chart, series, units, TrendTitle(kind, CategoryName(app.categories, category)));
  const int cx = (panel.left + panel.right) / 2;
  const Rect ok{cx - 40, panel.bottom - 40, cx + 40, panel.bottom - 15};
  DrawPushButton(gfx, 0, ok.left, ok.top, ok.right, ok.bottom, "OK", 0);
  gfx.PresentRect(panel.left, panel.top, panel.Width() + 10, panel.Height() + 10);
  WaitInputRelease(p);
  while (true) {
    std::int32_t requested = 0;
    RunFrameInput(ui, 1, requested);
    if (p.input.quitRequested != 0) break;
    if (ButtonClicked(ui, ok.left, ok.top, ok.right, ok.bottom, "OK", 0) != 0) break;
  }
  WaitInputRelease(p);
  gfx.RestoreScreen(saved, 0, 0, p.ClientWidth, p.ClientHeight);
  gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
  p.ModalActive = oldModal;
}

}  // namespace kal
