// The health-diary file "corvit10.dat": a concatenation of records without a
// header, integers little-endian, each starting
//
//   0 length (4, this field included)  4 tag "CVRS"  8 person id (2)
//  10 record type (2)  12 year (2)  14 month  15 day  16 the type's fields
//
// A text inside a record is a length byte and that many characters. Persons
// (type 0) become the categories 0, 1, 2 ... in file order; their records
// become events and health records of this program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "import/import_common.h"

namespace kal {

inline constexpr std::uint32_t kDiaryHeader = 16;

enum DiaryType : std::uint16_t {
  kDiaryPerson = 0,
  kDiaryBirthday = 1,
  kDiaryHeight = 2,
  kDiaryWeight = 3,
  kDiaryMeasurements = 4,
  kDiaryPressure = 5,
  kDiaryCholesterol = 6,
  kDiaryPeriod = 8,
  kDiaryNote = 9,
  kDiaryDoctor = 14,
  kDiaryDentist = 15,
};

struct DiaryRecord {
  std::uint16_t person = 0;
  std::uint16_t type = 0;
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  ImportBytes body;  // from offset 16 to the record's end
};

struct DiaryPerson {
  std::uint16_t id = 0;
  std::uint8_t gender = 0;  // 0 unknown, 1 male, 2 female
  std::string first;
  std::string second;
  std::string last;
};

// Calls visit(offset, record) for each record in file order. Bytes that do
// not start a record with the tag, and records whose length is below the
// header, are stepped over one byte at a time and reported once per stretch.
// A length running past the end of the file is cut there when no later tag
// follows; otherwise it is taken for damage, so that one bad length cannot
// hide the records after it.
void ReadCorvit10(ImportBytes bytes, const std::function<void(std::size_t, const DiaryRecord&)>& visit,
                  CorruptionReporter* reporter);

// The n-th text (from 0) of a run of length-prefixed texts starting at
// `from`; texts running past the end are cut there, missing ones are empty.
std::vector<std::string> DiaryTexts(ImportBytes body, std::size_t from, int count);

// The person of a person record (type 0).
DiaryPerson PersonFrom(const DiaryRecord& record);

// The event text of a doctor (14) or dentist (15) appointment from the
// person's first name and the record's texts.
std::string AppointmentText(std::string_view firstName, std::uint16_t type, const std::vector<std::string>& texts);

// Sixteenths of an inch to whole millimetres, ounces to whole grams.
std::int32_t SixteenthsToMm(std::uint32_t sixteenths);
std::int32_t OuncesToGrams(std::uint32_t ounces);

// Person by person, appends the records of each of the first `categories`
// persons under the category of its position. Records of later persons, of
// ids without a person, of other types and with impossible dates are skipped.
ImportResult AppendCorvit10(EventStore& s, ImportBytes bytes, const ImportProgress& progress, int categories);

}  // namespace kal
