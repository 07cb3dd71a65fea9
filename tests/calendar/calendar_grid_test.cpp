#include "calendar/calendar_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "support/record_builder.h"
#include "support/test_support.h"

namespace kal {
namespace {

using test::Packed;
using test::RecordBytes;

// Every character 7 pixels wide, one 15-pixel line: wrapping becomes arithmetic.
class FixedWidthText : public TextRenderer {
 public:
  TextExtent Measure(const FontDescription& font, std::string_view text) override {
    ++calls;
    lastFont = font;
    return TextExtent{7 * static_cast<int>(text.size()), 15};
  }
  void Layout(const FontDescription&, std::string_view, const std::function<void(const PlacedGlyph&)>&) override {}
  bool FontInstalled(std::string_view) override { return true; }
  int calls = 0;
  FontDescription lastFont;
};

class ScriptedHost : public Host {
 public:
  explicit ScriptedHost(std::vector<int> answers) : answers_(std::move(answers)) {}
  int Ask(const std::string& message, const std::string& buttons) override {
    asked.push_back(message + "#" + buttons);
    if (answers_.empty()) return 0;
    const int a = answers_.front();
    answers_.erase(answers_.begin());
    return a;
  }
  void ReportError(const std::string& message) override { errors.push_back(message); }
  std::vector<std::string> asked;
  std::vector<std::string> errors;

 private:
  std::vector<int> answers_;
};

std::vector<std::uint8_t> Generic(std::int32_t date, std::string_view text, std::int32_t id, std::int32_t group,
                                  int category = 0, RecordKind kind = kKindGeneric) {
  return RecordBytes(kind, date, rec::kGenericFixed)
      .Byte(rec::kCategory, static_cast<std::uint8_t>(category))
      .Long(rec::kRecordId, static_cast<std::uint32_t>(id))
      .Long(rec::kGroupId, static_cast<std::uint32_t>(group))
      .Byte(rec::kStartHour, 255)
      .Byte(rec::kEndHour, 99)
      .Text(text)
      .Finish();
}

// An event file made of the records in the order given, loaded into a store.
class GridFixture : public ::testing::Test {
 protected:
  void SetUp() override { BuildCategoryTable(categories, "Work|Home"); }

