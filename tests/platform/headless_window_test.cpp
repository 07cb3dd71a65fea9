#include "platform/headless_window.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/images.h"
#include "support/test_support.h"

namespace kal {
namespace {

HeadlessWindow Make(const std::string& script) { return HeadlessWindow(test::ParsedScript(script)); }

// Every event up to the first close request, one word each ("downR5,6",
// "kdS+c"), so that whole sequences compare at once.
std::string Trace(HeadlessWindow& w) {
  std::string out;
  for (PlatformEvent e = w.NextEvent(true); e.type != EventType::Close; e = w.NextEvent(true)) {
    const std::string at = std::to_string(e.x) + "," + std::to_string(e.y);
    const std::string b = e.button == MouseButton::Right ? "R" : "L";
    const std::string mods = std::string(e.shift ? "+s" : "") + (e.ctrl ? "+c" : "");
    std::string key = "?";
    for (const char* name : {"S", "A", "Left", "Enter"}) {
      if (KeyFromName(name) == e.key) key = name;
    }
    switch (e.type) {
      case EventType::MouseMove: out += "move" + at; break;
      case EventType::MouseDown: out += "down" + b + at; break;
      case EventType::MouseUp: out += "up" + b + at; break;
      case EventType::DoubleClick: out += "dbl" + b + at; break;
      case EventType::Move: out += "window" + at; break;
      case EventType::Wheel: out += "wheel" + std::to_string(e.steps) + "@" + at; break;
      case EventType::KeyDown: out += "kd" + key; break;
      case EventType::KeyUp: out += "ku" + key; break;
      case EventType::Char: out += "char" + std::to_string(e.ch); break;
      case EventType::TrayClick: out += "tray" + b; break;
      case EventType::ShowRequest: out += "show"; break;
      default: out += "type" + std::to_string(static_cast<int>(e.type));
    }
    out += mods + " ";
  }
  return out;
}

TEST(HeadlessWindow, ScriptsBecomeEventSequences) {
  const std::pair<const char*, const char*> cases[] = {
      {"click 10 20\ndclick 10 20 \nclick 5 6 right\n",  // the same place needs no move
       "move10,20 downL10,20 upL10,20 downL10,20 upL10,20 dblL10,20 upL10,20 move5,6 downR5,6 upR5,6 "},
      {"press 1 1\npress 2 2 right\nmove 3 3\nrelease 3 3\nrelease 4 4 right\n",
       "move1,1 downL1,1 move2,2 downR2,2 move3,3 upL3,3 move4,4 upR4,4 "},
      {"key S ctrl\nkey Left shift\nkey Enter\n", "kdS+c char19+c kuS+c kdLeft+s kuLeft+s kdEnter char13 kuEnter "},
      {"type \xC3\xA9\xE2\x82\xAC" "A\n",  // typed UTF-8 arrives as Windows-1252
       "kd? char233 ku? kd? char128 ku? kdA+s char65+s kuA+s "},
      {"move 50 60\nwheel -2\n", "move50,60 wheel-1@50,60 wheel-1@50,60 "},
  };
  for (const auto& [script, expected] : cases) {
    HeadlessWindow w = Make(script);
    EXPECT_EQ(Trace(w), expected) << script;
  }

  HeadlessWindow modifiers = Make("key C ctrl\nclick 1 1\n");
  modifiers.NextEvent(false);
  EXPECT_TRUE(modifiers.Modifiers().ctrl);
  for (int i = 0; i < 3; ++i) modifiers.NextEvent(false);  // Char, KeyUp, the click's move
  EXPECT_FALSE(modifiers.Modifiers().ctrl);

  HeadlessWindow tray = Make("tray right\n");
  tray.PostShowRequest();
  EXPECT_EQ(Trace(tray), "show trayR ");
}

TEST(HeadlessWindow, WaitFiresDueTimersInOrderAndAdvancesTheClock) {
  HeadlessWindow w = Make("today 2024-05-05\nwait 1000\nclick 1 1\n");
  w.StartTimer(300, 300);
  w.StartTimer(5, 450);
  std::vector<std::pair<int, std::uint64_t>> fired, expected = {{300, 300}, {5, 450}, {300, 600}, {5, 900}, {300, 900}};
  for (PlatformEvent e = w.NextEvent(true); e.type == EventType::Timer; e = w.NextEvent(true)) {
    fired.emplace_back(e.id, w.clock().TickMs());
  }
  EXPECT_EQ(fired, expected);
  EXPECT_EQ(w.clock().TickMs(), 1000u);  // the click comes after the whole wait
  EXPECT_EQ(w.clock().Now().second, 1);

  HeadlessWindow killed = Make("wait 10000\n");
  killed.StartTimer(300, 300);
  EXPECT_EQ(killed.NextEvent(true).type, EventType::Timer);
  killed.KillTimer(300);
  EXPECT_FALSE(killed.TimerRunning(300));
  EXPECT_EQ(killed.NextEvent(true).type, EventType::Close);
  EXPECT_EQ(killed.clock().TickMs(), 10000u);

  HeadlessWindow midnight = Make("today 2024-12-31\nwait 43260000\n");
  midnight.StartTimer(5, 60000);
  int ticks = 0;
  while (midnight.NextEvent(true).type == EventType::Timer) ++ticks;
  EXPECT_EQ(ticks, 721);
  const LocalDateTime now = midnight.clock().Now();
  EXPECT_EQ(std::tuple(now.year, now.month, now.day, now.hour, now.minute), std::tuple(2025, 1, 1, 0, 1));
}

TEST(HeadlessWindow, EndOfScriptKeepsAskingToClose) {
  HeadlessWindow w = Make("click 1 1\nquit\nclick 2 2\n");
  EXPECT_EQ(Trace(w), "move1,1 downL1,1 upL1,1 ");
  EXPECT_TRUE(w.scriptFinished());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(w.NextEvent(false).type, EventType::Close);
    EXPECT_EQ(w.NextEvent(true, 10).type, EventType::Close);
  }
}

// The drag band, the start state and the size limits are pinned through the
// program: the header tests, the silent start and the input-state resizes.
TEST(HeadlessWindow, PresentAndScreenshot) {
  test::TempDir dir;
  const std::string shot = dir.File("shot.png");
  HeadlessWindow w = Make("screenshot " + shot + "\nscreenshot " + dir.File("no/such/folder/x.png") + "\n");
  ASSERT_TRUE(w.Create("Kalendrina", 0, 0, 4, 3, false));
  Surface s(6, 6, Rgb(1, 2, 3));
  s.Row(1)[2] = Rgb(200, 100, 50);
  w.Present(s, Rect{1, 1, 3, 2});
  EXPECT_EQ(w.image().At(2, 1), Rgb(200, 100, 50));
  EXPECT_EQ(w.image().At(1, 1), Rgb(1, 2, 3));
  EXPECT_EQ(w.image().At(3, 1), 0u);  // outside the presented rectangle
  EXPECT_EQ(w.NextEvent(true).type, EventType::Close);
  Surface back;
  ASSERT_TRUE(LoadImageFile(shot, back));
  EXPECT_EQ(back.width(), 4);
  EXPECT_EQ(back.pixels(), w.image().pixels());
  ASSERT_EQ(w.errors().size(), 1u);
  EXPECT_EQ(w.errors()[0].rfind("line 2: cannot write the screenshot", 0), 0u);
}

}  // namespace
}  // namespace kal
