// The one-line text of a record in the event list.
//
// Used by the list rows and printing (at most 170 description characters)
// and by the search (65000). Besides the text it gives the record's date and,
// for a generic event, its start time (255 and 255 for every other kind).
// Reads the store at the offset, never past the record or the used bytes.
#pragma once

#include <cstdint>
#include <string>

#include "health/units.h"
#include "store/event_store.h"

namespace kal {

struct DisplayText {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  std::int32_t startHour = 255;
  std::int32_t startMinute = 255;
  std::string text;
};

// A negative maxDescription counts as 0. Health records use the event-list
// form of their text; deleted and unknown kinds give an empty text.
DisplayText EventDisplayText(const EventStore& s, std::uint32_t offset, int maxDescription, const UnitModes& units);

}  // namespace kal
