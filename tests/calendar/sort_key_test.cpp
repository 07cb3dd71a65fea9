#include "calendar/sort_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "store/event_store.h"
#include "support/test_support.h"

namespace kal {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Years past 32767 wrap to negative packed dates; the bits are what matter.
std::int32_t Date(int y, int m, int d) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(y) << 16) + (static_cast<std::uint32_t>(m) << 8) +
                                   static_cast<std::uint32_t>(d));
}

struct Rec {
  std::int32_t date = Date(2024, 5, 5);
  std::string text = "Dentist";
  std::uint8_t startHour = 255;
  std::uint8_t category = 0;
  std::uint8_t kind = kKindGeneric;
  std::uint32_t recordId = 0;
  std::uint32_t groupId = 0;
  std::uint8_t predicted = 0;  // cycles only, like the interval
  std::uint8_t interval = 0;
};

// Written byte by byte, independent of the code under test.
Bytes Make(const Rec& r) {
  Bytes b(32 + r.text.size(), 0);
  auto put32 = [&b](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put32(0, static_cast<std::uint32_t>(b.size()));
  b[4] = r.kind;
  b[5] = r.category;
  put32(8, static_cast<std::uint32_t>(r.date));
  put32(16, r.recordId);
  put32(20, r.groupId);
  b[24] = r.predicted;
  b[25] = r.interval;
  b[26] = r.startHour;
  b[28] = 99;
  std::copy(r.text.begin(), r.text.end(), b.begin() + 30);
  b[b.size() - 2] = 0x31;
  b[b.size() - 1] = 0xD4;
  return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class RecordingHost : public Host {
 public:
  void ReportError(const std::string& message) override { errors.push_back(message); }
  void ShowProgress(std::string_view caption, std::uint32_t done, std::uint32_t total) override {
    captions.emplace_back(caption);
    EXPECT_LE(done, total);
  }
  std::vector<std::string> errors;
  std::vector<std::string> captions;
};

class SaveOrderTest : public ::testing::Test {
 protected:
  void SetUp() override { store.eventFile = dir.File("Event20.dat"); }
  void Load(const Bytes& bytes) {
    test::WriteAll(store.eventFile, bytes);
    LoadEvents(store);
  }
  Bytes SaveAndRead() {
    EXPECT_TRUE(SaveEvents(store, RecordSortKeys(units), host));
    return test::ReadAll(store.eventFile);
  }
  test::TempDir dir;
  EventStore store;
  UnitModes units;
  RecordingHost host;
};

TEST_F(SaveOrderTest, SortsByDateThenTimedBeforeUntimedThenKindThenTextIgnoringCase) {
  const Bytes untimed = Make({.text = "all day"});
  const Bytes timed = Make({.text = "zzz", .startHour = 9});
  const Bytes early = Make({.date = Date(2023, 12, 31), .text = "Old year"});
  const Bytes cycle = Make({.text = "Cycle", .kind = kKindCycle, .recordId = 1});
  const Bytes textB = Make({.date = Date(2024, 5, 6), .text = "banana"});
  const Bytes textA = Make({.date = Date(2024, 5, 6), .text = "Apple"});
  Load(Concat({cycle, untimed, textB, timed, textA, early}));
  EXPECT_EQ(SaveAndRead(), Concat({early, timed, untimed, cycle, textA, textB}));
  EXPECT_TRUE(store.indexSorted);
  EXPECT_EQ(store.indexCount, 6u);
  ASSERT_FALSE(host.captions.empty());
  EXPECT_EQ(host.captions.front(), "Sorting Events");
  EXPECT_EQ(host.captions.back(), "Removing Duplicates");

  // Two keys equal but for letter case keep their file order either way round.
  const Bytes upper = Make({.text = "LUNCH", .recordId = 1});
  const Bytes lower = Make({.text = "lunch", .recordId = 2});
  Load(Concat({upper, lower}));
  EXPECT_EQ(SaveAndRead(), Concat({upper, lower}));
  Load(Concat({lower, upper}));
  EXPECT_EQ(SaveAndRead(), Concat({lower, upper}));
}

TEST_F(SaveOrderTest, DuplicatesKeepTheFirstEvenBehindAnEqualKeyRecord) {
  // Twins differing only in their ids, with a record of the same sort key but
  // another category between them: a neighbour-only comparison misses them.
  const Bytes a = Make({.text = "Rent", .category = 2, .recordId = 1, .groupId = 1});
  const Bytes other = Make({.text = "Rent", .category = 5, .recordId = 2});
  Load(Concat({a, other, Make({.text = "Rent", .category = 2, .recordId = 3, .groupId = 9})}));
  EXPECT_EQ(SaveAndRead(), Concat({a, other}));

  // Cycles differing in prediction and interval are twins too. "cycle" sorts
  // before "cycle [predicted]": both unpredicted ones move in front, the later
  // in file order first; the predicted twin then follows the survivor and goes.
  auto cycle = [](std::uint8_t predicted, std::uint8_t interval, std::uint32_t id) {
    return Make({.date = Date(2024, 3, 1), .text = "Cycle", .kind = kKindCycle, .recordId = id, .groupId = id,
                 .predicted = predicted, .interval = interval});
  };
  Load(Concat({cycle(1, 28, 3), cycle(0, 30, 2), cycle(0, 28, 1)}));
  EXPECT_EQ(SaveAndRead(), cycle(0, 28, 1));
}

TEST_F(SaveOrderTest, YearsBeyond9999LoadAndSaveWithoutLoss) {
  // Year 65535 makes the packed date negative as a signed number.
  const std::vector<Bytes> records = {Make({.date = Date(10000, 1, 1), .text = "Far"}),
                                      Make({.date = Date(65535, 12, 31), .text = "Farthest", .recordId = 1}),
                                      Make({.date = Date(9999, 12, 31), .text = "Last", .recordId = 2}),
                                      Make({.date = Date(2024, 1, 1), .text = "Now", .recordId = 3})};
  Load(Concat({records[0], records[1], records[2], records[3]}));
  ASSERT_EQ(store.indexCount, 4u);
  const Bytes first = SaveAndRead();
  EXPECT_EQ(store.indexCount, 4u);
  std::vector<Bytes> saved;
  for (std::uint32_t i = 0; i < store.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(store, i);
    saved.emplace_back(store.store.data() + off, store.store.data() + off + RecordLength(store, off));
  }
  std::vector<Bytes> expected = records;
  // Ordered by record id, which each record has its own of (comparing whole
  // byte vectors makes GCC 12 at -O3 warn of a false over-read).
  const auto id = [](const Bytes& b) {
    return b[rec::kRecordId] | b[rec::kRecordId + 1] << 8 | b[rec::kRecordId + 2] << 16 | b[rec::kRecordId + 3] << 24;
  };
  const auto byId = [&](const Bytes& a, const Bytes& b) { return id(a) < id(b); };
  std::sort(saved.begin(), saved.end(), byId);
  std::sort(expected.begin(), expected.end(), byId);
  EXPECT_EQ(saved, expected);
  EXPECT_EQ(SaveAndRead(), first);
}

// The historical binary insertion sort and neighbour de-duplication, written
// out step by step, serve as the oracle for the fast save.
std::vector<std::uint32_t> ReferenceOrder(const EventStore& s, std::vector<std::uint32_t> list,
                                          const UnitModes& units) {
  auto key = [&](std::uint32_t off) { return RecordSortKey(s, off, units); };
  for (std::size_t i = 1; i < list.size(); ++i) {
    const std::string ki = key(list[i]);
    if (key(list[i - 1]) <= ki) continue;
    std::size_t lo = 0, hi = i - 1;
    std::size_t mid = static_cast<std::size_t>(std::nearbyint((hi - lo) / 2.0)) + lo;
    while (mid != lo) {
      if (ki >= key(list[mid])) lo = mid; else hi = mid;
      mid = (hi - lo) / 2 + lo;
    }
    const std::size_t pos = key(list[lo]) < ki ? lo + 1 : lo;
    const std::uint32_t moving = list[i];
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), moving);
  }
  return list;
}

