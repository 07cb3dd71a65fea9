// The events screen as the user drives it: whole runs on the headless
// backend, checked through the list the screen held, the marks in the store,
// the calendar it hands back to and the event file.
#include "screens/event_list_screen.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "frame_run.h"
#include "screens/calendar_screen.h"
#include "screens/find_dialog.h"
#include "support/record_builder.h"

namespace kal {
namespace {

using test::FrameRun;
using test::Packed;
using Ids = std::vector<std::int32_t>;

// What the screen showed when the run ended on it.
struct Seen {
  Ids listed;  // record ids in list order
  std::int32_t cursorId = -1;
  std::int32_t top = -1;
  std::int32_t mode = -1;
  std::int32_t category = -1;
  Ids marked;  // every marked record in the store, listed or not
};

Ids MarkedIds(const EventStore& s) {
  Ids out;
  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    const std::uint32_t o = IndexOffset(s, i);
    if (RecordKindAt(s, o) != kKindDeleted && IsMarked(s, o)) out.push_back(Long(s.store, o + rec::kRecordId));
  }
  std::sort(out.begin(), out.end());
  return out;
}

void Watch(FrameRun& run, Seen& seen) {
  run.app.screens[1] = [&seen](Application& a) {
    EventList list;
    EventListScreen(a, list);
    seen = Seen{};
    for (const std::uint32_t o : list.offsets) seen.listed.push_back(Long(a.events.store, o + rec::kRecordId));
    if (list.cursor >= 0 && list.cursor < list.count()) {
      seen.cursorId = seen.listed[static_cast<std::size_t>(list.cursor)];
    }
    seen.top = list.top;
    seen.mode = list.mode;
    seen.category = list.category;
    seen.marked = MarkedIds(a.events);
  };
}

// Coordinates of a 1024 x 768 window.
struct Where {
  Where() : probe(1024, 768) {}
  const EventsLayout& e() const { return probe.layout().events; }
  int lineHeight() const { return probe.app.gfx.lineHeight; }
  std::string Row(int r) const { return test::At(e().textColumnLeft + 40, e().list.top + r * lineHeight() + 5); }
  std::string CheckBox(int r) const {
    return test::At(e().checkColumnLeft + 12, e().list.top + r * lineHeight() + lineHeight() / 2);
  }
  std::string Click(const Rect& r, const char* extra = "") const {
    return "click " + test::CentreOf(r) + extra + "\n";
  }
  test::LayoutProbe probe;
};

// Four records in date order, so that record ids and rows agree.
const std::vector<test::NewEvent> kFour = {{Packed(2024, 5, 3), "Dentist"},
                                           {Packed(2024, 5, 10), "Doctor"},
                                           {Packed(2024, 5, 10), "Lunch"},
                                           {Packed(2024, 5, 20), "Party"}};
// The calendar of the week of Wednesday 8 May: 140 x 126 cells from (20, 120).
const std::string kStart = "today 2024-05-08\n";
std::string Cell(int row, int column, int dy) {
  return test::At(20 + 140 * column + 70, 120 + 126 * row + dy);
}

// A whole run of the script over these records, ending on the events screen.
Seen RunScript(const std::vector<test::NewEvent>& events, const std::string& script) {
  FrameRun run;
  run.AddEvents(events);
  Seen seen;
  Watch(run, seen);
  run.Go(script + "quit\n");
  return seen;
}

TEST(EventListScreen, OpensOnTheCalendarsSelection) {
  const std::pair<std::string, std::int32_t> cases[] = {
      {"", 0},                                     // nothing selected: the first record
      {"click " + Cell(0, 5, 27) + "\n", 1},       // the entry "Doctor" on Friday 10 May
      {"click " + Cell(1, 2, 90) + "\n", 2},       // Tuesday 14 May: the last record on or before it
      {"click " + Cell(0, 5, 90) + "\n", 2},       // the day cell of 10 May itself
  };
  for (const auto& [select, cursor] : cases) {
    SCOPED_TRACE(select);
    const Seen seen = RunScript(kFour, kStart + select + "type e\n");
    EXPECT_EQ(seen.listed, (Ids{0, 1, 2, 3}));
    EXPECT_EQ(seen.cursorId, cursor);
    EXPECT_EQ(seen.marked, Ids{cursor});
    EXPECT_EQ(seen.mode, kModeAllRecords);
    EXPECT_EQ(seen.category, kListAllCategories);
  }
}

TEST(EventListScreen, KeysAndClicksMoveTheCursorAndSetTheMarks) {
  Where at;
  struct Case {
    std::string actions;
    std::int32_t cursor;
    Ids marked;
  };
  const Case cases[] = {
      {"key A ctrl\n", 0, {0, 1, 2, 3}},
      {"key A ctrl\nkey A ctrl\n", 0, {}},
      {"key Down shift\nkey Down shift\nkey Down shift\n", 3, {0, 1, 2, 3}},
      {"key Down\nkey Down\n", 2, {2}},
      {"key Down ctrl\nkey Down ctrl\nkey Space\n", 2, {0, 2}},
      {"key Space\n", 0, {}},
      {"key End\n", 3, {3}},
      {"key Down\nkey End shift\n", 3, {1, 2, 3}},
      {"key End\nkey Home ctrl\n", 0, {3}},
      {"key PageDown\n", 3, {3}},
      {"click " + at.Row(2) + "\n", 2, {2}},
      {"click " + at.CheckBox(2) + "\n", 2, {0, 2}},
      {"click " + at.CheckBox(0) + "\n", 0, {}},
      // Below the last record nothing changes.
      {"click " + at.Row(6) + "\n", 0, {0}},
      // A press on one row dragged to another marks the rows between.
      {"press " + at.Row(1) + "\nmove " + at.Row(3) + "\nrelease " + at.Row(3) + "\n", 3, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.actions);
    const Seen seen = RunScript(kFour, kStart + "type e\n" + c.actions);
    EXPECT_EQ(seen.cursorId, c.cursor);
    EXPECT_EQ(seen.marked, c.marked);
  }
}

TEST(EventListScreen, PagesWheelAndScrollBarMoveTheRows) {
  Where at;
  const int rows = at.e().visibleRows;
  const Rect& bar = at.e().scrollBar;
  const std::string downArrow = test::At(bar.left + 8, bar.bottom - 8);
  struct Case {
    std::string actions;
    std::int32_t cursorRow, top;
  };
  const Case cases[] = {
      {"key PageDown\n", rows, rows},
      {"key PageDown\nkey PageDown\nkey PageUp\n", rows, std::min(2 * rows, 60 - rows) - rows},
      {"key End\n", 59, 60 - rows},
      {"key End\nkey PageDown\n", 59, 60 - rows},
      {"wheel -2\n", 0, 6},
      {"wheel -2\nwheel 1\n", 0, 3},
      {"click " + downArrow + "\n", 0, 1},
      {"wheel -1\nkey Down\n", 1, 1},  // the cursor is brought back into view
  };
  std::vector<test::NewEvent> many;
  for (int i = 0; i < 60; ++i) many.push_back({Packed(2024, 1 + i / 28, 1 + i % 28), "Day " + std::to_string(i)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.actions);
    const Seen seen = RunScript(many, kStart + "type e\n" + c.actions);
    EXPECT_EQ(seen.cursorId, c.cursorRow);
    EXPECT_EQ(seen.top, c.top);
  }
}

TEST(EventListScreen, DeleteRemovesExactlyTheMarkedRecordsAfterOk) {
  Where at;
  const std::string markThree = "click " + at.Row(1) + "\nkey Down shift\nkey Down shift\n";
  struct Case {
    std::string actions;
    Ids left;
    std::int32_t cursor;
  };
  const Case cases[] = {
      {markThree + "key Delete\nkey Enter\n", {0, 4}, 4},
      {markThree + at.Click(at.e().remove) + "key Enter\n", {0, 4}, 4},
      {markThree + "key Delete\ntype c\n", {0, 1, 2, 3, 4}, 3},  // "Cancel"
      {"key A ctrl\nkey A ctrl\nkey Delete\nkey Enter\n", {0, 1, 2, 3, 4}, 0},  // nothing marked: only a message
      {"key End\nkey Delete\nkey Enter\n", {0, 1, 2, 3}, 3},  // the cursor stays inside the shorter list
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.actions);
    FrameRun run;
    run.AddEvents(kFour);
    run.AddEvents({{Packed(2024, 6, 1), "Later"}});
    Seen seen;
    Watch(run, seen);
    run.Go(kStart + "type e\n" + c.actions + "quit\n");
    Ids left;
    for (const test::StoredEvent& e : run.Events()) left.push_back(e.recordId);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(seen.listed, c.left);
    EXPECT_EQ(seen.cursorId, c.cursor);
  }
}

