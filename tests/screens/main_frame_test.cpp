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

using test::At;
using test::CentreOf;
using test::FrameRun;
using test::LayoutProbe;

const std::string kHelpPage = "http://www.kalendrina.example/kalendrina_help.htm?source=program";

TEST(LayoutScreens, RectanglesAt1024x768) {
  LayoutProbe probe(1024, 768);
  const ScreenLayout& l = probe.layout();
  EXPECT_EQ(l.header.about, (Rect{824, 5, 874, 24}));
  EXPECT_EQ(l.header.minimize, (Rect{924, 5, 1019, 24}));
  EXPECT_EQ(l.header.updateNotice, (Rect{824, 24, 1019, 43}));
  EXPECT_EQ(l.header.tabs[2], (Rect{162, 25, 242, 50}));

  // (768 - 120 - 20) / 5 = 125.6 rows, rounded; 984 / 7 = 140.57 columns, cut.
  EXPECT_EQ(l.calendar.cellWidth, 140);
  EXPECT_EQ(l.calendar.rowHeight, 126);
  EXPECT_EQ(l.calendar.area, (Rect{20, 120, 1000, 750}));
  EXPECT_EQ(l.calendar.previous, (Rect{20, 65, 45, 90}));
  EXPECT_EQ(l.calendar.next, (Rect{105, 65, 130, 90}));
  EXPECT_EQ(l.calendar.print, (Rect{900, 65, 1000, 90}));
  EXPECT_EQ(l.calendar.titleStrip, (Rect{412, 65, 612, 90}));

  // 23-pixel rows from 50 + 23 + 65; as many as leave 30 pixels below.
  EXPECT_EQ(l.events.list, (Rect{20, 138, 874, 138 + 26 * 23}));
  EXPECT_EQ(l.events.visibleRows, 26);
  EXPECT_EQ(l.events.scrollBar, (Rect{875, 138, 891, 736}));
  EXPECT_EQ(l.events.find, (Rect{911, 118, 1004, 143}));
  EXPECT_EQ(l.events.edit.top, 168);
  EXPECT_EQ(l.events.moveCategory, (Rect{911, 218, 1004, 243}));
  EXPECT_EQ(l.events.print.top, 268);
  EXPECT_EQ(l.events.categoryBox.right, 407);
  EXPECT_EQ(l.events.modeBox.right, 891);
  EXPECT_EQ(l.events.modeLabel.right, l.events.modeBox.left - 10);

  // The options block is centred: 512 - 367; the preview has the 1280 x 1024 screen's shape.
  EXPECT_EQ(l.options.wallpaperSwitch.left, 145);
  EXPECT_EQ(l.options.wallpaperStyle, (Rect{145, 150, 570, 173}));
  EXPECT_EQ(l.options.preview, (Rect{145, 203, 570, 543}));
  EXPECT_EQ(l.options.editCategories, (Rect{630, 110, 880, 135}));
  EXPECT_EQ(l.options.importHealth, (Rect{630, 160, 880, 185}));
  EXPECT_EQ(l.options.weightUnit, (Rect{630, 210, 880, 233}));
  EXPECT_EQ(l.options.lengthUnit, (Rect{630, 258, 880, 281}));
  // The calendar area 980 x 630 scaled by 425 / 1280 and 340 / 1024.
  EXPECT_EQ(l.options.calendarBox, (Rect{145, 203, 145 + 325, 203 + 209}));
  EXPECT_EQ(probe.app.settings.calendarWide, 979);
  EXPECT_EQ(probe.app.settings.calendarHigh, 629);
}

TEST(LayoutScreens, LargeWindowAndACalendarPlacedOffTheScreen) {
  LayoutProbe probe(1920, 1080);
  EXPECT_EQ(probe.layout().calendar.cellWidth, 268);
  EXPECT_EQ(probe.layout().calendar.rowHeight, 188);
  EXPECT_EQ(probe.layout().options.preview.Height(), 239);  // 425 * 1080 / 1920 = 239.06

  // A remembered place beyond the right and bottom edges comes back inside.
  LayoutProbe small(1024, 768);
  small.app.settings.calendarX = 5000;
  small.app.settings.calendarY = -300;
  LayoutScreens(small.app);
  const OptionsLayout& o = small.layout().options;
  EXPECT_EQ(o.calendarBox.right, o.preview.right);
  EXPECT_EQ(o.calendarBox.top, o.preview.top);
  EXPECT_EQ(small.app.settings.calendarX, 301);  // 1280 / 425 * (425 - 325)
  EXPECT_EQ(small.app.settings.calendarY, 0);
}

