#include "store/event_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kal {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::int32_t Date(int y, int m, int d) { return y * 65536 + m * 256 + d; }

struct Generic {
  std::int32_t date = Date(2024, 5, 5);
  std::string text = "Dentist";
  std::uint8_t startHour = 255;
  std::uint8_t startMinute = 0;
  std::uint8_t category = 0;
  std::uint8_t kind = kKindGeneric;
  std::uint32_t recordId = 0;
  std::uint32_t groupId = 0;
};

Bytes MakeGeneric(const Generic& g) {
  Bytes b(32 + g.text.size(), 0);
  Put32(b, 0, static_cast<std::uint32_t>(b.size()));
  b[4] = g.kind;
  b[5] = g.category;
  Put32(b, 8, static_cast<std::uint32_t>(g.date));
  Put32(b, 16, g.recordId);
  Put32(b, 20, g.groupId);
  b[26] = g.startHour;
  b[27] = g.startMinute;
  b[28] = 99;
  std::copy(g.text.begin(), g.text.end(), b.begin() + 30);
  b[b.size() - 2] = 0x31;
  b[b.size() - 1] = 0xD4;
  return b;
}

Bytes MakeCycle(std::int32_t date, std::uint8_t predicted, std::uint8_t interval, std::uint32_t id) {
  const std::string text = "Cycle";
  Bytes b(32 + text.size(), 0);
  Put32(b, 0, static_cast<std::uint32_t>(b.size()));
  b[4] = kKindCycle;
  Put32(b, 8, static_cast<std::uint32_t>(date));
  Put32(b, 16, id);
  Put32(b, 20, id);
  b[24] = predicted;
  b[25] = interval;
  std::copy(text.begin(), text.end(), b.begin() + 30);
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

class EventFileTest : public ::testing::Test {
 protected:
  void SetUp() override { store.eventFile = dir.File("Event20.dat"); }
  void Load(const Bytes& bytes) {
    test::WriteAll(store.eventFile, bytes);
    LoadEvents(store);
  }
  Bytes SaveAndRead() {
    EXPECT_TRUE(SaveEvents(store, units, host));
    return test::ReadAll(store.eventFile);
  }
  test::TempDir dir;
  EventStore store;
  UnitModes units;
  RecordingHost host;
};

TEST_F(EventFileTest, MissingOrEmptyFileGivesEmptyStoreAndZeroIds) {
  LoadEvents(store);
  EXPECT_EQ(store.storeSize, 0u);
  EXPECT_TRUE(store.store.empty());
  EXPECT_EQ(store.indexCount, 0u);
  EXPECT_EQ(NextRecordId(store), 0);
  EXPECT_EQ(NextGroupId(store), 0);
  Load({});
  EXPECT_EQ(store.storeSize, 0u);
  EXPECT_TRUE(store.index.empty());
}

TEST_F(EventFileTest, DamageIsSkippedAndTruncatedTailDroppedAtNextSave) {
  const Bytes a = MakeGeneric({.date = Date(2024, 1, 2), .text = "First", .recordId = 7, .groupId = 3});
  const Bytes b = MakeGeneric({.date = Date(2024, 1, 3), .text = "Second", .recordId = 8, .groupId = 4});
  Bytes cut = MakeGeneric({.date = Date(2024, 1, 4), .text = "Cut short"});
  cut.resize(cut.size() - 5);
  const Bytes garbage = {1, 2, 3, 0x31, 0xD4, 0, 0, 0, 0};  // includes a stray end marker
  Load(Concat({a, garbage, b, cut}));

  ASSERT_EQ(store.indexCount, 2u);
  EXPECT_EQ(IndexOffset(store, 0), 0u);
  EXPECT_EQ(IndexOffset(store, 1), a.size() + garbage.size());
  EXPECT_EQ(IndexDate(store, 1), Date(2024, 1, 3));
  EXPECT_EQ(NextRecordId(store), 9);
  EXPECT_EQ(NextGroupId(store), 5);
  EXPECT_EQ(SaveAndRead(), Concat({a, b}));
}

TEST_F(EventFileTest, ZeroOrTinyLengthsDoNotStallTheScan) {
  const Bytes a = MakeGeneric({.text = "Real"});
  Bytes junk(12, 0);  // length 0, then a length that points back onto a marker
  junk[8] = 2;
  Load(Concat({a, junk, a}));
  EXPECT_EQ(store.indexCount, 2u);
}

TEST_F(EventFileTest, DeletedRecordIsIndexedButNotWritten) {
  const Bytes live = MakeGeneric({.text = "Live"});
  const Bytes gone = MakeGeneric({.text = "Gone", .kind = kKindDeleted, .recordId = 40});
  Load(Concat({gone, live}));
  EXPECT_EQ(store.indexCount, 2u);
  EXPECT_EQ(NextRecordId(store), 41);  // deleted records still count for ids
  EXPECT_EQ(SaveAndRead(), live);
}

TEST_F(EventFileTest, SortsByDateThenTimedBeforeUntimedThenKindThenText) {
  const Bytes untimed = MakeGeneric({.date = Date(2024, 5, 5), .text = "all day"});
  const Bytes timed = MakeGeneric({.date = Date(2024, 5, 5), .text = "zzz", .startHour = 9, .startMinute = 30});
  const Bytes early = MakeGeneric({.date = Date(2023, 12, 31), .text = "Old year"});
  const Bytes cycle = MakeCycle(Date(2024, 5, 5), 0, 0, 1);
  const Bytes textB = MakeGeneric({.date = Date(2024, 5, 6), .text = "banana"});
  const Bytes textA = MakeGeneric({.date = Date(2024, 5, 6), .text = "Apple"});
  Load(Concat({cycle, untimed, textB, timed, textA, early}));
  EXPECT_EQ(SaveAndRead(), Concat({early, timed, untimed, cycle, textA, textB}));
  EXPECT_TRUE(store.indexSorted);
  EXPECT_EQ(store.indexCount, 6u);
}

TEST_F(EventFileTest, DuplicatesDifferingOnlyInIdsKeepTheFirstInSortedOrder) {
  const Bytes first = MakeGeneric({.text = "Meeting", .recordId = 1, .groupId = 1});
  const Bytes twin = MakeGeneric({.text = "Meeting", .recordId = 2, .groupId = 9});
  Load(Concat({first, twin}));
  EXPECT_EQ(SaveAndRead(), first);
}

TEST_F(EventFileTest, DuplicateHiddenBehindEqualKeyRecordIsRemoved) {
  // Same sort key, but the middle record differs in its category byte, so a
  // neighbour-only comparison never sees the two twins side by side.
  const Bytes a = MakeGeneric({.text = "Rent", .category = 2, .recordId = 1});
  const Bytes other = MakeGeneric({.text = "Rent", .category = 5, .recordId = 2});
  const Bytes twin = MakeGeneric({.text = "Rent", .category = 2, .recordId = 3});
  Load(Concat({a, other, twin}));
  EXPECT_EQ(SaveAndRead(), Concat({a, other}));
}

TEST_F(EventFileTest, CyclesDifferingInPredictionAndIntervalAreDuplicates) {
  const Bytes entered = MakeCycle(Date(2024, 3, 1), 0, 28, 1);
  const Bytes otherInterval = MakeCycle(Date(2024, 3, 1), 0, 30, 2);
  const Bytes predicted = MakeCycle(Date(2024, 3, 1), 1, 28, 3);
  Load(Concat({predicted, otherInterval, entered}));
  // "cycle" sorts before "cycle [predicted]". Both unpredicted cycles move in
  // front of the predicted one, the later in file order ahead of the earlier;
  // the predicted twin then directly follows the survivor and goes too.
  EXPECT_EQ(SaveAndRead(), entered);
}

TEST_F(EventFileTest, LetterCaseDoesNotOrderEqualKeys) {
  const Bytes upper = MakeGeneric({.text = "LUNCH", .recordId = 1});
  const Bytes lower = MakeGeneric({.text = "lunch", .recordId = 2});
  Load(Concat({upper, lower}));
  EXPECT_EQ(RecordSortKey(store, 0, units), RecordSortKey(store, static_cast<std::uint32_t>(upper.size()), units));
  EXPECT_EQ(SaveAndRead(), Concat({upper, lower}));
  Load(Concat({lower, upper}));
  EXPECT_EQ(SaveAndRead(), Concat({lower, upper}));
}

TEST_F(EventFileTest, AppendAndDeleteThenSave) {
  Load(MakeGeneric({.text = "Old", .recordId = 4}));
  const Bytes added = MakeGeneric({.date = Date(2025, 1, 1), .text = "New", .recordId = 5});
  AppendRecordBytes(store, added.data(), static_cast<std::uint32_t>(added.size()));
  DeleteRecord(store, 0);
  EXPECT_EQ(store.indexCount, 1u);  // appending does not index
  EXPECT_EQ(NextRecordId(store), 6);
  EXPECT_EQ(SaveAndRead(), added);
  EXPECT_EQ(store.indexCount, 1u);
}

TEST_F(EventFileTest, WorkRecordDefaultsForANewGenericEvent) {
  PrepareWorkRecord(store, kKindGeneric, 3, Date(2024, 2, 29));
  AppendRecord(store);
  const Bytes expected = [] {
    Bytes b = MakeGeneric({.date = Date(2024, 2, 29), .text = "", .category = 3});
    return b;
  }();
  ASSERT_EQ(store.storeSize, expected.size());
  EXPECT_EQ(Bytes(store.store.data(), store.store.data() + store.storeSize), expected);
}

TEST_F(EventFileTest, FailedSaveKeepsOldFileAndRecordsAndReports) {
  const Bytes a = MakeGeneric({.text = "Keep me"});
  Load(a);
  const Bytes added = MakeGeneric({.text = "Also keep me", .recordId = 1});
  AppendRecordBytes(store, added.data(), static_cast<std::uint32_t>(added.size()));

  // A file where the folder should be: creating the temporary file fails even for root.
  const std::string blocker = dir.File("blocker");
  test::WriteAll(blocker, {1});
  const std::string good = store.eventFile;
  store.eventFile = blocker + "/Event20.dat";
  EXPECT_FALSE(SaveEvents(store, units, host));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0].rfind("Could not save events", 0), 0u);
  EXPECT_EQ(store.storeSize, a.size() + added.size());  // nothing reloaded over the records
  EXPECT_EQ(test::ReadAll(good), a);

  store.eventFile = good;
  EXPECT_EQ(SaveAndRead(), Concat({added, a}));  // "also ..." sorts first
}

