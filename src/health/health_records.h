// The five health record kinds as their editors see them: one table per kind
// of the text fields (label, how the text is read back, where the value is
// stored), the texts a form starts with, the record builders, the defaults a
// new record takes from the same person's latest record, and storing an
// edited record.
//
// A HealthForm is a plain list of field texts (Windows-1252), in the order of
// its kind's table. Builders write into the store's work record, keeping its
// header (category, date, ids) and the bytes no field owns (activity level,
// prediction flag). Every reader of the store here walks the EventIndex, so
// the index must be current, as it is after every load and save.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "health/units.h"
#include "platform/clock.h"
#include "store/event_record.h"
#include "store/event_store.h"
#include "store/host.h"
#include "store/mem_buffer.h"

namespace kal {

// How a field's text is read back, and where a zero leaves the record.
enum class FieldRead : std::uint8_t {
  kDescription,     // trimmed of spaces at both ends
  kUntrimmedText,   // taken as typed (the menstrual cycle's description)
  kWeight,          // ParseWeight into the 4-byte weight
  kLength,          // ParseLength into a 2-byte measurement
  kAge,             // ParseAge into the age byte
  kGender,          // ParseGender into the gender byte
  kReading,         // ParseReading into a 2-byte reading
  kTime,            // ParseReadingTime into the hour and minute bytes
  kLocation,        // trimmed; the first part of a blood pressure text
};

// Which flag an empty (zero) value raises.
enum class FieldNeed : std::uint8_t { kOptional, kEssential, kSecond };

struct HealthField {
  const char* label;    // as shown, with its colon
  const char* key;      // the command line's FIELD name
  FieldRead read;
  std::uint32_t offset;  // where a numeric value is stored (unused for texts)
  FieldNeed need;
  int column;            // 0, or 1 for the weight editor's second column
  int row;               // row within the panel's field block
  bool wide;             // spans both columns
};

inline constexpr std::int32_t kHealthFieldChars = 30;

struct HealthKindSpec {
  RecordKind kind;
  const char* title;        // "Weight For " ... the date follows
  std::span<const HealthField> fields;
  bool hasManage;
  bool hasActivity;         // the weight editor's "Activity:" box
  int activityRow;          // its row in the field block
  // What "Save" needs: the essential flag clear (weight, cycle) or both flags.
  bool saveNeedsBoth;
  const char* saveMessage;
  const char* manageMessage;  // empty when there is no "Manage"
};

// The table of kinds 3 to 7; nullptr for any other kind.
const HealthKindSpec* HealthSpecOf(std::uint32_t kind);

using HealthForm = std::vector<std::string>;

struct BuildFlags {
  bool missingEssential = false;
  bool missingSecond = false;  // a measurement, age or gender (weight); a reading (the others)
};

// The texts the editor starts with, read from the work record.
HealthForm FormFromRecord(const MemBuffer& wr, const HealthKindSpec& spec, const UnitModes& units);

// Writes the kind's body from the form into the work record: the record
// length, the text (location NUL description NUL for blood pressure), every
// value, the reserved bytes and the end marker. The clock serves a reading
// time that cannot be read.
BuildFlags BuildHealthRecord(MemBuffer& wr, const HealthKindSpec& spec, const HealthForm& form, const UnitModes& units,
                             const Clock& clock);
BuildFlags BuildWeightRecord(MemBuffer& wr, const HealthForm& form, const UnitModes& units);
BuildFlags BuildBloodPressureRecord(MemBuffer& wr, const HealthForm& form, const Clock& clock);
BuildFlags BuildCholesterolRecord(MemBuffer& wr, const HealthForm& form);
BuildFlags BuildGlucoseRecord(MemBuffer& wr, const HealthForm& form);

// The message that refuses "Save" (manage false) or "Manage" (manage true),
// or nullptr when the record may be stored.
const char* RefusalMessage(const HealthKindSpec& spec, const BuildFlags& flags, bool manage);

// The offset of the last live record of the kind and category in file order
// (for cycles, the last entered one), or -1.
std::int32_t LatestRecordOf(const EventStore& s, std::uint32_t kind, int category);

// The weight editor's defaults: description and gender ("Male", "Female")
// from the category's last weight record, or empty texts.
void PrefillFromPerson(const EventStore& s, int category, HealthForm& form);

// What a new record, and a record whose category changed, takes from the
// category's latest record of its kind: the weight editor's PrefillFromPerson;
// for cycles the group id (into the work record) and description of
// LatestCycleOf; for the readings the description. Other fields stay.
void ApplyPersonDefaults(const EventStore& s, MemBuffer& wr, const HealthKindSpec& spec, HealthForm& form);

// Location and description of a blood pressure text (location NUL
// description NUL); a text without a zero byte is all location.
void SplitPressureText(std::string_view text, std::string& location, std::string& description);

// Stores the work record: appends it, marks the record at oldOffset (-1 for a
// new record) deleted and saves, so the edit leaves one live copy. When the
// save fails the store is put back as it was (the appended copy dropped, the
// old record live again), matching the file, and false is returned; the save
// has reported the failure. A stored cycle re-predicts the cycles.
bool StoreHealthRecord(EventStore& s, std::int32_t oldOffset, const SortKeyBuilder& keys, Host& host);

}  // namespace kal