TEST(FrameInput, LettersAndTabsChooseTheScreen) {
  {
    FrameRun run("type e\ntype o\ntype c\n");
    run.RecordVisits();
    run.Go();
    EXPECT_EQ(run.visited, (std::vector<int>{1, 2, 3, 1}));
  }
  {
    // Upper case works as well; other letters do nothing.
    FrameRun run("type xE\ntype O\n");
    run.RecordVisits();
    run.Go();
    EXPECT_EQ(run.visited, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(run.app.program.CurrentScreen, 3);
  }
  {
    FrameRun run("click 122 37\nclick 200 37\nclick 40 37\nclick 200 37\n");
    run.RecordVisits();
    run.Go();
    EXPECT_EQ(run.visited, (std::vector<int>{1, 2, 3, 1, 3}));
  }
}

TEST(FrameInput, NoLetterSwitchesWhileADialogIsOpen) {
  // "e" typed into the About box stays there; after it closes "o" switches.
  FrameRun run("click 849 14\ntype e\nkey Enter\ntype o\n");
  run.RecordVisits();
  run.Go();
  EXPECT_EQ(run.visited, (std::vector<int>{1, 3}));
  EXPECT_EQ(run.app.program.ModalActive, 0);
}

TEST(FrameInput, WhileModalOnlyClicksChooseTabs) {
  FrameRun run("type e\nclick 200 37\n");
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
  run.Go();
  EXPECT_EQ(requests, (std::vector<std::int32_t>{3}));
}

TEST(FrameInput, AboutBoxPutsTheScreenBack) {
  test::TempDir shots;
  const std::string before = shots.File("before.png");
  const std::string open = shots.File("open.png");
  const std::string after = shots.File("after.png");
  FrameRun run("type o\nscreenshot " + before + "\nclick 849 14\nscreenshot " + open + "\nkey Enter\nscreenshot " +
               after + "\n");
  run.Go();
  Surface a, b, c;
  ASSERT_TRUE(LoadImageFile(before, a));
  ASSERT_TRUE(LoadImageFile(open, b));
  ASSERT_TRUE(LoadImageFile(after, c));
  EXPECT_NE(a.Row(384)[512], b.Row(384)[512]);
  for (int y = 0; y < a.height(); ++y) {
    ASSERT_TRUE(std::equal(a.Row(y), a.Row(y) + a.width(), c.Row(y))) << "row " << y;
  }
}

TEST(FrameInput, RightClickOnMinimizeAsksBeforeExiting) {
  {
    FrameRun run("click 971 14 right\nkey Enter\ntype e\n");
    run.RecordVisits();
    run.Go();
    EXPECT_EQ(run.app.program.input.quitRequested, 1);
    // The program quit on "OK", before the rest of the script.
    EXPECT_FALSE(run.window->scriptFinished());
    EXPECT_EQ(run.visited, (std::vector<int>{1}));
  }
  {
    LayoutProbe probe(1024, 768);
    UiContext ui{probe.app.program, probe.app.gfx, {}};
    const MessageDialogLayout l = LayoutMessageDialog(ui, "Are you sure you want to exit Kalendrina?", "", "OK|Cancel", 0);
    FrameRun run("click 971 14 right\nclick " + At(l.buttonsLeft + 70 + 35, l.buttonsTop + 12) + "\ntype e\n");
    run.RecordVisits();
    run.Go();
    EXPECT_TRUE(run.window->scriptFinished());
    EXPECT_EQ(run.visited, (std::vector<int>{1, 2}));
  }
}

TEST(FrameInput, LeftClickOnMinimizeHidesToTheTrayAroundTheWallpaperUpdate) {
  FrameRun run("click 971 14\n");
  run.app.hooks.restoreUserWallpaper = [] { LogLine("(restore wallpaper)"); };
  run.app.hooks.updateWallpaperCalendar = [] { LogLine("(draw calendar)"); };
  bool hiddenAtEnd = false;
  run.wrapped[0] = [&](Application& a) {
    PlaceholderScreen(a, 1);
    hiddenAtEnd = !run.window->Visible() && run.window->trayIconShown();
  };
  run.RecordVisits();
  run.Go();
  EXPECT_TRUE(hiddenAtEnd);
  EXPECT_NE(run.Log().find("Minimize to tray\r\n(restore wallpaper)\r\nStart wallpaper update\r\n(draw calendar)\r\n"
                           "Minimize to tray\r\nMinimize complete\r\n"),
            std::string::npos)
      << run.Log();
}

// Runs the frame on screen 1 and notes the settings file after every layout change.
void RecordLayouts(FrameRun& run, std::vector<Settings>& snapshots) {
  run.wrapped[0] = [&run, &snapshots](Application& a) {
    InputState& in = a.program.input;
    while (in.quitRequested == 0) {
      FrameInput(a, 1, a.program.NextScreen);
      if (in.layoutChanged != 0) {
        in.layoutChanged = 0;
        snapshots.push_back(run.Stored());
      }
    }
  };
  run.RecordVisits();
}

TEST(FrameInput, RightClickInTheHeaderTogglesMaximisedAndSaves) {
  FrameRun run("click 600 20 right\nclick 300 10 right\n");
  std::vector<Settings> snapshots;
  RecordLayouts(run, snapshots);
  run.Go();
  ASSERT_GE(snapshots.size(), 2u);
  // Maximised: the whole 1280 x 1024 work area.
  EXPECT_EQ(snapshots[0].windowFlag, 1);
  EXPECT_EQ(snapshots[0].windowWide, 1280);
  EXPECT_EQ(snapshots[0].windowHigh, 1024);
  EXPECT_EQ(snapshots[0].windowX, 0);
  // Restored: 1024 x 768 centred.
  const Settings& last = snapshots.back();
  EXPECT_EQ(last.windowFlag, 0);
  EXPECT_EQ(last.windowWide, 1024);
  EXPECT_EQ(last.windowHigh, 768);
  EXPECT_EQ(last.windowX, 128);
  EXPECT_EQ(last.windowY, 128);
  EXPECT_EQ(run.window->OuterRect(), (WindowRect{128, 128, 1024, 768}));
  EXPECT_EQ(run.app.program.CentreX, 512);
}

TEST(FrameInput, OnASmallWorkAreaTheRestoredSizeIsWhatIsAvailable) {
  FrameRun run("click 600 20 right\nclick 600 20 right\n", HeadlessOptions{1000, 700});
  std::vector<Settings> snapshots;
  RecordLayouts(run, snapshots);
  run.Go();
  ASSERT_FALSE(snapshots.empty());
  EXPECT_EQ(snapshots[0].windowFlag, 1);
  EXPECT_EQ(run.app.program.WindowMaximized, 0);
  EXPECT_EQ(run.window->OuterRect(), (WindowRect{0, 0, 1000, 700}));
}

TEST(FrameInput, NoMaximisingWhileADialogIsOpen) {
  FrameRun run("click 849 14\nclick 600 20 right\nkey Enter\n");
  run.Go();
  EXPECT_EQ(run.app.program.WindowMaximized, 0);
  EXPECT_EQ(run.window->OuterRect().width, 1024);
}

TEST(FrameInput, DayChangeRaisesTheFlagAndKeepsTheDisplay) {
  // Saturday 15 June 2024 to Sunday the 16th, while the options screen is shown.
  FrameRun run("today 2024-06-15\ntype o\ntoday 2024-06-16\nwait 60000\n");
  int wallpapers = 0;
  int updateChecks = 0;
  run.app.hooks.updateWallpaperCalendar = [&] {
    ++wallpapers;
    // The wallpaper is drawn for today's week.
    EXPECT_EQ(run.app.dates.display.day, 16);
  };
  run.app.hooks.startUpdateCheck = [&] { ++updateChecks; };
  bool flagSeen = false;
  run.wrapped[2] = [&](Application& a) {
    OptionsScreen(a);
    flagSeen = a.dates.dayChanged;
  };
  run.RecordVisits();
  run.Go();
  EXPECT_TRUE(flagSeen);
  EXPECT_EQ(wallpapers, 1);
  EXPECT_EQ(run.app.dates.today.day, 16);
  EXPECT_EQ(run.app.dates.display.month, 6);
  EXPECT_EQ(run.app.dates.display.day, 9);
  // 15 AND 8 is 8, 16 AND 8 is 0: time for another update check, and only that one.
  EXPECT_EQ(updateChecks, 1);
}

TEST(FrameInput, HelpOpensTheHelpPage) {
  FrameRun run("key F1\nclick 899 14\n");
  run.Go();
  EXPECT_EQ(run.launcher.opened, (std::vector<std::string>{kHelpPage, kHelpPage}));
  EXPECT_NE(run.Log().find("Open Program (Parameter): " + kHelpPage), std::string::npos);

  // A help file beside the program is opened instead.
  test::TempDir folder;
  test::WriteAll(folder.File("Help.htm"), {'<', 'p', '>'});
  Application app;
  test::RecordingLauncher launcher;
  app.launcher = &launcher;
  app.HelpFile = folder.File("Help.htm");
  OpenHelp(app);
  EXPECT_EQ(launcher.opened, (std::vector<std::string>{app.HelpFile}));
}

TEST(Launch, WebAddressesAreEscapedOnce) {
  EXPECT_EQ(EscapeWebAddress("http://a.example/my page.htm"), "http://a.example/my%20page.htm");
  EXPECT_EQ(EscapeWebAddress("http://a.example/x%20y"), "http://a.example/x%2520y");
  EXPECT_EQ(EscapeWebAddress("<#{}|\\^~[]`>"), "%3C%23%7B%7D%7C%5C%5E%7E%5B%5D%60%3E");
  EXPECT_EQ(EscapeWebAddress(kHelpPage), kHelpPage);
}

TEST(Launch, SpawnReportsAProgramThatCannotRun) {
  const LaunchResult r = SpawnDetached("kalendrina-no-such-program", "x");
  EXPECT_FALSE(r.started);
  EXPECT_FALSE(r.error.empty());
  const LaunchResult ok = SpawnDetached("true", "a; echo b");
  EXPECT_TRUE(ok.started);
}

}  // namespace
}  // namespace kal
