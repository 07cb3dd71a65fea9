#include "screens/application.h"

#include <algorithm>

#include "store/log.h"
#include "ui/input_state.h"

namespace kal {

namespace {

// The failures of storage code reach the user through the window.
class ShellHost : public Host {
 public:
  explicit ShellHost(Application& app) : app_(app) {}
  void PumpMessages() override { kal::PumpMessages(app_.program, 0); }
  void ReportError(const std::string& message) override {
    LogLine(message);
    // The system's box rather than the program's dialog: this also runs in the
    // exit sequence, when no dialog loop can run any more.
    if (app_.program.window != nullptr) app_.program.window->ShowMessageBox(ProgramName, message, MessageIcon::None);
  }

 private:
  Application& app_;
};

}  // namespace

void SaveGeometry(Application& app) {
  const Program& p = app.program;
  app.settings.windowX = p.WindowX;
  app.settings.windowY = p.WindowY;
  app.settings.windowWide = p.ClientWidth;
  app.settings.windowHigh = p.ClientHeight;
  app.settings.windowFlag = p.WindowMaximized;
  if (app.settingsReadOnly) return;
  ShellHost host(app);
  SaveSettings(app.settings, app.ConfigFile, host);
}

void UpdateDragBand(Application& app) {
  const Program& p = app.program;
  if (p.window == nullptr) return;
  const HeaderLayout& h = app.layout.header;
  // The frame buttons and update notice, and the three tabs, keep their clicks.
  p.window->SetDragBand(p.HeaderHeight, {Rect{h.about.left, h.about.top, h.minimize.right, h.updateNotice.bottom},
                                         Rect{h.tabs[0].left, h.tabs[0].top, h.tabs[2].right, h.tabs[2].bottom}});
}

void EnsureOffscreenFits(Application& app) {
  Program& p = app.program;
  if (p.ClientWidth > app.offscreen.width() || p.ClientHeight > app.offscreen.height()) {
    app.offscreen.Resize(std::max(p.ClientWidth, app.offscreen.width()),
                         std::max(p.ClientHeight, app.offscreen.height()));
  }
  app.gfx.clientWidth = p.ClientWidth;
  app.gfx.clientHeight = p.ClientHeight;
}

void RunScreenLoop(Application& app, const std::function<void()>& redraw, const std::function<void()>& handle) {
  Program& p = app.program;
  const auto leaving = [&p] {
    return p.input.quitRequested != 0 || (p.NextScreen > 0 && p.NextScreen != p.CurrentScreen);
  };
  p.input.layoutChanged = 1;
  for (;;) {
    FrameInput(app, 1, p.NextScreen);
    if (p.input.layoutChanged != 0) {
      // No input was taken on this pass: what the input state holds is the previous pass's.
      p.input.layoutChanged = 0;
      LayoutScreens(app);
      redraw();
    } else if (handle && !leaving()) {
      handle();
    }
    if (leaving()) return;
  }
}

void ShowOnFirstDraw(Application& app) {
  Program& p = app.program;
  if (app.firstDrawDone) return;
  app.firstDrawDone = true;
  if (app.CommandLine.rfind("/silent", 0) == 0) {
    if (app.hooks.restoreUserWallpaper) app.hooks.restoreUserWallpaper();
    if (app.hooks.updateWallpaperCalendar) app.hooks.updateWallpaperCalendar();
    HideToTray(p);
    app.CommandLine.clear();
  } else if (p.window != nullptr) {
    p.window->Show();
  }
}

void PlaceholderScreen(Application& app, std::int32_t screen) {
  Program& p = app.program;
  static constexpr const char* kNames[] = {"Calendar", "Events", "Options"};
  RunScreenLoop(app, [&] {
    app.gfx.TileImage(app.gfx.backgroundTexture, 0, 0, p.ClientWidth, p.ClientHeight);
    DrawFrame(app);
    app.gfx.DrawTextAligned(app.offscreen, p.CentreX, p.HeaderHeight + 40, AlignCentre, ColourBlack,
                            app.gfx.TitleFont, kNames[std::clamp(screen, 1, 3) - 1]);
    app.gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
    ShowOnFirstDraw(app);
  });
}

}  // namespace kal
