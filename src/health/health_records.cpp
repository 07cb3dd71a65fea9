#include "health/health_records.h"

#include <algorithm>

#include "health/cycles.h"
#include "health/encodings.h"
#include "store/record_text.h"

namespace kal {

namespace {

using R = FieldRead;
using N = FieldNeed;

// Height to neck in the first column, upper arm to thigh in the second,
// then age, gender and the activity box below them.
constexpr HealthField kWeightFields[] = {
    {"Description:", "description", R::kDescription, 0, N::kEssential, 0, 0, true},
    {"Weight:", "weight", R::kWeight, rec::kWeight, N::kEssential, 0, 1, false},
    {"Height:", "height", R::kLength, rec::kHeight, N::kSecond, 0, 2, false},
    {"Chest:", "chest", R::kLength, rec::kChest, N::kSecond, 0, 3, false},
    {"Waist:", "waist", R::kLength, rec::kWaist, N::kSecond, 0, 4, false},
    {"Hips:", "hips", R::kLength, rec::kHips, N::kSecond, 0, 5, false},
    {"Neck:", "neck", R::kLength, rec::kNeck, N::kSecond, 0, 6, false},
    {"Upper Arm:", "upperarm", R::kLength, rec::kUpperArm, N::kSecond, 1, 2, false},
    {"Forearm:", "forearm", R::kLength, rec::kForearm, N::kSecond, 1, 3, false},
    {"Wrist:", "wrist", R::kLength, rec::kWrist, N::kSecond, 1, 4, false},
    {"Thigh:", "thigh", R::kLength, rec::kThigh, N::kSecond, 1, 5, false},
    {"Age:", "age", R::kAge, rec::kAge, N::kSecond, 0, 7, false},
    {"Gender:", "gender", R::kGender, rec::kGender, N::kSecond, 0, 8, false},
};

constexpr HealthField kCycleFields[] = {
    {"Description:", "description", R::kUntrimmedText, 0, N::kEssential, 0, 0, false},
};

constexpr HealthField kPressureFields[] = {
    {"Description:", "description", R::kDescription, 0, N::kEssential, 0, 0, false},
    {"Systolic (upper):", "systolic", R::kReading, rec::kSystolic, N::kSecond, 0, 1, false},
    {"Diastolic (lower):", "diastolic", R::kReading, rec::kDiastolic, N::kSecond, 0, 2, false},
    {"Pulse Rate:", "pulse", R::kReading, rec::kPulse, N::kOptional, 0, 3, false},
    {"Time Taken:", "time", R::kTime, rec::kReadingHour, N::kOptional, 0, 4, false},
    {"Location:", "location", R::kLocation, 0, N::kOptional, 0, 5, false},
};

constexpr HealthField kCholesterolFields[] = {
    {"Description:", "description", R::kDescription, 0, N::kEssential, 0, 0, false},
    {"Total:", "total", R::kReading, rec::kTotal, N::kSecond, 0, 1, false},
    {"LDL:", "ldl", R::kReading, rec::kLdl, N::kOptional, 0, 2, false},
    {"HDL:", "hdl", R::kReading, rec::kHdl, N::kOptional, 0, 3, false},
    {"Triglycerides:", "triglycerides", R::kReading, rec::kTriglycerides, N::kOptional, 0, 4, false},
};

constexpr HealthField kGlucoseFields[] = {
    {"Description:", "description", R::kDescription, 0, N::kEssential, 0, 0, false},
    {"Total:", "glucose", R::kReading, rec::kGlucose, N::kSecond, 0, 1, false},
};

const HealthKindSpec kSpecs[] = {
    {kKindWeight, "Weight For ", kWeightFields, true, true, 9, false, "Please enter a description and weight",
     "All fields must be completed to|perform weight management calculations"},
    {kKindCycle, "Menstrual Cycle For ", kCycleFields, false, false, -1, false,
     "Event cannot be saved until|you enter a description", ""},
    {kKindBloodPressure, "Blood Pressure For ", kPressureFields, true, false, -1, true,
     "Please enter a title and blood pressure readings", "Please enter a title and blood pressure readings"},
    {kKindCholesterol, "Cholesterol For ", kCholesterolFields, true, false, -1, true,
     "Please enter a title and cholesterol readings", "Please enter a title and cholesterol readings"},
    {kKindGlucose, "Glucose For ", kGlucoseFields, true, false, -1, true, "Please enter a title and glucose reading",
     "Please enter a title and glucose reading"},
};

struct TextPlace {
  std::uint32_t at;     // where the text starts
  std::uint32_t fixed;  // record length without the text
};

TextPlace TextPlaceOf(std::uint32_t kind) {
  switch (kind) {
    case kKindWeight: return {rec::kWeightText, rec::kWeightFixed};
    case kKindCycle: return {rec::kCycleText, rec::kCycleFixed};
    case kKindBloodPressure: return {rec::kPressureText, rec::kPressureFixed};
    case kKindCholesterol: return {rec::kCholesterolText, rec::kCholesterolFixed};
    default: return {rec::kGlucoseText, rec::kGlucoseFixed};
  }
}

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// The text of the record in the work record; a damaged length reads no
// further than the buffer.
std::string WorkText(const MemBuffer& wr, std::uint32_t kind) {
  const TextPlace place = TextPlaceOf(kind);
  const std::int64_t length = Long(wr, rec::kLength);
  std::int64_t n = length - place.fixed;
  n = std::min<std::int64_t>(n, static_cast<std::int64_t>(wr.size()) - place.at);
  std::string text;
  if (n > 0) GetBytes(wr, place.at, static_cast<std::size_t>(n), text);
  return text;
}

std::string GenderText(std::uint32_t gender) {
  if (gender == 1) return "Male";
  if (gender == 2) return "Female";
  return {};
}

}  // namespace

const HealthKindSpec* HealthSpecOf(std::uint32_t kind) {
  for (const HealthKindSpec& spec : kSpecs) {
    if (spec.kind == kind) return &spec;
  }
  return nullptr;
}

void SplitPressureText(std::string_view text, std::string& location, std::string& description) {
  const std::size_t first = text.find('\0');
  location = std::string(text.substr(0, first));
  description.clear();
  if (first == std::string_view::npos) return;
  const std::size_t second = text.find('\0', first + 1);
  description = std::string(text.substr(first + 1, second == std::string_view::npos ? second : second - first - 1));
}

HealthForm FormFromRecord(const MemBuffer& wr, const HealthKindSpec& spec, const UnitModes& units) {
  std::string description = WorkText(wr, spec.kind);
  std::string location;
  if (spec.kind == kKindBloodPressure) {
    const std::string both = description;
    SplitPressureText(both, location, description);
  }
  HealthForm form;
  for (const HealthField& f : spec.fields) {
    switch (f.read) {
      case R::kDescription:
      case R::kUntrimmedText: form.push_back(description); break;
      case R::kLocation: form.push_back(location); break;
      case R::kWeight:
        form.push_back(FormatWeight(static_cast<std::uint32_t>(Long(wr, f.offset)), units).number);
        break;
      case R::kLength: form.push_back(FormatLength(Word(wr, f.offset), units)); break;
      case R::kAge: {
        const std::uint32_t age = Byte(wr, f.offset);
        form.push_back(age > 0 ? NumberText(age) + " years" : std::string());
        break;
      }
      case R::kGender: form.push_back(GenderText(Byte(wr, f.offset))); break;
      case R::kReading: {
        const std::uint32_t v = Word(wr, f.offset);
        form.push_back(v > 0 ? NumberText(v) : std::string());
        break;
      }
      case R::kTime:
        form.push_back(FormatReadingTime(static_cast<int>(Byte(wr, rec::kReadingHour)),
                                         static_cast<int>(Byte(wr, rec::kReadingMinute))));
        break;
    }
  }
  return form;
}

BuildFlags BuildHealthRecord(MemBuffer& wr, const HealthKindSpec& spec, const HealthForm& form, const UnitModes& units,
                             const Clock& clock) {
  BuildFlags flags;
  std::string description;
  std::string location;
  for (std::size_t i = 0; i < spec.fields.size(); ++i) {
    const HealthField& f = spec.fields[i];
    const std::string_view text = i < form.size() ? std::string_view(form[i]) : std::string_view();
    std::uint32_t value = 1;  // texts and times are never "zero"
    switch (f.read) {
      case R::kDescription:
        description = Trimmed(text);
        value = description.empty() ? 0 : 1;
        break;
      case R::kUntrimmedText:
        description = std::string(text);
        value = description.empty() ? 0 : 1;
        break;
      case R::kLocation: location = Trimmed(text); break;
      case R::kWeight:
        value = ParseWeight(text, units);
        SetLong(wr, f.offset, static_cast<std::int32_t>(value));
        break;
      case R::kLength:
        value = ParseLength(text, units);
        SetWord(wr, f.offset, static_cast<std::int32_t>(value));
        break;
      case R::kReading:
        value = ParseReading(text);
        SetWord(wr, f.offset, static_cast<std::int32_t>(value));
        break;
      case R::kAge:
      case R::kGender:
        value = f.read == R::kAge ? ParseAge(text) : ParseGender(text);
        SetByte(wr, f.offset, static_cast<std::int32_t>(value));
        break;
      case R::kTime: {
        const ReadingTime t = ParseReadingTime(text, clock);
        SetByte(wr, rec::kReadingHour, t.hour);
        SetByte(wr, rec::kReadingMinute, t.minute);
        break;
      }
    }
    if (value == 0 && f.need == N::kEssential) flags.missingEssential = true;
    if (value == 0 && f.need == N::kSecond) flags.missingSecond = true;
  }

  std::string text = description;
  if (spec.kind == kKindBloodPressure) text = location + '\0' + description + '\0';
  const TextPlace place = TextPlaceOf(spec.kind);
  // The work record is far larger than any form; a text that would not fit
  // (only possible from a script) is cut rather than written past its end.
  const std::size_t room = wr.size() > place.fixed ? wr.size() - place.fixed : 0;
  if (text.size() > room) text.resize(room);
  const auto length = static_cast<std::uint32_t>(place.fixed + text.size());
  SetLong(wr, rec::kLength, static_cast<std::int32_t>(length));
  PutBytes(wr, place.at, text);
  if (spec.kind == kKindBloodPressure) SetWord(wr, length - 4, 0);
  SetWord(wr, length - 2, static_cast<std::int32_t>(kEndMarker));
  return flags;
}

BuildFlags BuildWeightRecord(MemBuffer& wr, const HealthForm& form, const UnitModes& units) {
  return BuildHealthRecord(wr, *HealthSpecOf(kKindWeight), form, units, SystemClock());
}
BuildFlags BuildBloodPressureRecord(MemBuffer& wr, const HealthForm& form, const Clock& clock) {
  return BuildHealthRecord(wr, *HealthSpecOf(kKindBloodPressure), form, UnitModes{}, clock);
}
BuildFlags BuildCholesterolRecord(MemBuffer& wr, const HealthForm& form) {
  return BuildHealthRecord(wr, *HealthSpecOf(kKindCholesterol), form, UnitModes{}, SystemClock());
}
BuildFlags BuildGlucoseRecord(MemBuffer& wr, const HealthForm& form) {
  return BuildHealthRecord(wr, *HealthSpecOf(kKindGlucose), form, UnitModes{}, SystemClock());
}

const char* RefusalMessage(const HealthKindSpec& spec, const BuildFlags& flags, bool manage) {
  if (manage || spec.saveNeedsBoth) {
    if (flags.missingEssential || flags.missingSecond) return manage ? spec.manageMessage : spec.saveMessage;
    return nullptr;
  }
  return flags.missingEssential ? spec.saveMessage : nullptr;
}

std::int32_t LatestRecordOf(const EventStore& s, std::uint32_t kind, int category) {
  std::int32_t latest = -1;
  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(s, i);
    if (RecordKindAt(s, off) != kind || Byte(s.store, std::size_t{off} + rec::kCategory) != static_cast<std::uint32_t>(category)) {
      continue;
    }
    if (kind == kKindCycle && Byte(s.store, std::size_t{off} + rec::kPredicted) > 0) continue;
    latest = static_cast<std::int32_t>(off);
  }
  return latest;
}

