// What the summaries make of one health reading: the weight figures (body-mass
// index, ideal weight, metabolic rate, calorie needs, body fat, waist-to-hip
// ratio) with their class texts, and the class charts and value-box colours
// of the blood pressure, cholesterol and glucose readings.
//
// Everything here is pure arithmetic on values already read from a record,
// so the summary screens, the command line and the tests share one answer.
// Coefficients that earlier versions held in single precision are kept so
// (static_cast<double>(float)): the figures users compare against were
// computed with them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "store/mem_buffer.h"

namespace kal {

// The fields of a weight record (kind 3) that the summary uses.
struct WeightInputs {
  int age = 0;        // years
  int gender = 0;     // 1 male, 2 female, anything else none
  int activity = 0;   // 0-4
  std::uint32_t grams = 0;
  std::uint32_t height = 0;  // millimetres, like the rest
  std::uint32_t waist = 0;
  std::uint32_t hips = 0;
  std::uint32_t neck = 0;
};
// Reads them from a weight record starting at `offset` of the buffer.
WeightInputs WeightInputsAt(const MemBuffer& buffer, std::size_t offset);

struct WeightFigures {
  double kg = 0;           // to 2 decimals
  double metres = 0;       // to 2 decimals
  double cm = 0;           // whole
  // Absent when the height rounds to 0 metres: no index can be formed.
  std::optional<double> rawBmi;
  std::optional<double> bmi;          // to 1 decimal
  double bmr = 0;                      // whole; 0 without a gender
  std::optional<double> idealBmi;     // whole; 0 without a gender
  std::optional<double> idealGrams;   // whole
  double maintenance = 0;              // whole
  double deficit = 500;
  std::optional<double> poundsToLose;  // whole
  std::optional<double> weeks;         // whole
  // Absent when a logarithm's argument is not positive (waist not above the
  // neck, waist plus hips not above it, no height) or the result is not finite.
  std::optional<double> bodyFat;       // whole percent; 0 without a gender
  std::optional<double> whr;           // to 2 decimals; absent without hips

  // Whether the "Consume ..." line belongs on the summary.
  bool ShowsConsume(std::uint32_t grams) const { return idealGrams && *idealGrams < grams; }
};

WeightFigures EvaluateWeight(const WeightInputs& in);

// The class texts under the body-fat and waist-to-hip charts; empty without a
// gender (or, for body fat, without a value). Body fat is taken after
// clamping to 1-40, as the chart's marker.
std::string BodyFatClassText(int gender, double bodyFat);
std::string WaistToHipRiskText(int gender);

// A horizontal class chart: a value scale from `start` to `end`, class names
// centred between consecutive boundaries (the ends included), optional
// boundary numbers written above the bar, and a marker for the value,
// clamped to [clampLow, clampHigh] so a reading beyond the ends sits at the
// nearest end.
struct ChartScale {
  double start = 0;
  double end = 1;
  std::vector<double> boundaries;  // inner boundaries, ascending
  std::vector<std::string> names;  // boundaries.size() + 1 names, from the left
  double clampLow = 0;
  double clampHigh = 1;
  bool boundaryNumbers = false;    // write each boundary's value above the bar
};

// Pixels from the bar's left end (0..width) at which the marker of `value` stands.
int MarkerOffset(const ChartScale& chart, double value, int width);
// Pixels from the left end of a value on the scale (no clamping).
int ScaleOffset(const ChartScale& chart, double value, int width);
// The class name under the marker: the segment whose lower boundary is at or
// below the clamped value (a value exactly on a boundary belongs above it).
std::string ClassAt(const ChartScale& chart, double value);

// The weight summary's charts. A gender other than 1 or 2 gives a body-fat
// chart without boundaries or names.
ChartScale BmiChart();
ChartScale BodyFatChart(int gender);
ChartScale WaistToHipChart();
// Where the waist-to-hip marker stands on its chart: 100 × WHR − 80 (male)
// or − 70 (female); 0, the left end, without a gender.
double WaistToHipPlace(int gender, double whr);

// A value box: its fill from a reading's class, and the digit colour.
struct BoxColours {
  Colour fill = 0;
  Colour digits = 0;
};

constexpr Colour kClassRed = Rgb(255, 0, 0);
constexpr Colour kClassOrange = Rgb(255, 128, 0);
constexpr Colour kClassYellow = Rgb(255, 255, 0);
constexpr Colour kClassGreen = Rgb(0, 200, 0);
constexpr Colour kMarkerGreen = Rgb(0, 200, 0);

// One classified reading of the blood pressure, cholesterol and glucose
// summaries: its label, chart, box colours by class and explanatory line.
struct ReadingChart {
  const char* label;   // "Systolic:", "Total:" ...
  const char* key;     // the command line's name: "systolic", "total" ...
  ChartScale chart;
  // Bands ascending: the last whose `from` is at or below the reading applies.
  struct Band {
    double from;
    Colour fill;
    bool whiteDigits;
  };
  std::vector<Band> bands;
  const char* leadWord;  // "Bad", "Good" or "" (drawn apart, before the line)
  const char* line;      // explanatory line, or ""
};

BoxColours BoxColoursFor(const ReadingChart& chart, double reading);

// The charts of each kind, in drawing order; `ReadingsOf` gives the stored
// readings of a record (at `offset`) in the same order.
std::vector<ReadingChart> PressureCharts();
std::vector<ReadingChart> CholesterolCharts();
std::vector<ReadingChart> GlucoseCharts();
std::vector<ReadingChart> ReadingChartsOf(std::uint32_t kind);
std::vector<double> ReadingsOf(std::uint32_t kind, const MemBuffer& buffer, std::size_t offset);

}  // namespace kal
