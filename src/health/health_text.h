// The one-line texts of health records (kinds 3 to 7).
//
// The event list, the sort key of SaveEvents and the search use the list
// form; the calendar's day cells use the calendar form, which differs only
// for weight records (no measurement labels, height only). Values are shown
// in the units chosen by UnitModes. The record is read from the store at the
// given offset and never beyond the record or the store's used bytes.
#pragma once

#include <cstdint>
#include <string>

#include "health/units.h"
#include "store/event_store.h"

namespace kal {

enum class HealthTextForm { kEventList, kCalendar };

// The text of the health record at the offset; the empty text for any other kind.
std::string HealthListText(const EventStore& s, std::uint32_t offset, const UnitModes& units, HealthTextForm form);

}  // namespace kal
