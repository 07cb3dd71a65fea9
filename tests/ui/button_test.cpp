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

// Asks the button each pass until it reports something or the script has run out.
std::int32_t RunButtonLoop(UiFixture& f, const std::string& caption, std::int32_t hotkey) {
  return f.Loop([&] { return ButtonClicked(f.ui, X1, Y1, X2, Y2, caption, hotkey); });
}

TEST(ButtonClicked, MouseButtonsAndHotKeys) {
  struct Case {
    const char* script;
    const char* caption;
    std::int32_t hotkey, expected;
  };
  const Case cases[] = {
      {"click 130 110\n", "Save", 1, 1},
      {"click 130 110 right\n", "Save", 1, 2},
      {"press 130 110\nmove 300 300\nmove 131 111\nrelease 131 111\n", "Save", 0, 1},  // left and came back
      {"press 130 110\nmove 300 300\nrelease 300 300\n", "Save", 1, 0},                // released outside
      {"press 130 110\n", "Save", 1, 0},  // the window closed while held
      {"key S ctrl\n", "Save", 1, 1},     // Ctrl + first letter
      {"key A ctrl\n", "Save", 2, 1},     // Ctrl + second letter
      {"type s\n", "Save", 1, 0},         // Ctrl is needed for k > 0
      {"type s\n", "Save", -1, 1},        // the letter alone, either case
      {"type S\n", "Save", -1, 1},
      {"key S ctrl\n", "Save", 0, 0},  // no hot key at all
      {"key Enter\n", "OK", 0, 1},     // "OK" takes Enter even without one
      {"key Up\n", "\x01", 1, 1},      // arrow buttons take the arrow keys
      {"key Down\n", "\x02", 1, 1},
      {"key Up\n", "\x02", 1, 0},
      {"key Up\n", "\x01", 0, 0},
  };
  for (const Case& c : cases) {
    UiFixture f(c.script);
    EXPECT_EQ(RunButtonLoop(f, c.caption, c.hotkey), c.expected) << c.script << " on " << c.caption << " " << c.hotkey;
  }
  // The flash after a key press ends with the key's release, so a click that
  // follows in the script still reaches the next pass.
  UiFixture f("key S ctrl\nclick 130 110\n");
  EXPECT_EQ(RunButtonLoop(f, "Save", 1), 1);
  EXPECT_EQ(RunButtonLoop(f, "Save", 1), 1);
  EXPECT_EQ(f.program.input.quitRequested, 0);
}

TEST(ButtonClicked, ReleasedLookAfterAPressWhetherItClickedOrNot) {
  // Released: white outer ring top-left, darkest ring bottom-right.
  UiFixture f("press 130 110\nmove 300 300\nrelease 300 300\n");
  DrawPushButton(f.gfx, 0, X1, Y1, X2, Y2, "Save", 1);
  f.gfx.PresentRect(0, 0, f.gfx.clientWidth, f.gfx.clientHeight);
  EXPECT_EQ(RunButtonLoop(f, "Save", 1), 0);
  test::ExpectPixels(f.window.image(), {{X1, Y1, ColourWhite}, {X2 - 1, Y2 - 1, Rgb(48, 48, 48)}});

  // A record button's state is "pressed" only while it shows pressed.
  UiFixture g("press 130 110\nmove 131 112\nrelease 131 112\n");
  ControlRecord r = test::MakeControl(X1, Y1, X2, Y2, "Delete");
  r.hotkey = 1;
  r.setState(0);
  EXPECT_EQ(g.Loop([&] { return ButtonRecordClicked(g.ui, r); }), 1);
  EXPECT_EQ(r.state(), 0);
  EXPECT_EQ(g.window.image().At(X1, Y1), ColourWhite);
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
