#include "store/packed_date.h"

namespace kal {

namespace {

constexpr char kMonthLengths[] = "312831303130313130313031";

}  // namespace

PackedDate PackDate(std::int32_t year, std::int32_t month, std::int32_t day) {
  // Unsigned arithmetic: the same bits as year * 65536 + month * 256 + day
  // without signed-overflow traps for odd inputs.
  const std::uint32_t v = (static_cast<std::uint32_t>(year) << 16) + (static_cast<std::uint32_t>(month) << 8) +
                          static_cast<std::uint32_t>(day);
  return static_cast<PackedDate>(v);
}

Ymd UnpackDate(PackedDate date) {
  const std::uint32_t v = static_cast<std::uint32_t>(date);
  Ymd d;
  d.day = static_cast<std::int32_t>(v & 255u);
  d.month = static_cast<std::int32_t>((v >> 8) & 255u);
  d.year = date >> 16;  // arithmetic shift keeps the sign of odd values
  return d;
}

bool IsLeapYear(std::int32_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

std::int32_t DaysInMonth(std::int32_t year, std::int32_t month) {
  // A month outside 1-12 has no entry in the table; treat it as a long month
  // rather than read past the table.
  if (month < 1 || month > 12) return 31;
  const std::int32_t length = (kMonthLengths[2 * month - 2] - '0') * 10 + (kMonthLengths[2 * month - 1] - '0');
  if (month == 2 && IsLeapYear(year)) return 29;
  return length;
}

void NextDay(std::int32_t& year, std::int32_t& month, std::int32_t& day) {
  const std::int32_t length = DaysInMonth(year, month);
  ++day;
  if (day > length) {
    day = 1;
    ++month;
    if (month > 12) {
      month = 1;
      ++year;
    }
  }
}

void PreviousDay(std::int32_t& year, std::int32_t& month, std::int32_t& day) {
  --day;
  if (day <= 0) {
    --month;
    if (month <= 0) {
      month = 12;
      --year;
    }
    day = DaysInMonth(year, month);
  }
}

std::int32_t DaysBetween(PackedDate earlier, PackedDate later) {
  if (later <= earlier) return 0;
  Ymd d = UnpackDate(earlier);
  std::int32_t count = 0;
  // Stepping stops once the date reaches or passes the target, so an
  // impossible target such as 31 April ends the walk instead of being missed
  // for ever; between real dates this is the same as waiting for equality.
  while (PackDate(d) < later) {
    NextDay(d);
    ++count;
  }
  return count;
}

}  // namespace kal
