#include "calendar/entry_text.h"

#include "calendar/dates.h"
#include "health/health_text.h"
#include "store/record_text.h"

namespace kal {

std::string GenericEventText(const EventStore& s, std::uint32_t offset, std::size_t maxDescription) {
  std::string title = RecordText(s, offset, rec::kGenericText, rec::kGenericFixed);
  if (title.size() > maxDescription) title.resize(maxDescription);
  const std::size_t cr = title.find('\r');
  if (cr != std::string::npos) title.resize(cr);

  const std::uint32_t years = Byte(s.store, std::size_t{offset} + rec::kYearCount);
  if (years > 0) title += " (" + std::to_string(years) + " yrs)";

  const auto startHour = static_cast<std::int32_t>(Byte(s.store, std::size_t{offset} + rec::kStartHour));
  if (startHour >= 24) return title;
  const auto startMinute = static_cast<std::int32_t>(Byte(s.store, std::size_t{offset} + rec::kStartMinute));
  const auto endHour = static_cast<std::int32_t>(Byte(s.store, std::size_t{offset} + rec::kEndHour));
  const auto endMinute = static_cast<std::int32_t>(Byte(s.store, std::size_t{offset} + rec::kEndMinute));
  std::string text = FormatTime(0, startHour, startMinute);
  if (endHour < 24) text += " to " + FormatTime(1, endHour, endMinute);
  return text + " - " + title;
}

std::string EntryText(const EventStore& s, std::uint32_t offset, const UnitModes& units) {
  std::string text;
  switch (RecordKindAt(s, offset)) {
    case kKindGeneric:
      text = GenericEventText(s, offset, kEntryTextMax);
      break;
    case kKindWeight:
    case kKindCycle:
    case kKindBloodPressure:
    case kKindCholesterol:
    case kKindGlucose:
      text = HealthListText(s, offset, units, HealthTextForm::kCalendar);
      break;
    default:
      break;
  }
  if (text.size() > kEntryTextMax) text.resize(kEntryTextMax);
  return text;
}

}  // namespace kal
