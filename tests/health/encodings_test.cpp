#include "health/encodings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace kal {
namespace {

constexpr UnitModes kPounds{0, 0};
constexpr UnitModes kMetric{1, 1};

struct TextRow {
  std::string actual;
  std::string expected;
};
void ExpectRows(const std::vector<TextRow>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].actual, rows[i].expected) << "row " << i;
}

struct ParseRow {
  const char* text;
  UnitModes units;
  std::uint32_t expected;
};

TEST(NumberText, FifteenDigitsWithoutLeadingZeroTrailingZerosOrExponent) {
  ExpectRows({
      {NumberText(150.0), "150"},      {NumberText(150.5), "150.5"},       {NumberText(0.85), ".85"},
      {NumberText(-0.5), "-.5"},       {NumberText(-150.25), "-150.25"},   {NumberText(0.0), "0"},
      {NumberText(-0.0), "0"},         {NumberText(0.001), ".001"},        {NumberText(1.0 / 3.0), ".333333333333333"},
      {NumberText(0.1 + 0.2), ".3"},   {NumberText(1e20), "100000000000000000000"},
      {NumberText(123456789012345678.0), "123456789012346000"},            {NumberText(1.5e-7), ".00000015"},
  });
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const std::vector<std::pair<double, double>> whole = {{12.5, 12}, {13.5, 14},     {-2.5, -2},
                                                        {-3.5, -4}, {2.4999, 2},    {2.5001, 3}};
  for (const auto& [x, r] : whole) EXPECT_EQ(RoundHalfEven(x), r) << x;
  EXPECT_DOUBLE_EQ(RoundHalfEven(0.25, 1), 0.2);
  EXPECT_DOUBLE_EQ(RoundHalfEven(0.35, 1), 0.4);
  // 1.15 and 2.675 are a hair off the half in binary; they still count as halves.
  EXPECT_DOUBLE_EQ(RoundHalfEven(1.15, 1), 1.2);
  EXPECT_DOUBLE_EQ(RoundHalfEven(2.675, 2), 2.68);
  EXPECT_DOUBLE_EQ(RoundHalfEven(2.665, 2), 2.66);
}

TEST(LeadingNumber, ReadsTheLeadingDecimalOnly) {
  const std::vector<std::pair<const char*, double>> rows = {{"30pm", 30}, {"  35 years", 35}, {"-5", -5},
                                                            {"1.2.3", 1.2}, {".5", 0.5},     {"..5", 0},
                                                            {"abc", 0},     {"", 0}};
  for (const auto& [text, value] : rows) EXPECT_EQ(LeadingNumber(text), value) << text;
  EXPECT_TRUE(std::isinf(LeadingNumber(std::string(400, '9'))));
}

TEST(FormatWeightAndLength, PoundsThroughWholeOuncesOthersToOneDecimal) {
  auto weight = [](std::uint32_t grams, const UnitModes& u) {
    const auto w = FormatWeight(grams, u);
    return w.number + "|" + w.unit;
  };
  ExpectRows({
      {weight(0, kPounds) + weight(0, kMetric), "||"}, {weight(68039, kPounds), "150|pounds"},
      {weight(68300, kPounds), "150.6|pounds"},  // 2409 ounces
      {weight(453, kPounds), "1|pounds"},        // 15.98 ounces round to 16
      {weight(14, kPounds), "0|pounds"},         // 0.49 ounces: shown, though zero
      {weight(113, kPounds), ".2|pounds"},       // 4 ounces = .25, half to even
      {weight(68039, kMetric), "68|kg"}, {weight(68350, kMetric), "68.4|kg"}, {weight(68250, kMetric), "68.2|kg"},
      {FormatLength(0, kPounds) + FormatLength(0, kMetric), ""}, {FormatLength(1778, kPounds), "70 in"},
      {FormatLength(1778, kMetric), "177.8 cm"}, {FormatLength(1700, kPounds), "66.9 in"},
      {FormatLength(5, kMetric), ".5 cm"},
  });
}

TEST(ParseWeight, UnitWordsReadTheNumberBeforeThemAndBareNumbersFollowTheSetting) {
  const std::vector<ParseRow> rows = {
      {"150", kPounds, 68039},      {"150 lbs 8 oz", kPounds, 68266}, {"150 Pounds", kPounds, 68039},
      {"68 kg", kPounds, 68000},    {"2 kg 500 g", kPounds, 2500},    {"2 kilograms", kPounds, 2000},
      {"1 lb", kPounds, 454},       {"16 oz", kPounds, 454},          {"10 ounces", kPounds, 283},
      {"68.3", kMetric, 68300},     {"150 lbs", kMetric, 68039},      {"68 kg 150", kPounds, 68000 + 68039},
      {"", kPounds, 0},             {"abc", kPounds, 0},              {"kg", kMetric, 0},
      {"99999999999", kMetric, 2147483647},
  };
  for (const ParseRow& r : rows) EXPECT_EQ(ParseWeight(r.text, r.units), r.expected) << r.text;
  EXPECT_EQ(ParseWeight(std::string(400, '9') + " kg", kPounds), 2147483647u);
}

