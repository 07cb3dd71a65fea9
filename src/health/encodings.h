// Text conversions of health values.
//
// Health records store unsigned integers in fixed units: whole grams, whole
// millimetres and readings as the whole numbers typed. The unit settings
// (UnitModes) only change how values are shown and how a number typed without
// a unit word is read; a stored value never changes with them. All functions
// are pure apart from ParseReadingTime, which falls back to the clock.
//
// "Rounded" means to the nearest value with the stated decimals, an exact
// half going to the even neighbour (RoundHalfEven).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "health/units.h"
#include "platform/clock.h"

namespace kal {

constexpr double kGramsPerPound = 453.59237;
constexpr double kGramsPerOunce = 28.3495231;
constexpr double kOuncesPerPound = 16.0;
// Millimetres per inch and per tenth of an inch, kept at single precision on
// purpose: stored values written by earlier versions were computed with them.
constexpr double kMillimetresPerInch = static_cast<double>(25.4f);   // 25.399999618530273
constexpr double kMillimetresPerTenth = static_cast<double>(2.54f);  // 2.5399999618530273

// Plain decimal with up to 15 significant digits, no trailing zeros, no
// decimal point for whole values and no zero before the point between -1 and
// 1: 150, 150.5, .85, -.5.
std::string NumberText(double value);

// Rounds to `decimals` places, exact halves to the even neighbour. Values are
// first taken at 15 significant digits, so that a product such as 1.15 * 10,
// which binary arithmetic leaves a hair below 11.5, still counts as the half
// the user typed.
double RoundHalfEven(double value, int decimals = 0);

// The value of the leading decimal number of a text: optional blanks, an
// optional sign, digits with at most one decimal point; whatever follows is
// ignored ("30pm" is 30, "abc" and "" are 0).
double LeadingNumber(std::string_view text);

struct WeightText {
  std::string number;  // NumberText of the value; empty for a missing weight
  std::string unit;    // "pounds" or "kg"; empty for a missing weight
};

// 0 grams gives two empty texts. Pounds: ounces rounded, then pounds to one
// decimal; kilograms to one decimal.
WeightText FormatWeight(std::uint32_t grams, const UnitModes& units);
// Reads "150", "150 lbs 8 oz", "68 kg", "2 kg 500 g" ... into whole grams. A
// number without a unit word is read in the current weight unit. The result
// is clamped to what the signed 32-bit weight field holds.
std::uint32_t ParseWeight(std::string_view text, const UnitModes& units);

// 0 gives the empty text; otherwise "70 in" (to a tenth of an inch) or "177.8 cm".
std::string FormatLength(std::uint32_t millimetres, const UnitModes& units);
// Reads "70", "5' 10", "5 ft 10 in", "177 cm", "1.77 m", "12 mm" into whole
// millimetres; a trailing number without a unit is read in the current length
// unit. Clamped to 0-65535, the range of the 16-bit measurement fields.
std::uint32_t ParseLength(std::string_view text, const UnitModes& units);

// Keeps only "0123456789." and rounds the leading number; clamped to 0-65535.
// 0 means the reading is missing.
std::uint32_t ParseReading(std::string_view text);
// The leading number of the text as typed, clamped to 0-255, then rounded.
std::uint32_t ParseAge(std::string_view text);
// 2 when the text contains "f" (any case), else 1 when it contains "m", else 0.
std::uint32_t ParseGender(std::string_view text);

struct ReadingTime {
  int hour = 0;    // 1-24 as typed ("12 pm" is 24), or the clock's 0-23
  int minute = 0;  // 0-59
};
// "9:30", "1:05 pm", "12 pm"; any "p" adds 12 hours. An hour outside 1-24 or
// a minute outside 0-59 (including an empty text) gives the clock's time.
ReadingTime ParseReadingTime(std::string_view text, const Clock& clock);
// Hour 0 is no time (empty text); 1-12 "am", above 12 "pm": 24 is "12:05 pm".
std::string FormatReadingTime(int hour, int minute);

// Activity levels 0-4 of the weight editor; other values give the empty text.
std::string ActivityLevelLabel(int level);
// The factor applied to the basal metabolic rate: 1.2 + 0.175 * level.
double ActivityFactor(int level);

}  // namespace kal