TEST(SaveOrderOracle, RandomFilesMatchInsertionSortAndFullDeduplication) {
  std::mt19937 rng(12345);
  const char* texts[] = {"Dentist", "dentist", "Rent", "Gym", "gym"};
  for (int round = 0; round < 60; ++round) {
    test::TempDir dir;
    EventStore s;
    s.eventFile = dir.File("Event20.dat");
    UnitModes units;
    Bytes file;
    const int count = 2 + static_cast<int>(rng() % 25);
    for (int i = 0; i < count; ++i) {
      Rec r;
      r.date = Date(2024, 1, 1 + static_cast<int>(rng() % 3));
      r.text = texts[rng() % 5];
      r.category = static_cast<std::uint8_t>(rng() % 2);
      r.startHour = (rng() % 3 == 0) ? 9 : 255;
      r.recordId = static_cast<std::uint32_t>(i);
      const Bytes b = Make(r);
      file.insert(file.end(), b.begin(), b.end());
    }
    test::WriteAll(s.eventFile, file);
    LoadEvents(s);
    std::vector<std::uint32_t> offs;
    for (std::uint32_t i = 0; i < s.indexCount; ++i) offs.push_back(IndexOffset(s, i));
    const auto sorted = ReferenceOrder(s, offs, units);
    // The neighbour pass exactly as it always ran, then every twin left inside
    // a run of equal keys.
    std::vector<bool> dropped(sorted.size(), false);
    for (std::size_t a = 0, b = 1; sorted.size() > 1 && a < sorted.size() - 1;) {
      if (b > sorted.size() - 1) {
        ++a;
        b = a + 1;
      } else if (!dropped[a] && IsDuplicateRecord(s, sorted[a], sorted[b])) {
        dropped[b] = true;
        ++b;
      } else {
        ++a;
        b = a + 1;
      }
    }
    Bytes expected;
    for (std::size_t k = 0; k < sorted.size(); ++k) {
      for (std::size_t j = 0; j < k && !dropped[k]; ++j) {
        if (!dropped[j] && RecordSortKey(s, sorted[j], units) == RecordSortKey(s, sorted[k], units) &&
            IsDuplicateRecord(s, sorted[j], sorted[k])) {
          dropped[k] = true;
        }
      }
      if (dropped[k]) continue;
      expected.insert(expected.end(), s.store.data() + sorted[k], s.store.data() + sorted[k] + RecordLength(s, sorted[k]));
    }
    ASSERT_TRUE(SaveEvents(s, RecordSortKeys(units), SilentHost()));
    ASSERT_EQ(test::ReadAll(s.eventFile), expected) << "round " << round;
  }
}

}  // namespace
}  // namespace kal
