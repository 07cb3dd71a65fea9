// Menstrual cycles per person (category) and their prediction.
//
// Entered cycles are kind-4 records with the predicted byte 0; the prediction
// writes, for every category with at least one entered cycle, twelve records
// with the predicted byte 1, spaced by the rounded average of the last eleven
// intervals between entered cycles. Predicted cycles are thrown away and
// written anew at every run, so nothing else may change them.
//
// Both functions read the store through the EventIndex, which must be
// current (it is after every load and save); PredictCycles ends with a save,
// after which every offset the caller held is stale.
#pragma once

#include <cstdint>
#include <string>

#include "store/event_store.h"
#include "store/host.h"

namespace kal {

inline constexpr int kPredictionCount = 12;
inline constexpr int kDefaultCycleLength = 28;
inline constexpr int kCycleHistorySlots = 11;
// The interval byte holds at most this many days. A longer gap (a pause of
// many months) is stored as 0, unknown, and counts for nothing in the
// average: keeping only its low eight bits would pass a 300-day gap off as a
// 44-day cycle.
inline constexpr std::int32_t kLongestInterval = 255;

struct LatestCycle {
  std::int32_t groupId = 0;
  std::string description;
};

// The group id and description of the category's last entered cycle in file
// order; without one, a new group id and the empty text.
LatestCycle LatestCycleOf(const EventStore& s, int category);

// Recomputes the interval bytes of all entered cycles, deletes every
// predicted cycle and appends the new predictions, without saving. Touches
// only categories 0 to kCategoryCount - 1.
void RecomputeCycles(EventStore& s);
// RecomputeCycles, then SaveEvents; false when the save failed.
bool PredictCycles(EventStore& s, const SortKeyBuilder& keys, Host& host);

}  // namespace kal
