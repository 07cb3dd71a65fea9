#include "app/input_state.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/headless_window.h"

namespace kal {
namespace {

// A program on the headless backend, with a 1024 x 768 window at (10, 20).
struct Rig {
  explicit Rig(const char* script) {
    ScriptParseResult r = ParseInputScript(script);
    EXPECT_TRUE(r.ok()) << r.error;
    window = std::make_unique<HeadlessWindow>(std::move(r.commands));
    window->Create("Kalendrina", 10, 20, 1024, 768, false);
    program.window = window.get();
    program.clock = &window->clock();
    program.WindowX = 10;
    program.WindowY = 20;
    program.ClientWidth = 1024;
    program.ClientHeight = 768;
    program.CentreX = 512;
    program.log = [this](const std::string& line) { log.push_back(line); };
    program.saveSettings = [this] { ++saves; };
  }
  void Pump(int n, int wait = 0) {
    for (int i = 0; i < n; ++i) PumpMessages(program, wait);
  }
  std::unique_ptr<HeadlessWindow> window;
  Program program;
  std::vector<std::string> log;
  int saves = 0;
};

PlatformEvent Ev(EventType type) {
  PlatformEvent e;
  e.type = type;
  return e;
}

TEST(InputState, ButtonsAreASetOfHeldButtons) {
  Rig rig("press 100 120\npress 100 120 right\nrelease 101 121\nrelease 101 121 right\n");
  InputState& in = rig.program.input;
  rig.Pump(2);  // move, left down
  EXPECT_EQ(in.mouseButton, 1);
  EXPECT_EQ(in.mouseX, 100);
  EXPECT_EQ(in.mouseY, 120);
  EXPECT_TRUE(rig.window->mouseCaptured());
  rig.Pump(1);
  EXPECT_EQ(in.mouseButton, 3);
  rig.Pump(2);  // move, left up
  EXPECT_EQ(in.mouseButton, 2);
  EXPECT_TRUE(rig.window->mouseCaptured());
  rig.Pump(1);
  EXPECT_EQ(in.mouseButton, 0);
  EXPECT_FALSE(rig.window->mouseCaptured());

  // A press whose release was lost must not turn into another button.
  ApplyEvent(rig.program, PlatformEvent{.type = EventType::MouseDown, .button = MouseButton::Left});
  ApplyEvent(rig.program, PlatformEvent{.type = EventType::DoubleClick, .button = MouseButton::Left});
  EXPECT_EQ(in.mouseButton, 1);
  ApplyEvent(rig.program, PlatformEvent{.type = EventType::MouseUp, .button = MouseButton::Right});
  EXPECT_EQ(in.mouseButton, 1);
}

TEST(InputState, ModifiersAreClearedOnButtonUpThenRefreshed) {
  Program p;
  ApplyEvent(p, PlatformEvent{.type = EventType::KeyDown, .key = Key::Shift, .shift = true});
  EXPECT_EQ(p.input.shiftDown, 1);
  ApplyEvent(p, PlatformEvent{.type = EventType::MouseUp, .ctrl = true});
  EXPECT_EQ(p.input.shiftDown, 0);
  EXPECT_EQ(p.input.ctrlDown, 1);
  ApplyEvent(p, Ev(EventType::MouseMove));
  EXPECT_EQ(p.input.ctrlDown, 0);
}

TEST(InputState, WheelScrollsTheSystemSettingOrOneLineWithCtrl) {
  Program p;
  ApplyEvent(p, PlatformEvent{.type = EventType::Wheel, .steps = 1});
  EXPECT_EQ(p.input.wheelLines, 3);
  EXPECT_EQ(p.input.caretPhase, 1);
  ApplyEvent(p, PlatformEvent{.type = EventType::Wheel, .steps = -2});
  EXPECT_EQ(p.input.wheelLines, -3);
  ApplyEvent(p, PlatformEvent{.type = EventType::Wheel, .steps = 1, .ctrl = true});
  EXPECT_EQ(p.input.wheelLines, 1);
  ApplyEvent(p, PlatformEvent{.type = EventType::Wheel, .steps = -1, .ctrl = true});
  EXPECT_EQ(p.input.wheelLines, -1);
  // Any other message starts from no wheel movement.
  ApplyEvent(p, Ev(EventType::MouseMove));
  EXPECT_EQ(p.input.wheelLines, 0);
}

TEST(InputState, KeysAndCharacters) {
  Rig rig("key PageDown\nkey S ctrl\ntype é\n");
  InputState& in = rig.program.input;
  rig.Pump(1);
  EXPECT_EQ(in.lastKey, 81);
  EXPECT_EQ(in.caretPhase, 1);
  rig.Pump(1);  // key up
  EXPECT_EQ(in.lastKey, 0);
  rig.Pump(2);  // S down, Ctrl+S
  EXPECT_EQ(in.lastChar, 19);
  EXPECT_EQ(in.ctrlDown, 1);
  EXPECT_EQ(in.lastKey, 0);  // letters have no key number
  rig.Pump(1);
  EXPECT_EQ(in.lastChar, 0);
  rig.Pump(2);
  EXPECT_EQ(in.lastChar, 0xE9);
  EXPECT_EQ(in.ctrlDown, 0);
}

TEST(InputState, WaitingPumpForgetsTheLastKeyNonWaitingKeepsIt) {
  Rig rig("key F1\nwait 0\nmove 1 1\nwheel 1\nmove 2 2\n");
  InputState& in = rig.program.input;
  rig.Pump(1);
  EXPECT_EQ(in.lastKey, 1);
  in.lastChar = 65;
  rig.Pump(1, 1);  // key up arrives anyway; check clearing on a message that does not touch them
  rig.program.input.lastKey = 7;
  rig.program.input.lastChar = 66;
  rig.Pump(1, 0);  // move 1 1, not waiting: both stay
  EXPECT_EQ(in.lastKey, 7);
  EXPECT_EQ(in.lastChar, 66);
  rig.Pump(1, 1);  // wheel, waiting: both cleared before the wait
  EXPECT_EQ(in.lastKey, 0);
  EXPECT_EQ(in.lastChar, 0);
  EXPECT_EQ(in.wheelLines, 3);
  in.lastKey = 7;
  rig.Pump(1, 0);
  EXPECT_EQ(in.wheelLines, 0);
  EXPECT_EQ(in.lastKey, 7);
}

TEST(InputState, RestoredResizeRecordsGeometryAndLogs) {
  Rig rig("wait 0\nsize 1100 800\nsize 1100 800\n");
  Program& p = rig.program;
  p.WindowMaximized = 1;
  rig.Pump(1);
  EXPECT_EQ(p.ClientWidth, 1100);
  EXPECT_EQ(p.ClientHeight, 800);
  EXPECT_EQ(p.CentreX, 550);
  EXPECT_EQ(p.WindowX, 10);
  EXPECT_EQ(p.WindowMaximized, 0);
  EXPECT_EQ(p.input.layoutChanged, 1);
  EXPECT_EQ(rig.saves, 1);
  ASSERT_EQ(rig.log.size(), 1u);
  EXPECT_EQ(rig.log[0], "Window Size:  1100 x  800");
  EXPECT_EQ(WindowSizeLogLine(-5, 768), "Window Size: -5 x  768");

  // The program's own maximise keeps its flag when the size it set arrives.
  p.WindowMaximized = 1;
  ApplyEvent(p, PlatformEvent{.type = EventType::Resize, .width = 1100, .height = 800});
  EXPECT_EQ(p.WindowMaximized, 1);
}

TEST(InputState, ResizeIsImpossibleWhileModalAndMinimisingKeepsGeometry) {
  Rig rig("wait 0\nsize 1100 800\nmove 1 1\nsize 600 400\n");
  Program& p = rig.program;
  p.ModalActive = 1;
  // Directly: a size message during a modal loop changes nothing.
  ApplyEvent(p, PlatformEvent{.type = EventType::Resize, .width = 900, .height = 700});
  EXPECT_EQ(p.ClientWidth, 1024);
  EXPECT_EQ(p.input.layoutChanged, 0);
  // Through the backend: the frozen limits keep the window from changing at all.
  rig.Pump(1);
  EXPECT_EQ(rig.window->OuterRect().width, 1024);
  EXPECT_TRUE(rig.log.empty());
  // After the modal loop, the smallest size is 775 x 575 again.
  p.ModalActive = 0;
  rig.Pump(1);
  EXPECT_EQ(p.ClientWidth, 775);
  EXPECT_EQ(p.ClientHeight, 575);

  ApplyEvent(p, PlatformEvent{.type = EventType::Resize, .sizeState = SizeState::Minimized});
  ApplyEvent(p, PlatformEvent{.type = EventType::Resize, .width = 0, .height = 0});
  EXPECT_EQ(p.ClientWidth, 775);
  EXPECT_EQ(p.WindowX, 10);
  EXPECT_EQ(rig.log.size(), 1u);
}

TEST(InputState, WindowManagerMovesAndMaximises) {
  Rig rig("");
  Program& p = rig.program;
  p.WindowMaximized = 1;
  ApplyEvent(p, PlatformEvent{.type = EventType::Move, .x = 300, .y = 40});
  EXPECT_EQ(p.WindowX, 300);
  EXPECT_EQ(p.WindowY, 40);
  EXPECT_EQ(p.WindowMaximized, 0);
  EXPECT_EQ(rig.saves, 1);
  rig.window->MoveResize(0, 0, 1280, 1000);
  ApplyEvent(p, PlatformEvent{.type = EventType::Resize, .width = 1280, .height = 1000,
                              .sizeState = SizeState::Maximized});
  EXPECT_EQ(p.WindowMaximized, 1);
  EXPECT_EQ(p.ClientWidth, 1280);
}

TEST(InputState, TimersCloseAndPumpingAfterQuit) {
  Rig rig("today 2024-05-05\nwait 60000\nclick 5 5\n");
  Program& p = rig.program;
  StartDayTimer(p);
  StartCaretTimer(p);
  int caretToggles = 0;
  int last = p.input.caretPhase;
  while (p.input.currentDay == 0) {
    rig.Pump(1, 1);
    if (p.input.caretPhase != last) ++caretToggles;
    last = p.input.caretPhase;
  }
  EXPECT_EQ(p.input.currentDay, 5);
  EXPECT_EQ(caretToggles, 199);  // 200 ticks by the minute, the last one after the day timer
  StopCaretTimer(p);
  EXPECT_FALSE(rig.window->TimerRunning(CaretTimerId));

  ApplyEvent(p, Ev(EventType::Close));
  EXPECT_EQ(p.input.quitRequested, 1);
  p.input.mouseX = -1;
  rig.Pump(5, 1);  // must not block, must not take the click
  EXPECT_EQ(p.input.mouseX, -1);
}

TEST(InputState, TrayIcon) {
  Rig rig("tray right\ntray left\ntray right\n");
  Program& p = rig.program;
  rig.Pump(1);  // a right click while the window is visible does nothing
  EXPECT_EQ(rig.window->trayMenusShown(), 0);
  HideToTray(p);
  EXPECT_FALSE(rig.window->Visible());
  EXPECT_TRUE(rig.window->trayIconShown());
  rig.Pump(1);
  EXPECT_TRUE(rig.window->Visible());
  EXPECT_FALSE(rig.window->trayIconShown());
  HideToTray(p);
  rig.Pump(1);
  EXPECT_EQ(rig.window->trayMenusShown(), 1);
  ApplyEvent(p, PlatformEvent{.type = EventType::Command, .id = CommandShow});
  EXPECT_TRUE(rig.window->Visible());
  EXPECT_FALSE(rig.window->trayIconShown());
  HideToTray(p);
  ApplyEvent(p, PlatformEvent{.type = EventType::Command, .id = CommandExit});
  EXPECT_FALSE(rig.window->trayIconShown());
  EXPECT_EQ(p.input.quitRequested, 1);

  Rig second("");
  HideToTray(second.program);
  ApplyEvent(second.program, Ev(EventType::ShowRequest));
  EXPECT_TRUE(second.window->Visible());
  EXPECT_EQ(second.program.input.activeWindow, 1);
}

TEST(InputState, InactiveWindowKeepsTheHeaderItWasLeftWith) {
  Rig rig("");
  Program& p = rig.program;
  Surface offscreen(1280, 1024, Rgb(0, 0, 128));
  p.offscreen = &offscreen;
  bool drawn = false;
  p.drawHeader = [&] {
    drawn = true;
    for (int y = 0; y < p.HeaderHeight; ++y) {
      std::fill(offscreen.Row(y), offscreen.Row(y) + offscreen.width(),
                p.input.activeWindow ? Rgb(0, 0, 128) : Rgb(128, 128, 128));
    }
  };
  ApplyEvent(p, PlatformEvent{.type = EventType::Activate, .active = false});
  EXPECT_TRUE(drawn);
  EXPECT_EQ(p.input.activeWindow, 0);
  EXPECT_EQ(rig.window->image().At(5, 5), Rgb(128, 128, 128));
  // Something draws over the header while inactive; a repaint still shows the saved one.
  std::fill(offscreen.pixels().begin(), offscreen.pixels().end(), Rgb(255, 0, 0));
  ApplyEvent(p, Ev(EventType::Expose));
  EXPECT_EQ(rig.window->image().At(5, 49), Rgb(128, 128, 128));
  EXPECT_EQ(rig.window->image().At(5, 50), Rgb(255, 0, 0));
  ApplyEvent(p, PlatformEvent{.type = EventType::Activate, .active = true});
  EXPECT_EQ(rig.window->image().At(5, 5), Rgb(0, 0, 128));
  EXPECT_EQ(rig.window->image().At(5, 767), Rgb(255, 0, 0));
}

}  // namespace
}  // namespace kal
