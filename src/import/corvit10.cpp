#include "import/corvit10.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "health/encodings.h"
#include "store/event_record.h"

namespace kal {

namespace {

constexpr std::string_view kTag = "CVRS";

bool TagAt(ImportBytes bytes, std::size_t at) {
  return at + kTag.size() <= bytes.size() && std::equal(kTag.begin(), kTag.end(), bytes.begin() + at);
}

// Until none is left: three blanks become one, not two, and so do three
// line breaks, so that empty fields leave no gaps.
// Built into a new string rather than replaced in place: GCC 12 at -O3
// misreads the in-place replace as an overlapping copy.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at == 0 ? 0 : at - 1)) {
    std::string next;
    next.reserve(text.size() - from.size() + to.size());
    next.append(text, 0, at);
    next.append(to);
    next.append(text, at + from.size());
    text = std::move(next);
  }
  return text;
}

}  // namespace

void ReadCorvit10(ImportBytes bytes, const std::function<void(std::size_t, const DiaryRecord&)>& visit,
                  CorruptionReporter* reporter) {
  const std::size_t size = bytes.size();
  // Where the last tag of the file stands: a record that claims to run past
  // the end is only the file's truncated last record when no tag follows it.
  std::size_t lastTag = std::string::npos;
  for (std::size_t i = size >= kTag.size() ? size - kTag.size() + 1 : 0; i-- > 0;) {
    if (TagAt(bytes, i)) {
      lastTag = i;
      break;
    }
  }
  std::size_t p = 0;
  std::size_t damageStart = 0;
  const char* damage = nullptr;
  const auto endDamage = [&](std::size_t at) {
    if (damage != nullptr && reporter != nullptr) reporter->Corruption(at - damageStart, damage);
    damage = nullptr;
  };
  while (p < size) {
    const char* why = nullptr;
    std::uint32_t declared = 0;
    if (size - p < 8) {
      why = "bytes after the last record";
    } else if (!TagAt(bytes, p + 4)) {
      why = "missing record tag";
    } else if ((declared = FieldAt(bytes, p, 4)) < kDiaryHeader) {
      why = "record length too short";
    } else if (declared > size - p && lastTag != std::string::npos && lastTag > p + 4) {
      why = "record length runs into the next record";
    }
    if (why != nullptr) {
      if (damage == nullptr) {
        damage = why;
        damageStart = p;
      }
      ++p;
      continue;
    }
    endDamage(p);
    const std::size_t length = std::min<std::size_t>(declared, size - p);
    if (length < declared && reporter != nullptr) reporter->Corruption(0, "record cut at the end of the file");
    const ImportBytes r = bytes.subspan(p, length);
    DiaryRecord d;
    d.person = static_cast<std::uint16_t>(FieldAt(r, 8, 2));
    d.type = static_cast<std::uint16_t>(FieldAt(r, 10, 2));
    d.year = static_cast<std::int32_t>(FieldAt(r, 12, 2));
    d.month = static_cast<std::int32_t>(FieldAt(r, 14, 1));
    d.day = static_cast<std::int32_t>(FieldAt(r, 15, 1));
    d.body = length > kDiaryHeader ? r.subspan(kDiaryHeader) : ImportBytes();
    visit(p, d);
    p += length;
  }
  endDamage(size);
}

std::vector<std::string> DiaryTexts(ImportBytes body, std::size_t from, int count) {
  std::vector<std::string> texts;
  std::size_t p = from;
  for (int i = 0; i < count; ++i) {
    std::string t;
    if (p < body.size()) {
      const std::size_t n = std::min<std::size_t>(body[p], body.size() - p - 1);
      t.assign(reinterpret_cast<const char*>(body.data()) + p + 1, n);
      // A zero byte would end the text early where records keep two texts.
      std::replace(t.begin(), t.end(), '\0', ' ');
      p += static_cast<std::size_t>(body[p]) + 1;
    }
    texts.push_back(std::move(t));
  }
  return texts;
}

