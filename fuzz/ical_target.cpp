// The iCalendar import's fuzz check, apart from targets.cpp because it needs
// the desktop half (libical).
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "calendar/repeat.h"
#include "import/ical_export.h"
#include "import/ical_import.h"
#include "targets.h"

namespace kal::fuzz {

namespace {

// Every generic record as what the user sees of it, counted.
std::map<std::string, int> Entries(const EventStore& s, std::uint32_t& bytes, std::map<std::int32_t, int>& groups) {
  std::map<std::string, int> entries;
  bytes = 0;
  ForEachRecord(s, s.storeSize, [&](std::uint32_t off, std::uint32_t length) {
    bytes += length;
    ++groups[Long(s.store, off + rec::kGroupId)];
    std::string key(reinterpret_cast<const char*>(s.store.data() + off), length);
    // Ids and the repeat mode may differ after a round trip; what is shown may not.
    for (std::uint32_t at : {rec::kRecordId, rec::kGroupId}) key.replace(at, 4, 4, '\0');
    key[rec::kRepeatMode] = '\0';
    ++entries[key];
  });
  return entries;
}

}  // namespace

void IcalImport(const std::uint8_t* data, std::size_t size) {
  CategoryTable categories;
  BuildCategoryTable(categories, "Home|Work|Family|Pay Days|Birthdays|Six|Seven|Eight|Nine|Ten|Eleven|Twelve");
  EventStore first;
  const IcsImportResult result =
      AddIcsEvents(first, categories, std::string_view(reinterpret_cast<const char*>(data), size));
  std::uint32_t bytes = 0;
  std::map<std::int32_t, int> groups;
  const std::map<std::string, int> entries = Entries(first, bytes, groups);
  Check(bytes == first.storeSize, "an imported record is not well-formed");
  Check(static_cast<int>(groups.size()) == result.events, "events do not have a group each");
  int records = 0;
  for (const auto& [group, count] : groups) {
    Check(count <= GroupSize, "a group holds more than GroupSize records");
    records += count;
  }
  Check(records == result.records, "record count is wrong");

  // What we import we can write out and read back unchanged.
  const IcsExport ics = ExportIcs(first, categories, {}, "20000101T000000Z");
  EventStore second;
  AddIcsEvents(second, categories, ics.text);
  std::map<std::int32_t, int> ignored;
  Check(Entries(second, bytes, ignored) == entries, "an export read back gives other records");
}

}  // namespace kal::fuzz