TEST(EventListScreen, MoveCategoryMovesTheMarkedRecordsAndSavesTheirMarks) {
  Where at;
  const MoveCategoryDialogLayout dialog = LayOutMoveCategoryDialog(at.probe.app);
  FrameRun run;
  run.AddEvents(kFour);
  Seen seen;
  Watch(run, seen);
  // Rows 0 and 2 marked; Tab opens the category list, two steps down is category 2.
  run.Go(kStart + "type e\nkey Down ctrl\nkey Down ctrl\nkey Space\n" + at.Click(at.e().moveCategory) +
         "key Tab\nkey Down\nkey Down\nkey Enter\n" + at.Click(dialog.save) + "quit\n");
  EventStore stored;
  stored.eventFile = run.data.File("Event20.dat");
  LoadEvents(stored);
  for (const test::StoredEvent& e : test::ReadEvents(stored)) {
    const bool moved = e.recordId == 0 || e.recordId == 2;
    EXPECT_EQ(e.category, moved ? 2 : 0) << e.recordId;
    EXPECT_EQ(IsMarked(stored, e.offset), moved) << e.recordId;
  }
  EXPECT_EQ(seen.marked, (Ids{0, 2}));
  EXPECT_EQ(seen.listed, (Ids{0, 1, 2, 3}));
  EXPECT_EQ(seen.cursorId, 0);
}