void PrefillFromPerson(const EventStore& s, int category, HealthForm& form) {
  if (form.size() < 13) form.resize(13);
  const std::int32_t off = LatestRecordOf(s, kKindWeight, category);
  if (off < 0) {
    form[0].clear();
    form[12].clear();
    return;
  }
  const auto o = static_cast<std::uint32_t>(off);
  form[0] = RecordText(s, o, rec::kWeightText, rec::kWeightFixed);
  form[12] = GenderText(Byte(s.store, std::size_t{o} + rec::kGender));
}

void ApplyPersonDefaults(const EventStore& s, MemBuffer& wr, const HealthKindSpec& spec, HealthForm& form) {
  const int category = static_cast<int>(Byte(wr, rec::kCategory));
  if (form.empty()) form.resize(spec.fields.size());
  switch (spec.kind) {
    case kKindWeight: PrefillFromPerson(s, category, form); return;
    case kKindCycle: {
      const LatestCycle latest = LatestCycleOf(s, category);
      SetLong(wr, rec::kGroupId, latest.groupId);
      form[0] = latest.description;
      return;
    }
    default: {
      const std::int32_t off = LatestRecordOf(s, spec.kind, category);
      form[0].clear();
      if (off < 0) return;
      const auto o = static_cast<std::uint32_t>(off);
      const TextPlace place = TextPlaceOf(spec.kind);
      std::string text = RecordText(s, o, place.at, place.fixed);
      if (spec.kind == kKindBloodPressure) {
        std::string location;
        SplitPressureText(std::string(text), location, text);
      }
      form[0] = text;
      return;
    }
  }
}

bool StoreHealthRecord(EventStore& s, std::int32_t oldOffset, const SortKeyBuilder& keys, Host& host) {
  const std::uint32_t sizeBefore = s.storeSize;
  const bool editing = oldOffset >= 0 && static_cast<std::uint32_t>(oldOffset) < s.storeSize;
  const auto old = static_cast<std::uint32_t>(oldOffset);
  const std::uint32_t oldKind = editing ? RecordKindAt(s, old) : 0;
  AppendRecord(s);
  if (s.storeSize == sizeBefore) return false;  // nothing appended: keep the old record
  if (editing) DeleteRecord(s, old);
  if (!SaveEvents(s, keys, host)) {
    // The file still holds the old record, and so must memory: the next save
    // would otherwise write the edit the user was told had failed.
    s.storeSize = sizeBefore;
    if (editing) SetByte(s.store, std::size_t{old} + rec::kKind, static_cast<std::int32_t>(oldKind));
    return false;
  }
  if (Byte(s.workRecord, rec::kKind) == kKindCycle) return PredictCycles(s, keys, host);
  return true;
}

}  // namespace kal
