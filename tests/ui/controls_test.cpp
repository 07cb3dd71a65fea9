// Check boxes, choice fields, links and the input waits, on the headless
// backend.

#include <gtest/gtest.h>

#include <string>

#include "ui/controls.h"
#include "ui/images.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;

ControlRecord Box(int x1, int y1, int x2, int y2, std::string caption) {
  ControlRecord r;
  r.x1 = x1;
  r.y1 = y1;
  r.x2 = x2;
  r.y2 = y2;
  r.text = std::move(caption);
  r.colour = ColourBlack;
  r.backColour = ColourWhite;
  return r;
}

TEST(CheckBox, EachPressInsideTogglesAndShowsTheCross) {
  UiFixture f("click 105 210\nclick 105 210\nclick 400 400\nclick 250 212\n");
  ControlRecord r = Box(100, 200, 300, 220, "Show the calendar on the desktop");
  r.align = AlignRight;
  r.x2 = 0;
  std::int32_t value = 0;
  DrawCheckBox(f.gfx, 1, r, value);
  f.gfx.PresentRect(0, 0, 1024, 768);
  r.x2 = 300;
  std::vector<std::int32_t> seen;
  while (f.program.input.quitRequested == 0) {
    f.Pump();
    if (CheckBoxClicked(f.ui, r, value)) seen.push_back(value);
  }
  EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 0, 1}));
  // m = 210: the 9 x 9 box spans 206..214; the cross's first ink pixel is at (1, 1).
  const Surface& s = f.window.image();
  EXPECT_NE(s.At(101, 207), ColourWhite);
  EXPECT_EQ(s.At(100, 206), ColourWhite);
  value = 0;
  DrawCheckBox(f.gfx, 0, r, value);
  EXPECT_EQ(f.surface.At(101, 207), ColourWhite);
}

TEST(ChoiceField, CaptionIsClippedToTheTextAreaBesideTheArrow) {
  UiFixture f;
  ControlRecord r = Box(100, 100, 260, 122, "");
  DrawChoiceField(f.gfx, 1, 0, r);
  const Surface plain = f.surface;
  r.text = std::string(49, 'W');
  DrawChoiceField(f.gfx, 0, 0, r);  // the frame blends: drawn once is enough
  int textChanged = 0;
  for (int y = 100; y <= 122; ++y) {
    for (int x = 100; x < 242; ++x) textChanged += f.surface.At(x, y) != plain.At(x, y);
    for (int x = 242; x <= 300; ++x) ASSERT_EQ(f.surface.At(x, y), plain.At(x, y)) << x << "," << y;
  }
  EXPECT_GT(textChanged, 100);
  // The arrow is a push button from x2 - 18 to x2 + 1, pressed on request.
  EXPECT_EQ(f.surface.At(242, 100), ColourWhite);
  DrawChoiceField(f.gfx, 0, 1, r);
  EXPECT_EQ(f.surface.At(242, 100), ColourBlack);
  EXPECT_EQ(f.surface.At(260, 122), ColourWhite);
}

TEST(LinkHover, EndsWhenThePointerLeavesOrOnAClick) {
  struct Case {
    const char* script;
    std::int32_t expected;
  } cases[] = {
      {"move 150 105\nmove 300 300\n", 0},
      {"move 150 105\nclick 150 110\n", 1},
      {"click 150 110 right\n", 2},
      {"move 150 105\n", 0},  // the window closes
  };
  for (const Case& c : cases) {
    UiFixture f(c.script);
    ControlRecord r = Box(100, 100, 260, 120, "Visit the web site");
    f.program.input.mouseX = 120;
    f.program.input.mouseY = 110;
    int passes = 0;
    f.ui.frameInput = [&](int wait, std::int32_t&) {
      ++passes;
      PumpMessages(f.program, wait);
    };
    EXPECT_EQ(LinkHover(f.ui, r, f.gfx.SmallBoldFont), c.expected) << c.script;
    EXPECT_GT(passes, 0);
  }
  // After leaving, the caption is navy again, over the record's shadow colour.
  UiFixture f("move 300 300\n");
  ControlRecord r = Box(100, 100, 260, 120, "Visit the web site");
  r.setState(static_cast<std::int32_t>(Rgb(200, 0, 0)));
  f.program.input.mouseX = 120;
  f.program.input.mouseY = 110;
  LinkHover(f.ui, r, f.gfx.SmallBoldFont);
  int navy = 0, red = 0;
  for (int y = 100; y < 120; ++y) {
    for (int x = 100; x < 260; ++x) {
      navy += f.window.image().At(x, y) == ColourNavy;
      red += f.window.image().At(x, y) == Rgb(200, 0, 0);
    }
  }
  EXPECT_GT(navy, 20);
  EXPECT_GT(red, 5);
}

