#include <cstdio>

#include "calendar/entry_text.h"
#include "health/health_text.h"
#include "store/event_store.h"
#include "store/text1252.h"

namespace kal {

std::string RecordSortKey(const EventStore& s, std::uint32_t offset, const UnitModes& units) {
  const std::int32_t date = Long(s.store, offset + rec::kDate);
  const std::uint32_t kind = RecordKindAt(s, offset);
  std::uint32_t hour = 255;
  std::uint32_t minute = 255;
  if (kind == kKindGeneric) {
    hour = Byte(s.store, offset + rec::kStartHour);
    minute = Byte(s.store, offset + rec::kStartMinute);
  }
  char head[40];
  const int n = std::snprintf(head, sizeof head, "%04u%02u%02u%02u%02u%03u",
                              static_cast<unsigned>(date) >> 16, (static_cast<unsigned>(date) >> 8) & 255u,
                              static_cast<unsigned>(date) & 255u, hour, minute, kind);
  std::string key(head, static_cast<std::size_t>(n));
  if (kind == kKindGeneric) {
    key += EntryText(s, offset, units);
  } else if (kind >= kKindWeight && kind <= kKindGlucose) {
    key += HealthListText(s, offset, units, HealthTextForm::kEventList);
  }
  return ToLower1252(key);
}

}  // namespace kal
