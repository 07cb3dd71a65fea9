#include "health/evaluations.h"

#include <algorithm>
#include <cmath>

#include "health/encodings.h"
#include "store/event_record.h"

namespace kal {

namespace {

// Coefficients held at single precision, widened exactly.
constexpr double F(float v) { return static_cast<double>(v); }

std::vector<std::string> SplitNames(std::string_view list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = list.find(',', start);
    names.emplace_back(list.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) return names;
    start = comma + 1;
  }
}

// log10 of a positive argument; nothing for zero, negative or non-finite ones.
std::optional<double> Log10(double x) {
  if (!(x > 0) || !std::isfinite(x)) return std::nullopt;
  return std::log10(x);
}

std::optional<double> BodyFat(const WeightInputs& in, double cm) {
  if (in.gender != 1 && in.gender != 2) return 0.0;
  const double waistCm = in.waist / 10.0;
  const double hipsCm = in.hips / 10.0;
  const double neckCm = in.neck / 10.0;
  const std::optional<double> logHeight = Log10(cm);
  double denominator;
  if (in.gender == 1) {
    const std::optional<double> logGirth = Log10(waistCm - neckCm);
    if (!logGirth || !logHeight) return std::nullopt;
    denominator = F(1.0324f) - F(0.19077f) * *logGirth + F(0.15456f) * *logHeight;
  } else {
    const std::optional<double> logGirth = Log10(waistCm + hipsCm - neckCm);
    if (!logGirth || !logHeight) return std::nullopt;
    denominator = F(1.29579f) - F(0.35004f) * *logGirth + F(0.221f) * *logHeight;
  }
  const double bf = 495.0 / denominator - 450.0;
  if (!std::isfinite(bf)) return std::nullopt;
  return RoundHalfEven(bf);
}

ChartScale Scale(double start, double end, std::vector<double> boundaries, std::string_view names, double clampLow,
                 double clampHigh, bool numbers) {
  ChartScale c;
  c.start = start;
  c.end = end;
  c.boundaries = std::move(boundaries);
  c.names = SplitNames(names);
  c.clampLow = clampLow;
  c.clampHigh = clampHigh;
  c.boundaryNumbers = numbers;
  return c;
}

// Reading charts run from their start to their end, clamped to both.
ChartScale ReadingScale(double start, double end, std::vector<double> boundaries, std::string_view names) {
  return Scale(start, end, std::move(boundaries), names, start, end, true);
}

}  // namespace

WeightInputs WeightInputsAt(const MemBuffer& b, std::size_t off) {
  WeightInputs in;
  in.age = static_cast<int>(Byte(b, off + rec::kAge));
  in.gender = static_cast<int>(Byte(b, off + rec::kGender));
  in.activity = static_cast<int>(Byte(b, off + rec::kActivity));
  const std::int32_t grams = Long(b, off + rec::kWeight);
  in.grams = grams > 0 ? static_cast<std::uint32_t>(grams) : 0u;
  in.height = Word(b, off + rec::kHeight);
  in.waist = Word(b, off + rec::kWaist);
  in.hips = Word(b, off + rec::kHips);
  in.neck = Word(b, off + rec::kNeck);
  return in;
}

WeightFigures EvaluateWeight(const WeightInputs& in) {
  WeightFigures f;
  f.kg = RoundHalfEven(in.grams / 1000.0, 2);
  f.metres = RoundHalfEven(in.height / 1000.0, 2);
  f.cm = RoundHalfEven(in.height / 10.0);
  const bool male = in.gender == 1;
  const bool female = in.gender == 2;

  if (male) {
    f.bmr = RoundHalfEven(66.0 + 13.75 * f.kg + 5.0 * f.cm - F(6.76f) * in.age);
  } else if (female) {
    f.bmr = RoundHalfEven(655.0 + F(9.56f) * f.kg + F(1.85f) * f.cm - F(4.68f) * in.age);
  }
  f.maintenance = RoundHalfEven((F(1.2f) + F(0.175f) * in.activity) * f.bmr);

  if (f.metres > 0) {
    const double raw = f.kg / (f.metres * f.metres);
    f.rawBmi = raw;
    f.bmi = RoundHalfEven(raw, 1);
    double ideal = 0;
    if (male) {
      ideal = RoundHalfEven(0.5 * raw + 11.5);
    } else if (female) {
      ideal = RoundHalfEven(F(0.4f) * raw + F(0.03f) * in.age + 11.0);
    }
    f.idealBmi = ideal;
    f.idealGrams = RoundHalfEven(f.metres * f.metres * ideal * 1000.0);
    f.poundsToLose = RoundHalfEven(0.0022046 * (static_cast<double>(in.grams) - *f.idealGrams));
    f.weeks = RoundHalfEven(3500.0 * *f.poundsToLose / f.deficit / 7.0);
  }
  f.bodyFat = BodyFat(in, f.cm);
  if (in.hips > 0) f.whr = RoundHalfEven(static_cast<double>(in.waist) / in.hips, 2);
  return f;
}

