#include "screens/health_summary.h"

#include <algorithm>
#include <cmath>

#include "calendar/dates.h"
#include "health/encodings.h"
#include "screens/application.h"
#include "screens/health_editor.h"
#include "screens/trend_chart.h"
#include "store/categories.h"
#include "store/event_record.h"
#include "store/packed_date.h"
#include "ui/controls.h"

namespace kal {

namespace {

constexpr Colour kTitleColour = Rgb(0, 0, 96);
constexpr Colour kValueColour = Rgb(160, 0, 0);
constexpr Colour kSectionShadow = Rgb(60, 60, 90);
constexpr Colour kBarTop = Rgb(236, 240, 246);
constexpr Colour kBarBottom = Rgb(176, 186, 204);
constexpr Colour kDivider = Rgb(90, 96, 110);
constexpr Colour kBadColour = Rgb(200, 0, 0);
constexpr Colour kGoodColour = Rgb(0, 140, 0);
constexpr int kBarHeight = 20;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 25;

std::string WeightWithUnit(double grams, const UnitModes& units) {
  const WeightText w = FormatWeight(static_cast<std::uint32_t>(std::max(0.0, grams)), units);
  return w.number.empty() ? "0" : w.number + " " + w.unit;
}

std::string Figure(const std::optional<double>& v) { return v ? NumberText(*v) : kNotComputable; }

void WeightTexts(const MemBuffer& b, std::size_t off, const UnitModes& units, std::vector<SummaryLine>& out) {
  const WeightInputs in = WeightInputsAt(b, off);
  const WeightFigures f = EvaluateWeight(in);
  out.push_back({"current weight", "Your current weight is: ", WeightWithUnit(in.grams, units)});
  out.push_back({"bmi", "Your Body Mass Index (BMI) is: ", Figure(f.bmi)});
  if (f.bmi) out.push_back({"bmi class", "", ClassAt(BmiChart(), *f.bmi)});
  if (f.idealGrams) {
    out.push_back({"ideal weight", "Your ideal body weight is: ", WeightWithUnit(*f.idealGrams, units)});
    out.push_back({"ideal bmi", "", "Based on a BMI of " + NumberText(*f.idealBmi) + " using the SB Hall formula"});
  } else {
    out.push_back({"ideal weight", "Your ideal body weight is: ", kNotComputable});
  }
  out.push_back({"bmr", "", "Your Basal Metabolic Rate (BMR) is: " + NumberText(f.bmr)});
  out.push_back({"maintenance calories", "",
                 "To maintain your current weight, you need about: " + NumberText(f.maintenance) +
                     " calories each day"});
  if (f.ShowsConsume(in.grams)) {
    out.push_back({"consume", "",
                   "Consume " + NumberText(f.deficit) + " fewer calories each day to reach your ideal weight in: " +
                       NumberText(*f.weeks) + " weeks"});
  }
  out.push_back({"body fat", "Your Body Fat Percentage is: ", f.bodyFat ? NumberText(*f.bodyFat) + "%" : kNotComputable});
  if (f.bodyFat) {
    const std::string cls = ClassAt(BodyFatChart(in.gender), *f.bodyFat);
    if (!cls.empty()) out.push_back({"body fat class", "", cls});
    const std::string text = BodyFatClassText(in.gender, *f.bodyFat);
    if (!text.empty()) out.push_back({"body fat text", "", text});
  }
  out.push_back({"waist to hip ratio", "Your Waist To Hip Ratio is: ", Figure(f.whr)});
  if (f.whr && (in.gender == 1 || in.gender == 2)) {
    out.push_back({"waist to hip class", "", ClassAt(WaistToHipChart(), WaistToHipPlace(in.gender, *f.whr))});
  }
  const std::string risk = WaistToHipRiskText(in.gender);
  if (!risk.empty()) out.push_back({"waist to hip risk", "", risk});
}

void ReadingTexts(std::uint32_t kind, const MemBuffer& b, std::size_t off, std::vector<SummaryLine>& out) {
  const std::vector<ReadingChart> charts = ReadingChartsOf(kind);
  const std::vector<double> readings = ReadingsOf(kind, b, off);
  for (std::size_t i = 0; i < charts.size() && i < readings.size(); ++i) {
    const ReadingChart& c = charts[i];
    const std::string key = c.key;
    out.push_back({key, c.label, NumberText(readings[i])});
    out.push_back({key + " class", "", ClassAt(c.chart, readings[i])});
    if (*c.line != '\0') out.push_back({key + " note", "", std::string(c.leadWord) + c.line});
  }
}

int TextWidth(Gfx& gfx, const FontDescription& font, std::string_view text) {
  return gfx.text != nullptr ? gfx.text->Measure(font, text).width : static_cast<int>(text.size()) * 8;
}

// A headline: the label in black, its value in the contrasting colour after it.
void DrawHeadline(Gfx& gfx, int x, int y, const SummaryLine& line) {
  gfx.DrawTextAligned(*gfx.surface, x, y, AlignLeft, ColourLabelText, gfx.EditFont, line.label);
  const int w = TextWidth(gfx, gfx.EditFont, line.label);
  gfx.DrawTextAligned(*gfx.surface, x + w, y, AlignLeft, kValueColour, gfx.MessageFont, line.value);
}

// A raised section number: once offset by a pixel, once in white on top.
void DrawSectionNumber(Gfx& gfx, int x, int y, int n) {
  const std::string text = std::to_string(n) + ".";
  gfx.DrawTextAligned(*gfx.surface, x + 1, y + 1, AlignLeft, kSectionShadow, gfx.MessageFont, text);
  gfx.DrawTextAligned(*gfx.surface, x, y, AlignLeft, ColourWhite, gfx.MessageFont, text);
}

const SummaryLine* Find(const std::vector<SummaryLine>& lines, std::string_view name) {
  for (const SummaryLine& l : lines) {
    if (l.name == name) return &l;
  }
  return nullptr;
}

void DrawButtons(Gfx& gfx, SummaryLayout& l, bool trend) {
  const int y = l.panel.bottom - kButtonHeight - 14;
  const int cx = (l.panel.left + l.panel.right) / 2;
  l.ok = Rect{cx - kButtonWidth / 2, y, cx + kButtonWidth / 2, y + kButtonHeight};
  DrawPushButton(gfx, 0, l.ok.left, l.ok.top, l.ok.right, l.ok.bottom, "OK", 0);
  if (trend) {
    l.trend = Rect{l.panel.right - 20 - kButtonWidth, y, l.panel.right - 20, y + kButtonHeight};
    DrawPushButton(gfx, 0, l.trend.left, l.trend.top, l.trend.right, l.trend.bottom, "Trend", 0);
  }
}

Rect CentredPanel(int centreX, int centreY, int w, int h) {
  const int left = centreX - w / 2;
  const int top = centreY - h / 2;
  return Rect{left, top, left + w, top + h};
}

SummaryLayout DrawWeight(Gfx& gfx, int cx, int cy, const MemBuffer& b, std::size_t off,
                         const std::vector<SummaryLine>& lines) {
  const WeightInputs in = WeightInputsAt(b, off);
  const WeightFigures f = EvaluateWeight(in);
  const int lh = std::max(1, gfx.lineHeight);
  const int longest = TextWidth(gfx, gfx.EditFont,
                                "Females require 10-13% body fat for Essential functions according to the American "
                                "Council on Exercise");
  SummaryLayout l;
  l.panel = CentredPanel(cx, cy, longest + 80, 13 * lh + 280);
  const Rect& p = l.panel;
  gfx.DrawPanel(p.left, p.top, p.right, p.bottom);
  gfx.DrawTextAligned(*gfx.surface, cx, p.top + 14, AlignCentre, kTitleColour, gfx.TitleFont, lines[0].value);

  const int numberX = p.left + 18;
  const int textX = p.left + 46;  // the sections' text margin
  const Rect barSpan{textX + 30, 0, p.right - 20, 0};
  int y = p.top + 62;
  auto plain = [&](std::string_view name) {
    if (const SummaryLine* line = Find(lines, name)) {
      gfx.DrawTextAligned(*gfx.surface, textX, y, AlignLeft, ColourLabelText, gfx.EditFont, line->Text());
      y += lh;
    }
  };
  auto headline = [&](int n, std::string_view name) {
    DrawSectionNumber(gfx, numberX, y, n);
    DrawHeadline(gfx, textX, y, *Find(lines, name));
    y += lh + 8;
  };
  auto chart = [&](const ChartScale& scale, std::optional<double> value) {
    const Rect bar{barSpan.left, y, barSpan.right, y + kBarHeight};
    DrawClassChart(gfx, bar, scale, value);
    l.bars.push_back(bar);
    y += kBarHeight + 10;
  };

  headline(1, "current weight");
  y += 10;
  headline(2, "bmi");
  chart(BmiChart(), f.bmi);
  y += 12;
  headline(3, "ideal weight");
  plain("ideal bmi");
  plain("bmr");
  plain("maintenance calories");
  plain("consume");
  y += 12;
  headline(4, "body fat");
  // A body fat that cannot be formed leaves the chart without a marker.
  chart(BodyFatChart(in.gender), f.bodyFat);
  plain("body fat text");
  y += 12;
  headline(5, "waist to hip ratio");
  std::optional<double> place;
  if (f.whr) place = WaistToHipPlace(in.gender, *f.whr);
  chart(WaistToHipChart(), place);
  plain("waist to hip risk");
  DrawButtons(gfx, l, true);
  return l;
}

// A value box of the reading charts: the class colour with the digits centred.
void DrawValueBox(Gfx& gfx, const Rect& box, const BoxColours& colours, double reading) {
  FillBox(*gfx.surface, colours.fill, box.left, box.top, box.right - 1, box.bottom - 1);
  DrawBox(*gfx.surface, kDivider, 1, box.left, box.top, box.right - 1, box.bottom - 1);
  TextRecord r;
  r.x1 = (box.left + box.right) / 2;
  r.x2 = r.x1;
  r.y1 = box.top;
  r.y2 = box.bottom;
  r.colour = colours.digits;
  r.font = &gfx.MessageFont;
  r.align = AlignCentre;
  r.text = NumberText(reading);
  gfx.DrawTextRecord(r);
}

SummaryLayout DrawReadings(Gfx& gfx, int cx, int cy, std::uint32_t kind, const MemBuffer& b, std::size_t off,
                           const std::vector<SummaryLine>& lines) {
  const std::vector<ReadingChart> charts = ReadingChartsOf(kind);
  const std::vector<double> readings = ReadingsOf(kind, b, off);
  const FontDescription& chartFont = gfx.SmallFont;
  const int lh = std::max(1, gfx.lineHeight);
  int segments = 5;
  int s = TextWidth(gfx, chartFont, "Prehypertension") + 20;
  int t = 0;
  int height = 0;
  if (kind == kKindBloodPressure) {
    t = TextWidth(gfx, chartFont, "Diastolic");
    height = 3 * lh + 140;
  } else if (kind == kKindCholesterol) {
    t = TextWidth(gfx, chartFont, "Triglycerides:");
    height = 5 * lh + 300;
  } else {
    segments = 6;
    s = TextWidth(gfx, chartFont, "Prediabetes") + 20;
    t = TextWidth(gfx, chartFont, "Glucose:");
    height = 2 * lh + 100;
  }
  const int v = TextWidth(gfx, chartFont, "999") + 10;
  SummaryLayout l;
  l.panel = CentredPanel(cx, cy, segments * s + v + t + 70, height);
  const Rect& p = l.panel;
  gfx.DrawPanel(p.left, p.top, p.right, p.bottom);
  gfx.DrawTextAligned(*gfx.surface, cx, p.top + 12, AlignCentre, kTitleColour, gfx.TitleFont, lines[0].value);

  const int labelX = p.left + 20;
  const int boxLeft = labelX + t + 10;
  const int barLeft = boxLeft + v + 15;
  const int barRight = barLeft + segments * s;
  int y = p.top + 12 + lh + 30;  // room for the boundary values above the first bar
  for (std::size_t i = 0; i < charts.size() && i < readings.size(); ++i) {
    const ReadingChart& c = charts[i];
    const Rect bar{barLeft, y, barRight, y + kBarHeight + 2};
    const int labelY = bar.top + (bar.Height() - lh) / 2;
    gfx.DrawTextAligned(*gfx.surface, labelX, labelY, AlignLeft, ColourLabelText, gfx.SmallBoldFont, c.label);
    DrawValueBox(gfx, Rect{boxLeft, bar.top, boxLeft + v, bar.bottom}, BoxColoursFor(c, readings[i]), readings[i]);
    DrawClassChart(gfx, bar, c.chart, readings[i]);
    l.bars.push_back(bar);
    y = bar.bottom + 6;
    if (*c.line != '\0') {
      int x = labelX;
      if (*c.leadWord != '\0') {
        const Colour lead = std::string_view(c.leadWord) == "Bad" ? kBadColour : kGoodColour;
        gfx.DrawTextAligned(*gfx.surface, x, y, AlignLeft, lead, gfx.SmallBoldFont, c.leadWord);
        x += TextWidth(gfx, gfx.SmallBoldFont, c.leadWord);
      }
      gfx.DrawTextAligned(*gfx.surface, x, y, AlignLeft, ColourLabelText, chartFont, c.line);
      y += lh;
    }
    y += 34;
  }
  DrawButtons(gfx, l, kind != kKindCholesterol);
  return l;
}

}  // namespace

std::string SummaryTitle(std::uint32_t kind, std::int32_t packedDate) {
  const char* word = "";
  switch (kind) {
    case kKindWeight: word = "Weight Management Summary For "; break;
    case kKindBloodPressure: word = "Blood Pressure For "; break;
    case kKindCholesterol: word = "Cholesterol For "; break;
    case kKindGlucose: word = "Glucose For "; break;
    default: return {};
  }
  const Ymd d = UnpackDate(packedDate);
  const std::string iso = IsoDateText(packedDate);  // the year as four digits
  return std::string(word) + MonthName(d.month) + " " + iso.substr(iso.size() - 2) + ", " +
         iso.substr(0, iso.size() - 6);
}

std::vector<SummaryLine> SummaryTexts(const MemBuffer& b, std::size_t off, const UnitModes& units) {
  const std::uint32_t kind = Byte(b, off + rec::kKind);
  std::vector<SummaryLine> out;
  const std::string title = SummaryTitle(kind, Long(b, off + rec::kDate));
  if (title.empty()) return out;
  out.push_back({"title", "", title});
  if (kind == kKindWeight) {
    WeightTexts(b, off, units, out);
  } else {
    ReadingTexts(kind, b, off, out);
  }
  return out;
}

void DrawClassChart(Gfx& gfx, const Rect& bar, const ChartScale& chart, std::optional<double> value) {
  Surface& s = *gfx.surface;
  const int w = bar.Width();
  const int h = bar.Height();
  if (w <= 0 || h <= 0) return;
  // The bar shades from light at the top to darker at the bottom.
  for (int i = 0; i < h; ++i) {
    const int a = h > 1 ? 255 * i / (h - 1) : 0;
    const Colour c = BlendPixel(kBarTop, kBarBottom, a);
    FillBox(s, c, bar.left, bar.top + i, bar.right - 1, bar.top + i);
  }
  DrawBox(s, kDivider, 1, bar.left, bar.top, bar.right - 2, bar.bottom - 2);
  const FontDescription& font = gfx.SmallFont;
  const int lh = gfx.text != nullptr ? gfx.text->Measure(font, "Ag").height : 15;
  for (double boundary : chart.boundaries) {
    const int x = bar.left + ScaleOffset(chart, boundary, w);
    FillBox(s, kDivider, x, bar.top, x, bar.bottom - 1);
    if (chart.boundaryNumbers) {
      gfx.DrawTextAligned(s, x, bar.top - 20, AlignCentre, ColourLabelText, font, NumberText(boundary));
    }
  }
  for (std::size_t i = 0; i < chart.names.size(); ++i) {
    const double from = i == 0 ? chart.start : chart.boundaries[i - 1];
    const double to = i < chart.boundaries.size() ? chart.boundaries[i] : chart.end;
    const int x = bar.left + ScaleOffset(chart, (from + to) / 2, w);
    gfx.DrawTextAligned(s, x, bar.top + (h - lh) / 2, AlignCentre, ColourLabelText, font, chart.names[i]);
  }
  if (value) {
    // Three pixels wide and standing out of the bar, so it reads on any segment.
    const int x = bar.left + MarkerOffset(chart, *value, w);
    FillBox(s, kMarkerGreen, x - 1, bar.top - 3, x + 1, bar.bottom + 2);
  }
}

SummaryLayout DrawHealthSummary(Gfx& gfx, int centreX, int centreY, const MemBuffer& b, std::size_t off,
                                const UnitModes& units) {
  const std::vector<SummaryLine> lines = SummaryTexts(b, off, units);
  if (lines.empty()) return {};
  const std::uint32_t kind = Byte(b, off + rec::kKind);
  if (kind == kKindWeight) return DrawWeight(gfx, centreX, centreY, b, off, lines);
  return DrawReadings(gfx, centreX, centreY, kind, b, off, lines);
}

void HealthSummary(Application& app, UiContext& ui) {
  Program& p = ui.program;
  Gfx& gfx = ui.gfx;
  const MemBuffer& wr = app.events.workRecord;
  const UnitModes units{app.settings.weightMode, app.settings.measureMode};
  const std::uint32_t kind = Byte(wr, rec::kKind);
  const int category = CategoryOfByte(static_cast<int>(Byte(wr, rec::kCategory)));
  const std::int32_t oldModal = p.ModalActive;
  p.ModalActive = 1;
  const Surface saved = gfx.SaveScreen();
  const int centreY = p.HeaderHeight + (p.ClientHeight - p.HeaderHeight) / 2;
  auto draw = [&] {
    const SummaryLayout l = DrawHealthSummary(gfx, p.CentreX, centreY, wr, 0, units);
    gfx.PresentRect(l.panel.left, l.panel.top, l.panel.Width() + 10, l.panel.Height() + 10);
    return l;
  };
  SummaryLayout l = draw();
  WaitInputRelease(p);
  while (!l.panel.Empty()) {
    std::int32_t requested = 0;
    RunFrameInput(ui, 1, requested);
    if (p.input.quitRequested != 0) break;
    if (ButtonClicked(ui, l.ok.left, l.ok.top, l.ok.right, l.ok.bottom, "OK", 0) != 0) break;
    if (!l.trend.Empty() && ButtonClicked(ui, l.trend.left, l.trend.top, l.trend.right, l.trend.bottom, "Trend", 0)) {
      TrendChartScreen(app, ui, kind, category);
      if (p.input.quitRequested != 0) break;
      l = draw();
    }
  }
  WaitInputRelease(p);
  gfx.RestoreScreen(saved, 0, 0, p.ClientWidth, p.ClientHeight);
  gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
  p.ModalActive = oldModal;
}

void HealthSummary(Application& app) { HealthSummary(app, app.ui); }

void InstallHealthSummaries() {
  if (HealthScreenHooks().openSummary) return;  // someone (a test) chose what "Manage" opens
  HealthScreenHooks().openSummary = [](Application& app, std::uint32_t) { HealthSummary(app); };
}

}  // namespace kal