DiaryPerson PersonFrom(const DiaryRecord& record) {
  const std::vector<std::string> t = DiaryTexts(record.body, 0, 4);
  return {record.person, static_cast<std::uint8_t>(ParseGender(t[3])), t[0], t[1], t[2]};
}

std::string AppointmentText(std::string_view firstName, std::uint16_t type, const std::vector<std::string>& texts) {
  const auto text = [&](std::size_t i) { return i < texts.size() ? TrimBlanks(texts[i]) : std::string(); };
  std::string s(firstName);
  std::size_t next = 0;
  if (type == kDiaryDoctor) {
    s += " Doctor";
    s += ", " + text(0);
    s += ", " + text(1) + "\r";
    s += text(2) + "\r";
    next = 3;
  } else {
    s += " Dentist";
    s += ", " + text(0);
    s += ", " + text(1);
    s += ", " + text(2) + "\r";
    s += text(3) + "\r";
    next = 4;
  }
  for (std::size_t i = next; i < next + 5; ++i) {
    if (!text(i).empty()) s += text(i) + " ";
  }
  s = ReplaceAll(s, " ,", " ");
  s = ReplaceAll(s, "  ", " ");
  s = ReplaceAll(s, ", \r", "\r");
  s = ReplaceAll(s, "\r\r", "\r");
  return TrimBlanks(s);
}

std::int32_t SixteenthsToMm(std::uint32_t sixteenths) {
  return static_cast<std::int32_t>(RoundHalfEven(sixteenths / 16.0 * 25.4));
}

std::int32_t OuncesToGrams(std::uint32_t ounces) {
  return static_cast<std::int32_t>(RoundHalfEven(ounces * kGramsPerOunce));
}