std::string BodyFatClassText(int gender, double bodyFat) {
  const double bf = std::clamp(bodyFat, 1.0, 40.0);
  if (gender == 1) {
    if (bf < 6) return "Males require 2-5% body fat for Essential functions according to the American Council on Exercise";
    if (bf < 14) return "Males with 6-13% body fat are considered Athletic by the American Council on Exercise";
    if (bf < 18) return "Males with 14-17% body fat are considered Fit by the American Council on Exercise";
    if (bf < 26) return "Males with 18-25% body fat are considered Acceptable by the American Council on Exercise";
    return "Males with body fat above 25% are considered Obese by the American Council on Exercise";
  }
  if (gender == 2) {
    if (bf < 14) {
      return "Females require 10-13% body fat for Essential functions according to the American Council on Exercise";
    }
    if (bf < 21) return "Females with 14-20% body fat are considered Athletic by the American Council on Exercise";
    if (bf < 25) return "Females with 21-24% body fat are considered Fit by the American Council on Exercise";
    if (bf < 32) return "Females with 25-31% body fat are considered Acceptable by the American Council on Exercise";
    return "Females with body fat above 31% are considered Obese by the American Council on Exercise";
  }
  return {};
}

std::string WaistToHipRiskText(int gender) {
  if (gender == 1) return "Males with a ratio above .90 have an increased risk of heart disease, diabetes, and stroke.";
  if (gender == 2) return "Females with a ratio above .80 have an increased risk of heart disease, diabetes, and stroke.";
  return {};
}

int ScaleOffset(const ChartScale& chart, double value, int width) {
  const double span = chart.end - chart.start;
  if (!(span > 0) || width <= 0) return 0;
  return static_cast<int>(std::floor((value - chart.start) * width / span));
}

int MarkerOffset(const ChartScale& chart, double value, int width) {
  const double v = std::isnan(value) ? chart.clampLow : std::clamp(value, chart.clampLow, chart.clampHigh);
  return std::clamp(ScaleOffset(chart, v, width), 0, std::max(0, width));
}

std::string ClassAt(const ChartScale& chart, double value) {
  if (chart.names.empty()) return {};
  const double v = std::clamp(value, chart.clampLow, chart.clampHigh);
  std::size_t segment = 0;
  while (segment < chart.boundaries.size() && v >= chart.boundaries[segment]) ++segment;
  return segment < chart.names.size() ? chart.names[segment] : std::string();
}

ChartScale BmiChart() { return Scale(15, 35, {20, 25, 30}, "Underweight,Normal,Overweight,Obese", 15, 35, false); }

ChartScale BodyFatChart(int gender) {
  if (gender == 1) return Scale(0, 40, {6, 14, 18, 25}, "Essential,Athlete,Fit,Acceptable,Obese", 1, 40, false);
  if (gender == 2) return Scale(0, 40, {14, 21, 25, 32}, "Essential,Athlete,Fit,Acceptable,Obese", 1, 40, false);
  ChartScale none = Scale(0, 40, {}, "", 1, 40, false);
  none.names.clear();
  return none;
}

ChartScale WaistToHipChart() {
  return Scale(0, 25, {5, 10, 15, 20}, "Excellent,Good,Average,High,Extreme", 1, 25, false);
}

