#include "health/cycles.h"

#include <array>
#include <vector>

#include "health/encodings.h"
#include "health/health_records.h"
#include "store/categories.h"
#include "store/packed_date.h"
#include "store/record_text.h"

namespace kal {

namespace {

// What one category's walk remembers. The history is a ring of the last
// eleven intervals; a slot left at 0 counts for nothing.
struct CategoryWalk {
  std::array<std::uint8_t, kCycleHistorySlots> history{};
  int slot = 0;
  bool hasPrevious = false;
  PackedDate previous = 0;
  std::vector<std::uint8_t> last;  // the latest entered cycle, as stored

  int Average() const {
    int sum = 0;
    int count = 0;
    for (std::uint8_t v : history) {
      if (v == 0) continue;
      sum += v;
      ++count;
    }
    return static_cast<int>(RoundHalfEven(static_cast<double>(sum) / (count > 0 ? count : 1)));
  }
};

void PutLong(std::vector<std::uint8_t>& bytes, std::uint32_t at, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (std::uint32_t k = 0; k < 4; ++k) bytes[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

}  // namespace

LatestCycle LatestCycleOf(const EventStore& s, int category) {
  LatestCycle latest;
  const std::int32_t off = LatestRecordOf(s, kKindCycle, category);
  if (off < 0) {
    latest.groupId = NextGroupId(s);
    return latest;
  }
  const auto o = static_cast<std::uint32_t>(off);
  latest.groupId = Long(s.store, std::size_t{o} + rec::kGroupId);
  latest.description = RecordText(s, o, rec::kCycleText, rec::kCycleFixed);
  return latest;
}

void RecomputeCycles(EventStore& s) {
  // One pass over the index serves every category at once; the file is in
  // date order after each save, so each category meets its cycles in order.
  std::array<CategoryWalk, kCategoryCount> walks;
  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(s, i);
    if (RecordKindAt(s, off) != kKindCycle) continue;
    const std::uint32_t category = Byte(s.store, std::size_t{off} + rec::kCategory);
    if (category >= static_cast<std::uint32_t>(kCategoryCount)) continue;
    const std::uint32_t length = RecordLength(s, off);
    if (length < rec::kCycleFixed || !s.store.Holds(off, length)) continue;
    if (Byte(s.store, std::size_t{off} + rec::kPredicted) > 0) {
      DeleteRecord(s, off);
      continue;
    }
    CategoryWalk& w = walks[category];
    const PackedDate date = Long(s.store, std::size_t{off} + rec::kDate);
    std::int32_t interval = 0;
    if (w.hasPrevious) {
      interval = w.previous <= date ? DaysBetween(w.previous, date) : DaysBetween(date, w.previous);
      if (interval > kLongestInterval) interval = 0;
    }
    SetByte(s.store, std::size_t{off} + rec::kInterval, interval);
    w.history[static_cast<std::size_t>(w.slot)] = static_cast<std::uint8_t>(interval);
    w.slot = (w.slot + 1) % kCycleHistorySlots;
    w.last.assign(s.store.data() + off, s.store.data() + off + length);
    w.previous = date;
    w.hasPrevious = true;
  }

  std::int32_t nextId = NextRecordId(s);
  for (CategoryWalk& w : walks) {
    if (w.last.empty()) continue;
    int average = w.Average();
    if (average == 0) average = kDefaultCycleLength;
    Ymd day = UnpackDate(w.previous);
    std::vector<std::uint8_t>& copy = w.last;
    copy[rec::kKind] = kKindCycle;
    copy[rec::kPredicted] = 1;
    copy[rec::kInterval] = static_cast<std::uint8_t>(average);
    for (int n = 0; n < kPredictionCount; ++n) {
      for (int d = 0; d < average; ++d) NextDay(day);
      PutLong(copy, rec::kDate, PackDate(day));
      PutLong(copy, rec::kRecordId, nextId++);
      AppendRecordBytes(s, copy.data(), static_cast<std::uint32_t>(copy.size()));
    }
  }
}

bool PredictCycles(EventStore& s, const SortKeyBuilder& keys, Host& host) {
  RecomputeCycles(s);
  return SaveEvents(s, keys, host);
}

}  // namespace kal
