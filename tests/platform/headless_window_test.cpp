#include "platform/headless_window.h"

#include <gtest/gtest.h>

#include "platform/images.h"
#include "support/test_support.h"

namespace kal {
namespace {

HeadlessWindow Make(const char* script) {
  ScriptParseResult r = ParseInputScript(script);
  EXPECT_TRUE(r.ok()) << r.error;
  return HeadlessWindow(std::move(r.commands));
}

// Every event up to (not including) the first close request.
std::vector<PlatformEvent> Drain(HeadlessWindow& w, std::size_t limit = 100000) {
  std::vector<PlatformEvent> events;
  for (std::size_t i = 0; i < limit; ++i) {
    const PlatformEvent e = w.NextEvent(true);
    if (e.type == EventType::Close) break;
    events.push_back(e);
  }
  return events;
}

std::vector<EventType> Types(const std::vector<PlatformEvent>& events) {
  std::vector<EventType> types;
  for (const PlatformEvent& e : events) types.push_back(e.type);
  return types;
}

TEST(HeadlessWindow, ClickAndDoubleClickSequences) {
  HeadlessWindow w = Make("click 10 20\ndclick 10 20 \nclick 5 6 right\n");
  const auto events = Drain(w);
  using T = EventType;
  EXPECT_EQ(Types(events), (std::vector<T>{T::MouseMove, T::MouseDown, T::MouseUp,  // click
                                            T::MouseDown, T::MouseUp, T::DoubleClick, T::MouseUp,  // same place: no move
                                            T::MouseMove, T::MouseDown, T::MouseUp}));
  EXPECT_EQ(events[1].x, 10);
  EXPECT_EQ(events[1].y, 20);
  EXPECT_EQ(events[5].button, MouseButton::Left);
  EXPECT_EQ(events[8].button, MouseButton::Right);
  EXPECT_EQ(events[9].button, MouseButton::Right);
}

TEST(HeadlessWindow, PressMoveReleaseKeepOrder) {
  HeadlessWindow w = Make("press 1 1\npress 2 2 right\nmove 3 3\nrelease 3 3\nrelease 4 4 right\n");
  using T = EventType;
  const auto events = Drain(w);
  EXPECT_EQ(Types(events), (std::vector<T>{T::MouseMove, T::MouseDown, T::MouseMove, T::MouseDown, T::MouseMove,
                                            T::MouseUp, T::MouseMove, T::MouseUp}));
  EXPECT_EQ(events[5].button, MouseButton::Left);
  EXPECT_EQ(events[7].button, MouseButton::Right);
  EXPECT_EQ(events[7].x, 4);
}

TEST(HeadlessWindow, KeysGiveTranslatedCharacters) {
  HeadlessWindow w = Make("key S ctrl\nkey Left shift\nkey Enter\n");
  const auto events = Drain(w);
  using T = EventType;
  ASSERT_EQ(Types(events), (std::vector<T>{T::KeyDown, T::Char, T::KeyUp, T::KeyDown, T::KeyUp, T::KeyDown, T::Char,
                                            T::KeyUp}));
  EXPECT_EQ(events[0].key, Key::S);
  EXPECT_EQ(events[1].ch, 19);
  EXPECT_TRUE(events[1].ctrl);
  EXPECT_FALSE(events[1].shift);
  EXPECT_EQ(events[3].key, Key::Left);
  EXPECT_TRUE(events[3].shift);
  EXPECT_EQ(events[6].ch, 13);
  EXPECT_FALSE(events[6].ctrl);
}

TEST(HeadlessWindow, ModifiersFollowTheDeliveredEvent) {
  HeadlessWindow w = Make("key C ctrl\nclick 1 1\n");
  w.NextEvent(false);
  EXPECT_TRUE(w.Modifiers().ctrl);
  w.NextEvent(false);
  w.NextEvent(false);
  w.NextEvent(false);  // the click's move
  EXPECT_FALSE(w.Modifiers().ctrl);
}

TEST(HeadlessWindow, TypedUtf8BecomesWindows1252) {
  HeadlessWindow w = Make("type é€A\n");
  const auto events = Drain(w);
  std::vector<int> chars;
  for (const PlatformEvent& e : events) {
    if (e.type == EventType::Char) chars.push_back(e.ch);
  }
  EXPECT_EQ(chars, (std::vector<int>{0xE9, 0x80, 'A'}));
  ASSERT_EQ(events.size(), 9u);
  EXPECT_EQ(events[0].type, EventType::KeyDown);
  EXPECT_EQ(events[6].key, Key::A);
  EXPECT_TRUE(events[7].shift);
  EXPECT_EQ(events[8].type, EventType::KeyUp);
}

TEST(HeadlessWindow, WheelStepsArriveOneByOne) {
  HeadlessWindow w = Make("move 50 60\nwheel -2\n");
  const auto events = Drain(w);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].type, EventType::Wheel);
  EXPECT_EQ(events[1].steps, -1);
  EXPECT_EQ(events[2].steps, -1);
  EXPECT_EQ(events[2].x, 50);
}

TEST(HeadlessWindow, WaitFiresDueTimersInOrderAndAdvancesTheClock) {
  HeadlessWindow w = Make("today 2024-05-05\nwait 1000\nclick 1 1\n");
  EXPECT_EQ(w.clock().Now().hour, 12);
  w.StartTimer(300, 300);
  w.StartTimer(5, 450);
  std::vector<int> ids;
  std::vector<std::uint64_t> ticks;
  for (;;) {
    const PlatformEvent e = w.NextEvent(true);
    if (e.type != EventType::Timer) break;
    ids.push_back(e.id);
    ticks.push_back(w.clock().TickMs());
  }
  EXPECT_EQ(ids, (std::vector<int>{300, 5, 300, 5, 300}));
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{300, 450, 600, 900, 900}));
  // The click comes after the whole wait.
  EXPECT_EQ(w.clock().TickMs(), 1000u);
  EXPECT_EQ(w.clock().Now().second, 1);
}

