#include "print/print_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kal {

namespace {

int Round(double v) { return static_cast<int>(std::nearbyint(v)); }  // halves to even

}  // namespace

namespace {

// Where each job's record lives in the settings.
struct JobFields {
  std::string Settings::*printer;
  std::string Settings::*font;
  std::int32_t Settings::*size;
  std::int32_t Settings::*left;
  std::int32_t Settings::*right;
  std::int32_t Settings::*top;
  std::int32_t Settings::*bottom;
  std::string Settings::*deviceMode;
};

constexpr JobFields kCalendarFields{&Settings::calPrintDevice, &Settings::calPrintFont, &Settings::calPrintSize,
                                    &Settings::calPrintLm,     &Settings::calPrintRm,   &Settings::calPrintTm,
                                    &Settings::calPrintBm,     &Settings::calendarDevmode};
constexpr JobFields kEventFields{&Settings::eventPrintDevice, &Settings::eventPrintFont, &Settings::eventPrintSize,
                                 &Settings::eventPrintLm,     &Settings::eventPrintRm,   &Settings::eventPrintTm,
                                 &Settings::eventPrintBm,     &Settings::eventDevmode};

const JobFields& FieldsOf(PrintJobKind kind) { return kind == PrintJobKind::kCalendar ? kCalendarFields : kEventFields; }

}  // namespace

PrintSettings LoadPrintSettings(const Settings& s, PrintJobKind kind) {
  const JobFields& f = FieldsOf(kind);
  return PrintSettings{s.*f.printer, s.*f.font, s.*f.size,   s.*f.left,
                       s.*f.right,   s.*f.top,  s.*f.bottom, s.*f.deviceMode};
}

void StorePrintSettings(Settings& s, PrintJobKind kind, const PrintSettings& p) {
  const JobFields& f = FieldsOf(kind);
  s.*f.printer = FitTextField(p.printer, kSettingsPathField);
  s.*f.font = FitTextField(p.font, kSettingsFontField);
  s.*f.size = p.size;
  s.*f.left = p.left;
  s.*f.right = p.right;
  s.*f.top = p.top;
  s.*f.bottom = p.bottom;
  s.*f.deviceMode = p.deviceMode;
}

void ApplyPrintDefaults(PrintSettings& p, PrintJobKind kind) {
  const bool calendar = kind == PrintJobKind::kCalendar;
  p.font = "Arial";
  p.size = calendar ? 10 : 12;
  p.left = p.right = p.top = p.bottom = calendar ? 500 : 1000;
}

const char* PrintDialogTitle(PrintJobKind kind) {
  return kind == PrintJobKind::kCalendar ? "Print Calendar" : "Print Events";
}

PageMetrics PageMetricsFrom(const PrinterPage& page) {
  PageMetrics m;
  m.dpiX = std::max(page.dpiX, 1);
  m.dpiY = std::max(page.dpiY, 1);
  m.offX = page.offsetX;
  m.offY = page.offsetY;
  m.physicalWidth = page.physicalWidth;
  m.physicalHeight = page.physicalHeight;
  m.pageW = Round(static_cast<double>(page.physicalWidth) / m.dpiX * 1000.0);
  m.pageH = Round(static_cast<double>(page.physicalHeight) / m.dpiY * 1000.0);
  m.pen = std::max(1, Round(0.01 * m.dpiX));
  return m;
}

namespace {

// One direction: near margin (left or top) and far margin (right or bottom).
void ClampPair(std::int32_t& nearMargin, std::int32_t& farMargin, int page) {
  constexpr int kLeast = 2000;  // two inches printed
  nearMargin = std::max(nearMargin, 0);
  farMargin = std::max(farMargin, 0);
  if (page - farMargin >= nearMargin + kLeast) return;
  farMargin = page - (nearMargin + kLeast);
  if (farMargin < 0) {
    nearMargin = std::max(page - kLeast, 0);
    farMargin = 0;
  }
}

}  // namespace

void ClampMargins(PrintSettings& p, const PageMetrics& m) {
  ClampPair(p.left, p.right, m.pageW);
  ClampPair(p.top, p.bottom, m.pageH);
}

std::string PaperText(int pageW, int pageH) {
  const int a = std::min(pageW, pageH);
  const int b = std::max(pageW, pageH);
  // A sheet measured in whole printer pixels comes back a few thousandths
  // off its nominal size (A4 at 600 dpi is 4961 pixels, 8268 thousandths).
  const auto near = [](int value, int nominal) { return std::abs(value - nominal) <= 3; };
  const char* name = nullptr;
  if (near(a, 8500) && near(b, 11000)) name = "Letter - ";
  if (near(a, 8500) && near(b, 14000)) name = "Legal - ";
  if (near(a, 8267) && near(b, 11690)) name = "A4 - ";
  if (name == nullptr) return {};
  char text[96];
  std::snprintf(text, sizeof text, "%s%.2f\" x %.2f\"", name, pageW / 1000.0, pageH / 1000.0);
  return text;
}

std::string MarginCaption(std::int32_t thousandths) {
  char text[48];
  std::snprintf(text, sizeof text, "%.2f\" margin", thousandths / 1000.0);
  return text;
}

int PrintFontHeight(int dpiY, int size) { return Round(dpiY * 0.01389 * size); }
int PrintLineHeight(int fontHeight) { return Round(1.2 * fontHeight); }

Rect PrintableRect(const PrintSettings& p, const PageMetrics& m) {
  Rect r;
  r.left = std::max(0, Round(static_cast<double>(p.left) * m.dpiX / 1000.0 - m.offX));
  r.top = std::max(0, Round(static_cast<double>(p.top) * m.dpiY / 1000.0 - m.offY));
  r.right = Round(static_cast<double>(m.pageW - p.right) * m.dpiX / 1000.0 - m.offX);
  r.bottom = Round(static_cast<double>(m.pageH - p.bottom) * m.dpiY / 1000.0 - m.offY);
  return r;
}

}  // namespace kal
