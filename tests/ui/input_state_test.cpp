#include "ui/input_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "platform/headless_window.h"
#include "support/test_support.h"

namespace kal {
namespace {

// A program on the headless backend, with a 1024 x 768 window at (10, 20).
struct Rig {
  explicit Rig(const char* script) : window(test::ParsedScript(script)) {
    window.Create("Kalendrina", 10, 20, 1024, 768, false);
    p.window = &window;
    p.clock = &window.clock();
    std::tie(p.WindowX, p.WindowY, p.ClientWidth, p.ClientHeight, p.CentreX) = std::tuple(10, 20, 1024, 768, 512);
    p.log = [this](const std::string& line) { log.push_back(line); };
    p.saveSettings = [this] { ++saves; };
  }
  void Pump(int n, int wait = 0) {
    for (int i = 0; i < n; ++i) PumpMessages(p, wait);
  }
  HeadlessWindow window;
  Program p;
  std::vector<std::string> log;
  int saves = 0;
};

auto Geometry(const Program& p) {
  return std::tuple(p.WindowX, p.WindowY, p.ClientWidth, p.ClientHeight, p.CentreX, int{p.WindowMaximized});
}
PlatformEvent Ev(EventType type) { return PlatformEvent{.type = type}; }
PlatformEvent Resize(int width, int height, SizeState state = SizeState::Restored) {
  return PlatformEvent{.type = EventType::Resize, .width = width, .height = height, .sizeState = state};
}

TEST(InputState, ButtonsAreASetOfHeldButtonsAndHoldTheMouse) {
  Rig rig("press 100 120\npress 100 120 right\nrelease 101 121\nrelease 101 121 right\n");
  InputState& in = rig.p.input;
  // Pumps per step: move + left down, right down, move + left up, right up.
  const std::tuple<int, int, bool> steps[] = {{2, 1, true}, {1, 3, true}, {2, 2, true}, {1, 0, false}};
  for (const auto& [pumps, buttons, captured] : steps) {
    rig.Pump(pumps);
    EXPECT_EQ(std::tuple(in.mouseButton, rig.window.mouseCaptured()), std::tuple(buttons, captured)) << buttons;
  }
  EXPECT_EQ(std::tuple(in.mouseX, in.mouseY), std::tuple(101, 121));
  // A press whose release was lost must not turn into another button.
  ApplyEvent(rig.p, PlatformEvent{.type = EventType::MouseDown, .button = MouseButton::Left});
  ApplyEvent(rig.p, PlatformEvent{.type = EventType::DoubleClick, .button = MouseButton::Left});
  EXPECT_EQ(in.mouseButton, 1);
  ApplyEvent(rig.p, PlatformEvent{.type = EventType::MouseUp, .button = MouseButton::Right});
  EXPECT_EQ(in.mouseButton, 1);
}

TEST(InputState, ModifiersClearOnButtonUpAndTheWheelScrollsLines) {
  Program p;
  ApplyEvent(p, PlatformEvent{.type = EventType::KeyDown, .key = Key::Shift, .shift = true});
  EXPECT_EQ(p.input.shiftDown, 1);
  ApplyEvent(p, PlatformEvent{.type = EventType::MouseUp, .ctrl = true});  // cleared, then refreshed
  EXPECT_EQ(std::tuple(p.input.shiftDown, p.input.ctrlDown), std::tuple(0, 1));
  ApplyEvent(p, Ev(EventType::MouseMove));
  EXPECT_EQ(p.input.ctrlDown, 0);
  // The system's setting per message, or one line with Ctrl; other messages start from none.
  const std::tuple<int, bool, int> wheel[] = {{1, false, 3}, {-2, false, -3}, {1, true, 1}, {-1, true, -1}};
  for (const auto& [steps, ctrl, lines] : wheel) {
    p.input.caretPhase = 0;
    ApplyEvent(p, PlatformEvent{.type = EventType::Wheel, .steps = steps, .ctrl = ctrl});
    EXPECT_EQ(std::tuple(p.input.wheelLines, p.input.caretPhase), std::tuple(lines, 1)) << steps << ctrl;
  }
  ApplyEvent(p, Ev(EventType::MouseMove));
  EXPECT_EQ(p.input.wheelLines, 0);
}

TEST(InputState, KeysCharactersAndWhatEachPumpForgets) {
  Rig rig("key PageDown\nkey S ctrl\ntype \xC3\xA9\nkey F1\nmove 1 1\nwheel 1\nmove 2 2\n");
  InputState& in = rig.p.input;
  rig.Pump(1);
  EXPECT_EQ(std::tuple(in.lastKey, in.caretPhase), std::tuple(81, 1));
  rig.Pump(1);  // key up
  EXPECT_EQ(in.lastKey, 0);
  rig.Pump(2);  // S down, Ctrl+S: letters have no key number
  EXPECT_EQ(std::tuple(in.lastKey, in.lastChar, in.ctrlDown), std::tuple(0, 19, 1));
  rig.Pump(1);
  EXPECT_EQ(in.lastChar, 0);
  rig.Pump(2);
  EXPECT_EQ(std::tuple(in.lastChar, in.ctrlDown), std::tuple(0xE9, 0));

  rig.Pump(3);  // e acute up, F1 down and up
  std::tie(in.lastKey, in.lastChar) = std::tuple(7, 66);
  rig.Pump(1, 0);  // a move, not waiting: both stay
  EXPECT_EQ(std::tuple(in.lastKey, in.lastChar), std::tuple(7, 66));
  rig.Pump(1, 1);  // the wheel, waiting: both cleared before the wait
  EXPECT_EQ(std::tuple(in.lastKey, in.lastChar, in.wheelLines), std::tuple(0, 0, 3));
  in.lastKey = 7;
  rig.Pump(1, 0);
  EXPECT_EQ(std::tuple(in.lastKey, in.wheelLines), std::tuple(7, 0));
}

TEST(InputState, ResizesMovesAndMaximising) {
  Rig rig("wait 0\nsize 1100 800\nmove 1 1\nsize 600 400\n");
  Program& p = rig.p;
  p.ModalActive = 1;
  // A size message during a modal loop changes nothing, and the frozen limits
  // keep the backend's window from changing at all.
  ApplyEvent(p, Resize(900, 700));
  EXPECT_EQ(std::tuple(p.ClientWidth, p.input.layoutChanged), std::tuple(1024, 0));
  rig.Pump(1);
  EXPECT_EQ(rig.window.OuterRect().width, 1024);
  EXPECT_TRUE(rig.log.empty());
  p.ModalActive = 0;
  rig.Pump(1);  // after the modal loop the smallest size is 775 x 575 again
  ApplyEvent(p, Resize(0, 0, SizeState::Minimized));  // minimising keeps the geometry
  ApplyEvent(p, Resize(0, 0));
  EXPECT_EQ(Geometry(p), std::tuple(10, 20, 775, 575, 387, 0));
  EXPECT_EQ(rig.log, std::vector<std::string>{"Window Size:  775 x  575"});

  std::tie(p.WindowMaximized, p.input.layoutChanged, rig.saves) = std::tuple(1, 0, 0);
  rig.window.MoveResize(10, 20, 1100, 800);  // the user restored it
  ApplyEvent(p, Resize(1100, 800));
  EXPECT_EQ(Geometry(p), std::tuple(10, 20, 1100, 800, 550, 0));
  EXPECT_EQ(std::tuple(p.input.layoutChanged, rig.saves), std::tuple(1, 1));
  EXPECT_EQ(rig.log.back(), "Window Size:  1100 x  800");
  EXPECT_EQ(WindowSizeLogLine(-5, 768), "Window Size: -5 x  768");
  p.WindowMaximized = 1;  // the program's own maximise keeps its flag when the size it set arrives
  ApplyEvent(p, Resize(1100, 800));
  EXPECT_EQ(p.WindowMaximized, 1);

  rig.saves = 0;  // moved by the window manager: no longer maximised
  ApplyEvent(p, PlatformEvent{.type = EventType::Move, .x = 300, .y = 40});
  EXPECT_EQ(Geometry(p), std::tuple(300, 40, 1100, 800, 550, 0));
  EXPECT_EQ(rig.saves, 1);
  rig.window.MoveResize(0, 0, 1280, 1000);
  ApplyEvent(p, Resize(1280, 1000, SizeState::Maximized));
  EXPECT_EQ(std::tuple(p.ClientWidth, int{p.WindowMaximized}), std::tuple(1280, 1));
}

TEST(InputState, TimersCloseAndPumpingAfterQuit) {
  Rig rig("today 2024-05-05\nwait 60000\nclick 5 5\n");
  Program& p = rig.p;
  StartDayTimer(p);
  StartCaretTimer(p);
  int caretToggles = 0;
  for (int last = p.input.caretPhase; p.input.currentDay == 0; last = p.input.caretPhase) {
    rig.Pump(1, 1);
    if (p.input.caretPhase != last) ++caretToggles;
  }
  EXPECT_EQ(p.input.currentDay, 5);
  EXPECT_EQ(caretToggles, 199);  // 200 ticks by the minute, the last one after the day timer
  StopCaretTimer(p);
  EXPECT_FALSE(rig.window.TimerRunning(CaretTimerId));

  ApplyEvent(p, Ev(EventType::Close));
  EXPECT_EQ(p.input.quitRequested, 1);
  p.input.mouseX = -1;
  rig.Pump(5, 1);  // must not block, must not take the click
  EXPECT_EQ(p.input.mouseX, -1);
}

TEST(InputState, TrayIcon) {
  Rig rig("tray right\ntray left\ntray right\n");
  Program& p = rig.p;
  const auto shown = [&] { return std::tuple(rig.window.Visible(), rig.window.trayIconShown()); };
  rig.Pump(1);  // a right click while the window is visible does nothing
  EXPECT_EQ(rig.window.trayMenusShown(), 0);
  HideToTray(p);
  EXPECT_EQ(shown(), std::tuple(false, true));
  rig.Pump(1);
  EXPECT_EQ(shown(), std::tuple(true, false));
  HideToTray(p);
  rig.Pump(1);
  EXPECT_EQ(rig.window.trayMenusShown(), 1);
  ApplyEvent(p, PlatformEvent{.type = EventType::Command, .id = CommandShow});
  EXPECT_EQ(shown(), std::tuple(true, false));
  HideToTray(p);
  ApplyEvent(p, PlatformEvent{.type = EventType::Command, .id = CommandExit});
  EXPECT_FALSE(rig.window.trayIconShown());
  EXPECT_EQ(p.input.quitRequested, 1);

  Rig second("");
  HideToTray(second.p);
  ApplyEvent(second.p, Ev(EventType::ShowRequest));
  EXPECT_EQ(std::tuple(second.window.Visible(), second.p.input.activeWindow), std::tuple(true, 1));
}

TEST(InputState, WithoutATrayHostTheWindowIsMinimisedNeverLost) {
  struct Case {
    bool host;
    bool startsHidden;  // a "/silent" start hides to the tray before the window was ever shown
    bool visible, minimized, icon, logged;
  };
  const Case cases[] = {
      {true, false, false, false, true, false},
      {true, true, false, false, true, false},
      {false, false, true, true, false, true},
      {false, true, true, true, false, true},
  };
  for (const Case& c : cases) {
    Rig rig("");
    rig.window.setTrayHost(c.host);
    if (c.startsHidden) rig.window.Hide();
    HideToTray(rig.p);
    const bool logged = std::find(rig.log.begin(), rig.log.end(), "No tray icon host found: window minimized instead") !=
                        rig.log.end();
    EXPECT_EQ(std::tuple(rig.window.Visible(), rig.window.minimized(), rig.window.trayIconShown(), logged),
              std::tuple(c.visible, c.minimized, c.icon, c.logged))
        << c.host << c.startsHidden;
    // The host gets our own icon: every size it may ask for, drawn (not blank), with straight alpha.
    const auto& images = rig.window.trayImages();
    ASSERT_EQ(images.size(), 6u);
    for (const IconPixels& image : images) {
      ASSERT_EQ(image.argb.size(), static_cast<std::size_t>(image.width * image.height));
      const auto opaque = std::count_if(image.argb.begin(), image.argb.end(), [](std::uint32_t p) { return p >> 24 == 255; });
      EXPECT_GT(opaque, image.width * image.height / 4) << image.width;
      EXPECT_LT(opaque, image.width * image.height) << "a square without transparent corners " << image.width;
    }
  }
}

TEST(InputState, InactiveWindowKeepsTheHeaderItWasLeftWith) {
  Rig rig("");
  Program& p = rig.p;
  Surface offscreen(1280, 1024, Rgb(0, 0, 128));
  p.offscreen = &offscreen;
  p.drawHeader = [&] {
    for (int y = 0; y < p.HeaderHeight; ++y) {
      std::fill(offscreen.Row(y), offscreen.Row(y + 1), p.input.activeWindow ? Rgb(0, 0, 128) : Rgb(128, 128, 128));
    }
  };
  ApplyEvent(p, PlatformEvent{.type = EventType::Activate, .active = false});
  EXPECT_EQ(p.input.activeWindow, 0);
  EXPECT_EQ(rig.window.image().At(5, 5), Rgb(128, 128, 128));
  // Something draws over the header while inactive; a repaint still shows the saved one.
  std::fill(offscreen.pixels().begin(), offscreen.pixels().end(), Rgb(255, 0, 0));
  ApplyEvent(p, Ev(EventType::Expose));
  EXPECT_EQ(rig.window.image().At(5, 49), Rgb(128, 128, 128));
  EXPECT_EQ(rig.window.image().At(5, 50), Rgb(255, 0, 0));
  ApplyEvent(p, PlatformEvent{.type = EventType::Activate, .active = true});
  EXPECT_EQ(rig.window.image().At(5, 5), Rgb(0, 0, 128));
  EXPECT_EQ(rig.window.image().At(5, 767), Rgb(255, 0, 0));
}

}  // namespace
}  // namespace kal
