#include "health/health_text.h"

#include "health/encodings.h"
#include "health/health_records.h"
#include "store/record_text.h"

namespace kal {
namespace {

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
    out.append(text, pos, hit - pos);
    out += to;
  }
  out.append(text, pos, std::string::npos);
  return out;
}

std::string WeightRecordText(const EventStore& s, std::uint32_t off, const UnitModes& units, HealthTextForm form) {
  std::string text = RecordText(s, off, rec::kWeightText, rec::kWeightFixed) + " - ";
  const auto grams = static_cast<std::uint32_t>(Long(s.store, off + std::size_t{rec::kWeight}));
  const WeightText weight = FormatWeight(grams, units);
  if (!weight.number.empty()) text += weight.number + " " + weight.unit;

  if (form == HealthTextForm::kCalendar) {
    const std::string height = FormatLength(Word(s.store, off + std::size_t{rec::kHeight}), units);
    if (!height.empty()) {
      if (text.back() != ' ') text += ", ";
      text += height;
    }
    return text;
  }

  struct Measure {
    std::uint32_t field;
    const char* label;
  };
  static constexpr Measure kMeasures[] = {
      {rec::kHeight, ", Height: "}, {rec::kChest, ", Chest: "}, {rec::kWaist, ", Waist: "}, {rec::kHips, ", Hips: "}};
  for (const Measure& m : kMeasures) {
    const std::uint32_t mm = Word(s.store, off + std::size_t{m.field});
    if (mm != 0) text += m.label + FormatLength(mm, units);
  }
  // Without a weight the first label follows " - " directly; drop its comma.
  return ReplaceAll(std::move(text), " , ", " ");
}

}  // namespace

std::string HealthListText(const EventStore& s, std::uint32_t offset, const UnitModes& units, HealthTextForm form) {
  auto word = [&s, offset](std::uint32_t field) { return NumberText(Word(s.store, std::size_t{offset} + field)); };
  switch (RecordKindAt(s, offset)) {
    case kKindWeight:
      return WeightRecordText(s, offset, units, form);
    case kKindCycle: {
      std::string text = RecordText(s, offset, rec::kCycleText, rec::kCycleFixed);
      if (Byte(s.store, std::size_t{offset} + rec::kPredicted) > 0) text += " [predicted]";
      return text;
    }
    case kKindBloodPressure: {
      // The text is location NUL description NUL; the list shows the description.
      const std::string both = RecordText(s, offset, rec::kPressureText, rec::kPressureFixed);
      std::string location;
      std::string description;
      SplitPressureText(both, location, description);
      return description + " - " + word(rec::kSystolic) + "/" + word(rec::kDiastolic);
    }
    case kKindCholesterol:
      return RecordText(s, offset, rec::kCholesterolText, rec::kCholesterolFixed) + " - " + word(rec::kTotal);
    case kKindGlucose:
      return RecordText(s, offset, rec::kGlucoseText, rec::kGlucoseFixed) + " - " + word(rec::kGlucose);
    default:
      return {};
  }
}

}  // namespace kal
