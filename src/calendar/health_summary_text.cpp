#include "calendar/health_summary_text.h"

#include <algorithm>
#include <optional>

#include "calendar/dates.h"
#include "health/encodings.h"
#include "health/evaluations.h"
#include "store/event_record.h"
#include "store/packed_date.h"

namespace kal {

namespace {

std::string WeightWithUnit(double grams, const UnitModes& units) {
  const WeightText w = FormatWeight(static_cast<std::uint32_t>(std::max(0.0, grams)), units);
  return w.number.empty() ? "0" : w.number + " " + w.unit;
}

std::string Figure(const std::optional<double>& v) { return v ? NumberText(*v) : kNotComputable; }

void WeightTexts(const MemBuffer& b, std::size_t off, const UnitModes& units, std::vector<SummaryLine>& out) {
  const WeightInputs in = WeightInputsAt(b, off);
  const WeightFigures f = EvaluateWeight(in);
  out.push_back({"current weight", "Your current weight is: ", WeightWithUnit(in.grams, units)});
  out.push_back({"bmi", "Your Body Mass Index (BMI) is: ", Figure(f.bmi)});
  if (f.bmi) out.push_back({"bmi class", "", ClassAt(BmiChart(), *f.bmi)});
  if (f.idealGrams) {
    out.push_back({"ideal weight", "Your ideal body weight is: ", WeightWithUnit(*f.idealGrams, units)});
    out.push_back({"ideal bmi", "", "Based on a BMI of " + NumberText(*f.idealBmi) + " using the SB Hall formula"});
  } else {
    out.push_back({"ideal weight", "Your ideal body weight is: ", kNotComputable});
  }
  out.push_back({"bmr", "", "Your Basal Metabolic Rate (BMR) is: " + NumberText(f.bmr)});
  out.push_back({"maintenance calories", "",
                 "To maintain your current weight, you need about: " + NumberText(f.maintenance) +
                     " calories each day"});
  if (f.ShowsConsume(in.grams)) {
    out.push_back({"consume", "",
                   "Consume " + NumberText(f.deficit) + " fewer calories each day to reach your ideal weight in: " +
                       NumberText(*f.weeks) + " weeks"});
  }
  out.push_back({"body fat", "Your Body Fat Percentage is: ", f.bodyFat ? NumberText(*f.bodyFat) + "%" : kNotComputable});
  if (f.bodyFat) {
    const std::string cls = ClassAt(BodyFatChart(in.gender), *f.bodyFat);
    if (!cls.empty()) out.push_back({"body fat class", "", cls});
    const std::string text = BodyFatClassText(in.gender, *f.bodyFat);
    if (!text.empty()) out.push_back({"body fat text", "", text});
  }
  out.push_back({"waist to hip ratio", "Your Waist To Hip Ratio is: ", Figure(f.whr)});
  if (f.whr && (in.gender == 1 || in.gender == 2)) {
    out.push_back({"waist to hip class", "", ClassAt(WaistToHipChart(), WaistToHipPlace(in.gender, *f.whr))});
  }
  const std::string risk = WaistToHipRiskText(in.gender);
  if (!risk.empty()) out.push_back({"waist to hip risk", "", risk});
}

void ReadingTexts(std::uint32_t kind, const MemBuffer& b, std::size_t off, std::vector<SummaryLine>& out) {
  const std::vector<ReadingChart> charts = ReadingChartsOf(kind);
  const std::vector<double> readings = ReadingsOf(kind, b, off);
  for (std::size_t i = 0; i < charts.size() && i < readings.size(); ++i) {
    const ReadingChart& c = charts[i];
    const std::string key = c.key;
    out.push_back({key, c.label, NumberText(readings[i])});
    out.push_back({key + " class", "", ClassAt(c.chart, readings[i])});
    if (*c.line != '\0') out.push_back({key + " note", "", std::string(c.leadWord) + c.line});
  }
}

}  // namespace

std::string SummaryTitle(std::uint32_t kind, std::int32_t packedDate) {
  const char* word = "";
  switch (kind) {
    case kKindWeight: word = "Weight Management Summary For "; break;
    case kKindBloodPressure: word = "Blood Pressure For "; break;
    case kKindCholesterol: word = "Cholesterol For "; break;
    case kKindGlucose: word = "Glucose For "; break;
    default: return {};
  }
  const Ymd d = UnpackDate(packedDate);
  const std::string iso = IsoDateText(packedDate);  // the year as four digits
  return std::string(word) + MonthName(d.month) + " " + iso.substr(iso.size() - 2) + ", " +
         iso.substr(0, iso.size() - 6);
}

std::vector<SummaryLine> SummaryTexts(const MemBuffer& b, std::size_t off, const UnitModes& units) {
  const std::uint32_t kind = Byte(b, off + rec::kKind);
  std::vector<SummaryLine> out;
  const std::string title = SummaryTitle(kind, Long(b, off + rec::kDate));
  if (title.empty()) return out;
  out.push_back({"title", "", title});
  if (kind == kKindWeight) {
    WeightTexts(b, off, units, out);
  } else {
    ReadingTexts(kind, b, off, out);
  }
  return out;
}

}  // namespace kal
