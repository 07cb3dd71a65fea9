#include "health/health_csv.h"

#include <cstdio>
#include <vector>

#include "health/encodings.h"
#include "health/health_records.h"
#include "platform/encoding.h"
#include "store/event_record.h"
#include "store/packed_date.h"

namespace kal {

namespace {

// A column and the kind and field it reads.
struct Column {
  std::string key;
  std::vector<std::pair<std::uint32_t, const HealthField*>> sources;  // one per kind that has the field
  bool activity = false;
  bool predicted = false;
};

std::vector<Column> ColumnsFor(const std::optional<std::uint32_t>& kind) {
  std::vector<Column> columns;
  auto add = [&](const std::string& key) -> Column& {
    for (Column& c : columns) {
      if (c.key == key) return c;
    }
    columns.push_back(Column{key, {}});
    return columns.back();
  };
  for (std::uint32_t k = kKindWeight; k <= kKindGlucose; ++k) {
    if (kind && *kind != k) continue;
    const HealthKindSpec* spec = HealthSpecOf(k);
    for (const HealthField& f : spec->fields) add(f.key).sources.emplace_back(k, &f);
    if (spec->hasActivity) add("activity").activity = true;
    if (k == kKindCycle) add("predicted").predicted = true;
  }
  return columns;
}

std::string Header(const Column& c, const UnitModes& units) {
  if (c.sources.empty()) return c.key;
  switch (c.sources.front().second->read) {
    case FieldRead::kWeight: return c.key + (units.weightMode == 0 ? " (pounds)" : " (kg)");
    case FieldRead::kLength: return c.key + (units.lengthMode == 0 ? " (in)" : " (cm)");
    default: return c.key;
  }
}

// The record's text part (description; location NUL description NUL for blood pressure).
std::string RecordText(const EventStore& s, std::uint32_t off, std::uint32_t kind) {
  std::uint32_t at = rec::kGlucoseText, fixed = rec::kGlucoseFixed;
  switch (kind) {
    case kKindWeight: at = rec::kWeightText, fixed = rec::kWeightFixed; break;
    case kKindCycle: at = rec::kCycleText, fixed = rec::kCycleFixed; break;
    case kKindBloodPressure: at = rec::kPressureText, fixed = rec::kPressureFixed; break;
    case kKindCholesterol: at = rec::kCholesterolText, fixed = rec::kCholesterolFixed; break;
    default: break;
  }
  const std::uint32_t length = RecordLength(s, off);
  std::string text;
  if (length > fixed) GetBytes(s.store, off + at, length - fixed, text);
  return text;
}

std::string Cell(const EventStore& s, std::uint32_t off, const HealthField& f, const std::string& description,
                 const std::string& location, const UnitModes& units) {
  const MemBuffer& b = s.store;
  switch (f.read) {
    case FieldRead::kDescription:
    case FieldRead::kUntrimmedText: return description;
    case FieldRead::kLocation: return location;
    case FieldRead::kWeight: {
      const std::int32_t grams = Long(b, off + f.offset);
      return grams > 0 ? FormatWeight(static_cast<std::uint32_t>(grams), units).number : std::string();
    }
    case FieldRead::kLength: {
      std::string text = FormatLength(Word(b, off + f.offset), units);
      if (text.size() > 3) text.resize(text.size() - 3);  // the " in" or " cm" is in the header
      return text;
    }
    case FieldRead::kAge:
    case FieldRead::kReading: {
      const std::uint32_t v = f.read == FieldRead::kAge ? Byte(b, off + f.offset) : Word(b, off + f.offset);
      return v > 0 ? NumberText(v) : std::string();
    }
    case FieldRead::kGender: {
      const std::uint32_t g = Byte(b, off + f.offset);
      return g == 1 ? "Male" : g == 2 ? "Female" : "";
    }
    case FieldRead::kTime:
      return FormatReadingTime(static_cast<int>(Byte(b, off + rec::kReadingHour)),
                               static_cast<int>(Byte(b, off + rec::kReadingMinute)));
  }
  return {};
}

// Plain ASCII without a separator, quote or line break goes out as it is.
bool PlainField(std::string_view text) {
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80 || c == ',' || c == '"' || c == '\r' || c == '\n') return false;
  }
  return true;
}

}  // namespace

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

void WriteHealthCsv(const EventStore& s, const CategoryTable& categories, const UnitModes& units,
                    const CsvFilter& filter, std::string& out) {
  const std::vector<Column> columns = ColumnsFor(filter.kind);
  // About a line of 40 to 90 bytes a record: one allocation instead of a dozen doublings.
  out.reserve(out.size() + 96u * s.indexCount);
  out += "date,category";
  if (!filter.kind) out += ",kind";
  for (const Column& c : columns) {
    // Appended piece by piece: GCC 12 at -O3 reports a false overlap for "," + field.
    out += ',';
    out += CsvField(Header(c, units));
  }
  out += "\r\n";
  std::string names[kCategoryCount];
  for (int i = 0; i < kCategoryCount; ++i) names[i] = CsvField(Cp1252ToUtf8(CategoryName(categories, i)));

  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(s, i);
    const std::uint32_t kind = RecordKindAt(s, off);
    if (kind < kKindWeight || kind > kKindGlucose || (filter.kind && kind != *filter.kind)) continue;
    const int category = CategoryOfByte(static_cast<int>(Byte(s.store, off + rec::kCategory)));
    if (filter.category && category != *filter.category) continue;
    const std::int32_t date = Long(s.store, off + rec::kDate);
    if ((filter.from && date < *filter.from) || (filter.to && date > *filter.to)) continue;

    std::string description = RecordText(s, off, kind);
    std::string location;
    if (kind == kKindBloodPressure) {
      const std::string both = description;
      SplitPressureText(both, location, description);
    }
    const Ymd d = UnpackDate(date);
    char iso[16];
    std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", d.year % 10000, d.month % 100, d.day % 100);
    out += iso;
    out += ',';
    out += names[category];
    if (!filter.kind) {
      out += ',';
      out += static_cast<char>('0' + kind);
    }
    for (const Column& c : columns) {
      out += ',';
      if (c.activity) {
        if (kind == kKindWeight) out += ActivityLevelLabel(static_cast<int>(Byte(s.store, off + rec::kActivity)));
        continue;
      }
      if (c.predicted) {
        if (kind == kKindCycle) out += Byte(s.store, off + rec::kPredicted) > 0 ? "yes" : "no";
        continue;
      }
      for (const auto& [k, field] : c.sources) {
        if (k == kind) {
          const std::string cell = Cell(s, off, *field, description, location, units);
          out += PlainField(cell) ? cell : CsvField(Cp1252ToUtf8(cell));
          break;
        }
      }
    }
    out += "\r\n";
  }
}

}  // namespace kal
