#include "screens/calendar_screen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "calendar/repeat.h"
#include "platform/freetype_text.h"
#include "platform/headless_window.h"
#include "platform/images.h"
#include "store/event_record.h"
#include "support/record_builder.h"
#include "support/test_support.h"

namespace kal {
namespace {

// Geometry of the calendar at 1024 x 768 while no week needs more than its
// even share: cells 140 wide, rows 126 high, from (20, 120).
constexpr int kCellWidth = 140;
constexpr int kRowHeight = 126;
constexpr int kAreaLeft = 20;
constexpr int kAreaTop = 120;

// A point inside the day cell at row r, column c, below its date line.
std::string At(int row, int column, int dy = 60) {
  return std::to_string(kAreaLeft + kCellWidth * column + 70) + " " + std::to_string(kAreaTop + kRowHeight * row + dy);
}

// A point on the first entry box of that cell.
std::string OnFirstEntry(int row, int column) { return At(row, column, 27); }

struct EventSpec {
  std::int32_t date;
  std::string text;
  int category = 0;
  int repeat = 0;
  int startHour = 255;
};

struct Recorded {
  std::int32_t date;
  std::uint32_t kind;
  std::int32_t recordId;
  std::int32_t groupId;
  std::string text;
};

// The desktop program on the headless backend, with an event file made
// beforehand and the calendar screen as screen 1.
struct CalendarRun {
  CalendarRun() { CalendarScreenHooks() = CalendarHooks{}; }
  ~CalendarRun() { CalendarScreenHooks() = CalendarHooks{}; }

  void Events(const std::vector<EventSpec>& events) {
    EventStore store;
    store.eventFile = data.File("Event20.dat");
    LoadEvents(store);
    for (const EventSpec& e : events) {
      PrepareWorkRecord(store, kKindGeneric, static_cast<std::uint8_t>(e.category), e.date);
      const auto length = static_cast<std::uint32_t>(rec::kGenericFixed + e.text.size());
      SetLong(store.workRecord, rec::kLength, static_cast<std::int32_t>(length));
      SetLong(store.workRecord, rec::kRecordId, NextRecordId(store));
      SetLong(store.workRecord, rec::kGroupId, NextGroupId(store));
      SetByte(store.workRecord, rec::kRepeatMode, e.repeat);
      SetByte(store.workRecord, rec::kStartHour, e.startHour);
      PutBytes(store.workRecord, rec::kGenericText, e.text);
      SetWord(store.workRecord, length - 2, kEndMarker);
      ASSERT_TRUE(NewEventGroup(store, UnitModes{}, SilentHost()));
    }
  }

  int Go(const std::string& script) {
    ScriptParseResult r = ParseInputScript(script);
    EXPECT_TRUE(r.ok()) << r.error;
    window = std::make_unique<HeadlessWindow>(std::move(r.commands));
    StartupOptions options;
    options.window = window.get();
    options.text = &text;
    options.dataFolder = data.path().string();
    options.instanceFolder = lock.path().string();
    options.forcedClientWidth = window->startWidth();
    options.forcedClientHeight = window->startHeight();
    return RunProgram(app, options);
  }

  // The live records of the event file as it is on disk now.
  std::vector<Recorded> Stored() const {
    EventStore store;
    store.eventFile = data.File("Event20.dat");
    LoadEvents(store);
    std::vector<Recorded> out;
    for (std::uint32_t i = 0; i < store.indexCount; ++i) {
      const std::uint32_t off = IndexOffset(store, i);
      if (RecordKindAt(store, off) == kKindDeleted) continue;
      std::string t;
      GetBytes(store.store, off + rec::kGenericText, RecordLength(store, off) - rec::kGenericFixed, t);
      out.push_back(Recorded{Long(store.store, off + rec::kDate), RecordKindAt(store, off),
                             Long(store.store, off + rec::kRecordId), Long(store.store, off + rec::kGroupId), t});
    }
    return out;
  }

  std::string SelectedDay() const {
    const std::string key = SelectedKey(app);
    return key.substr(0, 8);
  }
  std::int32_t Display() const { return PackDate(app.dates.display); }

