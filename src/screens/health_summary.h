// The evaluation panels of a health reading: the weight management summary
// and the blood pressure, cholesterol and glucose summaries with their class
// charts. Each is a read-only modal panel over the screen, opened by the
// editor's "Manage" once the record is stored; "OK" closes it, and "Trend"
// (weight, blood pressure, glucose) opens the person's trend chart.
//
// The texts come from SummaryTexts, which the command line's `summary`
// prints too, so both always show the same figures. A summary reads one
// record (normally the store's work record, which still holds what was just
// stored) and changes no data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "health/evaluations.h"
#include "health/units.h"
#include "store/mem_buffer.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

struct Application;

// One shown text: what it is (the command line's name) and what it says.
// Headlines are split into their label and value, drawn in two colours.
struct SummaryLine {
  std::string name;
  std::string label;  // e.g. "Your Body Mass Index (BMI) is: "; empty for a plain line
  std::string value;  // e.g. "27.8"
  std::string Text() const { return label + value; }
};

// What a body fat, index or ratio that cannot be formed shows instead of a figure.
inline constexpr const char* kNotComputable = "cannot be computed from these measurements";

// Every text and figure of the summary of the record at `offset`: first its
// title, then the lines in the order drawn. Kinds without a summary give none.
std::vector<SummaryLine> SummaryTexts(const MemBuffer& record, std::size_t offset, const UnitModes& units);

// "Weight Management Summary For March 01, 2024", "Blood Pressure For ..." ...
std::string SummaryTitle(std::uint32_t kind, std::int32_t packedDate);

// A class chart: a shaded bar over `bar`, divider lines at the boundaries,
// the class names centred in their segments, boundary values 20 pixels above
// the bar when the scale asks for them, and the green marker at the value
// (none when the value is absent).
void DrawClassChart(Gfx& gfx, const Rect& bar, const ChartScale& chart, std::optional<double> value);

// Where the panel and its buttons lie once drawn; `trend` is empty for kinds
// without a trend chart.
struct SummaryLayout {
  Rect panel;
  Rect ok;
  Rect trend;
  std::vector<Rect> bars;  // the class charts, in drawing order
};

// Draws the summary of the record at `offset`, centred at (centreX, centreY),
// without presenting it.
SummaryLayout DrawHealthSummary(Gfx& gfx, int centreX, int centreY, const MemBuffer& record, std::size_t offset,
                                const UnitModes& units);

// The modal summary of the work record. Returns once "OK" is pressed or the
// program quits; the screen beneath is put back.
void HealthSummary(Application& app, UiContext& ui);
void HealthSummary(Application& app);

// Makes the health editors' "Manage" open these summaries, unless another
// handler was installed first.
void InstallHealthSummaries();

}  // namespace kal