TEST(EventListScreen, FindListsTheMatchingRecordsInFileOrder) {
  Where at;
  const std::vector<test::NewEvent> events = {{Packed(2024, 5, 1), "Doctor visit"},
                                              {Packed(2024, 5, 2), "Dentist and doctor"},
                                              {Packed(2024, 5, 3), "Birthday party at Ann's"},
                                              {Packed(2024, 5, 4), "Party for the birthday"},
                                              {Packed(2024, 5, 5), "DOCTOR again"}};
  const std::pair<std::string, Ids> cases[] = {
      {"doctor -dentist", {0, 4}},
      {"\"birthday party\"", {2}},
      {"birthday party", {2, 3}},
      {"/visit /ann's", {0, 2}},
      {"   ", {}},
      {"", {}},
  };
  for (const auto& [query, ids] : cases) {
    SCOPED_TRACE(query);
    const std::string typed = query.empty() ? "" : "type " + query + "\n";
    // A category filter first: the search lists every category again.
    const Seen seen = RunScript(events, kStart + "type e\n" + at.Click(at.e().categoryBox) +
                                            "key Down\nkey Down\nkey Enter\n" + at.Click(at.e().find) + typed +
                                            "key Enter\n");
    EXPECT_EQ(seen.listed, ids);
    EXPECT_EQ(seen.mode, kModeSearchResults);
    EXPECT_EQ(seen.category, kListAllCategories);
    EXPECT_EQ(seen.cursorId, ids.empty() ? -1 : ids.front());
    EXPECT_EQ(seen.marked, ids.empty() ? Ids{} : Ids{ids.front()});
  }
  // "Cancel" keeps the list as it was.
  const FindDialogLayout find = LayOutFindDialog(at.probe.app.ui);
  const Seen seen =
      RunScript(events, kStart + "type e\n" + at.Click(at.e().find) + "type doctor\n" + at.Click(find.cancel));
  EXPECT_EQ(seen.listed, (Ids{0, 1, 2, 3, 4}));
  EXPECT_EQ(seen.mode, kModeAllRecords);
}

