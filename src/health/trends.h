// The readings of one person (category) of one kind over time, for the trend
// charts: weight, systolic and diastolic pressure, glucose.
//
// A TrendSeries is a plain copy taken from the store; it stays valid after
// the store is saved or reloaded.
#pragma once

#include <cstdint>
#include <vector>

#include "store/event_store.h"

namespace kal {

struct TrendPoint {
  std::int32_t day = 0;  // days since 1 January of year 0 (DayNumber)
  std::int32_t date = 0;  // the packed date
  double value = 0;       // grams, systolic or glucose
  double second = 0;      // diastolic; 0 for the other kinds
};

struct TrendSeries {
  std::uint32_t kind = 0;
  int category = 0;
  std::vector<TrendPoint> points;  // in date order; same-day readings in file order
};

// Whether a kind has a trend chart (weight, blood pressure, glucose).
bool HasTrend(std::uint32_t kind);

// Every live record of the kind and category with a reading above 0.
TrendSeries CollectTrend(const EventStore& s, std::uint32_t kind, int category);

// A day count that grows by one from each day to the next, for spacing dates
// on an axis; impossible dates count as the day their fields name.
std::int32_t DayNumber(std::int32_t packedDate);
// The packed date of a day number.
std::int32_t DateOfDayNumber(std::int32_t day);

// The mean of each value and the up to `window - 1` values before it.
std::vector<double> MovingAverage(const std::vector<double>& values, std::size_t window);

}  // namespace kal