TEST(HeadlessWindow, KilledTimerStopsFiringMidWait) {
  HeadlessWindow w = Make("wait 10000\n");
  w.StartTimer(300, 300);
  EXPECT_EQ(w.NextEvent(true).type, EventType::Timer);
  w.KillTimer(300);
  EXPECT_FALSE(w.TimerRunning(300));
  EXPECT_EQ(w.NextEvent(true).type, EventType::Close);
  EXPECT_EQ(w.clock().TickMs(), 10000u);
}

TEST(HeadlessWindow, WaitCrossesMidnight) {
  HeadlessWindow w = Make("today 2024-12-31\nwait 43260000\n");
  w.StartTimer(5, 60000);
  int fired = 0;
  while (w.NextEvent(true).type == EventType::Timer) ++fired;
  EXPECT_EQ(fired, 721);
  const LocalDateTime now = w.clock().Now();
  EXPECT_EQ(now.year, 2025);
  EXPECT_EQ(now.month, 1);
  EXPECT_EQ(now.day, 1);
  EXPECT_EQ(now.hour, 0);
  EXPECT_EQ(now.minute, 1);
}

TEST(HeadlessWindow, EndOfScriptKeepsAskingToClose) {
  HeadlessWindow w = Make("click 1 1\nquit\nclick 2 2\n");
  EXPECT_EQ(Drain(w).size(), 3u);
  EXPECT_TRUE(w.scriptFinished());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(w.NextEvent(false).type, EventType::Close);
    EXPECT_EQ(w.NextEvent(true, 10).type, EventType::Close);
  }
}

TEST(HeadlessWindow, StartStateAndResizes) {
  HeadlessWindow w = Make("size 900 600\ntoday 2024-01-02\nwait 0\nsize 1000 700\nsize 500 500\n");
  EXPECT_EQ(w.startWidth(), 900);
  EXPECT_EQ(w.startHeight(), 600);
  EXPECT_EQ(w.clock().Now().day, 2);
  ASSERT_TRUE(w.Create("Kalendrina", 10, 20, 900, 600, true));
  EXPECT_FALSE(w.Visible());
  w.SetSizeLimits(775, 575, 0, 0);
  PlatformEvent e = w.NextEvent(true);
  EXPECT_EQ(e.type, EventType::Resize);
  EXPECT_EQ(e.width, 1000);
  EXPECT_EQ(e.sizeState, SizeState::Restored);
  e = w.NextEvent(true);  // clamped to the minimum
  EXPECT_EQ(e.width, 775);
  EXPECT_EQ(e.height, 575);
  EXPECT_EQ(w.OuterRect(), (WindowRect{10, 20, 775, 575}));
  EXPECT_EQ(w.image().width(), 775);
}

TEST(HeadlessWindow, FrozenSizeIgnoresScriptResizes) {
  HeadlessWindow w = Make("size 1000 700\n");
  ASSERT_TRUE(w.Create("Kalendrina", 0, 0, 800, 600, false));
  w.SetSizeLimits(800, 600, 800, 600);
  EXPECT_EQ(w.NextEvent(true).type, EventType::Close);
  EXPECT_EQ(w.OuterRect().width, 800);
}

TEST(HeadlessWindow, DragBandMovesTheWindowInsteadOfClicking) {
  HeadlessWindow w = Make("press 100 10\nmove 130 5\nrelease 130 5\nclick 300 10\nclick 100 60\n");
  ASSERT_TRUE(w.Create("Kalendrina", 50, 50, 800, 600, false));
  w.SetDragBand(50, {Rect{250, 0, 350, 50}});
  const auto events = Drain(w);
  using T = EventType;
  ASSERT_EQ(Types(events), (std::vector<T>{T::MouseMove, T::Move, T::MouseMove, T::MouseDown, T::MouseUp,
                                            T::MouseMove, T::MouseDown, T::MouseUp}));
  EXPECT_EQ(events[1].x, 80);
  EXPECT_EQ(events[1].y, 45);
  EXPECT_EQ(w.OuterRect().x, 80);
  EXPECT_EQ(events[3].x, 300);  // over an excluded button: a normal click
}

TEST(HeadlessWindow, PresentScreenshotAndClipboard) {
  test::TempDir dir;
  const std::string shot = dir.File("shot.png");
  const std::string bad = dir.File("no/such/folder/x.png");
  HeadlessWindow w = Make(("screenshot " + shot + "\nscreenshot " + bad + "\n").c_str());
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
  EXPECT_EQ(back.At(2, 1), Rgb(200, 100, 50));
  ASSERT_EQ(w.errors().size(), 1u);
  EXPECT_EQ(w.errors()[0].rfind("line 2: cannot write the screenshot", 0), 0u);

  std::string text = "unchanged";
  EXPECT_FALSE(w.GetClipboardText(text));
  EXPECT_EQ(text, "unchanged");
  w.SetClipboardText("caf\xE9");
  ASSERT_TRUE(w.GetClipboardText(text));
  EXPECT_EQ(text, "caf\xE9");
}

TEST(HeadlessWindow, ShowRequestAndTrayClicks) {
  HeadlessWindow w = Make("tray right\n");
  w.PostShowRequest();
  EXPECT_EQ(w.NextEvent(false).type, EventType::ShowRequest);
  const PlatformEvent e = w.NextEvent(false);
  EXPECT_EQ(e.type, EventType::TrayClick);
  EXPECT_EQ(e.button, MouseButton::Right);
}

}  // namespace
}  // namespace kal
