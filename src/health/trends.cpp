#include "health/trends.h"

#include <algorithm>

#include "store/categories.h"
#include "store/event_record.h"

namespace kal {

bool HasTrend(std::uint32_t kind) {
  return kind == kKindWeight || kind == kKindBloodPressure || kind == kKindGlucose;
}

std::int32_t DayNumber(std::int32_t packedDate) {
  // Days from civil date, counting March-based years so leap days fall last.
  std::int32_t y = packedDate >> 16;
  const std::int32_t m = (packedDate >> 8) & 0xFF;
  const std::int32_t d = packedDate & 0xFF;
  y -= m <= 2 ? 1 : 0;
  const std::int32_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int32_t yoe = y - era * 400;
  const std::int32_t mp = (m + 9) % 12;
  const std::int32_t doy = (153 * mp + 2) / 5 + d - 1;
  const std::int32_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

std::int32_t DateOfDayNumber(std::int32_t day) {
  const std::int32_t era = (day >= 0 ? day : day - 146096) / 146097;
  const std::int32_t doe = day - era * 146097;
  const std::int32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int32_t mp = (5 * doy + 2) / 153;
  const std::int32_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int32_t m = mp < 10 ? mp + 3 : mp - 9;
  const std::int32_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return y * 65536 + m * 256 + d;
}

TrendSeries CollectTrend(const EventStore& s, std::uint32_t kind, int category) {
  TrendSeries t;
  t.kind = kind;
  t.category = category;
  if (!HasTrend(kind)) return t;
  const MemBuffer& b = s.store;
  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(s, i);
    if (Byte(b, off + rec::kKind) != kind) continue;
    if (CategoryOfByte(static_cast<int>(Byte(b, off + rec::kCategory))) != category) continue;
    TrendPoint p;
    p.date = Long(b, off + rec::kDate);
    p.day = DayNumber(p.date);
    if (kind == kKindWeight) {
      p.value = std::max(0, Long(b, off + rec::kWeight));
    } else if (kind == kKindBloodPressure) {
      p.value = Word(b, off + rec::kSystolic);
      p.second = Word(b, off + rec::kDiastolic);
    } else {
      p.value = Word(b, off + rec::kGlucose);
    }
    if (p.value > 0) t.points.push_back(p);
  }
  // The saved file is in date order already; a file written by hand may not be.
  if (!s.indexSorted) {
    std::stable_sort(t.points.begin(), t.points.end(),
                     [](const TrendPoint& a, const TrendPoint& b) { return a.date < b.date; });
  }
  return t;
}

std::vector<double> MovingAverage(const std::vector<double>& values, std::size_t window) {
  std::vector<double> out(values.size());
  if (window == 0) return out;
  double sum = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    sum += values[i];
    if (i >= window) sum -= values[i - window];
    out[i] = sum / static_cast<double>(std::min(i + 1, window));
  }
  return out;
}

}  // namespace kal
