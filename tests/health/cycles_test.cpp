// Cycle prediction on stores built record by record, saved to a private file.
#include "health/cycles.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "store/packed_date.h"
#include "store/record_text.h"
#include "support/record_builder.h"
#include "support/test_support.h"

namespace kal {
namespace {

using test::Packed;

// Date order, then kind and category: all the order the prediction relies on.
class DateOrder final : public SortKeyBuilder {
 public:
  void AppendKey(const EventStore& s, std::uint32_t offset, std::string& out) const override {
    const auto date = static_cast<std::uint32_t>(Long(s.store, offset + rec::kDate));
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((date >> shift) & 0xFF);
    out += static_cast<char>(RecordKindAt(s, offset));
    out += static_cast<char>(Byte(s.store, offset + rec::kCategory));
  }
};

struct Cycle {
  std::int32_t date;
  int predicted, interval;
  std::string text;
  std::int32_t recordId, groupId;
};

struct CycleStore {
  CycleStore() {
    s.eventFile = dir.File("Event20.dat");
    LoadEvents(s);
  }
  void Enter(int category, std::int32_t date, const std::string& text = "Cycle", int predicted = 0) {
    const auto bytes = test::RecordBytes(kKindCycle, date, rec::kCycleFixed)
                           .Byte(rec::kCategory, category)
                           .Byte(rec::kPredicted, predicted)
                           .Long(rec::kGroupId, 40 + category)
                           .Long(rec::kRecordId, nextId++)
                           .Text(text)
                           .Finish();
    test::AppendTo(s, bytes);
  }
  void Predict() {
    ASSERT_TRUE(SaveEvents(s, DateOrder(), SilentHost()));
    ASSERT_TRUE(PredictCycles(s, DateOrder(), SilentHost()));
  }
  std::map<int, std::vector<Cycle>> ByCategory() const {
    std::map<int, std::vector<Cycle>> out;
    for (std::uint32_t i = 0; i < s.indexCount; ++i) {
      const std::uint32_t off = IndexOffset(s, i);
      if (RecordKindAt(s, off) != kKindCycle) continue;
      out[static_cast<int>(Byte(s.store, off + rec::kCategory))].push_back(
          Cycle{Long(s.store, off + rec::kDate), static_cast<int>(Byte(s.store, off + rec::kPredicted)),
                static_cast<int>(Byte(s.store, off + rec::kInterval)),
                RecordText(s, off, rec::kCycleText, rec::kCycleFixed), Long(s.store, off + rec::kRecordId),
                Long(s.store, off + rec::kGroupId)});
    }
    return out;
  }
  test::TempDir dir;
  EventStore s;
  std::int32_t nextId = 0;
};

std::int32_t DaysAfter(std::int32_t date, int days) {
  Ymd d = UnpackDate(date);
  for (int i = 0; i < days; ++i) NextDay(d);
  return PackDate(d);
}

// The entered cycles keep their dates and get the gaps as intervals; twelve
// predictions follow the last one at the rounded average of the last eleven
// gaps (a gap beyond a byte counting as unknown), titled like it.
TEST(PredictCycles, TwelvePredictionsAtTheAverageOfTheLastElevenGaps) {
  struct Case {
    const char* name;
    std::vector<int> gaps;  // days between consecutive entered cycles
    std::vector<int> intervals;
    int step;
  };
  const std::vector<Case> cases = {
      // 1 March, 30 March, 27 April, 26 May 2024: 86 / 3 = 28.67.
      {"worked example", {29, 28, 29}, {0, 29, 28, 29}, 29},
      {"one cycle", {}, {0}, kDefaultCycleLength},
      {"two cycles", {35}, {0, 35}, 35},
      // Thirteen cycles: the first gap falls out of the eleven (with it the
      // average would be 29.83, 30).
      {"thirteen cycles", {50, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28}, {0, 50, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28}, 28},
      // 300 days do not fit the byte: unknown, not 300 - 256 = 44.
      {"long pause", {30, 300, 30}, {0, 30, 0, 30}, 30},
      // 28 and 29 average 28.5: halves go to the even neighbour.
      {"half", {28, 29}, {0, 28, 29}, 28},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CycleStore cs;
    std::int32_t date = Packed(2024, 3, 1);
    cs.Enter(0, date, "Anna");
    for (int gap : c.gaps) cs.Enter(0, date = DaysAfter(date, gap), "Anna");
    cs.Predict();
    const auto cycles = cs.ByCategory()[0];
    ASSERT_EQ(cycles.size(), c.intervals.size() + kPredictionCount);
    std::set<std::int32_t> ids;
    for (std::size_t i = 0; i < cycles.size(); ++i) {
      SCOPED_TRACE(i);
      const Cycle& got = cycles[i];
      const bool predicted = i >= c.intervals.size();
      EXPECT_EQ(got.predicted, predicted ? 1 : 0);
      EXPECT_EQ(got.interval, predicted ? c.step : c.intervals[i]);
      EXPECT_EQ(got.text, "Anna");
      EXPECT_EQ(got.groupId, 40);
      EXPECT_TRUE(ids.insert(got.recordId).second) << "record ids are unique";
      if (predicted) {
        EXPECT_EQ(got.date, DaysAfter(cycles[i - 1].date, c.step));
      }
    }
    if (std::string(c.name) == "worked example") {
      EXPECT_EQ(cycles[4].date, Packed(2024, 6, 24));
    }
  }
}

TEST(PredictCycles, RunsAgainReplaceTheOldPredictionsAndKeepCategoriesApart) {
  CycleStore cs;
  cs.Enter(0, Packed(2024, 1, 1), "Anna");
  cs.Enter(0, Packed(2024, 2, 5), "Anna");
  cs.Enter(3, Packed(2024, 1, 10), "Bea");
  cs.Enter(3, Packed(2024, 2, 4), "Bea");
  // A stale prediction and a cycle of a category beyond the table stay out of it.
  cs.Enter(0, Packed(2024, 12, 1), "Old", 1);
  cs.Enter(20, Packed(2024, 1, 1), "Stray");
  cs.Predict();
  auto by = cs.ByCategory();
  ASSERT_EQ(by[0].size(), 2u + kPredictionCount);
  ASSERT_EQ(by[3].size(), 2u + kPredictionCount);
  EXPECT_EQ(by[0][2].date, Packed(2024, 3, 11));  // every 35 days
  EXPECT_EQ(by[3][2].date, Packed(2024, 2, 29));  // every 25 days
  EXPECT_EQ(by[3][2].text, "Bea");
  ASSERT_EQ(by[20].size(), 1u);
  EXPECT_EQ(by[20][0].interval, 0);

  // A cycle entered after the predictions moves them; a category whose cycles
  // are gone loses its predictions.
  cs.Enter(0, Packed(2024, 6, 1), "Anna");
  for (std::uint32_t i = 0; i < cs.s.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(cs.s, i);
    if (Byte(cs.s.store, off + rec::kCategory) == 3) DeleteRecord(cs.s, off);
  }
  cs.Predict();
  by = cs.ByCategory();
  EXPECT_TRUE(by[3].empty());
  ASSERT_EQ(by[0].size(), 3u + kPredictionCount);
  EXPECT_EQ(by[0][2].interval, 117);
  EXPECT_EQ(by[0][3].date, DaysAfter(Packed(2024, 6, 1), 76));  // (35 + 117) / 2
}

TEST(LatestCycleOf, TheLastEnteredCycleOfTheCategoryElseANewGroup) {
  CycleStore cs;
  cs.Enter(2, Packed(2024, 1, 1), "First");
  cs.Enter(2, Packed(2024, 2, 1), "Second");
  cs.Enter(2, Packed(2024, 3, 1), "Predicted", 1);
  cs.Enter(5, Packed(2024, 4, 1), "Other");
  ASSERT_TRUE(SaveEvents(cs.s, DateOrder(), SilentHost()));
  const LatestCycle two = LatestCycleOf(cs.s, 2);
  EXPECT_EQ(two.description, "Second");
  EXPECT_EQ(two.groupId, 42);
  const LatestCycle none = LatestCycleOf(cs.s, 7);
  EXPECT_EQ(none.description, "");
  EXPECT_EQ(none.groupId, NextGroupId(cs.s));
}

}  // namespace
}  // namespace kal