// A backend on which nothing ever happens.
class SilentWindow : public HeadlessWindow {
 public:
  SilentWindow() : HeadlessWindow({}) {}
  PlatformEvent NextEvent(bool, int) override {
    ++polls;
    return PlatformEvent{};
  }
  int polls = 0;
};

TEST(WaitInputRelease, WaitsForTheReleaseAndLeavesTheNextInputAlone) {
  UiFixture f("press 10 10\nwait 5000\nmove 20 20\nrelease 20 20\nkey Enter\n");
  f.Pump();  // the move to (10, 10)
  f.Pump();  // the press
  ASSERT_EQ(f.program.input.mouseButton, 1);
  WaitInputRelease(f.program);
  EXPECT_EQ(f.program.input.mouseButton, 0);
  EXPECT_EQ(f.window.clock().TickMs(), 5000u);
  // The Enter is still to come.
  f.Pump();
  f.Pump();
  EXPECT_EQ(f.program.input.lastChar, 13);
  WaitInputRelease(f.program);
  EXPECT_EQ(f.program.input.lastChar, 0);
  EXPECT_EQ(f.program.input.quitRequested, 0);
}

TEST(WaitInputRelease, NeverBlocksForGood) {
  // The window closes while the button is held.
  UiFixture f("press 10 10\n");
  f.Pump();
  f.Pump();
  WaitInputRelease(f.program);
  EXPECT_EQ(f.program.input.quitRequested, 1);
  // No events at all: a key whose release was lost, and a held button.
  SilentWindow silent;
  Program p;
  p.window = &silent;
  p.input.lastKey = KeyUp;
  p.input.lastChar = 'a';
  WaitInputRelease(p);
  EXPECT_EQ(p.input.lastKey, 0);
  EXPECT_EQ(p.input.lastChar, 0);
  p.input.mouseButton = 1;
  WaitInputRelease(p);
  EXPECT_LE(silent.polls, 10);
}

TEST(DelayUnlessInput, WaitsItsTimeWhileHeldAndEndsAtTheRelease) {
  UiFixture f("press 10 10\nwait 1000\nrelease 10 10\n");
  f.Pump();
  f.Pump();
  const std::uint64_t t0 = f.window.clock().TickMs();
  DelayUnlessInput(f.program, 1);
  EXPECT_EQ(f.window.clock().TickMs() - t0, 300u);
  DelayUnlessInput(f.program, 2);
  EXPECT_EQ(f.window.clock().TickMs() - t0, 400u);
  DelayUnlessInput(f.program, 0);
  EXPECT_EQ(f.window.clock().TickMs() - t0, 425u);
  EXPECT_FALSE(f.window.TimerRunning(HoldTimerId));
  // Released during the wait: returns at the release.
  UiFixture g("press 10 10\nwait 120\nrelease 10 10\nkey Enter\n");
  g.Pump();
  g.Pump();
  DelayUnlessInput(g.program, 1);
  EXPECT_EQ(g.window.clock().TickMs(), 120u);
  EXPECT_EQ(g.program.input.mouseButton, 0);
}

}  // namespace
}  // namespace kal