TEST(ParseLength, FeetInchesMetricUnitsAndTheCurrentUnit) {
  const std::vector<ParseRow> rows = {
      {"70", kPounds, 1778},        {"5' 10", kPounds, 1778},         {"5'10\"", kPounds, 1778},
      {"5 ft 10 in", kPounds, 1778}, {"5 feet 10 inches", kPounds, 1778}, {"177 cm", kPounds, 1770},
      {"1.77 m", kPounds, 1770},    {"6'", kPounds, 1829},            {"5.5 ft", kPounds, 1676},
      {"12 mm", kPounds, 12},       {"2 metres", kPounds, 2000},      {"177.8", kMetric, 1778},
      {"5'10", kMetric, 1624},      {"70 in", kMetric, 1778},
      // 2.5 * 25.399999618530273 lies just below 63.5; with 25.4 it would be the half, giving 64.
      {"2.5", kPounds, 63},         {"2.5 in", kMetric, 63},
      {"", kPounds, 0},             {"tall", kPounds, 0},             {"999 m", kPounds, 65535},  // 16-bit fields
  };
  for (const ParseRow& r : rows) EXPECT_EQ(ParseLength(r.text, r.units), r.expected) << r.text;
  EXPECT_EQ(ParseLength(FormatLength(1778, kPounds), kPounds), 1778u);
  EXPECT_EQ(ParseLength(FormatLength(1778, kMetric), kMetric), 1778u);
}

TEST(ParseSmallFields, ReadingAgeAndGender) {
  const std::vector<std::pair<const char*, std::uint32_t>> readings = {
      {"120 mmHg", 120}, {"1.5", 2}, {"2.5", 2}, {"99999", 65535}, {"-80", 80}, {"", 0}, {"n/a", 0}};
  for (const auto& [text, value] : readings) EXPECT_EQ(ParseReading(text), value) << text;
  const std::vector<std::pair<const char*, std::uint32_t>> ages = {
      {"35 years", 35}, {"abc", 0}, {"300", 255}, {"-5", 0}, {"35.5", 36}, {"34.5", 34}, {"age 35", 0}};
  for (const auto& [text, value] : ages) EXPECT_EQ(ParseAge(text), value) << text;
  // F is looked for before M.
  const std::vector<std::pair<const char*, std::uint32_t>> genders = {
      {"Female", 2}, {"f", 2}, {"Male", 1}, {"M", 1}, {"woman", 1}, {"", 0}, {"x", 0}};
  for (const auto& [text, value] : genders) EXPECT_EQ(ParseGender(text), value) << text;
}

TEST(ReadingTime, ParseWithPmAndClockFallbackThenFormat) {
  const FixedClock clock({2024, 5, 5, 14, 47, 0});
  const std::vector<std::pair<const char*, std::string>> rows = {
      {"9:30", "9:30"},     {"9:30 am", "9:30"},  {"  9:05  ", "9:5"},  {"1:05 pm", "13:5"}, {"1:05 PM", "13:5"},
      {"12:00 pm", "24:0"}, {"12 pm", "24:0"},    {"12:00", "12:0"},    {"7", "7:0"},        {"7pm", "19:0"},
      // Out of range: the clock's time.
      {"", "14:47"},        {"25:00", "14:47"},   {"9:75", "14:47"},    {"0:30", "14:47"},   {"13 pm", "14:47"},
      {"9:-5", "14:47"},    {"noon", "14:47"},    {"9:59.6", "14:47"},
  };
  for (const auto& [text, expected] : rows) {
    const ReadingTime t = ParseReadingTime(text, clock);
    EXPECT_EQ(std::to_string(t.hour) + ":" + std::to_string(t.minute), expected) << text;
  }
  ExpectRows({{FormatReadingTime(0, 30), ""},
              {FormatReadingTime(9, 0), "9:00 am"},
              {FormatReadingTime(12, 5), "12:05 am"},
              {FormatReadingTime(13, 5), "1:05 pm"},
              {FormatReadingTime(24, 5), "12:05 pm"}});
}

}  // namespace
}  // namespace kal