TEST_F(EventFileTest, ProgressCaptionsOfBothPhases) {
  Load(Concat({MakeGeneric({.text = "b"}), MakeGeneric({.text = "a"})}));
  SaveAndRead();
  ASSERT_FALSE(host.captions.empty());
  EXPECT_EQ(host.captions.front(), "Sorting Events");
  EXPECT_EQ(host.captions.back(), "Removing Duplicates");
}

// The historical binary insertion sort and neighbour de-duplication, written
// out step by step, serve as the oracle for the fast save.
std::vector<std::uint32_t> ReferenceOrder(const EventStore& s, const std::vector<std::uint32_t>& offs,
                                          const UnitModes& units) {
  std::vector<std::uint32_t> list = offs;
  auto key = [&](std::uint32_t off) { return RecordSortKey(s, off, units); };
  const std::size_t n = list.size();
  for (std::size_t i = 1; i < n; ++i) {
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

TEST(EventFileOracle, RandomFilesMatchInsertionSortAndFullDeduplication) {
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
      Generic g;
      g.date = Date(2024, 1, 1 + static_cast<int>(rng() % 3));
      g.text = texts[rng() % 5];
      g.category = static_cast<std::uint8_t>(rng() % 2);
      g.startHour = (rng() % 3 == 0) ? 9 : 255;
      g.recordId = static_cast<std::uint32_t>(i);
      const Bytes b = MakeGeneric(g);
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
      const std::uint32_t len = RecordLength(s, sorted[k]);
      expected.insert(expected.end(), s.store.data() + sorted[k], s.store.data() + sorted[k] + len);
    }
    ASSERT_TRUE(SaveEvents(s, units, SilentHost()));
    ASSERT_EQ(test::ReadAll(s.eventFile), expected) << "round " << round;
  }
}

}  // namespace
}  // namespace kal
