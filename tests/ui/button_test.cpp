// Push buttons end to end: scripts of mouse and keyboard input played on the
// headless backend against a screen loop that asks ButtonClicked each pass.

#include <gtest/gtest.h>

#include <string>

#include "ui/controls.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;

constexpr int X1 = 100, Y1 = 100, X2 = 170, Y2 = 125;

// A screen loop with one button: pumps and asks the button until it reports
// something or the script has run out (the backend then closes the window).
std::int32_t RunButtonLoop(UiFixture& f, const std::string& caption, std::int32_t hotkey) {
  while (f.program.input.quitRequested == 0) {
    f.Pump();
    if (const std::int32_t r = ButtonClicked(f.ui, X1, Y1, X2, Y2, caption, hotkey); r != 0) return r;
  }
  return 0;
}

TEST(ButtonClicked, MouseClickInsideReportsTheButtonThatClicked) {
  {
    UiFixture f("click 130 110\n");
    EXPECT_EQ(RunButtonLoop(f, "Save", 1), 1);
  }
  {
    UiFixture f("click 130 110 right\n");
    EXPECT_EQ(RunButtonLoop(f, "Save", 1), 2);
  }
  {
    // Leaving and coming back before the release still clicks.
    UiFixture f("press 130 110\nmove 300 300\nmove 131 111\nrelease 131 111\n");
    EXPECT_EQ(RunButtonLoop(f, "Save", 0), 1);
  }
}

TEST(ButtonClicked, ReleaseOutsideIsNoClickAndLeavesTheButtonReleased) {
  UiFixture f("press 130 110\nmove 300 300\nrelease 300 300\n");
  DrawPushButton(f.gfx, 0, X1, Y1, X2, Y2, "Save", 1);
  f.gfx.PresentRect(0, 0, f.gfx.clientWidth, f.gfx.clientHeight);
  EXPECT_EQ(RunButtonLoop(f, "Save", 1), 0);
  // Released look: white outer ring top-left, darkest ring bottom-right.
  EXPECT_EQ(f.window.image().At(X1, Y1), ColourWhite);
  EXPECT_EQ(f.window.image().At(X2 - 1, Y2 - 1), Rgb(48, 48, 48));
}

TEST(ButtonClicked, HotKeys) {
  struct Case {
    const char* script;
    const char* caption;
    std::int32_t hotkey;
    std::int32_t expected;
  } cases[] = {
      {"key S ctrl\n", "Save", 1, 1},       // Ctrl + first letter
      {"key A ctrl\n", "Save", 2, 1},       // Ctrl + second letter
      {"type s\n", "Save", 1, 0},           // Ctrl is needed for k > 0
      {"type s\n", "Save", -1, 1},          // letter alone, either case
      {"type S\n", "Save", -1, 1},
      {"key S ctrl\n", "Save", 0, 0},       // no hot key at all
      {"key Enter\n", "OK", 0, 1},          // "OK" takes Enter even without a hot key
      {"key Up\n", "\x01", 1, 1},           // arrow buttons take the arrow keys
      {"key Down\n", "\x02", 1, 1},
      {"key Up\n", "\x02", 1, 0},
      {"key Up\n", "\x01", 0, 0},
  };
  for (const Case& c : cases) {
    UiFixture f(c.script);
    EXPECT_EQ(RunButtonLoop(f, c.caption, c.hotkey), c.expected) << c.script << " on " << c.caption << " " << c.hotkey;
  }
}

TEST(ButtonClicked, KeyboardPressDoesNotSwallowTheNextCommand) {
  // The flash after a key press ends with the key's release, so a click that
  // follows in the script still reaches the next pass.
  UiFixture f("key S ctrl\nclick 130 110\n");
  EXPECT_EQ(RunButtonLoop(f, "Save", 1), 1);
  EXPECT_EQ(RunButtonLoop(f, "Save", 1), 1);
  EXPECT_EQ(f.program.input.quitRequested, 0);
}

TEST(ButtonClicked, WindowClosedWhileHeldIsNoClick) {
  UiFixture f("press 130 110\n");  // the script ends with the button held
  EXPECT_EQ(RunButtonLoop(f, "Save", 1), 0);
}

TEST(ButtonRecordClicked, StateIsPressedOnlyWhileShownPressed) {
  UiFixture f("press 130 110\nmove 131 112\nrelease 131 112\n");
  ControlRecord r;
  r.x1 = X1;
  r.y1 = Y1;
  r.x2 = X2;
  r.y2 = Y2;
  r.text = "Delete";
  r.hotkey = 1;
  r.setState(0);
  std::int32_t result = 0;
  while (result == 0 && f.program.input.quitRequested == 0) {
    f.Pump();
    result = ButtonRecordClicked(f.ui, r);
  }
  EXPECT_EQ(result, 1);
  EXPECT_EQ(r.state(), 0);
  EXPECT_EQ(f.window.image().At(X1, Y1), ColourWhite);
}

TEST(MouseDownIn, HalfOpenBoxAndButtonBits) {
  InputState in;
  in.mouseX = 10;
  in.mouseY = 20;
  EXPECT_EQ(MouseDownIn(in, 10, 20, 11, 21), 0);  // no button held
  in.mouseButton = 2;
  EXPECT_EQ(MouseDownIn(in, 10, 20, 11, 21), 2);
  EXPECT_EQ(MouseDownIn(in, 0, 0, 10, 30), 0);
  EXPECT_EQ(MouseDownIn(in, 0, 0, 30, 20), 0);
}

}  // namespace
}  // namespace kal