  void Load(EventStore& s, const std::vector<std::vector<std::uint8_t>>& records, const std::string& name) {
    std::vector<std::uint8_t> bytes;
    for (const auto& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
    s.eventFile = dir.File(name);
    test::WriteAll(s.eventFile, bytes);
    LoadEvents(s);
  }

  void Build(const EventStore& s, int rows, Rect area, PackedDate first) {
    BuildCalendarGrid(grid, s, categories, units, text, rows, area, first);
  }

  std::vector<const GridItem*> DayCells() const {
    std::vector<const GridItem*> out;
    for (const GridItem& item : grid.items)
      if (item.IsDayCell()) out.push_back(&item);
    return out;
  }
  std::vector<std::string> EntriesOf(std::string_view dayKey) const {
    std::vector<std::string> out;
    for (const GridItem& item : grid.items)
      if (!item.IsDayCell() && item.key.compare(0, 12, dayKey) == 0) out.push_back(item.key.substr(12));
    return out;
  }

  test::TempDir dir;
  CategoryTable categories;
  UnitModes units;
  FixedWidthText text;
  CalendarGrid grid;
};

// 28 April 2024 is a Sunday; five weeks run to 1 June.
const PackedDate kApril28 = Packed(2024, 4, 28);
// Cells of 100 pixels (704 / 7 rounded down), 502 pixels of height.
constexpr Rect kArea{20, 10, 724, 512};

TEST(DayKeys, AreTwelveCharactersEndingInNines) {
  EXPECT_EQ(DayKey(2024, 5, 5), "202405059999");
  EXPECT_EQ(DayKey(987, 12, 31), "098712319999");
  EXPECT_EQ(DayKey(12024, 1, 2).size(), 12u);
  EXPECT_EQ(DayCellColour(5), Rgb(255, 255, 255));
  EXPECT_EQ(DayCellColour(4), Rgb(230, 230, 230));
}

TEST(WrapText, BreaksLongWordsBetweenCharactersAndKeepsTheSpaceAtABreak) {
  FixedWidthText t;
  std::vector<std::string> lines;
  std::vector<std::pair<int, int>> at;
  auto draw = [&](int x, int y, std::string_view line) {
    lines.emplace_back(line);
    at.emplace_back(x, y);
  };

  // 13 characters measure 91 < 92; the 14th reaches the width.
  EXPECT_EQ(WrapText(t, WrapMode::kDraw, 5, 40, 92, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", draw), 32);
  EXPECT_EQ(lines, (std::vector<std::string>{"ABCDEFGHIJKLM", "NOPQRSTUVWXYZ"}));
  EXPECT_EQ(at, (std::vector<std::pair<int, int>>{{5, 40}, {5, 55}}));
  EXPECT_EQ(t.lastFont, (FontDescription{"Arial", 15, 400, false}));

  lines.clear();
  EXPECT_EQ(WrapText(t, WrapMode::kDraw, 0, 0, 92, "Hello world again and again", draw), 47);
  EXPECT_EQ(lines, (std::vector<std::string>{"Hello world ", "again and ", "again"}));

  // Reaching the width exactly already breaks.
  EXPECT_EQ(WrapText(t, WrapMode::kMeasure, 0, 0, 91, "ABCDEFGHIJKLM"), 32);
  EXPECT_EQ(WrapText(t, WrapMode::kMeasure, 0, 0, 92, "ABCDEFGHIJKLM"), 17);
  // A space right at the break point ends the line with it.
  lines.clear();
  WrapText(t, WrapMode::kDraw, 0, 0, 92, "ABCDEFGHIJKLM NOP", draw);
  EXPECT_EQ(lines, (std::vector<std::string>{"ABCDEFGHIJKLM ", "NOP"}));
}

TEST(WrapText, EdgeWidthsAndEmptyText) {
  FixedWidthText t;
  int drawn = 0;
  auto draw = [&](int, int, std::string_view) { ++drawn; };
  EXPECT_EQ(WrapText(t, WrapMode::kDraw, 0, 0, 92, "", draw), 2);
  EXPECT_EQ(drawn, 0);
  // Narrower than one character: one character per line, and no endless loop.
  EXPECT_EQ(WrapText(t, WrapMode::kDraw, 0, 0, 5, "abc", draw), 47);
  EXPECT_EQ(drawn, 3);
  EXPECT_EQ(WrapText(t, WrapMode::kMeasure, 0, 0, -10, "ab"), 32);
  // Measure mode never draws.
  drawn = 0;
  WrapText(t, WrapMode::kMeasure, 0, 0, 20, "abcdef ghi", draw);
  EXPECT_EQ(drawn, 0);
}

TEST_F(GridFixture, FewEntriesGiveEveryRowTheEvenShare) {
  EventStore s;
  Load(s, {Generic(Packed(2024, 5, 5), "Dentist", 1, 1, 3)}, "Event20.dat");
  Build(s, 5, kArea, kApril28);

  const auto cells = DayCells();
  ASSERT_EQ(cells.size(), 35u);
  EXPECT_EQ(grid.count(), 36);
  EXPECT_EQ(grid.selected, -1);
  // Shares 100, 100, 99, 98 (197 / 2 rounds to even), each plus 2; the last row takes the rest.
  const int tops[] = {10, 112, 214, 315, 415};
  const int bottoms[] = {111, 213, 314, 414, 511};
  for (int r = 0; r < 5; ++r) {
    for (int d = 0; d < 7; ++d) {
      const GridItem& c = *cells[static_cast<std::size_t>(r * 7 + d)];
      EXPECT_EQ(c.top, tops[r]) << r;
      EXPECT_EQ(c.bottom, bottoms[r]) << r;
      EXPECT_EQ(c.left, 20 + 100 * d);
      EXPECT_EQ(c.right, 20 + 100 * d + 99);
    }
  }
  EXPECT_EQ(cells[0]->key, "202404289999");
  EXPECT_EQ(cells[0]->colour, Rgb(230, 230, 230));
  EXPECT_EQ(cells[3]->key, "202405019999");
  EXPECT_EQ(cells[3]->colour, Rgb(255, 255, 255));
  EXPECT_EQ(cells[34]->key, "202406019999");

  // The entry box follows its day cell, below the day-number line.
  const auto& entry = grid.items[8];
  EXPECT_EQ(grid.items[7].key, "202405059999");
  EXPECT_EQ(entry.key, "202405059999Dentist");
  EXPECT_EQ(entry.record, static_cast<std::int32_t>(IndexOffset(s, 0)));
  EXPECT_EQ((std::vector<int>{entry.left, entry.top, entry.right, entry.bottom}),
            (std::vector<int>{23, 112 + 21, 117, 112 + 21 + 19}));
  EXPECT_EQ(entry.colour, FixedCategoryColour(3));
}

TEST_F(GridFixture, BusyWeekGrowsAndLaterRowsKeepALine) {
  std::vector<std::vector<std::uint8_t>> records;
  for (int i = 0; i < 12; ++i) records.push_back(Generic(Packed(2024, 4, 30), "Entry " + std::to_string(i), i, i));
  EventStore s;
  Load(s, records, "Event20.dat");
  Build(s, 5, kArea, kApril28);
  auto cells = DayCells();
  ASSERT_EQ(cells.size(), 35u);
  // 21 for the day line and 12 boxes of 19, plus 2.
  EXPECT_EQ(cells[0]->bottom - cells[0]->top + 1, 21 + 12 * 19 + 2);
  EXPECT_EQ(EntriesOf("202404309999").size(), 12u);
  int prevBottom = cells[0]->bottom;
  for (int r = 1; r < 5; ++r) {
    const GridItem& c = *cells[static_cast<std::size_t>(r * 7)];
    EXPECT_EQ(c.top, prevBottom + 1);
    EXPECT_GE(c.bottom - c.top + 1, 15);
    EXPECT_LT(c.bottom - c.top + 1, 100);  // what is left is shared
    prevBottom = c.bottom;
  }
  EXPECT_EQ(prevBottom, kArea.bottom - 1);

  // So many entries that the first row takes everything but a line per later row.
  for (int i = 12; i < 40; ++i) records.push_back(Generic(Packed(2024, 4, 30), "Entry " + std::to_string(i), i, i));
  EventStore full;
  Load(full, records, "Full.dat");
  Build(full, 5, kArea, kApril28);
  cells = DayCells();
  // The first row may use 442 pixels and needs 21 + 22 * 19 + 2 of them.
  const int bottoms[] = {450, 466, 481, 496, 511};
  for (int r = 0; r < 5; ++r) EXPECT_EQ(cells[static_cast<std::size_t>(r * 7)]->bottom, bottoms[r]) << r;
  const auto entries = EntriesOf("202404309999");
  EXPECT_EQ(entries.size(), 22u);
  for (const GridItem& item : grid.items) {
    if (!item.IsDayCell()) {
      EXPECT_LE(item.bottom, cells[0]->bottom);
    }
  }
}

TEST_F(GridFixture, EntriesThatDoNotFitAreSkippedWhileShorterOnesStillFit) {
  std::vector<std::vector<std::uint8_t>> records;
  const PackedDate day = Packed(2024, 4, 29);
  for (int i = 0; i < 21; ++i) records.push_back(Generic(day, "Short " + std::to_string(i), i, i));
  // Two lines (34 pixels) no longer fit; one line (19) still does.
  records.push_back(Generic(day, "Three lines of text here", 30, 30));
  records.push_back(Generic(day, "Last", 31, 31));
  records.push_back(Generic(day, "Too late", 32, 32));
  EventStore s;
  Load(s, records, "Event20.dat");
  Build(s, 5, kArea, kApril28);
  const auto entries = EntriesOf("202404299999");
  ASSERT_EQ(entries.size(), 22u);
  EXPECT_EQ(entries[20], "Short 20");
  EXPECT_EQ(entries[21], "Last");
}

TEST_F(GridFixture, ImpossibleDatesAndDeletedRecordsAreNeverShown) {
  EventStore s;
  Load(s,
       {Generic(Packed(2024, 4, 30), "Thirtieth", 1, 1), Generic(Packed(2024, 4, 31), "Thirty-first", 2, 2),
        Generic(Packed(2024, 5, 1), "Gone", 3, 3, 0, kKindDeleted), Generic(Packed(2024, 5, 1), "May Day", 4, 4)},
       "Event20.dat");
  ASSERT_EQ(s.indexCount, 4u);
  Build(s, 5, kArea, kApril28);
  EXPECT_EQ(EntriesOf("202404309999"), std::vector<std::string>{"Thirtieth"});
  EXPECT_EQ(EntriesOf("202405019999"), std::vector<std::string>{"May Day"});
  EXPECT_EQ(grid.count(), 37);
  for (const GridItem& item : grid.items) EXPECT_EQ(item.key.find("Thirty-first"), std::string::npos);
}

TEST_F(GridFixture, CapacityKeepsEveryDayCell) {
  std::vector<std::vector<std::uint8_t>> records;
  for (int i = 0; i < 1200; ++i) records.push_back(Generic(Packed(2024, 4, 28), "A" + std::to_string(i), i, i));
  for (int i = 0; i < 1200; ++i) records.push_back(Generic(Packed(2024, 4, 29), "B" + std::to_string(i), i, i));
  for (int i = 0; i < 50; ++i) records.push_back(Generic(Packed(2024, 6, 1), "Z" + std::to_string(i), i, i));
  EventStore s;
  Load(s, records, "Event20.dat");
  // Tall enough for every entry to fit, so only the capacity limits them.
  const Rect tall{0, 0, 700, 30000};
  for (int rows : {5, 6}) {
    Build(s, rows, tall, kApril28);
    EXPECT_EQ(grid.count(), kGridCapacity) << rows;
    const auto cells = DayCells();
    ASSERT_EQ(static_cast<int>(cells.size()), rows * 7) << rows;
    EXPECT_EQ(static_cast<int>(EntriesOf("202404289999").size()), kGridCapacity - rows * 7);
    EXPECT_TRUE(EntriesOf("202404299999").empty());
    EXPECT_EQ(cells.back()->key, rows == 5 ? "202406019999" : "202406089999");
  }
  // With fewer entries than the room, later days get theirs.
  EventStore few;
  records.resize(900);
  records.push_back(Generic(Packed(2024, 6, 1), "Saturday", 1, 1));
  Load(few, records, "Few.dat");
  Build(few, 5, tall, kApril28);
  EXPECT_EQ(EntriesOf("202406019999"), std::vector<std::string>{"Saturday"});
}

TEST_F(GridFixture, UnsortedFileGivesTheSameGridAsTheSortedOne) {
  // Dates around the displayed weeks, several entries a day with distinct texts.
  std::mt19937 rng(7);
  std::map<PackedDate, std::vector<std::vector<std::uint8_t>>> byDay;
  Ymd d{2024, 4, 20};
  int id = 0;
  for (int n = 0; n < 50; ++n) {
    const int perDay = static_cast<int>(rng() % 4);
    for (int k = 0; k < perDay; ++k) {
      const RecordKind kind = (rng() % 7 == 0) ? kKindDeleted : kKindGeneric;
      byDay[PackDate(d)].push_back(
          Generic(PackDate(d), "Item " + std::to_string(id), id, id, static_cast<int>(rng() % 14), kind));
      ++id;
    }
    NextDay(d);
  }
  std::vector<std::vector<std::uint8_t>> sorted;
  for (auto& [date, recs] : byDay)
    for (auto& r : recs) sorted.push_back(r);
  // Days interleaved and in reverse, each day's records still in their order.
  std::vector<std::vector<std::uint8_t>> unsorted;
  for (std::size_t k = 0; k < 3; ++k)
    for (auto it = byDay.rbegin(); it != byDay.rend(); ++it)
      if (k < it->second.size()) unsorted.push_back(it->second[k]);

  EventStore a;
  EventStore b;
  Load(a, sorted, "Sorted.dat");
  Load(b, unsorted, "Unsorted.dat");
  ASSERT_TRUE(a.indexSorted);
  ASSERT_FALSE(b.indexSorted);
  ASSERT_EQ(a.indexCount, b.indexCount);

  // Offsets differ between the files; record ids do not.
  auto withIds = [](const EventStore& s, CalendarGrid g) {
    for (GridItem& item : g.items)
      if (!item.IsDayCell()) item.record = Long(s.store, static_cast<std::size_t>(item.record) + rec::kRecordId);
    return g.items;
  };
  Build(a, 5, kArea, kApril28);
  const auto fromSorted = withIds(a, grid);
  Build(b, 5, kArea, kApril28);
  const auto fromUnsorted = withIds(b, grid);
  EXPECT_GT(fromSorted.size(), 60u);
  EXPECT_EQ(fromSorted, fromUnsorted);
}

// The binary search must find exactly what the scan finds, for days present,
// absent, first and last in the index.
TEST(DayLookup, BinarySearchAgreesWithTheScan) {
  EventStore s;
  std::mt19937 rng(3);
  std::vector<PackedDate> dates;
  for (int i = 0; i < 3000; ++i)
    dates.push_back(Packed(2000 + static_cast<int>(rng() % 3), 1 + rng() % 12, 1 + rng() % 28));
  std::sort(dates.begin(), dates.end());
  // Eight-byte stand-ins for records: only the kind byte matters to the lookup.
  s.indexCount = static_cast<std::uint32_t>(dates.size());
  BufAlloc(8 * dates.size(), s.index);
  BufAlloc(8 * dates.size(), s.store);
  s.storeSize = static_cast<std::uint32_t>(8 * dates.size());
  for (std::size_t i = 0; i < dates.size(); ++i) {
    SetLong(s.index, 8 * i, dates[i]);
    SetLong(s.index, 8 * i + 4, static_cast<std::int32_t>(8 * i));
    SetByte(s.store, 8 * i + rec::kKind, (i % 5 == 0) ? kKindDeleted : kKindGeneric);
  }
  s.indexSorted = true;
  std::vector<PackedDate> probes(dates.begin(), dates.end());
  probes.push_back(Packed(1999, 1, 1));
  probes.push_back(Packed(2024, 1, 1));
  probes.push_back(Packed(2001, 6, 30));
  for (PackedDate probe : probes) {
    std::vector<std::uint32_t> fast;
    std::vector<std::uint32_t> slow;
    ForEachRecordOnDay(s, probe, [&](std::uint32_t off) { fast.push_back(off); });
    ForEachRecordOnDayByScan(s, probe, [&](std::uint32_t off) { slow.push_back(off); });
    ASSERT_EQ(fast, slow) << probe;
  }
}

class DeleteFixture : public GridFixture {
 protected:
  // 150 weekly occurrences of group 42 from 7 January 2024, each sharing its
  // day with one occurrence of group 43, and a cycle record on 2 May.
  void SetUp() override {
    GridFixture::SetUp();
    std::vector<std::vector<std::uint8_t>> records;
    Ymd d{2024, 1, 7};
    for (int i = 0; i < 150; ++i) {
      records.push_back(Generic(PackDate(d), "Choir practice", 1000 + i, 42));
      records.push_back(Generic(PackDate(d), "Walk the dog\rwith the lead", 2000 + i, 43));
      if (PackDate(d) == Packed(2024, 4, 28))
        records.push_back(Generic(Packed(2024, 5, 2), "Cycle", 9000, 90, 1, kKindCycle));
      for (int k = 0; k < 7; ++k) NextDay(d);
    }
    Load(store, records, "Event20.dat");
    Build(store, 5, kArea, kApril28);
  }

  int SelectEntry(std::string_view key) {
    for (int i = 0; i < grid.count(); ++i)
      if (grid.items[static_cast<std::size_t>(i)].key == key) return grid.selected = i;
    return grid.selected = -1;
  }

  std::map<std::int32_t, int> LiveByGroup() {
    EventStore fresh;
    fresh.eventFile = store.eventFile;
    LoadEvents(fresh);
    std::map<std::int32_t, int> out;
    for (std::uint32_t i = 0; i < fresh.indexCount; ++i) {
      const std::uint32_t off = IndexOffset(fresh, i);
      if (RecordKindAt(fresh, off) != kKindDeleted) ++out[Long(fresh.store, off + std::size_t{rec::kGroupId})];
    }
    return out;
  }

  int Delete(ScriptedHost& host) {
    return DeleteSelectedEntry(grid, store, categories, units, text, host, kArea, kApril28,
                               [this](EventStore&) { ++repredicted; });
  }

  EventStore store;
  int repredicted = 0;
};

TEST_F(DeleteFixture, DeleteOneRecordOnly) {
  ASSERT_GE(SelectEntry("202405129999Walk the dog"), 0);
  ScriptedHost host({1});
  EXPECT_EQ(Delete(host), 1);
  ASSERT_EQ(host.asked.size(), 1u);
  EXPECT_EQ(host.asked[0],
            "Do you want to delete this event|or all events in the group?||Walk the dog#Delete|Group|Cancel");
  EXPECT_EQ(LiveByGroup(), (std::map<std::int32_t, int>{{42, 150}, {43, 149}, {90, 1}}));
  ASSERT_GE(grid.selected, 0);
  EXPECT_EQ(grid.items[static_cast<std::size_t>(grid.selected)].key, "202405129999");
  EXPECT_TRUE(EntriesOf("202405129999") == std::vector<std::string>{"Choir practice"});
  EXPECT_EQ(repredicted, 0);
}

TEST_F(DeleteFixture, DeleteTheWholeGroupIncludingPastOccurrences) {
  ASSERT_GE(SelectEntry("202405199999Choir practice"), 0);
  ScriptedHost host({2});
  EXPECT_EQ(Delete(host), 2);
  EXPECT_EQ(LiveByGroup(), (std::map<std::int32_t, int>{{43, 150}, {90, 1}}));
  EXPECT_EQ(grid.items[static_cast<std::size_t>(grid.selected)].key, "202405199999");
  for (const GridItem& item : grid.items) EXPECT_EQ(item.key.find("Choir"), std::string::npos);
  EXPECT_TRUE(host.errors.empty());
}

TEST_F(DeleteFixture, CancelChangesNothingAndCyclesAreRepredicted) {
  const auto before = test::ReadAll(store.eventFile);
  ASSERT_GE(SelectEntry("202405029999Cycle"), 0);
  ScriptedHost cancel({3});
  EXPECT_EQ(Delete(cancel), 3);
  EXPECT_EQ(test::ReadAll(store.eventFile), before);
  EXPECT_EQ(grid.items[static_cast<std::size_t>(grid.selected)].key, "202405029999");
  EXPECT_EQ(repredicted, 0);

  ASSERT_GE(SelectEntry("202405029999Cycle"), 0);
  ScriptedHost yes({1});
  EXPECT_EQ(Delete(yes), 1);
  EXPECT_EQ(repredicted, 1);
  EXPECT_EQ(LiveByGroup().count(90), 0u);

  // Nothing selected, or a day cell: no question.
  ScriptedHost never({1});
  grid.selected = -1;
  EXPECT_EQ(Delete(never), 0);
  grid.selected = 0;
  EXPECT_EQ(Delete(never), 0);
  EXPECT_TRUE(never.asked.empty());
}

TEST_F(DeleteFixture, QuestionShowsAtMostFiftyCharacters) {
  EventStore s;
  const std::string longTitle(80, 'x');
  Load(s, {Generic(Packed(2024, 5, 1), longTitle, 1, 1)}, "Long.dat");
  BuildCalendarGrid(grid, s, categories, units, text, 5, Rect{0, 0, 7000, 500}, kApril28);
  ASSERT_GE(SelectEntry("202405019999" + longTitle), 0);
  ScriptedHost host({3});
  DeleteSelectedEntry(grid, s, categories, units, text, host, kArea, kApril28);
  ASSERT_EQ(host.asked.size(), 1u);
  EXPECT_EQ(host.asked[0], "Do you want to delete this event|or all events in the group?||" + std::string(50, 'x') +
                               "#Delete|Group|Cancel");
}

}  // namespace
}  // namespace kal
