#include "calendar/sort_key.h"

#include <array>

#include "calendar/entry_text.h"
#include "health/health_text.h"
#include "store/text1252.h"

namespace kal {

namespace {

// Saving 100,000 records builds 100,000 keys; formatting and lower-casing
// through the general routines dominated the whole save.
// Writes value with at least minDigits digits (zero-padded) at p; returns the end.
char* PutDigits(char* p, unsigned value, int minDigits) {
  char buf[12];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n < minDigits) buf[n++] = '0';
  while (n > 0) *p++ = buf[--n];
  return p;
}

const std::array<char, 256>& LowerTable() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<char>(ToLower1252(static_cast<std::uint8_t>(c)));
    return t;
  }();
  return table;
}

}  // namespace

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
  const auto packed = static_cast<unsigned>(date);
  char head[40];
  char* p = PutDigits(head, packed >> 16, 4);
  p = PutDigits(p, (packed >> 8) & 255u, 2);
  p = PutDigits(p, packed & 255u, 2);
  p = PutDigits(p, hour, 2);
  p = PutDigits(p, minute, 2);
  p = PutDigits(p, kind, 3);
  out.append(head, static_cast<std::size_t>(p - head));
  if (kind == kKindGeneric) {
    out += EntryText(s, offset, units);
  } else if (kind >= kKindWeight && kind <= kKindGlucose) {
    out += HealthListText(s, offset, units, HealthTextForm::kEventList);
  }
  const auto& lower = LowerTable();
  for (std::size_t i = start; i < out.size(); ++i) out[i] = lower[static_cast<std::uint8_t>(out[i])];
}

void RecordSortKeys::AppendKey(const EventStore& s, std::uint32_t offset, std::string& out) const {
  AppendRecordSortKey(s, offset, units_, out);
}

std::string RecordSortKeys::ReuseTag() const {
  return "units " + std::to_string(units_.weightMode) + " " + std::to_string(units_.lengthMode);
}

std::string RecordSortKey(const EventStore& s, std::uint32_t offset, const UnitModes& units) {
  std::string key;
  AppendRecordSortKey(s, offset, units, key);
  return key;
}

}  // namespace kal
