#include "calendar/event_display_text.h"

#include "calendar/dates.h"
#include "calendar/entry_text.h"
#include "health/health_text.h"

namespace kal {

DisplayText EventDisplayText(const EventStore& s, std::uint32_t offset, int maxDescription, const UnitModes& units) {
  DisplayText out;
  const Ymd date = UnpackDate(Long(s.store, std::size_t{offset} + rec::kDate));
  out.year = date.year;
  out.month = date.month;
  out.day = date.day;
  switch (RecordKindAt(s, offset)) {
    case kKindGeneric:
      out.startHour = static_cast<std::int32_t>(Byte(s.store, std::size_t{offset} + rec::kStartHour));
      out.startMinute = static_cast<std::int32_t>(Byte(s.store, std::size_t{offset} + rec::kStartMinute));
      out.text = GenericEventText(s, offset, maxDescription > 0 ? static_cast<std::size_t>(maxDescription) : 0);
      break;
    case kKindWeight:
    case kKindCycle:
    case kKindBloodPressure:
    case kKindCholesterol:
    case kKindGlucose:
      out.text = HealthListText(s, offset, units, HealthTextForm::kEventList);
      break;
    default:
      break;
  }
  return out;
}

}  // namespace kal