TEST(EventListScreen, ModeAndCategoryFiltersRebuildTheList) {
  Where at;
  // Category list: "All Categories" first, so four steps down is category 3.
  const Seen seen = RunScript({{Packed(2024, 5, 1), "Home", 0, 0}, {Packed(2024, 5, 2), "Work", 0, 3}},
                              kStart + "type e\n" + at.Click(at.e().categoryBox) +
                                  "key Down\nkey Down\nkey Down\nkey Down\nkey Enter\n" + at.Click(at.e().modeBox) +
                                  "key Down\nkey Down\nkey Enter\n");
  EXPECT_EQ(seen.category, 3);
  EXPECT_EQ(seen.mode, kModeGenericEvents);
  EXPECT_EQ(seen.listed, Ids{1});
  EXPECT_EQ(seen.marked, Ids{1});
}

TEST(EventListScreen, EditingKeepsTheCursorOnTheSameRecord) {
  Where at;
  for (const std::string& open : {"click " + at.Row(1) + " right\n", "key Down\n" + at.Click(at.e().edit)}) {
    SCOPED_TRACE(open);
    FrameRun run;
    run.AddEvents(kFour);
    Seen seen;
    Watch(run, seen);
    // Ctrl+S saves the editor; "Zebra" now sorts last on its day.
    run.Go(kStart + "type e\n" + open + "key A ctrl\ntype Zebra\nkey S ctrl\nquit\n");
    Ids order;
    std::string text;
    for (const test::StoredEvent& e : run.Events()) {
      order.push_back(e.recordId);
      if (e.recordId == 1) text = e.text;
    }
    EXPECT_EQ(text, "Zebra");
    EXPECT_EQ(order, (Ids{0, 2, 1, 3}));
    EXPECT_EQ(seen.listed, order);
    EXPECT_EQ(seen.cursorId, 1);
  }
}

TEST(EventListScreen, LeavingSelectsTheCursorRecordsDayOnTheCalendar) {
  for (const std::string& leave : {std::string("type c\n"), std::string("key Enter\n")}) {
    SCOPED_TRACE(leave);
    FrameRun run;
    run.AddEvents(kFour);
    const auto before = run.EventBytes();
    run.Go(kStart + "type e\nkey End\n" + leave + "quit\n");
    EXPECT_EQ(run.app.program.CurrentScreen, ScreenCalendar);
    EXPECT_EQ(SelectedKey(run.app), "202405209999");
    EXPECT_EQ(PackDate(run.app.dates.display), Packed(2024, 5, 19));
    // Moving the cursor only marks in memory; leaving reads the file again.
    EXPECT_EQ(run.EventBytes(), before);
  }
}

TEST(EventListScreen, PrintNeedsAMarkedRecord) {
  Where at;
  std::vector<std::vector<std::uint32_t>> printed;
  EventListScreenHooks().printEvents = [&printed](Application&, const std::vector<std::uint32_t>& marked) {
    printed.push_back(marked);
  };
  FrameRun run;
  run.AddEvents(kFour);
  run.Go(kStart + "type e\n" + at.Click(at.e().print) + "key A ctrl\nkey A ctrl\n" + at.Click(at.e().print) +
         "key Enter\nquit\n");
  EventListScreenHooks().printEvents = nullptr;
  ASSERT_EQ(printed.size(), 1u);  // the second press only told that nothing is marked
  EXPECT_EQ(printed[0].size(), 1u);
}

}  // namespace
}  // namespace kal
