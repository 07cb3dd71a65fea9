#include <cstdio>

#include "calendar/entry_text.h"
#include "health/health_text.h"
#include "store/event_store.h"
#include "store/text1252.h"

namespace kal {

void AppendRecordSortKey(const EventStore& s, std::uint32_t offset, const UnitModes& units, std::string& out) {
  const std::size_t start = out.size();
  const std::int32_t date = Long(s.store, offset + rec::kDate);
  const std::uint32_t kind = RecordKindAt(s, offset);
  std::uint32_t hour = 255;
  std::uint32_t minute = 255;
  if (kind == kKindGeneric) {
    hour = Byte(s.store, offset + rec::kStartHour);
    minute = Byte(s.store, offset + rec::kStartMinute);
  }
  char head[48];
  const int n = std::snprintf(head, sizeof head, "%04u%02u%02u%02u%02u%03u",
                              static_cast<unsigned>(date) >> 16, (static_cast<unsigned>(date) >> 8) & 255u,
                              static_cast<unsigned>(date) & 255u, hour, minute, kind);
  out.append(head, static_cast<std::size_t>(n));
  if (kind == kKindGeneric) {
    out += EntryText(s, offset, units);
  } else if (kind >= kKindWeight && kind <= kKindGlucose) {
    out += HealthListText(s, offset, units, HealthTextForm::kEventList);
  }
  for (std::size_t i = start; i < out.size(); ++i) {
    out[i] = static_cast<char>(ToLower1252(static_cast<std::uint8_t>(out[i])));
  }
}

std::string RecordSortKey(const EventStore& s, std::uint32_t offset, const UnitModes& units) {
  std::string key;
  AppendRecordSortKey(s, offset, units, key);
  return key;
}

}  // namespace kal
