// What the two importers share: how they report progress and what they did.
//
// The importers read a whole file held in memory and append records to an
// EventStore; they never write the file they read, and they never save (the
// caller runs SaveEvents, and PredictCycles after a health-diary import).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "store/corruption.h"
#include "store/event_store.h"

namespace kal {

using ImportBytes = std::span<const std::uint8_t>;

// Called often while an import runs: the panel's title and label and how far
// the walk through the file is. May pump messages.
using ImportProgress =
    std::function<void(std::string_view title, std::string_view label, std::uint64_t done, std::uint64_t total)>;

struct ImportResult {
  std::uint32_t imported = 0;  // source records that became events or health records
  std::uint32_t skipped = 0;   // whole records left out on purpose (unequal dates, other types, ...)
  CountingReporter damage;     // bytes that were not a readable record
};

// Little-endian fields of a record held in `bytes`; bytes past its end read as 0.
inline std::uint32_t FieldAt(ImportBytes bytes, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = 0; i < size; ++i) {
    if (at + static_cast<std::size_t>(i) < bytes.size()) v |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  }
  return v;
}

// Appends the work record `count` times as a group (the first gets the work
// record's date) and moves the id counter on. Generic events only repeat
// when their repeat mode says so.
void AppendImported(EventStore& s, bool asGroup);

// Writes the common header of a new record into the cleared work record:
// kind, category, date, a record id and a group id of its own.
void StartImportedRecord(EventStore& s, std::uint8_t kind, std::uint8_t category, std::int32_t year,
                         std::int32_t month, std::int32_t day, std::int32_t& nextGroupId);

// Puts the text at `at` and sets the record length to fixed + text length and
// the end marker. Longer texts than the work record holds are cut.
void FinishImportedRecord(EventStore& s, std::uint32_t textAt, std::uint32_t fixed, std::string_view text);

// True for a date the calendar can show: years 1 to 9999, a real month and day.
bool ImportableDate(std::int32_t year, std::int32_t month, std::int32_t day);

// Blanks at both ends removed.
std::string TrimBlanks(std::string_view text);

}  // namespace kal
