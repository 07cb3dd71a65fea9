#include "app/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/images.h"
#include "platform/single_instance.h"
#include "screens/frame_run.h"

namespace kal {
namespace {

using test::FrameRun;

TEST(Startup, FirstRunOpensAtTheDefaultSizeAndLogsTheRun) {
  FrameRun run;
  EXPECT_EQ(run.Go(""), 0);
  EXPECT_TRUE(run.app.started);
  EXPECT_TRUE(run.window->Visible());
  EXPECT_EQ(run.app.program.input.quitRequested, 1);
  EXPECT_FALSE(run.window->TimerRunning(DayTimerId));
  const std::string log = run.Log();
  EXPECT_EQ(log.rfind("Version 2.4\r\nApp Path: ", 0), 0u) << log;
  EXPECT_NE(log.find("Data Path: " + run.data.path().string() + "/\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Exit Kill Wallpaper Timer\r\nExit Restore\r\nProgram Cleanup\r\nBye Bye\r\n"), std::string::npos)
      << log;
  EXPECT_EQ(run.Stored().windowWide, 1024);  // the settings are written at exit
}

TEST(Startup, WindowGeometry) {
  struct Case {
    HeadlessOptions screen;
    std::int32_t x, y, wide, high;  // remembered; wide 0: no settings file
    std::uint8_t maximised;
    WindowRect expected;
  };
  const Case cases[] = {
      {{}, 0, 0, 0, 0, 0, {128, 128, 1024, 768}},              // first run: centred
      {{1027, 771}, 0, 0, 0, 0, 0, {2, 2, 1024, 768}},         // halves round to even: 1.5 -> 2
      {{1025, 769}, 0, 0, 0, 0, 0, {0, 0, 1024, 768}},         // 0.5 -> 0
      {{}, 40, 50, 700, 600, 0, {128, 128, 1024, 768}},        // too small: as on a first run
      {{}, 40, 50, 800, 600, 0, {40, 50, 800, 600}},           // kept
      {{}, 40, 50, 800, 600, 1, {0, 0, 1280, 1024}},           // maximised: the whole work area
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.screen.screenWidth << " " << c.wide << " " << int{c.maximised});
    FrameRun run(c.screen);
    if (c.wide != 0) {
      Settings s;
      std::tie(s.windowX, s.windowY, s.windowWide, s.windowHigh, s.windowFlag) =
          std::tuple(c.x, c.y, c.wide, c.high, c.maximised);
      ASSERT_TRUE(SaveSettings(s, run.data.File("config20.dat"), SilentHost()));
    }
    run.Go("");
    EXPECT_EQ(run.window->OuterRect(), c.expected);
    EXPECT_EQ(run.app.program.CentreX, c.expected.width / 2);
    EXPECT_EQ(run.app.program.WindowMaximized, c.maximised == 1 && c.wide >= 775 ? 1 : 0);
  }

  FrameRun tooSmall(HeadlessOptions{1024, 560});
  EXPECT_EQ(tooSmall.Go(""), 0);
  EXPECT_FALSE(tooSmall.app.started);
  EXPECT_FALSE(tooSmall.window->created());
  EXPECT_EQ(tooSmall.window->messageBoxes(),
            std::vector<std::string>{"Insufficient Screen Area (1024 x 560)|Kalendrina needs at least 775x575 pixels"
                                     "\r\nto open a program window.\r\nPlease increase your screen resolution,\r\nor "
                                     "set your taskbar to auto-hide."});
}

TEST(Startup, TheHeaderMovesTheWindowAndResizesAreSaved) {
  FrameRun run;
  run.options.forcedClientWidth = 900;
  run.options.forcedClientHeight = 640;
  run.Go("size 900 640\npress 400 10\nmove 450 30\nrelease 450 30\nwait 0\nsize 950 700\n");
  const Program& p = run.app.program;
  EXPECT_EQ(std::tuple(p.WindowX, p.WindowY, p.ClientWidth, p.CentreX),
            std::tuple((1280 - 900) / 2 + 50, (1024 - 640) / 2 + 20, 950, 475));
  const Settings stored = run.Stored();
  EXPECT_EQ(std::tuple(stored.windowX, stored.windowWide, stored.windowHigh), std::tuple(p.WindowX, 950, 700));
  EXPECT_NE(run.Log().find("Window Size:  950 x  700\r\n"), std::string::npos);
  // The inactive header shows its grey strip under the texture.
  EXPECT_EQ(run.window->image().At(300, 47), Rgb(128, 128, 128));
}

TEST(Startup, ScriptRunsWriteScreenshotsAndReportProblems) {
  test::TempDir dir;
  const std::string script = dir.File("s.txt");
  const std::string shot = dir.File("shot.png");
  const auto run = [&](const std::string& text) {
    test::WriteAll(script, std::vector<std::uint8_t>(text.begin(), text.end()));
    return RunScript(script, dir.File("data"));
  };
  EXPECT_EQ(run("size 800 600\ntoday 2024-05-05\ntype o\nscreenshot " + shot + "\n"), 0);
  Surface picture;
  ASSERT_TRUE(LoadImageFile(shot, picture));
  EXPECT_EQ(std::tuple(picture.width(), picture.height()), std::tuple(800, 600));
  EXPECT_EQ(run("click 1\n"), 1);
  EXPECT_EQ(run("screenshot " + dir.File("none/x.png") + "\n"), 2);
}

// The desktop program locks the data folder too: when that lock cannot be
// had it stops before writing anything, says why, and exits with 2.
TEST(Startup, DataFolderLockThatCannotBeTakenStopsTheRun) {
  const struct {
    const char* setup;
    std::string reason;
  } cases[] = {
      {"folder", "Is a directory"},
      {"loop", "Too many levels of symbolic links"},
      {"held", "is held by the add command (pid "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setup);
    FrameRun run;
    const std::string lock = run.data.File("Kalendrina In Use.dat");
    SingleInstance other(run.data.path().string(), "the add command");
    if (std::string(c.setup) == "folder") {
      std::filesystem::create_directory(lock);
    } else if (std::string(c.setup) == "loop") {
      std::filesystem::create_symlink(lock, lock);
    } else {
      ASSERT_TRUE(other.Acquire()) << other.error();
    }
    EXPECT_EQ(run.Go(""), 2);
    EXPECT_FALSE(run.app.started);
    ASSERT_EQ(run.window->messageBoxes().size(), 1u);
    const std::string box = run.window->messageBoxes()[0];
    EXPECT_NE(box.find(lock), std::string::npos) << box;
    EXPECT_NE(box.find(c.reason), std::string::npos) << box;
    EXPECT_FALSE(std::filesystem::exists(run.data.File("config20.dat")));
    EXPECT_FALSE(std::filesystem::exists(run.data.File("error.log")));
  }
}

}  // namespace
}  // namespace kal