  test::TempDir data;
  test::TempDir lock;
  FreeTypeTextRenderer text;
  std::unique_ptr<HeadlessWindow> window;
  Application app;
};

const std::string kStart = "size 1024 768\ntoday 2024-05-15\n";  // the view starts on Sunday 12 May 2024

TEST(CalendarScreen, StartsWithTheWeekOfTodayAndNothingSelected) {
  CalendarRun run;
  run.Go(kStart);
  EXPECT_TRUE(run.window->Visible());
  EXPECT_EQ(run.Display(), test::Packed(2024, 5, 12));
  EXPECT_EQ(run.app.grid.selected, -1);
  ASSERT_EQ(run.app.grid.count(), 35);
  EXPECT_EQ(run.app.grid.items.front().key, "202405129999");
  EXPECT_EQ(run.app.grid.items.back().key, "202406159999");
  // Today's cell carries its dark red frame just inside the grey outline.
  const Surface& image = run.window->image();
  EXPECT_EQ(image.At(kAreaLeft + 3 * kCellWidth + 1, kAreaTop + 60), Rgb(160, 0, 0));
  EXPECT_EQ(image.At(kAreaLeft + 3 * kCellWidth, kAreaTop + 60), Rgb(100, 100, 100));
}

// Whether the pop-up list of record kinds was on screen in a screenshot: its
// raised white border then lies over the selected (navy) Thursday 16 May.
bool ChooserShown(const std::string& png) {
  Surface image;
  if (!LoadImageFile(png, image)) return false;
  return image.At(kAreaLeft + 4 * kCellWidth + 3, kAreaTop + 18) == ColourWhite;
}

TEST(CalendarScreen, ClickingADayTwiceOpensTheChooser) {
  struct Case {
    const char* name;
    std::string actions;
    bool shown;
  };
  const std::string thursday = At(0, 4);
  const std::string select = "click " + thursday + "\n";
  const Case cases[] = {
      {"second click", select + select, true},
      {"double click", "dclick " + thursday + "\n", true},
      {"Enter", select + "key Enter\n", true},
      {"one click", select, false},
      // A click on another day and back only moves the selection.
      {"other day", select + "click " + At(0, 5) + "\n" + select, false},
  };
  for (const Case& c : cases) {
    CalendarRun run;
    run.Events({{test::Packed(2024, 5, 1), "Earlier"}});
    const std::vector<std::uint8_t> before = test::ReadAll(run.data.File("Event20.dat"));
    const std::string shot = run.lock.File("shot.png");
    run.Go(kStart + c.actions + "screenshot " + shot + "\nkey Escape\n");
    EXPECT_EQ(ChooserShown(shot), c.shown) << c.name;
    // Cancelled: nothing written.
    EXPECT_EQ(test::ReadAll(run.data.File("Event20.dat")), before) << c.name;
    EXPECT_EQ(run.SelectedDay(), "20240516") << c.name;
  }
}

TEST(CalendarScreen, AGenericEventChosenOnADayIsSavedOnThatDay) {
  CalendarRun run;
  run.Events({{test::Packed(2024, 5, 1), "Earlier"}});
  // Enter chooses the first kind, "Generic Event"; Ctrl+S saves the editor.
  run.Go(kStart + "dclick " + At(0, 4) + "\nkey Enter\ntype Dentist\nkey S ctrl\n");
  const std::vector<Recorded> stored = run.Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[1].date, test::Packed(2024, 5, 16));
  EXPECT_EQ(stored[1].kind, kKindGeneric);
  EXPECT_EQ(stored[1].text, "Dentist");
  EXPECT_EQ(stored[1].recordId, 1);  // the one stored before has id 0
  // The new entry shows in its day at once.
  EXPECT_NE(FindDayCell(run.app.grid, "202405169999"), -1);
  bool shown = false;
  for (const GridItem& item : run.app.grid.items) shown = shown || item.key == "20240516" "9999" "Dentist";
  EXPECT_TRUE(shown);
}

TEST(CalendarScreen, SelectionKeysAndButtonsMoveTheView) {
  struct Case {
    std::string actions;  // after selecting Wednesday 15 May (row 0, column 3)
    std::string selected;
    std::int32_t display;
  };
  const std::string previous = "click 32 77\n";
  const std::string next = "click 117 77\n";
  const Case cases[] = {
      {"key PageUp\n", "20240501", test::Packed(2024, 4, 28)},
      {"key PageUp\nkey PageUp\n", "20240401", test::Packed(2024, 3, 31)},
      {previous + previous, "20240401", test::Packed(2024, 3, 31)},
      {"key PageDown\n", "20240601", test::Packed(2024, 5, 26)},
      {next, "20240601", test::Packed(2024, 5, 26)},
      {"key PageDown ctrl\n", "20250501", test::Packed(2025, 4, 27)},
      {"key PageUp ctrl\n", "20230501", test::Packed(2023, 4, 30)},
      {"key Left\nkey Left\nkey Left\nkey Left\n", "20240511", test::Packed(2024, 5, 5)},
      {"key Up\n", "20240508", test::Packed(2024, 5, 5)},
      {"key Down\nkey Down\nkey Down\nkey Down\nkey Down\n", "20240619", test::Packed(2024, 5, 19)},
      {"key PageDown\nkey PageDown\nkey Home\n", "20240515", test::Packed(2024, 5, 12)},
      {"key PageDown\nclick 75 77\n", "20240515", test::Packed(2024, 5, 12)},
  };
  for (const Case& c : cases) {
    CalendarRun run;
    run.Go(kStart + "click " + At(0, 3) + "\n" + c.actions);
    EXPECT_EQ(run.SelectedDay(), c.selected) << c.actions;
    EXPECT_EQ(run.Display(), c.display) << c.actions;
    EXPECT_TRUE(run.app.grid.items[static_cast<std::size_t>(run.app.grid.selected)].IsDayCell()) << c.actions;
  }
}

TEST(CalendarScreen, HoldingTheNextButtonRepeatsAfter300MsThenEvery25Ms) {
  CalendarRun run;
  const std::string held = run.lock.File("held.png");
  const std::string after = run.lock.File("after.png");
  // Steps at 0, 300, 325, 350 and 375 ms; the release comes at 390 ms.
  run.Go(kStart + "click " + At(0, 3) + "\npress 117 77\nwait 390\nscreenshot " + held + "\nrelease 117 77\nscreenshot " +
         after + "\n");
  EXPECT_EQ(run.SelectedDay(), "20241001");
  // Pressed, the button's outer ring is black at its top left; released, white.
  Surface image;
  ASSERT_TRUE(LoadImageFile(held, image));
  EXPECT_EQ(image.At(105, 65), ColourBlack);
  ASSERT_TRUE(LoadImageFile(after, image));
  EXPECT_EQ(image.At(105, 65), ColourWhite);
}

TEST(CalendarScreen, PrintStartsTheScreenAgainFromThePrintedFirstDay) {
  CalendarRun run;
  int printed = 0;
  CalendarScreenHooks().printCalendar = [&](Application& app) {
    ++printed;
    // Printing builds the shared grid for its own page and leaves it so.
    BuildCalendarGrid(app.grid, app.events, app.categories, UnitModes{}, *app.gfx.text, 6, Rect{0, 0, 700, 600},
                      test::Packed(2024, 5, 5));
  };
  run.Go(kStart + "click " + At(0, 3) + "\nclick 950 77\n");
  EXPECT_EQ(printed, 1);
  EXPECT_EQ(run.Display(), test::Packed(2024, 5, 5));
  EXPECT_EQ(run.app.grid.count(), 35);
  EXPECT_EQ(run.app.grid.items.front().right - run.app.grid.items.front().left + 1, kCellWidth);
}

TEST(CalendarScreen, RightOnTheLastSaturdayScrollsOneWeek) {
  CalendarRun run;
  run.Go(kStart + "click " + At(4, 6) + "\nkey Right\n");
  EXPECT_EQ(run.SelectedDay(), "20240616");
  EXPECT_EQ(run.Display(), test::Packed(2024, 5, 19));
  // The new first row starts on the Sunday after the old one.
  EXPECT_EQ(run.app.grid.items.front().key, "202405199999");
}

TEST(CalendarScreen, WithNothingSelectedOnlyTheMonthStepsWork) {
  CalendarRun run;
  run.Go(kStart + "key Right\nkey Down\nkey Up\nkey Left\nkey Enter\nkey Delete\n");
  EXPECT_EQ(run.app.grid.selected, -1);
  EXPECT_EQ(run.Display(), test::Packed(2024, 5, 12));

  // The month keys and buttons count from the middle of the weeks shown, here late May.
  const std::pair<std::string, std::string> steps[] = {
      {"click 117 77\n", "20240601"}, {"key PageDown\n", "20240601"}, {"key PageUp\n", "20240501"}};
  for (const auto& [action, selected] : steps) {
    CalendarRun month;
    month.Go(kStart + action);
    EXPECT_EQ(month.SelectedDay(), selected) << action;
  }
}

TEST(CalendarScreen, UpAndDownOnAnEntryWalkTheItems) {
  CalendarRun run;
  run.Events({{test::Packed(2024, 5, 15), "First"}, {test::Packed(2024, 5, 15), "Second"}});
  run.Go(kStart + "click " + OnFirstEntry(0, 3) + "\nkey Down\n");
  EXPECT_EQ(SelectedKey(run.app), "20240515" "9999" "Second");
  CalendarRun up;
  up.Events({{test::Packed(2024, 5, 15), "First"}});
  up.Go(kStart + "click " + OnFirstEntry(0, 3) + "\nkey Up\n");
  EXPECT_EQ(SelectedKey(up.app), "202405159999");
}

TEST(CalendarScreen, DraggingAnEntryMovesItOrCopiesIt) {
  for (const bool copy : {false, true}) {
    CalendarRun run;
    run.Events({{test::Packed(2024, 5, 16), "Dentist", 3, 0, 9}});
    const std::string button = copy ? " right" : "";
    const std::string target = At(1, 3);  // Wednesday 22 May
    run.Go(kStart + "press " + OnFirstEntry(0, 4) + button + "\nmove 660 170\nmove " + target + "\nrelease " + target +
           button + "\n");
    const std::vector<Recorded> stored = run.Stored();
    ASSERT_EQ(stored.size(), copy ? 2u : 1u) << copy;
    EXPECT_EQ(stored.back().date, test::Packed(2024, 5, 22));
    EXPECT_EQ(stored.back().text, "Dentist");
    if (copy) {
      EXPECT_EQ(stored.front().date, test::Packed(2024, 5, 16));
      // The copy is a record of its own, outside the original's group.
      EXPECT_NE(stored.back().recordId, stored.front().recordId);
      EXPECT_NE(stored.back().groupId, stored.front().groupId);
    }
    EXPECT_EQ(run.SelectedDay(), "20240522");
  }
}

TEST(CalendarScreen, DroppingOnTheSameDayOrDraggingADayChangesNothing) {
  CalendarRun run;
  run.Events({{test::Packed(2024, 5, 16), "Dentist"}});
  const std::vector<std::uint8_t> before = test::ReadAll(run.data.File("Event20.dat"));
  // A copy onto its own day is removed again as a duplicate; a day cell drags nothing.
  run.Go(kStart + "press " + OnFirstEntry(0, 4) + " right\nmove " + At(0, 4, 100) + "\nrelease " + At(0, 4, 100) +
         " right\npress " + At(0, 1) + "\nmove " + At(1, 1) + "\nrelease " + At(1, 1) + "\n");
  const std::vector<Recorded> stored = run.Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].date, test::Packed(2024, 5, 16));
  EXPECT_EQ(run.SelectedDay(), "20240520");
}

