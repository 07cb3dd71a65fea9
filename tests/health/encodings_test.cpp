#include "health/encodings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kal {
namespace {

constexpr UnitModes kPounds{0, 0};
constexpr UnitModes kMetric{1, 1};

TEST(NumberText, PlainDecimalWithoutLeadingZeroOrTrailingZeros) {
  EXPECT_EQ(NumberText(150.0), "150");
  EXPECT_EQ(NumberText(150.5), "150.5");
  EXPECT_EQ(NumberText(24.7), "24.7");
  EXPECT_EQ(NumberText(0.85), ".85");
  EXPECT_EQ(NumberText(-0.5), "-.5");
  EXPECT_EQ(NumberText(-150.25), "-150.25");
  EXPECT_EQ(NumberText(0.0), "0");
  EXPECT_EQ(NumberText(-0.0), "0");
  EXPECT_EQ(NumberText(0.001), ".001");
  EXPECT_EQ(NumberText(65535), "65535");
}

TEST(NumberText, FifteenSignificantDigitsAndNoExponent) {
  EXPECT_EQ(NumberText(1.0 / 3.0), ".333333333333333");
  EXPECT_EQ(NumberText(0.1 + 0.2), ".3");  // binary noise beyond 15 digits is gone
  EXPECT_EQ(NumberText(177.8), "177.8");
  EXPECT_EQ(NumberText(1e20), "100000000000000000000");
  EXPECT_EQ(NumberText(123456789012345678.0), "123456789012346000");
  EXPECT_EQ(NumberText(1.5e-7), ".00000015");
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(12.5), 12);
  EXPECT_EQ(RoundHalfEven(13.5), 14);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(2.5001), 3);
  EXPECT_DOUBLE_EQ(RoundHalfEven(0.25, 1), 0.2);
  EXPECT_DOUBLE_EQ(RoundHalfEven(0.35, 1), 0.4);
  // 1.15 and 2.675 are a hair off the half in binary; they still count as halves.
  EXPECT_DOUBLE_EQ(RoundHalfEven(1.15, 1), 1.2);
  EXPECT_DOUBLE_EQ(RoundHalfEven(2.675, 2), 2.68);
  EXPECT_DOUBLE_EQ(RoundHalfEven(2.665, 2), 2.66);
}

TEST(LeadingNumber, ReadsTheLeadingDecimalOnly) {
  EXPECT_EQ(LeadingNumber("30pm"), 30);
  EXPECT_EQ(LeadingNumber("  35 years"), 35);
  EXPECT_EQ(LeadingNumber("-5"), -5);
  EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
  EXPECT_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_EQ(LeadingNumber("..5"), 0);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_TRUE(std::isinf(LeadingNumber(std::string(400, '9'))));
}

TEST(FormatWeight, PoundsGoThroughWholeOunces) {
  EXPECT_EQ(FormatWeight(0, kPounds).number, "");
  EXPECT_EQ(FormatWeight(0, kPounds).unit, "");
  EXPECT_EQ(FormatWeight(0, kMetric).unit, "");
  EXPECT_EQ(FormatWeight(68039, kPounds).number, "150");
  EXPECT_EQ(FormatWeight(68039, kPounds).unit, "pounds");
  EXPECT_EQ(FormatWeight(68300, kPounds).number, "150.6");  // 2409 ounces
  EXPECT_EQ(FormatWeight(453, kPounds).number, "1");        // 15.98 ounces round to 16
  EXPECT_EQ(FormatWeight(14, kPounds).number, "0");         // 0.49 ounces: shown, though zero
  EXPECT_EQ(FormatWeight(113, kPounds).number, ".2");       // 4 ounces = .25, half to even
}

TEST(FormatWeight, KilogramsToOneDecimal) {
  EXPECT_EQ(FormatWeight(68039, kMetric).number, "68");
  EXPECT_EQ(FormatWeight(68039, kMetric).unit, "kg");
  EXPECT_EQ(FormatWeight(68300, kMetric).number, "68.3");
  EXPECT_EQ(FormatWeight(68350, kMetric).number, "68.4");
  EXPECT_EQ(FormatWeight(68250, kMetric).number, "68.2");
}

