// The event file of the program's previous version, "event10.dat": a plain
// concatenation of records without a header, integers little-endian.
//
//   0 length (4, this field included)   4 year (2)  6 month  7 day
//   8 start hour  9 start minute       12 second year (2) 14 second month 15 second day
//  16 end hour   17 end minute         20 old repeat code
//  24 colour: red, green, blue, 0      40 text, up to the record's end
//
// The reader only walks the bytes; AppendEvent10 turns the records into
// generic events with their repeat groups.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "import/import_common.h"

namespace kal {

inline constexpr std::uint32_t kEvent10Fixed = 40;

struct OldEvent {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  std::int32_t secondYear = 0;
  std::int32_t secondMonth = 0;
  std::int32_t secondDay = 0;
  std::uint8_t startHour = 0;
  std::uint8_t startMinute = 0;
  std::uint8_t endHour = 0;
  std::uint8_t endMinute = 0;
  std::uint8_t oldRepeat = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::string text;
};

// The repeat mode of an old repeat code; 0 (one time) for unknown codes.
std::uint8_t RepeatModeFromOld(std::uint8_t oldCode);
// The category of an old colour; 0 for colours not in the table.
std::uint8_t CategoryFromColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Calls visit(offset, record) for each record in file order. A length that
// runs past the end of the file is cut there. A length too short for the
// fixed part cannot say where the next record starts: the walk ends there
// and the rest goes to the reporter, as does a tail of fewer than four bytes.
void ReadEvent10(ImportBytes bytes, const std::function<void(std::size_t, const OldEvent&)>& visit,
                 CorruptionReporter* reporter);

// Appends every record whose two dates agree and form a real date as a
// generic event with its group (150 occurrences for repeating codes).
ImportResult AppendEvent10(EventStore& s, ImportBytes bytes, const ImportProgress& progress);

}  // namespace kal