TEST(CalendarScreen, DraggingAboveTheGridScrollsBackAWeekEvery100Ms) {
  CalendarRun run;
  run.Events({{test::Packed(2024, 5, 16), "Dentist"}});
  // Scrolls at once, after 100 ms and after 200 ms; released at 250 ms.
  run.Go(kStart + "press " + OnFirstEntry(0, 4) + "\nmove 600 100\nwait 250\nrelease 600 100\n");
  EXPECT_EQ(run.Display(), test::Packed(2024, 4, 21));
  const std::vector<Recorded> stored = run.Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].date, test::Packed(2024, 4, 25));
}

TEST(CalendarScreen, DraggingBelowTheGridScrollsForward) {
  CalendarRun run;
  run.Events({{test::Packed(2024, 5, 16), "Dentist"}});
  run.Go(kStart + "press " + OnFirstEntry(0, 4) + " right\nmove 600 760\nwait 50\nmove " + At(0, 4) + "\nrelease " +
         At(0, 4) + " right\n");
  EXPECT_EQ(run.Display(), test::Packed(2024, 5, 19));
  const std::vector<Recorded> stored = run.Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored.back().date, test::Packed(2024, 5, 23));
}

TEST(CalendarScreen, DeleteAsksForTheEntryOrItsWholeGroup) {
  struct Case {
    const char* answer;
    std::size_t left;
  };
  const Case cases[] = {{"type g\n", 0}, {"type d\n", 149}, {"key Escape\nclick 0 0\n", 150}};
  for (const Case& c : cases) {
    CalendarRun run;
    run.Events({{test::Packed(2024, 5, 1), "Gym", 4, 1}});  // every week: 150 Wednesdays from 1 May
    ASSERT_EQ(run.Stored().size(), 150u);
    run.Go(kStart + "click " + OnFirstEntry(0, 3) + "\nkey Delete\n" + c.answer);
    const std::vector<Recorded> stored = run.Stored();
    EXPECT_EQ(stored.size(), c.left) << c.answer;
    if (c.left == 149) {
      for (const Recorded& r : stored) EXPECT_NE(r.date, test::Packed(2024, 5, 15));
    }
    // The day of the deleted entry stays selected.
    EXPECT_EQ(SelectedKey(run.app), "202405159999") << c.answer;
  }
}

