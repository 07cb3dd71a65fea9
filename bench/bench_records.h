// A realistic 100,000-record event file for the benchmarks that read one.
//
// Mixed record kinds over 40 years: repeating events as groups of 150,
// one-time events, daily health readings, and about a dozen entries a day in
// the five weeks from kShownSunday, so that those weeks are densely packed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_dates.h"
#include "store/event_record.h"
#include "store/event_store.h"

namespace kal::bench {

using Bytes = std::vector<std::uint8_t>;

inline void Put(Bytes& b, std::size_t at, std::uint32_t v, int width) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline Bytes Record(std::uint8_t kind, std::uint32_t fixed, std::uint32_t textAt, const std::string& text, std::int32_t date,
             std::uint32_t id, std::uint32_t group, std::uint8_t category) {
  Bytes b(fixed + text.size(), 0);
  Put(b, 0, static_cast<std::uint32_t>(b.size()), 4);
  b[4] = kind;
  b[5] = category;
  Put(b, 8, static_cast<std::uint32_t>(date), 4);
  Put(b, 16, id, 4);
  Put(b, 20, group, 4);
  std::copy(text.begin(), text.end(), b.begin() + textAt);
  Put(b, b.size() - 2, kal::kEndMarker, 2);
  return b;
}

inline const char* const kTitles[] = {
    "Dentist",       "Team meeting", "Pay rent",           "Birthday party", "Call mum",     "Gym",
    "Recycling day", "Doctor",       "Anniversary dinner", "Project review", "Piano lesson", "Parent-teacher evening"};

inline Bytes Generic(std::mt19937& rng, std::int32_t date, std::uint32_t id, std::uint32_t group, int years) {
  std::string text = kTitles[rng() % 12];
  if (rng() % 4 == 0) text += " - bring the forms, the blue folder and the spare keys for the neighbours";
  Bytes r = Record(kal::kKindGeneric, kal::rec::kGenericFixed, kal::rec::kGenericText, text, date, id, group,
                   static_cast<std::uint8_t>(rng() % 12));
  r[kal::rec::kYearCount] = static_cast<std::uint8_t>(years);
  const bool timed = rng() % 2 != 0;
  r[kal::rec::kStartHour] = timed ? static_cast<std::uint8_t>(7 + rng() % 12) : 255;
  r[kal::rec::kStartMinute] = static_cast<std::uint8_t>((rng() % 4) * 15);
  r[kal::rec::kEndHour] = timed && rng() % 2 ? static_cast<std::uint8_t>(r[kal::rec::kStartHour] + 1) : 99;
  return r;
}

inline Bytes Health(std::mt19937& rng, std::int32_t date, std::uint32_t id) {
  const auto cat = static_cast<std::uint8_t>(rng() % 3);
  switch (rng() % 5) {
    case 0: {
      Bytes r = Record(kal::kKindWeight, kal::rec::kWeightFixed, kal::rec::kWeightText, "Morning", date, id, id, cat);
      Put(r, kal::rec::kWeight, 60000 + rng() % 40000, 4);
      Put(r, kal::rec::kHeight, 1600 + rng() % 300, 2);
      return r;
    }
    case 1: {
      Bytes r = Record(kal::kKindBloodPressure, kal::rec::kPressureFixed, kal::rec::kPressureText,
                       std::string("Home\0After the walk\0", 21), date, id, id, cat);
      Put(r, kal::rec::kSystolic, 110 + rng() % 40, 2);
      Put(r, kal::rec::kDiastolic, 70 + rng() % 20, 2);
      return r;
    }
    case 2: {
      Bytes r =
          Record(kal::kKindGlucose, kal::rec::kGlucoseFixed, kal::rec::kGlucoseText, "Fasting", date, id, id, cat);
      Put(r, kal::rec::kGlucose, 80 + rng() % 60, 2);
      return r;
    }
    case 3: {
      Bytes r = Record(kal::kKindCholesterol, kal::rec::kCholesterolFixed, kal::rec::kCholesterolText, "Lab", date, id,
                       id, cat);
      Put(r, kal::rec::kTotal, 150 + rng() % 100, 2);
      return r;
    }
    default: {
      Bytes r = Record(kal::kKindCycle, kal::rec::kCycleFixed, kal::rec::kCycleText, "Period", date, id, id, cat);
      r[kal::rec::kPredicted] = static_cast<std::uint8_t>(rng() % 2);
      return r;
    }
  }
}

// A private folder for the files a benchmark writes, removed at exit.
struct BenchFolder {
  std::filesystem::path dir;
  BenchFolder() {
    dir = std::filesystem::temp_directory_path() / ("kalendrina-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
  }
  ~BenchFolder() { std::filesystem::remove_all(dir); }
  std::string File(const std::string& name) const { return (dir / name).string(); }
};

inline BenchFolder& Dir() {
  static BenchFolder folder;
  return folder;
}

inline constexpr kal::PackedDate kShownSunday = 2024 * 65536 + 4 * 256 + 28;

// 100,000 records: groups of 150 (weekly, monthly, yearly with year counts),
// one-time events and health readings over 1990-2029, and about a dozen
// entries a day in the five shown weeks.
inline void FillStore(kal::EventStore& s) {
  std::mt19937 rng(11);
  std::uint32_t id = 1;
  std::uint32_t group = 1;
  auto add = [&](const Bytes& r) { kal::AppendRecordBytes(s, r.data(), static_cast<std::uint32_t>(r.size())); };

  for (int g = 0; g < 300; ++g, ++group) {
    kal::Ymd d = RandomDay(rng);
    const int step = static_cast<int>(rng() % 3);  // 0 weekly, 1 monthly, 2 yearly
    for (int k = 0; k < 150; ++k, ++id) {
      add(Generic(rng, kal::PackDate(d), id, group, step == 2 ? k : 0));
      if (step == 0) {
        for (int i = 0; i < 7; ++i) kal::NextDay(d);
      } else if (step == 1) {
        d.month = d.month % 12 + 1;
        d.year += d.month == 1;
      } else {
        ++d.year;
      }
    }
  }
  kal::Ymd shown = kal::UnpackDate(kShownSunday);
  for (int day = 0; day < 35; ++day, kal::NextDay(shown)) {
    for (int k = 0; k < 12; ++k, ++id) {
      add(k % 3 == 0 ? Health(rng, kal::PackDate(shown), id) : Generic(rng, kal::PackDate(shown), id, group++, 0));
    }
  }
  while (id <= 100000) {
    const kal::Ymd d = RandomDay(rng);
    add(rng() % 3 == 0 ? Generic(rng, kal::PackDate(d), id, group++, 0) : Health(rng, kal::PackDate(d), id));
    ++id;
  }
}

}  // namespace kal::bench
