// The main frame end to end: whole runs on the headless backend, checked
// through the screens visited, the window, the settings file and the log.
#include "screens/main_frame.h"

#include <gtest/gtest.h>

#include "frame_run.h"
#include "platform/images.h"
#include "store/log.h"
#include "ui/message_dialog.h"

namespace kal {
namespace {

using test::FrameRun;
using test::LayoutProbe;

const std::string kHelpPage = "http://www.kalendrina.example/kalendrina_help.htm?source=program";

// Rows are rounded and columns cut: (768 - 120 - 20) / 5 = 125.6, 984 / 7 = 140.57.
// The options preview has the screen's shape (1280 x 1024 here) with the
// calendar area scaled into it; a remembered place off the edges comes back.
TEST(LayoutScreens, CalendarCellsAndThePreview) {
  LayoutProbe large(1920, 1080);
  EXPECT_EQ(std::pair(large.layout().calendar.cellWidth, large.layout().calendar.rowHeight), std::pair(268, 188));
  EXPECT_EQ(large.layout().options.preview.Height(), 239);  // 425 * 1080 / 1920 = 239.06
  LayoutProbe probe(1024, 768);
  const ScreenLayout& l = probe.layout();
  EXPECT_EQ(std::pair(l.calendar.cellWidth, l.calendar.rowHeight), std::pair(140, 126));
  EXPECT_EQ(l.options.preview, (Rect{145, 203, 570, 543}));
  EXPECT_EQ(l.options.calendarBox, (Rect{145, 203, 145 + 325, 203 + 209}));  // 980 x 630 * 425 / 1280, 340 / 1024
  EXPECT_EQ(std::pair(probe.app.settings.calendarWide, probe.app.settings.calendarHigh), std::pair(979, 629));
  probe.app.settings.calendarX = 5000;
  probe.app.settings.calendarY = -300;
  LayoutScreens(probe.app);
  EXPECT_EQ(l.options.calendarBox.right, l.options.preview.right);
  EXPECT_EQ(l.options.calendarBox.top, l.options.preview.top);
  EXPECT_EQ(probe.app.settings.calendarX, 301);  // 1280 / 425 * (425 - 325)
  EXPECT_EQ(probe.app.settings.calendarY, 0);
}

// Letters and tabs choose the screen, but not while a dialog is open; a right
// click on Minimize asks before exiting.
TEST(FrameInput, LettersAndTabsChooseTheScreen) {
  LayoutProbe probe(1024, 768);
  UiContext ui{probe.app.program, probe.app.gfx, {}};
  const MessageDialogLayout exit =
      LayoutMessageDialog(ui, "Are you sure you want to exit Kalendrina?", "", "OK|Cancel", 0);
  const std::string cancelExit = "click " + test::At(exit.buttonsLeft + 105, exit.buttonsTop + 12) + "\n";
  struct Case {
    std::string script;
    std::vector<int> visited;
    bool scriptFinished;
  };
  const Case cases[] = {
      {"type e\ntype o\ntype c\n", {1, 2, 3, 1}, true},
      {"type xE\ntype O\n", {1, 2, 3}, true},  // upper case as well; other letters do nothing
      {"click 122 37\nclick 200 37\nclick 40 37\nclick 200 37\n", {1, 2, 3, 1, 3}, true},
      {"click 849 14\ntype e\nkey Enter\ntype o\n", {1, 3}, true},  // the "e" goes to the About box
      {"click 971 14 right\nkey Enter\ntype e\n", {1}, false},      // "OK" quits at once
      {"click 971 14 right\n" + cancelExit + "type e\n", {1, 2}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    FrameRun run;
    run.RecordVisits();
    run.Go(c.script);
    EXPECT_EQ(run.visited, c.visited);
    EXPECT_EQ(run.app.program.CurrentScreen, c.visited.back());
    EXPECT_EQ(run.window->scriptFinished(), c.scriptFinished);
    EXPECT_EQ(run.app.program.ModalActive, 0);
  }
}

TEST(FrameInput, WhileModalOnlyClicksChooseTabs) {
  FrameRun run;
  std::vector<std::int32_t> requests;
  run.wrapped[0] = [&requests](Application& a) {
    a.program.ModalActive = 1;
    while (a.program.input.quitRequested == 0) {
      std::int32_t requested = 0;
      FrameInput(a, 1, requested);
      if (requested != 0) requests.push_back(requested);
    }
    a.program.ModalActive = 0;
  };
  run.RecordVisits();
  run.Go("type e\nclick 200 37\n");
  EXPECT_EQ(requests, (std::vector<std::int32_t>{3}));
}

// Behind the About box a right click in the header does not maximise; once
// closed, the screen is back as it was.
TEST(FrameInput, AboutBoxPutsTheScreenBack) {
  FrameRun run;
  const std::string before = run.lock.File("before.png"), open = run.lock.File("open.png"),
                    after = run.lock.File("after.png");
  run.Go("type o\nscreenshot " + before + "\nclick 849 14\nclick 600 20 right\nscreenshot " + open +
         "\nkey Enter\nscreenshot " + after + "\n");
  Surface a, b, c;
  ASSERT_TRUE(LoadImageFile(before, a) && LoadImageFile(open, b) && LoadImageFile(after, c));
  EXPECT_NE(a.Row(384)[512], b.Row(384)[512]);
  EXPECT_TRUE(a.pixels() == c.pixels());
  EXPECT_EQ(run.app.program.WindowMaximized, 0);
  EXPECT_EQ(run.window->OuterRect().width, 1024);
}

TEST(FrameInput, LeftClickOnMinimizeHidesToTheTrayAroundTheWallpaperUpdate) {
  FrameRun run;
  run.app.hooks.restoreUserWallpaper = [] { LogLine("(restore wallpaper)"); };
  run.app.hooks.updateWallpaperCalendar = [] { LogLine("(draw calendar)"); };
  bool hiddenAtEnd = false;
  run.wrapped[0] = [&](Application& a) {
    PlaceholderScreen(a, 1);
    hiddenAtEnd = !run.window->Visible() && run.window->trayIconShown();
  };
  run.RecordVisits();
  run.Go("click 971 14\n");
  EXPECT_TRUE(hiddenAtEnd);
  EXPECT_NE(run.Log().find("Minimize to tray\r\n(restore wallpaper)\r\nStart wallpaper update\r\n(draw calendar)\r\n"
                           "Minimize to tray\r\nMinimize complete\r\n"),
            std::string::npos)
      << run.Log();
}

// Runs the frame on screen 1 and notes the settings file after every layout change.
std::vector<Settings> LayoutsSaved(FrameRun& run, const std::string& script) {
  std::vector<Settings> snapshots;
  run.wrapped[0] = [&run, &snapshots](Application& a) {
    while (a.program.input.quitRequested == 0) {
      FrameInput(a, 1, a.program.NextScreen);
      if (a.program.input.layoutChanged != 0) {
        a.program.input.layoutChanged = 0;
        snapshots.push_back(run.Stored());
      }
    }
  };
  run.RecordVisits();
  run.Go(script);
  return snapshots;
}

TEST(FrameInput, RightClickInTheHeaderTogglesMaximisedAndSaves) {
  FrameRun run;
  const auto snapshots = LayoutsSaved(run, "click 600 20 right\nclick 300 10 right\n");
  ASSERT_GE(snapshots.size(), 2u);
  // Maximised: the whole 1280 x 1024 work area; restored: 1024 x 768 centred.
  const Settings& max = snapshots[0];
  EXPECT_EQ(std::vector<int>({max.windowFlag, max.windowWide, max.windowHigh, max.windowX}),
            std::vector<int>({1, 1280, 1024, 0}));
  const Settings& last = snapshots.back();
  EXPECT_EQ(std::vector<int>({last.windowFlag, last.windowWide, last.windowHigh, last.windowX, last.windowY}),
            std::vector<int>({0, 1024, 768, 128, 128}));
  EXPECT_EQ(run.window->OuterRect(), (WindowRect{128, 128, 1024, 768}));
  EXPECT_EQ(run.app.program.CentreX, 512);

  // On a small work area the restored size is what is available.
  FrameRun small(HeadlessOptions{1000, 700});
  const auto saved = LayoutsSaved(small, "click 600 20 right\nclick 600 20 right\n");
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(saved[0].windowFlag, 1);
  EXPECT_EQ(small.app.program.WindowMaximized, 0);
  EXPECT_EQ(small.window->OuterRect(), (WindowRect{0, 0, 1000, 700}));
}

TEST(FrameInput, DayChangeRaisesTheFlagAndKeepsTheDisplay) {
  FrameRun run;
  int wallpapers = 0, updateChecks = 0;
  run.app.hooks.updateWallpaperCalendar = [&] {
    ++wallpapers;
    EXPECT_EQ(run.app.dates.display.day, 16);  // drawn for today's week
  };
  run.app.hooks.startUpdateCheck = [&] { ++updateChecks; };
  bool flagSeen = false;
  run.wrapped[2] = [&](Application& a) {
    OptionsScreen(a);
    flagSeen = a.dates.dayChanged;
  };
  run.RecordVisits();
  // Saturday 15 June 2024 to Sunday the 16th, while the options screen is shown.
  run.Go("today 2024-06-15\ntype o\ntoday 2024-06-16\nwait 60000\n");
  EXPECT_TRUE(flagSeen);
  EXPECT_EQ(wallpapers, 1);
  EXPECT_EQ(run.app.dates.today.day, 16);
  EXPECT_EQ(run.app.dates.display.month, 6);
  EXPECT_EQ(run.app.dates.display.day, 9);
  // One check at start-up; 15 AND 8 is 8, 16 AND 8 is 0: time for another, and only that one.
  EXPECT_EQ(updateChecks, 2);
}

TEST(FrameInput, HelpOpensTheHelpPage) {
  FrameRun run;
  run.Go("key F1\nclick 899 14\n");
  EXPECT_EQ(run.launcher.opened, (std::vector<std::string>{kHelpPage, kHelpPage}));
  EXPECT_NE(run.Log().find("Open Program (Parameter): " + kHelpPage), std::string::npos);

  // A help file beside the program is opened instead.
  test::WriteAll(run.lock.File("Help.htm"), {'<', 'p', '>'});
  run.launcher.opened.clear();
  run.app.HelpFile = run.lock.File("Help.htm");
  OpenHelp(run.app);
  EXPECT_EQ(run.launcher.opened, (std::vector<std::string>{run.app.HelpFile}));
}

TEST(Launch, WebAddressesAreEscapedOnceAndFailedStartsReported) {
  EXPECT_EQ(EscapeWebAddress("http://a.example/my page.htm"), "http://a.example/my%20page.htm");
  EXPECT_EQ(EscapeWebAddress("http://a.example/x%20y"), "http://a.example/x%2520y");
  EXPECT_EQ(EscapeWebAddress("<#{}|\\^~[]`>"), "%3C%23%7B%7D%7C%5C%5E%7E%5B%5D%60%3E");
  EXPECT_EQ(EscapeWebAddress(kHelpPage), kHelpPage);
  const LaunchResult r = SpawnDetached("kalendrina-no-such-program", "x");
  EXPECT_FALSE(r.started);
  EXPECT_FALSE(r.error.empty());
  EXPECT_TRUE(SpawnDetached("true", "a; echo b").started);
}

}  // namespace
}  // namespace kal