TEST(CalendarScreen, ADayChangeJumpsToToday) {
  CalendarRun run;
  run.Go(kStart + "click " + At(0, 3) + "\nkey PageDown\nkey PageDown\ntoday 2024-05-19\nwait 60000\n");
  EXPECT_EQ(run.SelectedDay(), "20240519");
  EXPECT_EQ(run.Display(), test::Packed(2024, 5, 19));
  EXPECT_FALSE(run.app.dates.dayChanged);
  EXPECT_EQ(run.app.dates.today, (Ymd{2024, 5, 19}));
}

TEST(CalendarScreen, OpeningEntriesDispatchesByKind) {
  CalendarRun run;
  run.Events({{test::Packed(2024, 5, 16), "Dentist"}});
  {
    // Health records, stored straight into the file.
    EventStore store;
    store.eventFile = run.data.File("Event20.dat");
    LoadEvents(store);
    test::AddCycle(store, test::Packed(2024, 5, 17), "Cycle", 1);
    test::AddWeight(store, test::Packed(2024, 5, 18), "Weigh-in", 70000);
    ASSERT_TRUE(SaveEvents(store, UnitModes{}, SilentHost()));
  }
  // A right click opens an entry at once: the event editor for the generic
  // event, a message for the predicted cycle and for the weight, each of
  // which takes the Right key and the Enter that closes it.
  run.Go(kStart + "click " + OnFirstEntry(0, 4) + " right\ntype X\nkey S ctrl\n" + "click " + OnFirstEntry(0, 5) +
         " right\nkey Right\nkey Enter\n" + "click " + OnFirstEntry(0, 6) + "\nclick " + OnFirstEntry(0, 6) +
         "\nkey Right\nkey Enter\n");
  const std::vector<Recorded> stored = run.Stored();
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0].date, test::Packed(2024, 5, 16));
  EXPECT_NE(stored[0].text.find("Dentist"), std::string::npos);
  EXPECT_NE(stored[0].text.find('X'), std::string::npos);
  EXPECT_EQ(SelectedKey(run.app).substr(0, 12), "202405189999");
  EXPECT_GT(SelectedKey(run.app).size(), 12u);  // still the weight entry: the keys went to the messages
}

