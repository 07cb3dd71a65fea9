// The trend chart of one person's readings over time: weight with its
// 7-reading moving average, systolic and diastolic pressure with the 120/80
// and 140/90 lines, glucose over its class bands. Dates run along the bottom
// axis and values, in the chosen units, up the left one. However many
// readings there are, each series draws at most one point per pixel column
// (the mean of the readings that fall in it), so the cost follows the width.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "health/trends.h"
#include "health/units.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

struct Application;

// Readings shown per trend: the moving average's window.
inline constexpr std::size_t kTrendAverageWindow = 7;

// "Weight Trend: Person 1", "Blood Pressure Trend: ...", "Glucose Trend: ...".
std::string TrendTitle(std::uint32_t kind, std::string_view categoryName);

// Draws the whole chart into `area` of the gfx's surface, without presenting.
void DrawTrendChart(Gfx& gfx, const Rect& area, const TrendSeries& series, const UnitModes& units,
                    std::string_view title);

// The modal chart over the screen below the header, with an "OK" button;
// returns once it is pressed or the program quits, the screen put back.
void TrendChartScreen(Application& app, UiContext& ui, std::uint32_t kind, int category);

}  // namespace kal
