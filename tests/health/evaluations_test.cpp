#include "health/evaluations.h"

#include <gtest/gtest.h>

#include "store/event_record.h"

namespace kal {
namespace {

WeightInputs WorkedExample() {
  WeightInputs in;
  in.age = 40;
  in.gender = 1;
  in.activity = 2;
  in.grams = 90000;
  in.height = 1800;
  in.waist = 940;
  in.hips = 1000;
  in.neck = 400;
  return in;
}

TEST(WeightFiguresTest, WorkedExampleComesOutExactly) {
  const WeightFigures f = EvaluateWeight(WorkedExample());
  EXPECT_EQ(f.kg, 90);
  EXPECT_EQ(f.metres, 1.8);
  EXPECT_EQ(f.cm, 180);
  ASSERT_TRUE(f.rawBmi && f.bmi && f.idealBmi && f.idealGrams && f.poundsToLose && f.weeks && f.bodyFat && f.whr);
  EXPECT_NEAR(*f.rawBmi, 27.78, 0.005);
  EXPECT_EQ(*f.bmi, 27.8);
  EXPECT_EQ(f.bmr, 1933);
  EXPECT_EQ(*f.idealBmi, 25);
  EXPECT_EQ(*f.idealGrams, 81000);
  EXPECT_EQ(f.maintenance, 2996);
  EXPECT_EQ(f.deficit, 500);
  EXPECT_EQ(*f.poundsToLose, 20);
  EXPECT_EQ(*f.weeks, 20);
  EXPECT_EQ(*f.bodyFat, 21);
  EXPECT_EQ(*f.whr, 0.94);
  EXPECT_TRUE(f.ShowsConsume(90000));
  EXPECT_EQ(BodyFatClassText(1, *f.bodyFat),
            "Males with 18-25% body fat are considered Acceptable by the American Council on Exercise");
  const double place = WaistToHipPlace(1, *f.whr);
  EXPECT_EQ(place, 14);
  EXPECT_EQ(ClassAt(WaistToHipChart(), place), "Average");
  EXPECT_EQ(ClassAt(BmiChart(), *f.bmi), "Overweight");
}

TEST(WeightFiguresTest, FemaleFormulasUseTheirOwnCoefficients) {
  WeightInputs in = WorkedExample();
  in.gender = 2;
  in.grams = 60000;
  in.height = 1650;
  in.waist = 700;
  in.hips = 950;
  in.neck = 330;
  in.age = 30;
  const WeightFigures f = EvaluateWeight(in);
  // 655 + 9.56 × 60 + 1.85 × 165 − 4.68 × 30 = 1393.45
  EXPECT_EQ(f.bmr, 1393);
  EXPECT_EQ(f.maintenance, 2159);  // 1.55 × 1393 = 2159.15
  // raw BMI 60 / 1.65² = 22.04; 0.4 × 22.04 + 0.03 × 30 + 11 = 20.72
  EXPECT_EQ(*f.idealBmi, 21);
  EXPECT_EQ(*f.idealGrams, 57172);  // 57172.5, the half going to the even neighbour
  // 495 / (1.29579 − 0.35004 × log10(132) + 0.221 × log10(165)) − 450 = 24.3
  EXPECT_EQ(*f.bodyFat, 24);
  EXPECT_EQ(*f.whr, 0.74);
  EXPECT_EQ(WaistToHipPlace(2, *f.whr), 4);
}

TEST(WeightFiguresTest, ConsumeLineOnlyAboveTheIdealWeight) {
  // At 1.8 m an index of 23 is its own ideal (0.5 × 23 + 11.5): 74520 g.
  WeightInputs in = WorkedExample();
  for (const auto& [grams, shown] : std::vector<std::pair<std::uint32_t, bool>>{
           {74530, true}, {74520, false}, {74510, false}}) {
    in.grams = grams;
    const WeightFigures f = EvaluateWeight(in);
    ASSERT_TRUE(f.idealGrams);
    EXPECT_EQ(*f.idealGrams, 74520) << grams;
    EXPECT_EQ(f.ShowsConsume(grams), shown) << grams;
  }
}

TEST(WeightFiguresTest, UncomputableLogarithmsLeaveNoBodyFat) {
  struct Case {
    int gender;
    std::uint32_t height, waist, hips, neck;
    bool computable;
  };
  for (const Case& c : std::vector<Case>{
           {1, 1800, 400, 1000, 400, false},  // waist equal to the neck
           {1, 1800, 300, 1000, 400, false},  // waist below the neck
           {1, 0, 940, 1000, 400, false},     // no height
           {1, 1800, 401, 1000, 400, true},
           {2, 1800, 300, 99, 400, false},    // waist plus hips below the neck
           {2, 1800, 300, 100, 400, false},   // equal
           {2, 1800, 300, 101, 400, true},
           {0, 0, 0, 0, 0, true},             // no gender: 0 by definition
       }) {
    WeightInputs in = WorkedExample();
    in.gender = c.gender;
    in.height = c.height;
    in.waist = c.waist;
    in.hips = c.hips;
    in.neck = c.neck;
    const WeightFigures f = EvaluateWeight(in);
    EXPECT_EQ(f.bodyFat.has_value(), c.computable) << c.gender << " " << c.height << " " << c.waist << " " << c.hips;
  }
  WeightInputs noHeight = WorkedExample();
  noHeight.height = 0;
  noHeight.hips = 0;
  const WeightFigures f = EvaluateWeight(noHeight);
  EXPECT_FALSE(f.bmi);
  EXPECT_FALSE(f.idealGrams);
  EXPECT_FALSE(f.whr);
  EXPECT_FALSE(f.ShowsConsume(noHeight.grams));
}

TEST(WeightFiguresTest, GenderlessRecordHasZeroRateAndNoClassTexts) {
  WeightInputs in = WorkedExample();
  in.gender = 0;
  const WeightFigures f = EvaluateWeight(in);
  EXPECT_EQ(f.bmr, 0);
  EXPECT_EQ(*f.idealBmi, 0);
  EXPECT_EQ(*f.bodyFat, 0);
  EXPECT_EQ(BodyFatClassText(0, 20), "");
  EXPECT_EQ(WaistToHipRiskText(0), "");
  EXPECT_EQ(WaistToHipPlace(0, 0.94), 0);
  EXPECT_TRUE(BodyFatChart(0).names.empty());
}

TEST(BodyFatClassTextTest, BoundariesFallWhereTheTablesSay) {
  struct Case {
    int gender;
    double bf;
    const char* word;
  };
  for (const Case& c : std::vector<Case>{
           {1, -3, "require 2-5%"}, {1, 5, "require 2-5%"}, {1, 6, "Athletic"}, {1, 13, "Athletic"},
           {1, 14, "Fit"}, {1, 17, "Fit"}, {1, 18, "Acceptable"}, {1, 25, "Acceptable"}, {1, 26, "Obese"},
           {1, 90, "Obese"}, {2, 13, "require 10-13%"}, {2, 14, "Athletic"}, {2, 20, "Athletic"}, {2, 21, "Fit"},
           {2, 24, "Fit"}, {2, 25, "Acceptable"}, {2, 31, "Acceptable"}, {2, 32, "Obese"},
       }) {
    const std::string text = BodyFatClassText(c.gender, c.bf);
    EXPECT_NE(text.find(c.word), std::string::npos) << c.gender << " " << c.bf << ": " << text;
    EXPECT_EQ(text.rfind(c.gender == 1 ? "Males" : "Females", 0), 0u) << text;
  }
}

TEST(ChartScaleTest, MarkersClampAtTheEndsAndNamesSplitOnBoundaries) {
  const int width = 400;
  struct Case {
    ChartScale chart;
    double value;
    int offset;
    const char* name;
  };
  for (const Case& c : std::vector<Case>{
           {BmiChart(), 10, 0, "Underweight"},       // below 15: left end
           {BmiChart(), 15, 0, "Underweight"},
           {BmiChart(), 25, 200, "Overweight"},      // on a boundary: the class above
           {BmiChart(), 27.8, 256, "Overweight"},
           {BmiChart(), 42, 400, "Obese"},           // beyond 35: right end
           {BodyFatChart(1), 0, 10, "Essential"},    // clamped up to 1
           {BodyFatChart(1), 25, 250, "Obese"},      // the chart's boundary, not the text's
           {BodyFatChart(2), 32, 320, "Obese"},
           {BodyFatChart(2), 31, 310, "Acceptable"},
           {BodyFatChart(1), 55, 400, "Obese"},
           {WaistToHipChart(), -10, 16, "Excellent"},  // clamped to 1
           {WaistToHipChart(), 14, 224, "Average"},
           {WaistToHipChart(), 30, 400, "Extreme"},
       }) {
    EXPECT_EQ(MarkerOffset(c.chart, c.value, width), c.offset) << c.value;
    EXPECT_EQ(ClassAt(c.chart, c.value), c.name) << c.value;
  }
}

TEST(ReadingClassTest, EveryBoundaryFallsWhereTheTablesSay) {
  const Colour black = Rgb(0, 0, 0);
  const Colour white = Rgb(255, 255, 255);
  struct Case {
    std::uint32_t kind;
    std::size_t chart;
    double reading;
    Colour fill;
    Colour digits;
    const char* name;
  };
  const std::vector<Case> cases = {
      // Systolic, then diastolic.
      {kKindBloodPressure, 0, 99, kClassGreen, black, "Low"},
      {kKindBloodPressure, 0, 100, kClassGreen, black, "Normal"},
      {kKindBloodPressure, 0, 119, kClassGreen, black, "Normal"},
      {kKindBloodPressure, 0, 120, kClassYellow, black, "Prehypertension"},
      {kKindBloodPressure, 0, 139, kClassYellow, black, "Prehypertension"},
      {kKindBloodPressure, 0, 140, kClassOrange, black, "Hypertension 1"},
      {kKindBloodPressure, 0, 159, kClassOrange, black, "Hypertension 1"},
      {kKindBloodPressure, 0, 160, kClassRed, white, " Hypertension 2"},
      {kKindBloodPressure, 1, 69, kClassGreen, black, "Low"},
      {kKindBloodPressure, 1, 70, kClassGreen, black, "Normal"},
      {kKindBloodPressure, 1, 79, kClassGreen, black, "Normal"},
      {kKindBloodPressure, 1, 80, kClassYellow, black, "Prehypertension"},
      {kKindBloodPressure, 1, 90, kClassOrange, black, "Hypertension 1"},
      {kKindBloodPressure, 1, 99, kClassOrange, black, "Hypertension 1"},
      {kKindBloodPressure, 1, 100, kClassRed, white, " Hypertension 2"},
      // Total, LDL, HDL, triglycerides.
      {kKindCholesterol, 0, 0, kClassGreen, black, "Desirable"},
      {kKindCholesterol, 0, 199, kClassGreen, black, "Desirable"},
      {kKindCholesterol, 0, 200, kClassYellow, black, "Borderline"},
      {kKindCholesterol, 0, 239, kClassYellow, black, "Borderline"},
      {kKindCholesterol, 0, 240, kClassRed, white, "High"},
      {kKindCholesterol, 1, 99, kClassGreen, black, "Optimal"},
      {kKindCholesterol, 1, 100, kClassYellow, black, "Borderline"},
      {kKindCholesterol, 1, 159, kClassYellow, black, "Borderline"},
      {kKindCholesterol, 1, 160, kClassRed, white, "High"},
      {kKindCholesterol, 2, 0, kClassRed, white, "High Risk"},
      {kKindCholesterol, 2, 39, kClassRed, white, "High Risk"},
      {kKindCholesterol, 2, 40, kClassYellow, black, "Borderline"},
      {kKindCholesterol, 2, 59, kClassYellow, black, "Borderline"},
      {kKindCholesterol, 2, 60, kClassGreen, black, "Desirable"},
      {kKindCholesterol, 3, 149, kClassGreen, black, "Normal"},
      {kKindCholesterol, 3, 150, kClassYellow, black, "Borderline"},
      {kKindCholesterol, 3, 199, kClassYellow, black, "Borderline"},
      {kKindCholesterol, 3, 200, kClassRed, white, "High"},
      // Glucose.
      {kKindGlucose, 0, 69, kClassYellow, black, "Low"},
      {kKindGlucose, 0, 70, kClassGreen, black, "Normal"},
      {kKindGlucose, 0, 99, kClassGreen, black, "Normal"},
      {kKindGlucose, 0, 100, kClassOrange, black, "Prediabetes"},
      {kKindGlucose, 0, 125, kClassOrange, black, "Prediabetes"},
      {kKindGlucose, 0, 126, kClassRed, white, "Diabetes"},
  };
  for (const Case& c : cases) {
    const std::vector<ReadingChart> charts = ReadingChartsOf(c.kind);
    ASSERT_LT(c.chart, charts.size());
    const ReadingChart& chart = charts[c.chart];
    const BoxColours box = BoxColoursFor(chart, c.reading);
    EXPECT_EQ(box.fill, c.fill) << chart.key << " " << c.reading;
    EXPECT_EQ(box.digits, c.digits) << chart.key << " " << c.reading;
    EXPECT_EQ(ClassAt(chart.chart, c.reading), c.name) << chart.key << " " << c.reading;
  }
}

TEST(ReadingClassTest, MarkersStandProportionallyAndStopAtTheEnds) {
  const std::vector<ReadingChart> bp = PressureCharts();
  const int w = 500;
  // 135 over 85: 55/100 and 25/50 of the way along.
  EXPECT_EQ(MarkerOffset(bp[0].chart, 135, w), 275);
  EXPECT_EQ(MarkerOffset(bp[1].chart, 85, w), 250);
  EXPECT_EQ(MarkerOffset(bp[0].chart, 200, w), w);
  EXPECT_EQ(MarkerOffset(bp[1].chart, 130, w), w);
  EXPECT_EQ(MarkerOffset(bp[0].chart, 70, w), 0);
  EXPECT_EQ(MarkerOffset(bp[1].chart, 50, w), 0);
  const std::vector<ReadingChart> chol = CholesterolCharts();
  EXPECT_EQ(MarkerOffset(chol[3].chart, 500, w), w);
  EXPECT_EQ(MarkerOffset(chol[1].chart, 0, w), 0);
  const ChartScale glucose = GlucoseCharts()[0].chart;
  EXPECT_EQ(MarkerOffset(glucose, 250, 320), 320);
  // The names sit between their boundaries: "Low" at 35, "Prediabetes" at 113.
  EXPECT_EQ(ScaleOffset(glucose, (0 + 70) / 2.0, 320), 70);
  EXPECT_EQ(ScaleOffset(glucose, (100 + 126) / 2.0, 320), 226);
}

TEST(ReadingsOfTest, ReadsTheStoredWordsInChartOrder) {
  MemBuffer b;
  BufAlloc(64, b);
  SetWord(b, rec::kTotal, 210);
  SetWord(b, rec::kLdl, 130);
  SetWord(b, rec::kHdl, 45);
  SetWord(b, rec::kTriglycerides, 160);
  EXPECT_EQ(ReadingsOf(kKindCholesterol, b, 0), (std::vector<double>{210, 130, 45, 160}));
  SetWord(b, rec::kSystolic, 135);
  SetWord(b, rec::kDiastolic, 85);
  EXPECT_EQ(ReadingsOf(kKindBloodPressure, b, 0), (std::vector<double>{135, 85}));
  EXPECT_TRUE(ReadingsOf(kKindWeight, b, 0).empty());
  BufFree(b);
}

}  // namespace
}  // namespace kal