TEST(ParseWeight, UnitLettersReadTheNumberBeforeThem) {
  EXPECT_EQ(ParseWeight("150", kPounds), 68039u);
  EXPECT_EQ(ParseWeight("150 lbs 8 oz", kPounds), 68266u);
  EXPECT_EQ(ParseWeight("150 Pounds", kPounds), 68039u);
  EXPECT_EQ(ParseWeight("68 kg", kPounds), 68000u);
  EXPECT_EQ(ParseWeight("2 kg 500 g", kPounds), 2500u);
  EXPECT_EQ(ParseWeight("2 kilograms", kPounds), 2000u);
  EXPECT_EQ(ParseWeight("1 lb", kPounds), 454u);
  EXPECT_EQ(ParseWeight("16 oz", kPounds), 454u);
  EXPECT_EQ(ParseWeight("0.5 kg", kPounds), 500u);
  EXPECT_EQ(ParseWeight("10 ounces", kPounds), 283u);
}

TEST(ParseWeight, BareNumberFollowsTheUnitSetting) {
  EXPECT_EQ(ParseWeight("68.3", kMetric), 68300u);
  EXPECT_EQ(ParseWeight("150 lbs", kMetric), 68039u);
  EXPECT_EQ(ParseWeight("68 kg 150", kPounds), 68000u + 68039u);
}

TEST(ParseWeight, NothingToReadAndAbsurdInput) {
  EXPECT_EQ(ParseWeight("", kPounds), 0u);
  EXPECT_EQ(ParseWeight("abc", kPounds), 0u);
  EXPECT_EQ(ParseWeight("kg", kMetric), 0u);
  EXPECT_EQ(ParseWeight(std::string(400, '9') + " kg", kPounds), 2147483647u);
  EXPECT_EQ(ParseWeight("99999999999", kMetric), 2147483647u);
}

TEST(FormatLength, TenthsOfAnInchOrCentimetres) {
  EXPECT_EQ(FormatLength(0, kPounds), "");
  EXPECT_EQ(FormatLength(0, kMetric), "");
  EXPECT_EQ(FormatLength(1778, kPounds), "70 in");
  EXPECT_EQ(FormatLength(1778, kMetric), "177.8 cm");
  EXPECT_EQ(FormatLength(762, kPounds), "30 in");
  EXPECT_EQ(FormatLength(762, kMetric), "76.2 cm");
  EXPECT_EQ(FormatLength(1700, kPounds), "66.9 in");
  EXPECT_EQ(FormatLength(5, kMetric), ".5 cm");
}

TEST(ParseLength, FeetInchesAndMetricUnits) {
  EXPECT_EQ(ParseLength("70", kPounds), 1778u);
  EXPECT_EQ(ParseLength("5' 10", kPounds), 1778u);
  EXPECT_EQ(ParseLength("5'10\"", kPounds), 1778u);
  EXPECT_EQ(ParseLength("5 ft 10 in", kPounds), 1778u);
  EXPECT_EQ(ParseLength("5 feet 10 inches", kPounds), 1778u);
  EXPECT_EQ(ParseLength("177 cm", kPounds), 1770u);
  EXPECT_EQ(ParseLength("1.77 m", kPounds), 1770u);
  EXPECT_EQ(ParseLength("6'", kPounds), 1829u);      // 72 in = 1828.8 mm
  EXPECT_EQ(ParseLength("5.5 ft", kPounds), 1676u);  // 66 in
  EXPECT_EQ(ParseLength("12 mm", kPounds), 12u);
  EXPECT_EQ(ParseLength("2 m", kPounds), 2000u);
  EXPECT_EQ(ParseLength("2 metres", kPounds), 2000u);
}

TEST(ParseLength, TrailingNumberIsReadInTheCurrentUnit) {
  EXPECT_EQ(ParseLength("177.8", kMetric), 1778u);
  EXPECT_EQ(ParseLength("5'10", kMetric), 1624u);
  EXPECT_EQ(ParseLength("70 in", kMetric), 1778u);
}

TEST(ParseLength, InchesUseTheSinglePrecisionFactor) {
  // 2.5 * 25.399999618530273 lies just below 63.5; with 25.4 it would be the half, giving 64.
  EXPECT_EQ(ParseLength("2.5", kPounds), 63u);
  EXPECT_EQ(ParseLength("2.5 in", kMetric), 63u);
}

