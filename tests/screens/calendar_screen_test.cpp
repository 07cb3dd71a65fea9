// The calendar screen as the user drives it: whole runs on the headless
// backend, checked through the grid, the window image and the event file.
#include "screens/calendar_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "calendar/sort_key.h"
#include "frame_run.h"
#include "platform/images.h"
#include "support/record_builder.h"

namespace kal {
namespace {

using test::FrameRun;
using test::Packed;

// At 1024 x 768, while no week needs more than its even share, day cells are
// 140 wide and rows 126 high from (20, 120).
constexpr int kCellWidth = 140, kRowHeight = 126, kAreaLeft = 20, kAreaTop = 120;

// A point `dy` below the top of the day cell at row r, column c.
std::string At(int row, int column, int dy = 60) {
  return test::At(kAreaLeft + kCellWidth * column + 70, kAreaTop + kRowHeight * row + dy);
}
std::string OnFirstEntry(int row, int column) { return At(row, column, 27); }

const std::string kStart = "today 2024-05-15\n";  // the view starts on Sunday 12 May 2024
std::int32_t Display(const Application& app) { return PackDate(app.dates.display); }

TEST(CalendarScreen, StartsWithTheWeekOfTodayAndNothingSelected) {
  FrameRun run;
  run.Go(kStart);
  EXPECT_TRUE(run.window->Visible());
  EXPECT_EQ(Display(run.app), Packed(2024, 5, 12));
  EXPECT_EQ(run.app.grid.selected, -1);
  ASSERT_EQ(run.app.grid.count(), 35);
  EXPECT_EQ(run.app.grid.items.front().key, "202405129999");
  EXPECT_EQ(run.app.grid.items.back().key, "202406159999");
  // Today's cell carries its dark red frame just inside the grey outline.
  EXPECT_EQ(run.window->image().At(kAreaLeft + 3 * kCellWidth + 1, kAreaTop + 60), Rgb(160, 0, 0));
  EXPECT_EQ(run.window->image().At(kAreaLeft + 3 * kCellWidth, kAreaTop + 60), Rgb(100, 100, 100));
}

TEST(CalendarScreen, ClickingADayTwiceOpensTheChooser) {
  const std::string select = "click " + At(0, 4) + "\n";  // Thursday 16 May
  const std::pair<std::string, bool> cases[] = {
      {select + select, true}, {"dclick " + At(0, 4) + "\n", true}, {select + "key Enter\n", true}, {select, false},
      // A click on another day and back only moves the selection.
      {select + "click " + At(0, 5) + "\n" + select, false}};
  for (const auto& [actions, shown] : cases) {
    SCOPED_TRACE(actions);
    FrameRun run;
    run.AddEvents({{Packed(2024, 5, 1), "Earlier"}});
    const auto before = run.EventBytes();
    const std::string shot = run.lock.File("shot.png");
    run.Go(kStart + actions + "screenshot " + shot + "\nkey Escape\n");
    // The pop-up list's raised white border lies over the selected (navy) day.
    Surface image;
    ASSERT_TRUE(LoadImageFile(shot, image));
    EXPECT_EQ(image.At(kAreaLeft + 4 * kCellWidth + 3, kAreaTop + 18) == ColourWhite, shown);
    EXPECT_EQ(run.EventBytes(), before);  // cancelled: nothing written
    EXPECT_EQ(SelectedKey(run.app), "202405169999");
  }
}

TEST(CalendarScreen, AGenericEventChosenOnADayIsSavedOnThatDay) {
  FrameRun run;
  run.AddEvents({{Packed(2024, 5, 1), "Earlier"}});
  // Enter chooses the first kind, "Generic Event"; Ctrl+S saves the editor.
  run.Go(kStart + "dclick " + At(0, 4) + "\nkey Enter\ntype Dentist\nkey S ctrl\n");
  const auto stored = run.Events();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[1].date, Packed(2024, 5, 16));
  EXPECT_EQ(stored[1].kind, kKindGeneric);
  EXPECT_EQ(stored[1].text, "Dentist");
  EXPECT_EQ(stored[1].recordId, 1);  // the one stored before has id 0
  bool shown = false;  // at once, in its day
  for (const GridItem& item : run.app.grid.items) shown = shown || item.key == "202405169999Dentist";
  EXPECT_TRUE(shown);
}

// Month steps count from the selected day, or with nothing selected from the
// middle of the weeks shown (late May).
TEST(CalendarScreen, KeysAndButtonsMoveTheSelectionAndTheView) {
  struct Case {
    std::string actions;
    std::string selected;  // the selected grid key
    std::int32_t display;
    std::vector<test::NewEvent> events = {};
  };
  const std::string wednesday = "click " + At(0, 3) + "\n";  // the 15th
  const std::string previous = "click 32 77\n", next = "click 117 77\n";
  const Case cases[] = {
      {wednesday + "key PageUp\n", "202405019999", Packed(2024, 4, 28)},
      {wednesday + previous + previous, "202404019999", Packed(2024, 3, 31)},
      {wednesday + "key PageDown\n", "202406019999", Packed(2024, 5, 26)},
      {wednesday + "key PageDown ctrl\n", "202505019999", Packed(2025, 4, 27)},
      {wednesday + "key PageUp ctrl\n", "202305019999", Packed(2023, 4, 30)},
      {wednesday + "key Left\nkey Left\nkey Left\nkey Left\n", "202405119999", Packed(2024, 5, 5)},
      {wednesday + "key Up\n", "202405089999", Packed(2024, 5, 5)},
      {wednesday + "key Down\nkey Down\nkey Down\nkey Down\nkey Down\n", "202406199999", Packed(2024, 5, 19)},
      {wednesday + "key PageDown\nkey PageDown\nkey Home\n", "202405159999", Packed(2024, 5, 12)},
      {wednesday + "key PageDown\nclick 75 77\n", "202405159999", Packed(2024, 5, 12)},
      // Right on the last Saturday scrolls one week.
      {"click " + At(4, 6) + "\nkey Right\n", "202406169999", Packed(2024, 5, 19)},
      // A day change jumps to today.
      {wednesday + "key PageDown\nkey PageDown\ntoday 2024-05-19\nwait 60000\n", "202405199999", Packed(2024, 5, 19)},
      {"key Right\nkey Down\nkey Up\nkey Left\nkey Enter\nkey Delete\n", "", Packed(2024, 5, 12)},
      {next, "202406019999", Packed(2024, 5, 26)},
      {"key PageUp\n", "202405019999", Packed(2024, 4, 28)},
      // On an entry, Up and Down walk the items.
      {"click " + OnFirstEntry(0, 3) + "\nkey Down\n", "202405159999Second", Packed(2024, 5, 12),
       {{Packed(2024, 5, 15), "First"}, {Packed(2024, 5, 15), "Second"}}},
      {"click " + OnFirstEntry(0, 3) + "\nkey Up\n", "202405159999", Packed(2024, 5, 12),
       {{Packed(2024, 5, 15), "First"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.actions);
    FrameRun run;
    run.AddEvents(c.events);
    run.Go(kStart + c.actions);
    EXPECT_EQ(SelectedKey(run.app), c.selected);
    EXPECT_EQ(Display(run.app), c.display);
    EXPECT_FALSE(run.app.dates.dayChanged);
  }
}

TEST(CalendarScreen, HoldingTheNextButtonRepeatsAfter300MsThenEvery25Ms) {
  FrameRun run;
  const std::string held = run.lock.File("held.png"), after = run.lock.File("after.png");
  // Steps at 0, 300, 325, 350 and 375 ms; the release comes at 390 ms.
  run.Go(kStart + "click " + At(0, 3) + "\npress 117 77\nwait 390\nscreenshot " + held +
         "\nrelease 117 77\nscreenshot " + after + "\n");
  EXPECT_EQ(SelectedKey(run.app), "202410019999");
  // Pressed, the button's outer ring is black at its top left; released, white.
  Surface image;
  ASSERT_TRUE(LoadImageFile(held, image));
  EXPECT_EQ(image.At(105, 65), ColourBlack);
  ASSERT_TRUE(LoadImageFile(after, image));
  EXPECT_EQ(image.At(105, 65), ColourWhite);
}

TEST(CalendarScreen, PrintStartsTheScreenAgainFromThePrintedFirstDay) {
  FrameRun run;
  int printed = 0;
  CalendarScreenHooks().printCalendar = [&](Application& app) {
    ++printed;
    // Printing builds the shared grid for its own page and leaves it so.
    BuildCalendarGrid(app.grid, app.events, app.categories, UnitModes{}, *app.gfx.text, 6, Rect{0, 0, 700, 600},
                      Packed(2024, 5, 5));
  };
  run.Go(kStart + "click " + At(0, 3) + "\nclick 950 77\n");
  CalendarScreenHooks() = CalendarHooks{};
  EXPECT_EQ(printed, 1);
  EXPECT_EQ(Display(run.app), Packed(2024, 5, 5));
  EXPECT_EQ(run.app.grid.count(), 35);
  EXPECT_EQ(run.app.grid.items.front().right - run.app.grid.items.front().left + 1, kCellWidth);
}

TEST(CalendarScreen, DraggingAnEntryMovesOrCopiesIt) {
  struct Case {
    std::string actions;
    std::vector<std::int32_t> dates;
    std::string selectedDay;
    std::int32_t display;
  };
  const std::string grab = "press " + OnFirstEntry(0, 4);  // Dentist, Thursday 16 May
  const auto drop = [](const std::string& at, const std::string& button) {
    return "move " + at + "\nrelease " + at + button + "\n";
  };
  const std::int32_t may16 = Packed(2024, 5, 16), may12 = Packed(2024, 5, 12);
  const Case cases[] = {
      // The left button moves, the right one copies (to Wednesday 22 May).
      {grab + "\nmove 660 170\n" + drop(At(1, 3), ""), {Packed(2024, 5, 22)}, "20240522", may12},
      {grab + " right\nmove 660 170\n" + drop(At(1, 3), " right"), {may16, Packed(2024, 5, 22)}, "20240522", may12},
      // A copy onto its own day is removed again as a duplicate; a day cell drags nothing.
      {grab + " right\n" + drop(At(0, 4, 100), " right") + "press " + At(0, 1) + "\n" + drop(At(1, 1), ""), {may16},
       "20240520", may12},
      // Above the grid it scrolls back a week at once and every 100 ms; below, forward.
      {grab + "\nmove 600 100\nwait 250\nrelease 600 100\n", {Packed(2024, 4, 25)}, "20240425", Packed(2024, 4, 21)},
      {grab + " right\nmove 600 760\nwait 50\n" + drop(At(0, 4), " right"), {may16, Packed(2024, 5, 23)}, "20240523",
       Packed(2024, 5, 19)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.actions);
    FrameRun run;
    run.AddEvents({{may16, "Dentist", 0, 3, 9}});
    run.Go(kStart + c.actions);
    const auto stored = run.Events();
    ASSERT_EQ(stored.size(), c.dates.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
      EXPECT_EQ(stored[i].date, c.dates[i]);
      EXPECT_EQ(stored[i].text, "Dentist");
    }
    // A copy is a record of its own, outside the original's group.
    if (stored.size() == 2) {
      EXPECT_NE(stored[0].recordId, stored[1].recordId);
      EXPECT_NE(stored[0].group, stored[1].group);
    }
    EXPECT_EQ(SelectedKey(run.app).substr(0, 8), c.selectedDay);
    EXPECT_EQ(Display(run.app), c.display);
  }
}

// Every answer of the question is pinned where the grid deletes; here the
// Delete key reaches it and the day stays selected.
TEST(CalendarScreen, DeleteAsksForTheEntryOrItsWholeGroup) {
  FrameRun run;
  run.AddEvents({{Packed(2024, 5, 1), "Gym", 1, 4}});  // every week: 150 Wednesdays from 1 May
  run.Go(kStart + "click " + OnFirstEntry(0, 3) + "\nkey Delete\ntype d\n");
  const auto stored = run.Events();
  EXPECT_EQ(stored.size(), 149u);
  for (const auto& r : stored) EXPECT_NE(r.date, Packed(2024, 5, 15));
  EXPECT_EQ(SelectedKey(run.app), "202405159999");
}

TEST(CalendarScreen, OpeningEntriesDispatchesByKind) {
  FrameRun run;
  run.AddEvents({{Packed(2024, 5, 16), "Dentist"}});
  {
    EventStore store;
    store.eventFile = run.data.File("Event20.dat");
    LoadEvents(store);
    test::AddCycle(store, Packed(2024, 5, 17), "Cycle", 1);
    test::AddWeight(store, Packed(2024, 5, 18), "Weigh-in", 70000);
    ASSERT_TRUE(SaveEvents(store, RecordSortKeys(UnitModes{}), SilentHost()));
  }
  // A right click opens an entry at once: the editor for the generic event, a
  // message for the predicted cycle and for the weight, each of which takes
  // the Right key and the Enter that closes it.
  run.Go(kStart + "click " + OnFirstEntry(0, 4) + " right\ntype X\nkey S ctrl\n" + "click " + OnFirstEntry(0, 5) +
         " right\nkey Right\nkey Enter\n" + "click " + OnFirstEntry(0, 6) + "\nclick " + OnFirstEntry(0, 6) +
         "\nkey Right\nkey Enter\n");
  const auto stored = run.Events();
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0].date, Packed(2024, 5, 16));
  EXPECT_NE(stored[0].text.find("Dentist"), std::string::npos);
  EXPECT_NE(stored[0].text.find('X'), std::string::npos);
  EXPECT_EQ(SelectedKey(run.app).substr(0, 12), "202405189999");
  EXPECT_GT(SelectedKey(run.app).size(), 12u);  // still the weight entry: the keys went to the messages
}

TEST(CalendarScreen, SilentStartHidesAfterDrawingTheWallpaperCalendar) {
  FrameRun run;
  std::vector<std::string> calls;
  run.app.hooks.restoreUserWallpaper = [&] { calls.push_back("restore"); };
  run.app.hooks.updateWallpaperCalendar = [&] { calls.push_back("draw"); };
  run.options.commandLine = "  /SILENT  ";
  run.Go(kStart);
  // The exit sequence puts the user's wallpaper back once more.
  EXPECT_EQ(calls, (std::vector<std::string>{"restore", "draw", "restore"}));
  EXPECT_FALSE(run.window->Visible());
  EXPECT_TRUE(run.window->trayIconShown());
  EXPECT_EQ(run.app.CommandLine, "");
  EXPECT_EQ(run.app.grid.count(), 35);
}

// 30 records a day around the view, the rest spread over the years before:
// loading and four rebuilds stay quick (even under the sanitizers) and every
// day cell is still there.
TEST(CalendarScreen, AHundredThousandRecordsStillShowEveryDay) {
  FrameRun run;
  std::vector<std::uint8_t> bytes;  // appended at once: a store grown record by record crawls under the sanitizers
  for (int i = 0; i < 100000; ++i) {
    const int day = i % 120;
    const std::int32_t date =
        i < 3600 ? Packed(2024, 5 + day / 30, 1 + day % 28) : Packed(1990 + i % 30, 1 + i % 12, 1 + i % 28);
    const auto record = test::RecordBytes(kKindGeneric, date, rec::kGenericFixed)
                            .Byte(rec::kStartHour, 255)
                            .Byte(rec::kEndHour, 99)
                            .Text("Entry " + std::to_string(i))
                            .Finish();
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  EventStore store;
  store.eventFile = run.data.File("Event20.dat");
  test::AppendTo(store, bytes);
  ASSERT_TRUE(SaveEvents(store, RecordSortKeys(UnitModes{}), SilentHost()));
  const auto start = std::chrono::steady_clock::now();
  run.Go(kStart + "click " + At(0, 3, 5) + "\nkey PageDown\nkey PageDown\nkey PageUp\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(SelectedKey(run.app), "202406019999");
  const auto& items = run.app.grid.items;
  EXPECT_EQ(std::count_if(items.begin(), items.end(), [](const GridItem& g) { return g.IsDayCell(); }), 35);
  EXPECT_GT(run.app.grid.count(), 35);
}

}  // namespace
}  // namespace kal
