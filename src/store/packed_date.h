// Packed dates and the day arithmetic every layer above the store needs.
//
// A PackedDate is year * 65536 + month * 256 + day with no validation, so that
// integer order is date order and impossible triples (31 April) survive a
// round trip. The event file keeps one in every record; the calendar adds the
// texts and the application dates on top (calendar/dates.h).
#pragma once

#include <cstdint>

namespace kal {

using PackedDate = std::int32_t;

struct Ymd {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  bool operator==(const Ymd&) const = default;
};

PackedDate PackDate(std::int32_t year, std::int32_t month, std::int32_t day);
inline PackedDate PackDate(const Ymd& d) { return PackDate(d.year, d.month, d.day); }
Ymd UnpackDate(PackedDate date);

bool IsLeapYear(std::int32_t year);
std::int32_t DaysInMonth(std::int32_t year, std::int32_t month);
void NextDay(std::int32_t& year, std::int32_t& month, std::int32_t& day);
void PreviousDay(std::int32_t& year, std::int32_t& month, std::int32_t& day);
inline void NextDay(Ymd& d) { NextDay(d.year, d.month, d.day); }
inline void PreviousDay(Ymd& d) { PreviousDay(d.year, d.month, d.day); }
// Days from `earlier` to `later`, counted with NextDay; 0 when later is not after earlier.
std::int32_t DaysBetween(PackedDate earlier, PackedDate later);

}  // namespace kal
