#include "app/startup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/freetype_text.h"
#include "platform/headless_window.h"
#include "platform/images.h"
#include "platform/single_instance.h"
#include "store/host.h"
#include "support/test_support.h"

namespace kal {
namespace {

std::string ReadText(const std::string& path) {
  const auto bytes = test::ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

struct HeadlessRun {
  explicit HeadlessRun(const std::string& script, HeadlessOptions screen = {}, bool forceSize = false,
               const std::string& commandLine = "") {
    ScriptParseResult r = ParseInputScript(script);
    EXPECT_TRUE(r.ok()) << r.error;
    window = std::make_unique<HeadlessWindow>(std::move(r.commands), screen);
    options.window = window.get();
    options.text = &text;
    options.dataFolder = data.path().string();
    options.instanceFolder = lock.path().string();
    options.commandLine = commandLine;
    if (forceSize) {
      options.forcedClientWidth = window->startWidth();
      options.forcedClientHeight = window->startHeight();
    }
  }
  int Go() { return RunProgram(app, options); }
  std::string Log() const { return ReadText(data.File("error.log")); }
  Settings Stored() const {
    Settings s;
    LoadSettings(s, data.File("config20.dat"));
    return s;
  }

  test::TempDir data;
  test::TempDir lock;
  FreeTypeTextRenderer text;
  std::unique_ptr<HeadlessWindow> window;
  StartupOptions options;
  Application app;
};

TEST(Startup, FirstRunOpensCentredAtTheDefaultSizeAndLogsTheRun) {
  HeadlessRun run("");
  EXPECT_EQ(run.Go(), 0);
  EXPECT_TRUE(run.app.started);
  EXPECT_EQ(run.window->OuterRect(), (WindowRect{128, 128, 1024, 768}));
  EXPECT_EQ(run.app.program.CentreX, 512);
  EXPECT_TRUE(run.window->Visible());
  EXPECT_EQ(run.app.program.input.quitRequested, 1);
  EXPECT_FALSE(run.window->TimerRunning(DayTimerId));
  const std::string log = run.Log();
  EXPECT_EQ(log.rfind("Version 2.4\r\nApp Path: ", 0), 0u) << log;
  EXPECT_NE(log.find("Data Path: " + run.data.path().string() + "/\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Exit Kill Wallpaper Timer\r\nExit Restore\r\nProgram Cleanup\r\nBye Bye\r\n"), std::string::npos)
      << log;
  const Settings stored = run.Stored();
  EXPECT_EQ(stored.windowWide, 1024);
  EXPECT_EQ(stored.windowHigh, 768);
  EXPECT_EQ(stored.windowX, 128);
  EXPECT_EQ(stored.windowFlag, 0);
}

TEST(Startup, RememberedGeometry) {
  struct Case {
    std::int32_t x, y, wide, high;
    std::uint8_t maximised;
    WindowRect expected;
  };
  const Case cases[] = {
      {40, 50, 700, 600, 0, {128, 128, 1024, 768}},   // too small: as on a first run
      {40, 50, 800, 600, 0, {40, 50, 800, 600}},      // kept
      {40, 50, 800, 600, 1, {0, 0, 1280, 1024}},      // maximised: the whole work area
  };
  for (const Case& c : cases) {
    HeadlessRun run("");
    Settings s;
    s.windowX = c.x;
    s.windowY = c.y;
    s.windowWide = c.wide;
    s.windowHigh = c.high;
    s.windowFlag = c.maximised;
    ASSERT_TRUE(SaveSettings(s, run.data.File("config20.dat"), SilentHost()));
    run.Go();
    EXPECT_EQ(run.window->OuterRect(), c.expected) << c.wide << " " << static_cast<int>(c.maximised);
    EXPECT_EQ(run.app.program.WindowMaximized, c.maximised == 1 && c.wide >= 775 ? 1 : 0);
  }
}

TEST(Startup, CentringRoundsHalvesToEven) {
  HeadlessRun odd("", HeadlessOptions{1027, 771});  // 3 / 2 = 1.5 -> 2
  odd.Go();
  EXPECT_EQ(odd.window->OuterRect().x, 2);
  EXPECT_EQ(odd.window->OuterRect().y, 2);
  HeadlessRun one("", HeadlessOptions{1025, 769});  // 1 / 2 = 0.5 -> 0
  one.Go();
  EXPECT_EQ(one.window->OuterRect().x, 0);
}

TEST(Startup, TooSmallAWorkAreaEndsWithAMessage) {
  HeadlessRun run("", HeadlessOptions{1024, 560});
  EXPECT_EQ(run.Go(), 0);
  EXPECT_FALSE(run.app.started);
  EXPECT_FALSE(run.window->created());
  ASSERT_EQ(run.window->messageBoxes().size(), 1u);
  EXPECT_EQ(run.window->messageBoxes()[0],
            "Insufficient Screen Area (1024 x 560)|Kalendrina needs at least 775x575 pixels\r\nto open a program "
            "window.\r\nPlease increase your screen resolution,\r\nor set your taskbar to auto-hide.");
}

TEST(Startup, ASecondCopyAsksTheFirstToShowItself) {
  HeadlessRun run("click 1 1\n");
  SingleInstance first(run.lock.path().string());
  ASSERT_TRUE(first.Acquire());
  EXPECT_EQ(run.Go(), 0);
  EXPECT_FALSE(run.window->created());
  EXPECT_TRUE(run.window->messageBoxes().empty());
  bool asked = false;
  for (int i = 0; i < 50 && !asked; ++i) {
    asked = first.PollShowRequest();
    if (!asked) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(asked);
}

TEST(Startup, SilentStartHidesInTheTray) {
  HeadlessRun run("", {}, false, "  /SILENT  ");
  run.Go();
  EXPECT_FALSE(run.window->Visible());
  EXPECT_TRUE(run.window->trayIconShown());
  EXPECT_EQ(run.app.CommandLine, "");
}

TEST(Startup, TabsSwitchScreensAndTheHeaderMovesTheWindow) {
  HeadlessRun run("size 900 640\ntype e\nclick 200 40\npress 400 10\nmove 450 30\nrelease 450 30\nwait 0\nsize 950 700\n",
          {}, true);
  std::vector<std::int32_t> visited;
  for (int i = 0; i < 3; ++i) {
    run.app.screens[i] = [&visited, i](Application& a) {
      visited.push_back(i + 1);
      PlaceholderScreen(a, i + 1);
    };
  }
  run.Go();
  EXPECT_EQ(visited, (std::vector<std::int32_t>{1, 2, 3}));
  const Program& p = run.app.program;
  EXPECT_EQ(p.WindowX, (1280 - 900) / 2 + 50);
  EXPECT_EQ(p.WindowY, (1024 - 640) / 2 + 20);
  EXPECT_EQ(p.ClientWidth, 950);
  EXPECT_EQ(p.CentreX, 475);
  const Settings stored = run.Stored();
  EXPECT_EQ(stored.windowX, p.WindowX);
  EXPECT_EQ(stored.windowWide, 950);
  EXPECT_EQ(stored.windowHigh, 700);
  EXPECT_NE(run.Log().find("Window Size:  950 x  700\r\n"), std::string::npos);
  // The inactive header shows its grey strip under the texture.
  EXPECT_EQ(run.window->image().At(300, 47), Rgb(128, 128, 128));
}

}  // namespace
}  // namespace kal

namespace kal {
namespace {

TEST(Startup, ScriptRunsWriteScreenshotsAndReportProblems) {
  test::TempDir dir;
  const std::string script = dir.File("s.txt");
  const std::string shot = dir.File("shot.png");
  const std::string text = "size 800 600\ntoday 2024-05-05\ntype o\nscreenshot " + shot + "\n";
  test::WriteAll(script, std::vector<std::uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(RunScript(script, dir.File("data")), 0);
  Surface picture;
  ASSERT_TRUE(LoadImageFile(shot, picture));
  EXPECT_EQ(picture.width(), 800);
  EXPECT_EQ(picture.height(), 600);

  const std::string bad = "click 1\n";
  test::WriteAll(script, std::vector<std::uint8_t>(bad.begin(), bad.end()));
  EXPECT_EQ(RunScript(script, dir.File("data")), 1);
  const std::string unwritable = "screenshot " + dir.File("none/x.png") + "\n";
  test::WriteAll(script, std::vector<std::uint8_t>(unwritable.begin(), unwritable.end()));
  EXPECT_EQ(RunScript(script, dir.File("data")), 2);
}

}  // namespace
}  // namespace kal
