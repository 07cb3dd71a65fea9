// Which records the event list holds, and how cursor moves set the marks.
#include "calendar/event_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/record_builder.h"

namespace kal {
namespace {

using test::Packed;
using Rows = std::vector<int>;

// Eight records in file order: row numbers below are positions in this store.
struct Mixed {
  Mixed() {
    add(test::AddGeneric(s, Packed(2024, 1, 5), "Doctor visit"), 0);
    add(test::AddGeneric(s, Packed(2024, 2, 6), "Dentist and doctor"), 1);
    add(test::AddWeight(s, Packed(2024, 3, 7), "Morning", 70000), 0);
    add(test::AddGeneric(s, Packed(2024, 4, 8), "Birthday party at Ann's"), 2);
    add(test::AddPressure(s, Packed(2024, 5, 9), "Home", "After a party", 120, 80), 1);
    add(test::AddGeneric(s, Packed(2024, 6, 10), "Party for the birthday"), 0);
    add(test::AddGlucose(s, Packed(2024, 7, 11), "Fasting", 90), 200);  // imported: above 11 reads as 0
    deleted = test::AddGeneric(s, Packed(2024, 8, 12), "Doctor (deleted)");
    DeleteRecord(s, deleted);
    BuildEventIndex(s);
  }
  void add(std::uint32_t offset, int category) {
    SetByte(s.store, offset + rec::kCategory, category);
    offsets.push_back(offset);
  }
  Rows RowsOf(const EventList& list) const {
    Rows out;
    for (const std::uint32_t o : list.offsets) {
      int row = -1;
      for (std::size_t i = 0; i < offsets.size(); ++i) row = offsets[i] == o ? static_cast<int>(i) : row;
      out.push_back(row);
    }
    return out;
  }
  EventStore s;
  std::vector<std::uint32_t> offsets;
  std::uint32_t deleted = 0;
};

TEST(BuildEventList, FiltersByCategoryModeAndSearchInFileOrder) {
  struct Case {
    std::int32_t category, mode;
    std::string search;
    Rows rows;
  };
  const Case cases[] = {
      {kListAllCategories, kModeAllRecords, "", {0, 1, 2, 3, 4, 5, 6}},  // never the deleted record
      {1, kModeAllRecords, "", {1, 4}},
      {kListAllCategories, kModeGenericEvents, "", {0, 1, 3, 5}},
      {0, kModeGenericEvents, "", {0, 5}},
      {kListAllCategories, kKindWeight, "", {2}},
      {kListAllCategories, kKindBloodPressure, "", {4}},
      {kListAllCategories, kModeGlucose, "", {6}},
      {0, kModeGlucose, "", {6}},
      {2, kModeGlucose, "", {}},
      {kListAllCategories, kKindCycle, "", {}},
      {kListAllCategories, kModeSearchResults, "doctor -dentist", {0}},
      {kListAllCategories, kModeSearchResults, "\"birthday party\"", {3}},
      {kListAllCategories, kModeSearchResults, "birthday party", {3, 5}},
      {kListAllCategories, kModeSearchResults, "party -\"birthday party\"", {4, 5}},
      {2, kModeSearchResults, "party", {3}},
      {kListAllCategories, kModeSearchResults, "", {}},
      {kListAllCategories, kModeSearchResults, " - ", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.search + " mode " + std::to_string(c.mode) + " category " + std::to_string(c.category));
    Mixed m;
    EventList list;
    list.category = c.category;
    list.mode = c.mode;
    list.searchText = c.search;
    list.cursor = 3;
    list.top = 2;
    BuildEventList(list, m.s, UnitModes{});
    EXPECT_EQ(m.RowsOf(list), c.rows);
    EXPECT_EQ(list.cursor, -1);
    EXPECT_EQ(list.top, 0);
  }
}

TEST(BuildEventList, ReportsProgressAndStopsWhenTold) {
  EventStore s;
  for (int i = 0; i < 2000; ++i) test::AddGeneric(s, Packed(2024, 1, 1 + i % 28), "Daily");
  BuildEventIndex(s);
  EventList list;
  std::vector<std::uint32_t> done;
  BuildEventList(list, s, UnitModes{}, [&](std::uint32_t d, std::uint32_t total, std::uint32_t matches) {
    EXPECT_EQ(total, 2000u);
    EXPECT_EQ(matches, d);
    done.push_back(d);
    return true;
  });
  EXPECT_EQ(done, (std::vector<std::uint32_t>{0, 512, 1024, 1536, 2000}));
  EXPECT_EQ(list.count(), 2000);
  BuildEventList(list, s, UnitModes{}, [](std::uint32_t d, std::uint32_t, std::uint32_t) { return d < 1024; });
  EXPECT_EQ(list.count(), 1024);
}

// Marks of rows 0-9 as a string of '0' and '1'.
std::string Marks(const EventList& list, const EventStore& s) {
  std::string out;
  for (const std::uint32_t o : list.offsets) out += IsMarked(s, o) ? '1' : '0';
  return out;
}

TEST(EventListMarks, CursorMovesFollowTheirModifierRules) {
  enum Action { kTo, kPage };
  struct Case {
    const char* name;
    std::string marksBefore;
    std::int32_t cursor, top;
    Action action;
    std::int32_t arg;
    MarkRule rule;
    std::string marksAfter;
    std::int32_t cursorAfter, topAfter;
  };
  // Ten rows, four visible.
  const Case cases[] = {
      {"plain down", "0011000000", 2, 0, kTo, 3, MarkRule::kOnly, "0001000000", 3, 0},
      {"ctrl down", "0010000001", 2, 0, kTo, 3, MarkRule::kKeep, "0010000001", 3, 0},
      {"shift down", "0010000000", 2, 0, kTo, 3, MarkRule::kAddReached, "0011000000", 3, 0},
      {"shift down past an unmarked", "0100000000", 1, 0, kTo, 2, MarkRule::kAddReached, "0110000000", 2, 0},
      {"down scrolls", "0000100000", 4, 1, kTo, 5, MarkRule::kOnly, "0000010000", 5, 2},
      {"up scrolls", "0000000000", 3, 3, kTo, 2, MarkRule::kKeep, "0000000000", 2, 2},
      {"up at the top stays", "1000000000", 0, 0, kTo, -1, MarkRule::kAddReached, "1000000000", 0, 0},
      {"down at the end stays", "0000000000", 9, 6, kTo, 10, MarkRule::kOnly, "0000000001", 9, 6},
      {"shift end", "0010000000", 2, 0, kTo, 9, MarkRule::kAddRange, "0011111111", 9, 6},
      {"shift home", "0000001000", 6, 3, kTo, 0, MarkRule::kAddRange, "1111111000", 0, 0},
      {"page down", "1000000000", 1, 0, kPage, 1, MarkRule::kOnly, "0000010000", 5, 4},
      {"shift page down", "0100000000", 1, 0, kPage, 1, MarkRule::kAddRange, "0111110000", 5, 4},
      {"ctrl page down", "0100000000", 1, 0, kPage, 1, MarkRule::kKeep, "0100000000", 5, 4},
      {"page down near the end", "0000000000", 7, 5, kPage, 1, MarkRule::kOnly, "0000000001", 9, 6},
      {"page up not before the first", "0000000000", 2, 1, kPage, -1, MarkRule::kOnly, "1000000000", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EventStore s;
    EventList list;
    for (int i = 0; i < 10; ++i) list.offsets.push_back(test::AddGeneric(s, Packed(2024, 1, 1 + i), "Row"));
    BuildEventIndex(s);
    for (int i = 0; i < 10; ++i) SetMarked(s, list.offsets[static_cast<std::size_t>(i)], c.marksBefore[i] == '1');
    list.cursor = c.cursor;
    list.top = c.top;
    if (c.action == kTo) {
      MoveCursor(list, s, c.arg, c.rule, 4);
    } else {
      PageCursor(list, s, c.arg, c.rule, 4);
    }
    EXPECT_EQ(Marks(list, s), c.marksAfter);
    EXPECT_EQ(list.cursor, c.cursorAfter);
    EXPECT_EQ(list.top, c.topAfter);
  }
  EXPECT_EQ(RuleFor(false, false, false), MarkRule::kOnly);
  EXPECT_EQ(RuleFor(false, true, true), MarkRule::kKeep);
  EXPECT_EQ(RuleFor(true, true, false), MarkRule::kAddReached);
  EXPECT_EQ(RuleFor(true, false, true), MarkRule::kAddRange);
}

TEST(EventListMarks, SelectAllTogglesAndOnlyTouchesTheMarkBit) {
  EventStore s;
  EventList list;
  for (int i = 0; i < 3; ++i) list.offsets.push_back(test::AddGeneric(s, Packed(2024, 1, 1 + i), "Row"));
  const std::uint32_t hidden = test::AddGeneric(s, Packed(2024, 2, 1), "Not listed");
  BuildEventIndex(s);
  SetByte(s.store, list.offsets[1] + rec::kMark, 0x80);  // other bits of the byte are not ours
  SetMarked(s, list.offsets[0], true);
  ToggleAllMarks(list, s);
  EXPECT_EQ(Marks(list, s), "111");
  EXPECT_FALSE(IsMarked(s, hidden));
  EXPECT_TRUE(AnyMarked(list, s));
  EXPECT_EQ(MarkedOffsets(list, s), list.offsets);
  ToggleAllMarks(list, s);
  EXPECT_EQ(Marks(list, s), "000");
  EXPECT_FALSE(AnyMarked(list, s));
  EXPECT_EQ(Byte(s.store, list.offsets[1] + rec::kMark), 0x80u);
  SetMarked(s, hidden, true);
  ClearAllMarks(s);
  EXPECT_FALSE(IsMarked(s, hidden));
}

TEST(EventListLookup, RowsByRecordIdAndByDay) {
  EventStore s;
  EventList list;
  const std::int32_t days[] = {Packed(2024, 5, 1), Packed(2024, 5, 5), Packed(2024, 5, 5), Packed(2024, 5, 9)};
  for (int i = 0; i < 4; ++i) {
    list.offsets.push_back(test::AddGeneric(s, days[i], "Row"));
    SetLong(s.store, list.offsets.back() + rec::kRecordId, 40 + i);
  }
  EXPECT_EQ(RowOfRecordId(list, s, 42), 2);
  EXPECT_EQ(RowOfRecordId(list, s, 7), -1);
  const std::pair<std::int32_t, std::int32_t> byDay[] = {
      {Packed(2024, 4, 30), -1}, {Packed(2024, 5, 1), 0}, {Packed(2024, 5, 6), 2}, {Packed(2025, 1, 1), 3}};
  for (const auto& [day, row] : byDay) EXPECT_EQ(LastRowOnOrBefore(list, s, day), row) << day;
  EXPECT_EQ(DisplayModeLabel(3), "Weight and Body Measurements");
  EXPECT_EQ(DisplayModeLabel(7), "Blood Sugar (Glucose)");
  EXPECT_EQ(DisplayModeLabel(8), "");
}

}  // namespace
}  // namespace kal
