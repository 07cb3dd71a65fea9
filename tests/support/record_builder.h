// Builds event records byte by byte and appends them to an EventStore, for
// tests that need a store without going through the event file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/event_record.h"
#include "store/event_store.h"
#include "store/mem_buffer.h"

namespace kal::test {

// A record of the kind with `fixed` bytes besides the text. Finish() puts the
// text between the fixed body and the trailing bytes (the end marker, and for
// blood pressure the two reserved bytes) and writes the length and end marker.
class RecordBytes {
 public:
  RecordBytes(RecordKind kind, std::int32_t packedDate, std::uint32_t fixed) : bytes_(fixed, 0) {
    bytes_[rec::kKind] = kind;
    Long(rec::kDate, packedDate);
  }
  RecordBytes& Byte(std::uint32_t off, std::uint32_t v) { return Put(off, v, 1); }
  RecordBytes& Word(std::uint32_t off, std::uint32_t v) { return Put(off, v, 2); }
  RecordBytes& Long(std::uint32_t off, std::uint32_t v) { return Put(off, v, 4); }
  RecordBytes& Text(std::string_view text) {
    text_ = std::string(text);
    return *this;
  }
  std::vector<std::uint8_t> Finish() const {
    const auto textAt = bytes_.begin() + TextOffset();
    std::vector<std::uint8_t> out(bytes_.begin(), textAt);
    out.insert(out.end(), text_.begin(), text_.end());
    out.insert(out.end(), textAt, bytes_.end());
    const auto length = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(length >> (8 * i));
    out[length - 2] = static_cast<std::uint8_t>(kEndMarker & 0xFF);
    out[length - 1] = static_cast<std::uint8_t>(kEndMarker >> 8);
    return out;
  }

 private:
  RecordBytes& Put(std::uint32_t off, std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i) bytes_[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return *this;
  }
  std::uint32_t TextOffset() const {
    switch (bytes_[rec::kKind]) {
      case kKindWeight: return rec::kWeightText;
      case kKindBloodPressure: return rec::kPressureText;
      case kKindCholesterol: return rec::kCholesterolText;
      case kKindGlucose: return rec::kGlucoseText;
      default: return rec::kGenericText;  // generic events and cycles
    }
  }
  std::vector<std::uint8_t> bytes_;
  std::string text_;
};

inline std::int32_t Packed(int year, int month, int day) { return year * 65536 + month * 256 + day; }

// Appends the bytes at the end of the store and returns their offset.
inline std::uint32_t AppendTo(EventStore& s, const std::vector<std::uint8_t>& bytes) {
  // The store's own append grows geometrically; a resize per record made
  // building 100,000 records quadratic under the sanitizers.
  const std::uint32_t offset = s.storeSize;
  AppendRecordBytes(s, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  return offset;
}

// A generic event; hour 255 means no start time, end hour 99 no end time.
inline std::uint32_t AddGeneric(EventStore& s, std::int32_t date, std::string_view text, int startHour = 255,
                                int startMinute = 0, int endHour = 99, int endMinute = 0, int yearCount = 0) {
  return AppendTo(s, RecordBytes(kKindGeneric, date, rec::kGenericFixed)
                         .Byte(rec::kYearCount, yearCount).Byte(rec::kStartHour, startHour)
                         .Byte(rec::kStartMinute, startMinute).Byte(rec::kEndHour, endHour)
                         .Byte(rec::kEndMinute, endMinute).Text(text).Finish());
}

struct Measures {
  std::uint32_t height = 0, chest = 0, waist = 0, hips = 0;
};

inline std::uint32_t AddWeight(EventStore& s, std::int32_t date, std::string_view text, std::uint32_t grams,
                               Measures m = {}) {
  return AppendTo(s, RecordBytes(kKindWeight, date, rec::kWeightFixed)
                         .Long(rec::kWeight, grams).Word(rec::kHeight, m.height).Word(rec::kChest, m.chest)
                         .Word(rec::kWaist, m.waist).Word(rec::kHips, m.hips)
                         .Word(rec::kNeck, 111)  // not shown anywhere in the one-line texts
                         .Text(text).Finish());
}

inline std::uint32_t AddCycle(EventStore& s, std::int32_t date, std::string_view text, int predicted) {
  return AppendTo(s, RecordBytes(kKindCycle, date, rec::kCycleFixed).Byte(rec::kPredicted, predicted).Text(text)
                         .Finish());
}

inline std::uint32_t AddPressure(EventStore& s, std::int32_t date, std::string_view location,
                                 std::string_view description, int systolic, int diastolic) {
  const std::string text = std::string(location) + '\0' + std::string(description) + '\0';
  return AppendTo(s, RecordBytes(kKindBloodPressure, date, rec::kPressureFixed)
                         .Word(rec::kSystolic, systolic).Word(rec::kDiastolic, diastolic).Word(rec::kPulse, 72)
                         .Text(text).Finish());
}

inline std::uint32_t AddCholesterol(EventStore& s, std::int32_t date, std::string_view text, int total) {
  return AppendTo(s, RecordBytes(kKindCholesterol, date, rec::kCholesterolFixed)
                         .Word(rec::kTotal, total).Word(rec::kLdl, 99).Text(text).Finish());
}

inline std::uint32_t AddGlucose(EventStore& s, std::int32_t date, std::string_view text, int reading) {
  return AppendTo(s, RecordBytes(kKindGlucose, date, rec::kGlucoseFixed).Word(rec::kGlucose, reading).Text(text)
                         .Finish());
}

}  // namespace kal::test
