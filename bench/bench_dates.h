// Dates shared by the benchmarks that build realistic event files.
#pragma once

#include <random>

#include "calendar/dates.h"

namespace kal::bench {

// A real day between 1990 and 2029.
inline Ymd RandomDay(std::mt19937& rng) {
  const int year = 1990 + static_cast<int>(rng() % 40);
  const int month = 1 + static_cast<int>(rng() % 12);
  return {year, month, 1 + static_cast<int>(rng() % static_cast<unsigned>(DaysInMonth(year, month)))};
}

}  // namespace kal::bench
