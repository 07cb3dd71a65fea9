// The evaluation panels of a health reading: the weight management summary
// and the blood pressure, cholesterol and glucose summaries with their class
// charts. Each is a read-only modal panel over the screen, opened by the
// editor's "Manage" once the record is stored; "OK" closes it, and "Trend"
// (weight, blood pressure, glucose) opens the person's trend chart.
//
// The texts come from SummaryTexts (calendar/health_summary_text.h), which the command line's `summary`
// prints too, so both always show the same figures. A summary reads one
// record (normally the store's work record, which still holds what was just
// stored) and changes no data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calendar/health_summary_text.h"
#include "health/evaluations.h"
#include "health/units.h"
#include "store/mem_buffer.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

struct Application;

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