TEST(CalendarScreen, SilentStartHidesAfterDrawingTheWallpaperCalendar) {
  CalendarRun run;
  std::vector<std::string> calls;
  run.app.hooks.restoreUserWallpaper = [&] { calls.push_back("restore"); };
  run.app.hooks.updateWallpaperCalendar = [&] { calls.push_back("draw"); };
  ScriptParseResult r = ParseInputScript(kStart);
  run.window = std::make_unique<HeadlessWindow>(std::move(r.commands));
  StartupOptions options;
  options.window = run.window.get();
  options.text = &run.text;
  options.dataFolder = run.data.path().string();
  options.instanceFolder = run.lock.path().string();
  options.commandLine = "/silent";
  RunProgram(run.app, options);
  EXPECT_EQ(calls, (std::vector<std::string>{"restore", "draw"}));
  EXPECT_FALSE(run.window->Visible());
  EXPECT_TRUE(run.window->trayIconShown());
  EXPECT_EQ(run.app.grid.count(), 35);
}

TEST(CalendarScreen, AHundredThousandRecordsStillShowEveryDay) {
  CalendarRun run;
  {
    EventStore store;
    store.eventFile = run.data.File("Event20.dat");
    for (int i = 0; i < 100000; ++i) {
      // 30 a day around the view, the rest spread over the years before.
      const int day = i % 120;
      const std::int32_t date = i < 3600 ? test::Packed(2024, 5 + day / 30, 1 + day % 28)
                                         : test::Packed(1990 + i % 30, 1 + i % 12, 1 + i % 28);
      test::AddGeneric(store, date, "Entry " + std::to_string(i));
    }
    ASSERT_TRUE(SaveEvents(store, UnitModes{}, SilentHost()));
  }
  const auto start = std::chrono::steady_clock::now();
  run.Go(kStart + "click " + At(0, 3, 5) + "\nkey PageDown\nkey PageDown\nkey PageUp\n");
  const auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.SelectedDay(), "20240601");
  int days = 0;
  for (const GridItem& item : run.app.grid.items) days += item.IsDayCell() ? 1 : 0;
  EXPECT_EQ(days, 35);
  EXPECT_GT(run.app.grid.count(), 35);
  // Loading and four rebuilds; generous enough for a sanitizer build.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(spent).count(), 20);
}

}  // namespace
}  // namespace kal