double WaistToHipPlace(int gender, double whr) {
  // Taken at two decimals so 0.94 lands on 14, not on a hair below it.
  if (gender == 1) return RoundHalfEven(100.0 * whr - 80.0, 2);
  if (gender == 2) return RoundHalfEven(100.0 * whr - 70.0, 2);
  return 0;
}

BoxColours BoxColoursFor(const ReadingChart& chart, double reading) {
  BoxColours c{kClassGreen, Rgb(0, 0, 0)};
  for (const ReadingChart::Band& band : chart.bands) {
    if (reading >= band.from) c = {band.fill, band.whiteDigits ? Rgb(255, 255, 255) : Rgb(0, 0, 0)};
  }
  return c;
}

std::vector<ReadingChart> PressureCharts() {
  // The fifth name keeps the blank that follows its comma.
  constexpr std::string_view kNames = "Low,Normal,Prehypertension,Hypertension 1, Hypertension 2";
  return {
      {"Systolic:", "systolic", ReadingScale(80, 180, {100, 120, 140, 160}, kNames),
       {{0, kClassGreen, false}, {120, kClassYellow, false}, {140, kClassOrange, false}, {160, kClassRed, true}},
       "", ""},
      {"Diastolic:", "diastolic", ReadingScale(60, 110, {70, 80, 90, 100}, kNames),
       {{0, kClassGreen, false}, {80, kClassYellow, false}, {90, kClassOrange, false}, {100, kClassRed, true}},
       "", ""},
  };
}

std::vector<ReadingChart> CholesterolCharts() {
  return {
      {"Total:", "total", ReadingScale(0, 300, {200, 240}, "Desirable,Borderline,High"),
       {{0, kClassGreen, false}, {200, kClassYellow, false}, {240, kClassRed, true}}, "",
       "Doctors recommend total cholesterol levels below 200"},
      {"LDL:", "ldl", ReadingScale(0, 300, {100, 160}, "Optimal,Borderline,High"),
       {{0, kClassGreen, false}, {100, kClassYellow, false}, {160, kClassRed, true}}, "Bad",
       " LDL cholesterol builds up on artery walls, increasing your chances of getting heart disease"},
      {"HDL:", "hdl", ReadingScale(0, 150, {40, 60}, "High Risk,Borderline,Desirable"),
       {{0, kClassRed, true}, {40, kClassYellow, false}, {60, kClassGreen, false}}, "Good",
       " HDL cholesterol removes bad cholesterol from your blood, protecting against heart disease"},
      {"Triglycerides:", "triglycerides", ReadingScale(0, 400, {150, 200}, "Normal,Borderline,High"),
       {{0, kClassGreen, false}, {150, kClassYellow, false}, {200, kClassRed, true}}, "",
       "High triglycerides can raise your risk of heart disease"},
  };
}

std::vector<ReadingChart> GlucoseCharts() {
  return {
      {"Glucose:", "glucose", ReadingScale(0, 160, {70, 100, 126}, "Low,Normal,Prediabetes,Diabetes"),
       {{0, kClassYellow, false}, {70, kClassGreen, false}, {100, kClassOrange, false}, {126, kClassRed, true}}, "",
       ""},
  };
}

std::vector<ReadingChart> ReadingChartsOf(std::uint32_t kind) {
  switch (kind) {
    case kKindBloodPressure: return PressureCharts();
    case kKindCholesterol: return CholesterolCharts();
    case kKindGlucose: return GlucoseCharts();
    default: return {};
  }
}

std::vector<double> ReadingsOf(std::uint32_t kind, const MemBuffer& b, std::size_t off) {
  switch (kind) {
    case kKindBloodPressure: return {double(Word(b, off + rec::kSystolic)), double(Word(b, off + rec::kDiastolic))};
    case kKindCholesterol:
      return {double(Word(b, off + rec::kTotal)), double(Word(b, off + rec::kLdl)), double(Word(b, off + rec::kHdl)),
              double(Word(b, off + rec::kTriglycerides))};
    case kKindGlucose: return {double(Word(b, off + rec::kGlucose))};
    default: return {};
  }
}

}  // namespace kal
