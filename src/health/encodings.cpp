#include "health/encodings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "store/text1252.h"

namespace kal {
namespace {

// Keeps only the characters of a plain unsigned decimal number.
std::string KeepNumberChars(std::string_view text) {
  std::string out;
  for (char c : text) {
    if ((c >= '0' && c <= '9') || c == '.') out.push_back(c);
  }
  return out;
}

// Clamps a whole-valued double into [0, max] before it becomes an integer, so
// that absurd input can never overflow the conversion.
std::uint32_t ClampWhole(double value, double max) {
  if (!(value > 0)) return 0;
  if (value >= max) return static_cast<std::uint32_t>(max);
  return static_cast<std::uint32_t>(value);
}

constexpr double kMaxWeightGrams = std::numeric_limits<std::int32_t>::max();
constexpr double kMaxWord = 65535.0;

}  // namespace

std::string NumberText(double value) {
  if (!std::isfinite(value)) return "0";
  // Whole numbers of up to 14 digits, which most readings are, come out of
  // the digit work below unchanged; searches over whole files call this often.
  if (std::fabs(value) < 1e14 && value == std::trunc(value)) {
    char whole[24];
    const auto end = std::to_chars(whole, whole + sizeof whole, static_cast<long long>(value)).ptr;
    return std::string(whole, end);
  }
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));  // [-]d.ddde[+-]xx

  bool negative = false;
  std::string digits;
  int exponent = 0;
  std::size_t i = 0;
  if (i < sci.size() && sci[i] == '-') {
    negative = true;
    ++i;
  }
  for (; i < sci.size() && sci[i] != 'e'; ++i) {
    if (sci[i] != '.') digits.push_back(sci[i]);
  }
  if (i < sci.size()) {
    ++i;  // 'e'
    bool expNegative = false;
    if (i < sci.size() && (sci[i] == '+' || sci[i] == '-')) expNegative = sci[i++] == '-';
    std::from_chars(sci.data() + i, sci.data() + sci.size(), exponent);
    if (expNegative) exponent = -exponent;
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (digits.empty()) return "0";  // also turns -0 into "0"

  // digits hold d1 d2 ... with the value d1.d2... * 10^exponent.
  const int intDigits = exponent + 1;
  std::string text = negative ? "-" : "";
  const int n = static_cast<int>(digits.size());
  if (intDigits <= 0) {
    text += '.';
    text.append(static_cast<std::size_t>(-intDigits), '0');
    text += digits;
  } else if (intDigits >= n) {
    text += digits;
    text.append(static_cast<std::size_t>(intDigits - n), '0');
  } else {
    text.append(digits, 0, static_cast<std::size_t>(intDigits));
    text += '.';
    text.append(digits, static_cast<std::size_t>(intDigits), std::string::npos);
  }
  return text;
}

double RoundHalfEven(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  const double scale = std::pow(10.0, decimals);
  double y = value * scale;
  if (!std::isfinite(y)) return value;
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, y, std::chars_format::general, 15);
  std::from_chars(buf, res.ptr, y);
  const double lower = std::floor(y);
  const double fraction = y - lower;
  double rounded;
  if (fraction > 0.5) {
    rounded = lower + 1;
  } else if (fraction < 0.5) {
    rounded = lower;
  } else {
    rounded = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
  }
  return rounded / scale;
}

double LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::string whole;
  std::string fraction;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') whole.push_back(text[i++]);
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') fraction.push_back(text[i++]);
  }
  if (whole.empty() && fraction.empty()) return 0;
  std::string number = whole.empty() ? "0" : whole;
  if (!fraction.empty()) number += "." + fraction;
  double value = 0;
  const auto res = std::from_chars(number.data(), number.data() + number.size(), value);
  if (res.ec == std::errc::result_out_of_range) {
    // Too many digits for a double: huge when any whole digit is non-zero,
    // otherwise too small to matter.
    value = whole.find_first_not_of('0') != std::string::npos ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

WeightText FormatWeight(std::uint32_t grams, const UnitModes& units) {
  if (grams == 0) return {};
  if (units.weightMode == 0) {
    const double ounces = RoundHalfEven(grams / kGramsPerOunce);
    return {NumberText(RoundHalfEven(ounces / kOuncesPerPound, 1)), "pounds"};
  }
  return {NumberText(RoundHalfEven(grams / 1000.0, 1)), "kg"};
}

std::uint32_t ParseWeight(std::string_view text, const UnitModes& units) {
  const std::string lower = ToLower1252(text);
  double total = 0;
  std::size_t segmentStart = 0;
  // The number before a unit letter is read in that unit; the letters of the
  // unit word that follow carry no digits and so add nothing.
  auto add = [&total](double grams) { total = RoundHalfEven(total + RoundHalfEven(grams)); };
  for (std::size_t i = 0; i < lower.size(); ++i) {
    double factor;
    switch (lower[i]) {
      case 'p':
      case 'l': factor = kGramsPerPound; break;
      case 'o': factor = kGramsPerOunce; break;
      case 'g': factor = 1.0; break;
      case 'k': factor = 1000.0; break;
      default: continue;
    }
    const double v = LeadingNumber(KeepNumberChars(std::string_view(lower).substr(segmentStart, i - segmentStart)));
    add(v * factor);
    segmentStart = i;
  }
  const double v = LeadingNumber(KeepNumberChars(std::string_view(lower).substr(segmentStart)));
  add(v * (units.weightMode == 0 ? kGramsPerPound : 1000.0));
  return ClampWhole(total, kMaxWeightGrams);
}

std::string FormatLength(std::uint32_t millimetres, const UnitModes& units) {
  if (millimetres == 0) return {};
  if (units.lengthMode == 0) {
    const double tenths = RoundHalfEven(millimetres / kMillimetresPerTenth);
    return NumberText(tenths / 10.0) + " in";
  }
  return NumberText(millimetres / 10.0) + " cm";
}

std::uint32_t ParseLength(std::string_view text, const UnitModes& units) {
  const std::string lower = ToLower1252(text);
  double total = 0;
  std::size_t segmentStart = 0;
  auto add = [&total](double mm) { total = RoundHalfEven(total + RoundHalfEven(mm)); };
  for (std::size_t i = 0; i < lower.size(); ++i) {
    const char c = lower[i];
    if (c != 'f' && c != '\'' && c != 'i' && c != '"' && c != 'c' && c != 'm') continue;
    const double v = LeadingNumber(KeepNumberChars(std::string_view(lower).substr(segmentStart, i - segmentStart)));
    switch (c) {
      case 'f':
      case '\'':
        add(RoundHalfEven(v * 12) * kMillimetresPerInch);
        break;
      case 'i':
      case '"':
        add(v * kMillimetresPerInch);
        break;
      case 'c':
        add(v * 10);
        break;
      default: {  // 'm': millimetres when followed by "m" or "i", else metres
        const char next = i + 1 < lower.size() ? lower[i + 1] : '\0';
        add(next == 'm' || next == 'i' ? v : v * 1000);
        break;
      }
    }
    segmentStart = i;
  }
  const double v = LeadingNumber(KeepNumberChars(std::string_view(lower).substr(segmentStart)));
  add(v * (units.lengthMode == 0 ? kMillimetresPerInch : 10.0));
  return ClampWhole(total, kMaxWord);
}

std::uint32_t ParseReading(std::string_view text) {
  return ClampWhole(RoundHalfEven(LeadingNumber(KeepNumberChars(text))), kMaxWord);
}

std::uint32_t ParseAge(std::string_view text) {
  double v = LeadingNumber(text);
  if (!(v > 0)) v = 0;
  if (v > 255) v = 255;
  return ClampWhole(RoundHalfEven(v), 255);
}

std::uint32_t ParseGender(std::string_view text) {
  const std::string lower = ToLower1252(text);
  if (lower.find('f') != std::string::npos) return 2;
  if (lower.find('m') != std::string::npos) return 1;
  return 0;
}

ReadingTime ParseReadingTime(std::string_view text, const Clock& clock) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const std::string lower = ToLower1252(text);

  double hour;
  double minute = 0;
  const std::size_t colon = lower.find(':');
  if (colon != std::string::npos) {
    hour = RoundHalfEven(LeadingNumber(std::string_view(lower).substr(0, colon)));
    minute = RoundHalfEven(LeadingNumber(std::string_view(lower).substr(colon + 1)));
  } else {
    hour = RoundHalfEven(LeadingNumber(lower));
  }
  if (lower.find('p') != std::string::npos) hour += 12;

  if (!(hour >= 1 && hour <= 24 && minute >= 0 && minute <= 59)) {
    const LocalDateTime now = clock.Now();
    return {now.hour, now.minute};
  }
  return {static_cast<int>(hour), static_cast<int>(minute)};
}

std::string FormatReadingTime(int hour, int minute) {
  if (hour <= 0) return {};
  char mm[16];
  std::snprintf(mm, sizeof mm, "%02d", minute);
  if (hour > 12) return NumberText(hour - 12) + ":" + mm + " pm";
  return NumberText(hour) + ":" + mm + " am";
}

std::string ActivityLevelLabel(int level) {
  switch (level) {
    case 0: return "Little or no exercise and desk job";
    case 1: return "Light exercise or sports 1-3 days a week";
    case 2: return "Moderate exercise or sports 3-5 days a week";
    case 3: return "Hard exercise or sports 6-7 days a week";
    case 4: return "Hard daily exercise or sports and physical job";
    default: return {};
  }
}

double ActivityFactor(int level) { return 1.2 + 0.175 * level; }

}  // namespace kal
