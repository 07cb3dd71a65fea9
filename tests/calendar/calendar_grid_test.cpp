#include "calendar/calendar_grid.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/block_text.h"
#include "support/record_builder.h"
#include "support/recording_host.h"
#include "support/test_support.h"

namespace kal {
namespace {

using test::Packed;
using Records = std::vector<std::vector<std::uint8_t>>;

// Every character 7 pixels wide, one 15-pixel line; the grid measures in the small font.
struct FixedWidthText : test::BlockText {
  FixedWidthText() : BlockText(7, 15) {}
  TextExtent Measure(const FontDescription& font, std::string_view text) override {
    EXPECT_EQ(font, (FontDescription{"Arial", 15, 400, false}));
    return BlockText::Measure(font, text);
  }
};

std::vector<std::uint8_t> Generic(PackedDate date, std::string_view text, int id, int group = -1, int category = 0,
                                  RecordKind kind = kKindGeneric) {
  return test::RecordBytes(kind, date, rec::kGenericFixed)
      .Byte(rec::kCategory, static_cast<std::uint8_t>(category))
      .Long(rec::kRecordId, static_cast<std::uint32_t>(id))
      .Long(rec::kGroupId, static_cast<std::uint32_t>(group < 0 ? id : group))
      .Byte(rec::kStartHour, 255)
      .Byte(rec::kEndHour, 99)
      .Text(text)
      .Finish();
}
void AddMany(Records& records, int count, PackedDate day, const std::string& prefix) {
  for (int i = 0; i < count; ++i) records.push_back(Generic(day, prefix + std::to_string(i), i));
}

// 28 April 2024 is a Sunday; five weeks run to 1 June. Cells of 100 pixels
// (704 / 7 rounded down), 502 pixels of height.
const PackedDate kApril28 = Packed(2024, 4, 28);
constexpr Rect kArea{20, 10, 724, 512};

class GridFixture : public ::testing::Test {
 protected:
  void SetUp() override { BuildCategoryTable(categories, "Work|Home"); }
  // An event file made of the records in the order given, loaded into a store.
  void Load(EventStore& s, const Records& records, const std::string& name = "Event20.dat") {
    std::vector<std::uint8_t> bytes;
    for (const auto& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
    s.eventFile = dir.File(name);
    test::WriteAll(s.eventFile, bytes);
    LoadEvents(s);
  }
  void Build(const EventStore& s, int rows = 5, Rect area = kArea) {
    BuildCalendarGrid(grid, s, categories, units, text, rows, area, kApril28);
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

TEST(WrapText, BreaksAtTheLastSpaceOrBetweenCharacters) {
  struct Row {
    int width;
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Row> rows = {
      // 13 characters measure 91 < 92; the 14th reaches the width, and reaching it breaks.
      {92, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", {"ABCDEFGHIJKLM", "NOPQRSTUVWXYZ"}},
      {91, "ABCDEFGHIJKLM", {"ABCDEFGHIJKL", "M"}},
      {92, "Hello world again and again", {"Hello world ", "again and ", "again"}},
      {92, "ABCDEFGHIJKLM NOP", {"ABCDEFGHIJKLM ", "NOP"}},  // the space at the break stays
      {92, "", {}},
      {5, "abc", {"a", "b", "c"}},  // narrower than a character, and no endless loop
      {-10, "ab", {"a", "b"}},
  };
  FixedWidthText t;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " / " + std::to_string(row.width));
    std::vector<std::string> lines;
    const int height = WrapText(t, WrapMode::kDraw, 5, 40, row.width, row.text, [&](int x, int y, std::string_view l) {
      EXPECT_EQ(x, 5);
      EXPECT_EQ(y, 40 + 15 * static_cast<int>(lines.size()));
      lines.emplace_back(l);
    });
    EXPECT_EQ(lines, row.lines);
    EXPECT_EQ(height, 15 * static_cast<int>(row.lines.size()) + 2);
    EXPECT_EQ(WrapText(t, WrapMode::kMeasure, 0, 0, row.width, row.text,
                       [](int, int, std::string_view) { ADD_FAILURE() << "measuring drew"; }),
              height);
  }
}

TEST_F(GridFixture, FewEntriesGiveEveryRowTheEvenShareAndImpossibleOrDeletedOnesAreNotShown) {
  EventStore s;
  Load(s, {Generic(Packed(2024, 4, 30), "Thirtieth", 1), Generic(Packed(2024, 4, 31), "Thirty-first", 2),
           Generic(Packed(2024, 5, 1), "Gone", 3, 3, 0, kKindDeleted), Generic(Packed(2024, 5, 1), "May Day", 4),
           Generic(Packed(2024, 5, 5), "Dentist", 5, 5, 3)});
  ASSERT_EQ(s.indexCount, 5u);
  Build(s);
  const auto cells = DayCells();
  ASSERT_EQ(cells.size(), 35u);
  EXPECT_EQ(grid.count(), 38);
  EXPECT_EQ(EntriesOf("202404309999"), std::vector<std::string>{"Thirtieth"});
  EXPECT_EQ(EntriesOf("202405019999"), std::vector<std::string>{"May Day"});
  EXPECT_EQ(grid.selected, -1);
  // Shares 100, 100, 99, 98 (197 / 2 rounds to even), each plus 2; the last row takes the rest.
  const int tops[] = {10, 112, 214, 315, 415, 512};
  for (int i = 0; i < 35; ++i) {
    const GridItem& c = *cells[static_cast<std::size_t>(i)];
    EXPECT_EQ((std::vector<int>{c.left, c.top, c.right, c.bottom}),
              (std::vector<int>{20 + 100 * (i % 7), tops[i / 7], 119 + 100 * (i % 7), tops[i / 7 + 1] - 1}))
        << i;
  }
  EXPECT_EQ(cells[0]->key, "202404289999");
  EXPECT_EQ(cells[0]->colour, Rgb(230, 230, 230));
  EXPECT_EQ(cells[3]->key, "202405019999");
  EXPECT_EQ(cells[3]->colour, Rgb(255, 255, 255));
  EXPECT_EQ(cells[34]->key, "202406019999");
  EXPECT_EQ(DayKey(987, 12, 31), "098712319999");
  EXPECT_EQ(DayKey(12024, 1, 2).size(), 12u);
  // The entry box follows its day cell, below the day-number line.
  const GridItem& entry = grid.items[10];
  EXPECT_EQ(grid.items[9].key, "202405059999");
  EXPECT_EQ(entry.key, "202405059999Dentist");
  EXPECT_EQ(entry.record, static_cast<std::int32_t>(IndexOffset(s, 4)));
  EXPECT_EQ((std::vector<int>{entry.left, entry.top, entry.right, entry.bottom}), (std::vector<int>{23, 133, 117, 152}));
  EXPECT_EQ(entry.colour, FixedCategoryColour(3));
}

TEST_F(GridFixture, BusyRowsGrowWhileLaterRowsKeepALineAndShortEntriesStillFit) {
  Records records;
  AddMany(records, 12, Packed(2024, 4, 30), "Entry ");
  EventStore s;
  Load(s, records);
  Build(s);
  auto cells = DayCells();
  ASSERT_EQ(cells.size(), 35u);
  // 21 for the day line and 12 boxes of 19, plus 2; what is left is shared.
  EXPECT_EQ(cells[0]->bottom, 10 + 21 + 12 * 19 + 2 - 1);
  for (std::size_t r = 7; r < 35; r += 7) {
    EXPECT_EQ(cells[r]->top, cells[r - 7]->bottom + 1);
    EXPECT_GE(cells[r]->bottom - cells[r]->top + 1, 15);
    EXPECT_LT(cells[r]->bottom - cells[r]->top + 1, 100);
  }
  EXPECT_EQ(cells[28]->bottom, 511);

  // So many entries that the first row takes all but a line per later row:
  // 442 pixels, of which 21 + 22 * 19 + 2 are used. On the next day two lines
  // (34 pixels) no longer fit after 21 entries, one line still does.
  AddMany(records, 40, Packed(2024, 4, 30), "More ");
  AddMany(records, 21, Packed(2024, 4, 29), "Short ");
  for (const char* t : {"Three lines of text here", "Last", "Too late"})
    records.push_back(Generic(Packed(2024, 4, 29), t, 90));
  EventStore full;
  Load(full, records, "Full.dat");
  Build(full);
  cells = DayCells();
  const int bottoms[] = {450, 466, 481, 496, 511};
  for (int r = 0; r < 5; ++r) EXPECT_EQ(cells[static_cast<std::size_t>(r * 7)]->bottom, bottoms[r]) << r;
  EXPECT_EQ(EntriesOf("202404309999").size(), 22u);
  const auto entries = EntriesOf("202404299999");
  ASSERT_EQ(entries.size(), 22u);
  EXPECT_EQ(entries[20], "Short 20");
  EXPECT_EQ(entries[21], "Last");
  for (const GridItem& item : grid.items) EXPECT_LE(item.bottom, item.IsDayCell() ? 511 : 450);
}

// One row: 21 pixels of day line, then boxes of 19. A box may end on the
// cell's last pixel row but never on the first row below the cell.
TEST_F(GridFixture, AnEntryThatWouldReachTheRowBelowIsLeftOut) {
  Records records;
  AddMany(records, 3, kApril28, "E");
  EventStore s;
  Load(s, records);
  const struct {
    int height;
    std::size_t shown;
  } rows[] = {{78, 2}, {79, 3}, {59, 1}, {60, 2}};
  for (const auto& r : rows) {
    Build(s, 1, Rect{20, 10, 724, 10 + r.height});
    EXPECT_EQ(EntriesOf("202404289999").size(), r.shown) << r.height;
    const int cellBottom = DayCells().at(0)->bottom;
    for (const GridItem& item : grid.items) EXPECT_LE(item.bottom, cellBottom) << r.height;
  }
}

TEST_F(GridFixture, CapacityKeepsEveryDayCell) {
  Records records;
  AddMany(records, 1200, Packed(2024, 4, 28), "A");
  AddMany(records, 1200, Packed(2024, 4, 29), "B");
  AddMany(records, 50, Packed(2024, 6, 1), "Z");
  EventStore s;
  Load(s, records);
  const Rect tall{0, 0, 700, 30000};  // every entry fits, so only the capacity limits them
  for (int rows : {5, 6}) {
    SCOPED_TRACE(rows);
    Build(s, rows, tall);
    EXPECT_EQ(grid.count(), kGridCapacity);
    const auto cells = DayCells();
    ASSERT_EQ(static_cast<int>(cells.size()), rows * 7);
    EXPECT_EQ(static_cast<int>(EntriesOf("202404289999").size()), kGridCapacity - rows * 7);
    EXPECT_TRUE(EntriesOf("202404299999").empty());
    EXPECT_EQ(cells.back()->key, rows == 5 ? "202406019999" : "202406089999");
  }
  // With fewer entries than the room, later days get theirs.
  records.resize(900);
  records.push_back(Generic(Packed(2024, 6, 1), "Saturday", 1));
  Load(s, records, "Few.dat");
  Build(s, 5, tall);
  EXPECT_EQ(EntriesOf("202406019999"), std::vector<std::string>{"Saturday"});
}

TEST_F(GridFixture, UnsortedFileGivesTheSameGridAsTheSortedOneAndLookupsAgree) {
  // Several entries a day around the displayed weeks; some deleted.
  std::mt19937 rng(7);
  std::map<PackedDate, Records> byDay;
  Ymd d{2024, 4, 20};
  for (int n = 0, id = 0; n < 50; ++n, NextDay(d)) {
    for (int k = static_cast<int>(rng() % 4); k > 0; --k, ++id) {
      const RecordKind kind = (rng() % 7 == 0) ? kKindDeleted : kKindGeneric;
      byDay[PackDate(d)].push_back(Generic(PackDate(d), "Item " + std::to_string(id), id, id, static_cast<int>(rng() % 14), kind));
    }
  }
  Records sorted;
  Records unsorted;  // days interleaved and in reverse, each day's records still in their order
  for (auto& [date, recs] : byDay) sorted.insert(sorted.end(), recs.begin(), recs.end());
  for (std::size_t k = 0; k < 3; ++k)
    for (auto it = byDay.rbegin(); it != byDay.rend(); ++it)
      if (k < it->second.size()) unsorted.push_back(it->second[k]);
  EventStore a;
  EventStore b;
  Load(a, sorted, "Sorted.dat");
  Load(b, unsorted, "Unsorted.dat");
  ASSERT_TRUE(a.indexSorted);
  ASSERT_FALSE(b.indexSorted);
  // Offsets differ between the files; record ids do not.
  auto withIds = [this](const EventStore& s) {
    Build(s);
    for (GridItem& item : grid.items)
      if (!item.IsDayCell()) item.record = Long(s.store, static_cast<std::size_t>(item.record) + rec::kRecordId);
    return grid.items;
  };
  const auto fromSorted = withIds(a);
  EXPECT_GT(fromSorted.size(), 60u);
  EXPECT_EQ(fromSorted, withIds(b));

  // The binary search finds what the scan finds, for days present, absent, first and last.
  for (Ymd day{2024, 4, 19}; PackDate(day) <= Packed(2024, 6, 12); NextDay(day)) {
    const PackedDate probe = PackDate(day);
    std::vector<std::uint32_t> fast;
    std::vector<std::uint32_t> slow;
    ForEachRecordOnDay(a, probe, [&](std::uint32_t off) { fast.push_back(off); });
    ForEachRecordOnDayByScan(a, probe, [&](std::uint32_t off) { slow.push_back(off); });
    ASSERT_EQ(fast, slow) << probe;
  }
}

TEST_F(GridFixture, DeleteAsksAboutTheFirstFiftyCharactersAndRepredictsOnlyForCycles) {
  EventStore store;
  Load(store, {Generic(Packed(2024, 5, 1), std::string(80, 'x'), 2), Generic(Packed(2024, 5, 2), "Cycle", 3, 3, 1, kKindCycle),
               Generic(Packed(2024, 5, 12), "Walk the dog\rwith the lead", 5)});
  Build(store);
  int repredicted = 0;
  // Selects the entry, answers the question, and gives back the question and the record ids left in the file.
  auto remove = [&](std::string_view key, int answer) {
    grid.selected = -1;
    for (int i = 0; i < grid.count(); ++i)
      if (grid.items[static_cast<std::size_t>(i)].key == key) grid.selected = i;
    EXPECT_GE(grid.selected, 0) << key;
    test::RecordingHost host(answer);
    EXPECT_EQ(DeleteSelectedEntry(grid, store, categories, units, text, host, kArea, kApril28,
                                  [&](EventStore&) { ++repredicted; }),
              answer);
    // The day of the entry stays selected.
    EXPECT_EQ(grid.items.at(static_cast<std::size_t>(grid.selected)).key, std::string(key.substr(0, 12)));
    std::vector<std::int32_t> live;
    EventStore fresh;
    fresh.eventFile = store.eventFile;
    LoadEvents(fresh);
    for (std::uint32_t i = 0; i < fresh.indexCount; ++i)
      if (RecordKindAt(fresh, IndexOffset(fresh, i)) != kKindDeleted)
        live.push_back(Long(fresh.store, IndexOffset(fresh, i) + std::size_t{rec::kRecordId}));
    return std::make_pair(host.asked.at(0), live);
  };
  const std::string question = "Do you want to delete this event|or all events in the group?||";
  const auto before = test::ReadAll(store.eventFile);
  EXPECT_EQ(remove("202405129999Walk the dog", 3),
            std::make_pair(question + "Walk the dog#Delete|Group|Cancel", std::vector<std::int32_t>{2, 3, 5}));
  EXPECT_EQ(test::ReadAll(store.eventFile), before);
  EXPECT_EQ(remove("202405019999" + std::string(80, 'x'), 2),
            std::make_pair(question + std::string(50, 'x') + "#Delete|Group|Cancel", std::vector<std::int32_t>{3, 5}));
  EXPECT_EQ(repredicted, 0);
  EXPECT_EQ(remove("202405029999Cycle", 1).second, std::vector<std::int32_t>{5});
  EXPECT_EQ(repredicted, 1);

  // Nothing selected, or a day cell: no question.
  test::RecordingHost never(1);
  for (const int selected : {-1, 0}) {
    grid.selected = selected;
    EXPECT_EQ(DeleteSelectedEntry(grid, store, categories, units, text, never, kArea, kApril28), 0);
  }
  EXPECT_TRUE(never.asked.empty());
}

TEST_F(GridFixture, DeleteQuestionShowsTheEntryAsOneLiteralLine) {
  EventStore store;
  Load(store, {Generic(Packed(2024, 5, 12), "Rent|gas|water", 5)});
  Build(store);
  for (int i = 0; i < grid.count(); ++i)
    if (!grid.items[static_cast<std::size_t>(i)].IsDayCell()) grid.selected = i;
  test::RecordingHost host(3);
  EXPECT_EQ(DeleteSelectedEntry(grid, store, categories, units, text, host, kArea, kApril28), 3);
  EXPECT_EQ(host.asked.at(0), std::string("Do you want to delete this event|or all events in the group?||Rent") +
                                  LiteralBar + "gas" + LiteralBar + "water#Delete|Group|Cancel");
}

}  // namespace
}  // namespace kal