ImportResult AppendCorvit10(EventStore& s, ImportBytes bytes, const ImportProgress& progress, int categories) {
  ImportResult result;
  std::uint32_t dataRecords = 0;
  std::vector<DiaryPerson> persons;
  ReadCorvit10(
      bytes,
      [&](std::size_t offset, const DiaryRecord& d) {
        if (progress) progress("Importing Users", "", offset, bytes.size());
        if (d.type != kDiaryPerson) {
          ++dataRecords;
          return;
        }
        persons.push_back(PersonFrom(d));
      },
      &result.damage);
  std::int32_t nextGroupId = -1;
  const std::size_t people = std::min<std::size_t>(persons.size(), static_cast<std::size_t>(std::max(0, categories)));
  for (std::size_t k = 0; k < people; ++k) {
    const DiaryPerson& who = persons[k];
    const std::string label = who.first + " " + who.last;
    const auto category = static_cast<std::uint8_t>(k);
    ReadCorvit10(
        bytes,
        [&](std::size_t offset, const DiaryRecord& d) {
          if (progress) progress("Importing Data For", label, offset, bytes.size());
          if (d.person != who.id || d.type == kDiaryPerson || !ImportableDate(d.year, d.month, d.day)) return;
          const ImportBytes b = d.body;
          const auto start = [&](std::uint8_t kind) {
            StartImportedRecord(s, kind, category, d.year, d.month, d.day, nextGroupId);
          };
          const auto put = [&](std::uint32_t at, std::int32_t v, int size) {
            if (size == 1) SetByte(s.workRecord, at, v);
            if (size == 2) SetWord(s.workRecord, at, std::min(v, 0xFFFF));
            if (size == 4) SetLong(s.workRecord, at, v);
          };
          const auto noTime = [&] {
            put(rec::kStartHour, 255, 1);
            put(rec::kEndHour, 255, 1);
          };
          bool group = false;
          switch (d.type) {
            case kDiaryBirthday:
              start(kKindGeneric);
              put(rec::kRepeatMode, 15, 1);
              noTime();
              FinishImportedRecord(s, rec::kGenericText, rec::kGenericFixed,
                                   TrimBlanks(who.first + " " + who.last) + " Birthday");
              group = true;
              break;
            case kDiaryHeight:
            case kDiaryWeight:
            case kDiaryMeasurements:
              start(kKindWeight);
              put(rec::kGender, who.gender, 1);
              if (d.type == kDiaryHeight) put(rec::kHeight, SixteenthsToMm(FieldAt(b, 0, 2)), 2);
              if (d.type == kDiaryWeight) put(rec::kWeight, OuncesToGrams(FieldAt(b, 0, 2)), 4);
              if (d.type == kDiaryMeasurements) {
                const std::uint32_t to[] = {rec::kChest, rec::kWaist, rec::kHips, rec::kNeck, rec::kUpperArm,
                                            rec::kThigh};
                for (std::uint32_t i = 0; i < 6; ++i) put(to[i], SixteenthsToMm(FieldAt(b, 2 * i, 2)), 2);
              }
              FinishImportedRecord(s, rec::kWeightText, rec::kWeightFixed, who.first);
              break;
            case kDiaryPressure: {
              start(kKindBloodPressure);
              put(rec::kReadingHour, static_cast<std::int32_t>(FieldAt(b, 0, 1)), 1);
              put(rec::kReadingMinute, static_cast<std::int32_t>(FieldAt(b, 1, 1)), 1);
              put(rec::kSystolic, static_cast<std::int32_t>(FieldAt(b, 2, 2)), 2);
              put(rec::kDiastolic, static_cast<std::int32_t>(FieldAt(b, 4, 2)), 2);
              put(rec::kPulse, static_cast<std::int32_t>(FieldAt(b, 6, 2)), 2);
              std::string text = TrimBlanks(DiaryTexts(b, 8, 1)[0]);
              text += '\0';
              text += TrimBlanks(who.first + " BP");
              text += '\0';
              FinishImportedRecord(s, rec::kPressureText, rec::kPressureFixed, text);
              break;
            }
            case kDiaryCholesterol:
              start(kKindCholesterol);
              put(rec::kTotal, static_cast<std::int32_t>(FieldAt(b, 0, 2)), 2);
              put(rec::kHdl, static_cast<std::int32_t>(FieldAt(b, 2, 2)), 2);
              put(rec::kLdl, static_cast<std::int32_t>(FieldAt(b, 4, 2)), 2);
              FinishImportedRecord(s, rec::kCholesterolText, rec::kCholesterolFixed,
                                   TrimBlanks(who.first + " Cholesterol"));
              break;
            case kDiaryPeriod:
              if (FieldAt(b, 3, 1) != 0) return;
              start(kKindCycle);
              FinishImportedRecord(s, rec::kCycleText, rec::kCycleFixed, TrimBlanks(who.first + " Period"));
              break;
            case kDiaryNote:
              start(kKindGeneric);
              noTime();
              FinishImportedRecord(s, rec::kGenericText, rec::kGenericFixed,
                                   TrimBlanks(who.first + " " + DiaryTexts(b, 0, 1)[0]));
              break;
            case kDiaryDoctor:
            case kDiaryDentist: {
              start(kKindGeneric);
              const std::uint32_t hour = FieldAt(b, 0, 1);
              const std::uint32_t minute = FieldAt(b, 1, 1);
              const bool timed = hour != 0 || minute != 0;
              put(rec::kStartHour, timed ? static_cast<std::int32_t>(hour) : 255, 1);
              put(rec::kStartMinute, timed ? static_cast<std::int32_t>(minute) : 0, 1);
              put(rec::kEndHour, 255, 1);
              const std::vector<std::string> texts = DiaryTexts(b, 2, d.type == kDiaryDoctor ? 8 : 9);
              FinishImportedRecord(s, rec::kGenericText, rec::kGenericFixed,
                                   AppointmentText(who.first, d.type, texts));
              break;
            }
            default:
              return;
          }
          AppendImported(s, group);
          ++result.imported;
        },
        nullptr);
  }
  result.skipped = dataRecords > result.imported ? dataRecords - result.imported : 0;
  return result;
}

}  // namespace kal
