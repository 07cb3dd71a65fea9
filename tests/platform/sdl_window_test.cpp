// The desktop backend against a real X server (Xvfb). Skipped, and said so,
// when Xvfb is not installed.
#include "platform/sdl_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <tuple>

#include "support/xvfb.h"

extern "C" const char* __lsan_default_suppressions() {
  // The X libraries keep some allocations for the life of the process.
  return "leak:libX11\nleak:libXi\nleak:libxcb\nleak:libdbus\nleak:SDL_\n";
}

namespace kal {
namespace {

class SdlWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<test::XServer>();
    if (!server_->display().empty()) {
      setenv("DISPLAY", server_->display().c_str(), 1);
      setenv("SDL_VIDEODRIVER", "x11", 1);
    }
  }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override {
    if (server_->display().empty()) GTEST_SKIP() << "Xvfb is not available";
    ASSERT_TRUE(w.ok()) << w.error();
  }
  // Waits up to two seconds for an event of the type.
  PlatformEvent WaitFor(EventType type) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end) {
      const PlatformEvent e = w.NextEvent(true, 50);
      if (e.type == type) return e;
    }
    return PlatformEvent{};
  }
  void DrainEvents() {
    while (w.NextEvent(false).type != EventType::None) {
    }
  }

  static inline std::unique_ptr<test::XServer> server_;
  SdlWindow w;
};

TEST_F(SdlWindowTest, OpensHiddenAndReportsTheScreen) {
  EXPECT_EQ(w.ScreenRect(), (WindowRect{0, 0, 1280, 1024}));
  EXPECT_GT(w.WorkArea().width, 0);
  ASSERT_TRUE(w.Create("Kalendrina", 40, 30, 800, 600, true));
  EXPECT_FALSE(w.Visible());
  w.Show();
  EXPECT_TRUE(w.Visible());
  EXPECT_EQ(std::tuple(w.OuterRect().width, w.OuterRect().height, w.FrameWidth()), std::tuple(800, 600, 0));
}

TEST_F(SdlWindowTest, ARealClickArrives) {
  test::XClient input;
  if (!input.canClick()) GTEST_SKIP() << "the XTEST extension is not available";
  ASSERT_TRUE(w.Create("Kalendrina", 100, 100, 800, 600, false));
  WaitFor(EventType::Expose);
  const WindowRect r = w.OuterRect();
  input.Click(r.x + 300, r.y + 200, 3);
  const PlatformEvent down = WaitFor(EventType::MouseDown);
  EXPECT_EQ(std::tuple(down.button, down.x, down.y), std::tuple(MouseButton::Right, 300, 200));
  EXPECT_EQ(WaitFor(EventType::MouseUp).button, MouseButton::Right);

  // A left press in the drag band goes to the window manager, not to the program.
  w.SetDragBand(50, {Rect{700, 0, 800, 50}});
  input.Click(r.x + 710, r.y + 10, 1);
  EXPECT_EQ(WaitFor(EventType::MouseDown).x, 710);
  input.Click(r.x + 300, r.y + 10, 1);
  input.Click(r.x + 300, r.y + 300, 1);
  EXPECT_EQ(WaitFor(EventType::MouseDown).y, 300);
}

TEST_F(SdlWindowTest, KeysBecomeCharactersAsTheSystemTranslatesThem) {
  ASSERT_TRUE(w.Create("Kalendrina", 0, 0, 800, 600, false));
  DrainEvents();
  for (const auto& [sym, mod] : {std::pair{SDLK_s, KMOD_LCTRL}, std::pair{SDLK_RETURN, KMOD_NONE}}) {
    SDL_Event ev{};
    ev.type = SDL_KEYDOWN;
    std::tie(ev.key.keysym.sym, ev.key.keysym.mod) = std::tuple(sym, mod);
    SDL_PushEvent(&ev);
  }
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  SDL_strlcpy(text.text.text, "\xC3\xA9\xE2\x82\xAC", sizeof(text.text.text));  // UTF-8 e acute, euro
  SDL_PushEvent(&text);

  PlatformEvent e[6];
  for (PlatformEvent& one : e) one = w.NextEvent(false);
  EXPECT_EQ(std::tuple(e[0].type, e[0].key, e[0].ctrl), std::tuple(EventType::KeyDown, Key::S, true));
  EXPECT_EQ(std::tuple(e[1].type, e[1].ch), std::tuple(EventType::Char, 19));
  EXPECT_EQ(e[2].key, Key::Enter);
  const std::pair<int, int> chars[] = {{3, 13}, {4, 0xE9}, {5, 0x80}};
  for (const auto& [i, ch] : chars) {
    EXPECT_EQ(std::tuple(e[i].type, e[i].ch), std::tuple(EventType::Char, ch)) << i;
  }
}

TEST_F(SdlWindowTest, TimersShowRequestsAndClipboard) {
  ASSERT_TRUE(w.Create("Kalendrina", 0, 0, 800, 600, true));
  w.StartTimer(300, 20);
  EXPECT_EQ(WaitFor(EventType::Timer).id, 300);
  w.KillTimer(300);
  DrainEvents();
  EXPECT_EQ(w.NextEvent(true, 100).type, EventType::None);

  std::thread other([this] { w.PostShowRequest(); });
  EXPECT_EQ(w.NextEvent(true, 2000).type, EventType::ShowRequest);
  other.join();

  w.SetClipboardText("caf\xE9");
  std::string text;
  ASSERT_TRUE(w.GetClipboardText(text));
  EXPECT_EQ(text, "caf\xE9");
}

}  // namespace
}  // namespace kal
