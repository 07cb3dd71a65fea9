// Byte layout of the records of "Event20.dat".
//
// The file is a plain concatenation of variable-length little-endian records
// with no header: length (4), kind, category, selection mark, legal holiday
// (1 each), packed date (4), reserved (4), record id (4), group id (4), the
// kind's body, and the end marker 0xD431 in the last two bytes.
#pragma once

#include <cstdint>

namespace kal {

constexpr std::uint32_t kEndMarker = 0xD431;

enum RecordKind : std::uint8_t {
  kKindDeleted = 0,
  kKindGeneric = 2,
  kKindWeight = 3,
  kKindCycle = 4,
  kKindBloodPressure = 5,
  kKindCholesterol = 6,
  kKindGlucose = 7,
};

namespace rec {
// Common header.
constexpr std::uint32_t kLength = 0;
constexpr std::uint32_t kKind = 4;
constexpr std::uint32_t kCategory = 5;
constexpr std::uint32_t kMark = 6;
constexpr std::uint32_t kHoliday = 7;
constexpr std::uint32_t kDate = 8;
constexpr std::uint32_t kReserved = 12;
constexpr std::uint32_t kRecordId = 16;
constexpr std::uint32_t kGroupId = 20;
constexpr std::uint32_t kBody = 24;
constexpr std::uint32_t kHeaderSize = 24;

// Generic event (kind 2).
constexpr std::uint32_t kRepeatMode = 24;
constexpr std::uint32_t kYearCount = 25;
constexpr std::uint32_t kStartHour = 26;
constexpr std::uint32_t kStartMinute = 27;
constexpr std::uint32_t kEndHour = 28;
constexpr std::uint32_t kEndMinute = 29;
constexpr std::uint32_t kGenericText = 30;
constexpr std::uint32_t kGenericFixed = 32;  // length without text

// Weight and measurements (kind 3).
constexpr std::uint32_t kAge = 24;
constexpr std::uint32_t kGender = 25;
constexpr std::uint32_t kActivity = 27;
constexpr std::uint32_t kWeight = 28;
constexpr std::uint32_t kHeight = 32;
constexpr std::uint32_t kChest = 34;
constexpr std::uint32_t kWaist = 36;
constexpr std::uint32_t kHips = 38;
constexpr std::uint32_t kNeck = 40;
constexpr std::uint32_t kUpperArm = 42;
constexpr std::uint32_t kForearm = 44;
constexpr std::uint32_t kWrist = 46;
constexpr std::uint32_t kThigh = 48;
constexpr std::uint32_t kWeightText = 50;
constexpr std::uint32_t kWeightFixed = 52;

// Menstrual cycle (kind 4).
constexpr std::uint32_t kPredicted = 24;
constexpr std::uint32_t kInterval = 25;
constexpr std::uint32_t kCycleText = 30;
constexpr std::uint32_t kCycleFixed = 32;

// Blood pressure (kind 5): text is location NUL description NUL, then 2 reserved bytes.
constexpr std::uint32_t kReadingHour = 24;
constexpr std::uint32_t kReadingMinute = 25;
constexpr std::uint32_t kSystolic = 26;
constexpr std::uint32_t kDiastolic = 28;
constexpr std::uint32_t kPulse = 30;
constexpr std::uint32_t kPressureText = 32;
constexpr std::uint32_t kPressureFixed = 36;

// Cholesterol (kind 6).
constexpr std::uint32_t kTotal = 24;
constexpr std::uint32_t kLdl = 26;
constexpr std::uint32_t kHdl = 28;
constexpr std::uint32_t kTriglycerides = 30;
constexpr std::uint32_t kCholesterolText = 32;
constexpr std::uint32_t kCholesterolFixed = 34;

// Blood glucose (kind 7).
constexpr std::uint32_t kGlucose = 24;
constexpr std::uint32_t kGlucoseText = 26;
constexpr std::uint32_t kGlucoseFixed = 28;
}  // namespace rec

// The shortest record of any kind: the header and the end marker. Anything
// shorter cannot be real, and a zero length would stall a scan on one byte.
constexpr std::uint32_t kMinRecordLength = rec::kHeaderSize + 2;

// The shortest record of a kind: its fixed fields and the end marker. A
// shorter record would have its fields read from the bytes of the next one.
// Deleted records and kinds this program does not write need only a header.
constexpr std::uint32_t MinRecordLength(std::uint32_t kind) {
  switch (kind) {
    case kKindGeneric: return rec::kGenericFixed;
    case kKindWeight: return rec::kWeightFixed;
    case kKindCycle: return rec::kCycleFixed;
    case kKindBloodPressure: return rec::kPressureFixed;
    case kKindCholesterol: return rec::kCholesterolFixed;
    case kKindGlucose: return rec::kGlucoseFixed;
    default: return kMinRecordLength;
  }
}

// Size of the buffer in which a record is assembled before it is appended.
constexpr std::uint32_t kWorkRecordSize = 65000;

}  // namespace kal
