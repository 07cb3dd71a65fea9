// The one-line text of a record in a calendar day cell.
//
// Generic events show their title line (with the year count and the time
// span); health records show their calendar form (health/health_text.h). The
// text is built from the store at the given offset, never reads past the
// record or the store's used bytes, and is at most 170 characters long.
#pragma once

#include <cstdint>
#include <string>

#include "health/units.h"
#include "store/event_store.h"

namespace kal {

constexpr std::size_t kEntryTextMax = 170;

// The text of a generic event: the description (at most maxDescription
// characters) up to its first carriage return, " (N yrs)" when the year count
// is above 0, preceded by "9:00 am - " or "9:00 am to 10:30 am - " when the
// event has a start time. Shared by the day cells and the event list.
std::string GenericEventText(const EventStore& s, std::uint32_t offset, std::size_t maxDescription);

// The day-cell text of any record; empty for deleted and unknown kinds.
std::string EntryText(const EventStore& s, std::uint32_t offset, const UnitModes& units);

}  // namespace kal
