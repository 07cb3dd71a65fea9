// A whole program run on the headless backend for the screen tests: a
// private data folder, a script, a launcher that records instead of opening,
// and the screens the run visited. Settings and files are read back after Go().
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/freetype_text.h"
#include "platform/headless_window.h"
#include "platform/input_script.h"
#include "platform/launch.h"
#include "screens/options_screen.h"
#include "store/host.h"
#include "support/test_support.h"
#include "ui/ui_fixture.h"

namespace kal::test {

class RecordingLauncher : public Launcher {
 public:
  LaunchResult Open(const std::string& target) override {
    opened.push_back(target);
    return LaunchResult{true, "test-open", ""};
  }
  std::vector<std::string> opened;
};

inline std::string At(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }
inline std::string CentreOf(const Rect& r) { return At((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

struct FrameRun {
  explicit FrameRun(const std::string& script, HeadlessOptions screen = {}) {
    ScriptParseResult r = ParseInputScript(script);
    EXPECT_TRUE(r.ok()) << r.error;
    window = std::make_unique<HeadlessWindow>(std::move(r.commands), screen);
    options.window = window.get();
    options.text = &SharedTextRenderer();
    options.dataFolder = data.path().string();
    options.instanceFolder = lock.path().string();
    app.launcher = &launcher;
  }

  // Makes every screen note its visit before it runs as it would (or as
  // `wrapped` says); call before Go().
  void RecordVisits() {
    for (int i = 0; i < 3; ++i) {
      app.screens[static_cast<std::size_t>(i)] = [this, i](Application& a) {
        visited.push_back(i + 1);
        if (wrapped[i]) {
          wrapped[i](a);
        } else if (i == 2) {
          OptionsScreen(a);
        } else {
          PlaceholderScreen(a, i + 1);
        }
      };
    }
  }

  int Go() { return RunProgram(app, options); }
  Settings Stored() const {
    Settings s;
    LoadSettings(s, data.File("config20.dat"));
    return s;
  }
  std::string Log() const {
    const auto bytes = ReadAll(data.File("error.log"));
    return std::string(bytes.begin(), bytes.end());
  }
  void SaveStartSettings(const Settings& s) { ASSERT_TRUE(SaveSettings(s, data.File("config20.dat"), SilentHost())); }

  TempDir data;
  TempDir lock;
  RecordingLauncher launcher;
  std::unique_ptr<HeadlessWindow> window;
  StartupOptions options;
  Application app;
  std::vector<int> visited;
  std::function<void(Application&)> wrapped[3];
};

// The layout a run of this client size will have, worked out beforehand so
// that scripts can aim at controls. The screen size is the headless default
// unless the client is larger.
struct LayoutProbe {
  LayoutProbe(int width, int height, int screenWidth = 1280, int screenHeight = 1024) {
    app.program.ClientWidth = width;
    app.program.ClientHeight = height;
    app.program.CentreX = width / 2;
    app.gfx.text = &SharedTextRenderer();
    app.gfx.SetupFonts("Microsoft Sans Serif", 20);
    std::vector<ScriptCommand> none;
    window = std::make_unique<HeadlessWindow>(std::move(none),
                                              HeadlessOptions{std::max(screenWidth, width), std::max(screenHeight, height)});
    app.program.window = window.get();
    LayoutScreens(app);
  }
  std::unique_ptr<HeadlessWindow> window;
  Application app;
  const ScreenLayout& layout() const { return app.layout; }
};

}  // namespace kal::test