TEST(ParseLength, NothingToReadAndAbsurdInput) {
  EXPECT_EQ(ParseLength("", kPounds), 0u);
  EXPECT_EQ(ParseLength("tall", kPounds), 0u);
  EXPECT_EQ(ParseLength("999 m", kPounds), 65535u);  // the fields hold 16 bits
}

TEST(ParseLength, FormatThenParseKeepsTheTenthOfAnInch) {
  EXPECT_EQ(ParseLength(FormatLength(1778, kPounds), kPounds), 1778u);
  EXPECT_EQ(ParseLength(FormatLength(1778, kMetric), kMetric), 1778u);
}

TEST(ParseReading, DigitsAndPointOnly) {
  EXPECT_EQ(ParseReading("120 mmHg"), 120u);
  EXPECT_EQ(ParseReading("1.5"), 2u);
  EXPECT_EQ(ParseReading("2.5"), 2u);
  EXPECT_EQ(ParseReading("99999"), 65535u);
  EXPECT_EQ(ParseReading("-80"), 80u);  // the sign is not kept
  EXPECT_EQ(ParseReading(""), 0u);
  EXPECT_EQ(ParseReading("n/a"), 0u);
}

TEST(ParseAge, LeadingNumberClampedThenRounded) {
  EXPECT_EQ(ParseAge("35 years"), 35u);
  EXPECT_EQ(ParseAge("abc"), 0u);
  EXPECT_EQ(ParseAge("300"), 255u);
  EXPECT_EQ(ParseAge("-5"), 0u);
  EXPECT_EQ(ParseAge("35.5"), 36u);
  EXPECT_EQ(ParseAge("34.5"), 34u);
  EXPECT_EQ(ParseAge("age 35"), 0u);
}

TEST(ParseGender, FBeforeM) {
  EXPECT_EQ(ParseGender("Female"), 2u);
  EXPECT_EQ(ParseGender("f"), 2u);
  EXPECT_EQ(ParseGender("Male"), 1u);
  EXPECT_EQ(ParseGender("M"), 1u);
  EXPECT_EQ(ParseGender("woman"), 1u);
  EXPECT_EQ(ParseGender(""), 0u);
  EXPECT_EQ(ParseGender("x"), 0u);
}

TEST(ParseReadingTime, HoursMinutesAndPm) {
  const FixedClock clock({2024, 5, 5, 14, 47, 0});
  auto parse = [&clock](const char* text) {
    const ReadingTime t = ParseReadingTime(text, clock);
    return std::to_string(t.hour) + ":" + std::to_string(t.minute);
  };
  EXPECT_EQ(parse("9:30"), "9:30");
  EXPECT_EQ(parse("9:30 am"), "9:30");
  EXPECT_EQ(parse("  9:05  "), "9:5");
  EXPECT_EQ(parse("1:05 pm"), "13:5");
  EXPECT_EQ(parse("1:05 PM"), "13:5");
  EXPECT_EQ(parse("12:00 pm"), "24:0");
  EXPECT_EQ(parse("12 pm"), "24:0");
  EXPECT_EQ(parse("12:00"), "12:0");
  EXPECT_EQ(parse("7"), "7:0");
  EXPECT_EQ(parse("7pm"), "19:0");
}

TEST(ParseReadingTime, OutOfRangeFallsBackToTheClock) {
  const FixedClock clock({2024, 5, 5, 14, 47, 0});
  for (const char* text : {"", "25:00", "9:75", "0:30", "13 pm", "9:-5", "noon", "9:59.6"}) {
    const ReadingTime t = ParseReadingTime(text, clock);
    EXPECT_EQ(t.hour, 14) << text;
    EXPECT_EQ(t.minute, 47) << text;
  }
}

TEST(FormatReadingTime, HourZeroIsNoTime) {
  EXPECT_EQ(FormatReadingTime(0, 30), "");
  EXPECT_EQ(FormatReadingTime(9, 0), "9:00 am");
  EXPECT_EQ(FormatReadingTime(12, 5), "12:05 am");
  EXPECT_EQ(FormatReadingTime(13, 5), "1:05 pm");
  EXPECT_EQ(FormatReadingTime(24, 5), "12:05 pm");
}

}  // namespace
}  // namespace kal
