// Push buttons, check boxes, choice fields, links and the input waits, end
// to end on the headless backend: scripts of mouse and keyboard input played
// against a screen loop that asks the control each pass. Last, the gallery
// picture of every control.

#include "ui/controls.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/key_codes.h"
#include "ui/images.h"
#include "ui/popup_list.h"
#include "ui/progress_panel.h"
#include "ui/scroll_bar.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::MakeControl;
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
  ControlRecord r = MakeControl(X1, Y1, X2, Y2, "Delete");
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

TEST(CheckBox, EachPressInsideTogglesAndShowsTheCross) {
  UiFixture f("click 105 210\nclick 105 210\nclick 400 400\nclick 250 212\n");
  ControlRecord r = MakeControl(100, 200, 0, 220, "Show the calendar on the desktop");
  r.align = AlignRight;
  std::int32_t value = 0;
  DrawCheckBox(f.gfx, 1, r, value);
  f.gfx.PresentRect(0, 0, 1024, 768);
  r.x2 = 300;
  std::vector<std::int32_t> seen;
  f.Loop([&] {
    if (CheckBoxClicked(f.ui, r, value)) seen.push_back(value);
    return 0;
  });
  EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 0, 1}));
  // m = 210: the 9 x 9 box spans 206..214; the cross's first ink pixel is at (1, 1).
  EXPECT_NE(f.window.image().At(101, 207), ColourWhite);
  EXPECT_EQ(f.window.image().At(100, 206), ColourWhite);
  DrawCheckBox(f.gfx, 0, r, 0);
  EXPECT_EQ(f.surface.At(101, 207), ColourWhite);
}

TEST(ChoiceField, CaptionIsClippedToTheTextAreaBesideTheArrow) {
  UiFixture f;
  ControlRecord r = MakeControl(100, 100, 260, 122, "");
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
  test::ExpectPixels(f.surface, {{242, 100, ColourBlack}, {260, 122, ColourWhite}});
}

TEST(LinkHover, EndsWhenThePointerLeavesOrOnAClickAndRestoresTheCaption) {
  // The script, the result, and whether the caption is shown at rest again.
  const std::tuple<const char*, std::int32_t, bool> cases[] = {{"move 150 105\nmove 300 300\n", 0, true},
                                                               {"move 150 105\nclick 150 110\n", 1, false},
                                                               {"click 150 110 right\n", 2, false},
                                                               {"move 150 105\n", 0, false}};  // window closed
  for (const auto& [script, expected, restored] : cases) {
    UiFixture f(script);
    ControlRecord r = MakeControl(100, 100, 260, 120, "Visit the web site");
    r.setState(static_cast<std::int32_t>(Rgb(200, 0, 0)));  // the shadow colour
    f.program.input.mouseX = 120;
    f.program.input.mouseY = 110;
    int passes = 0;
    f.ui.frameInput = [&](int wait, std::int32_t&) {
      ++passes;
      PumpMessages(f.program, wait);
    };
    EXPECT_EQ(LinkHover(f.ui, r, f.gfx.SmallBoldFont), expected) << script;
    EXPECT_GT(passes, 0);
    if (!restored) continue;
    // After leaving, the caption is navy again, over its shadow.
    EXPECT_GT(test::CountIn(f.window.image(), ColourNavy, 100, 100, 260, 120), 20);
    EXPECT_GT(test::CountIn(f.window.image(), Rgb(200, 0, 0), 100, 100, 260, 120), 5);
  }
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

TEST(WaitInputRelease, WaitsForTheReleaseLeavesTheNextInputAndNeverBlocksForGood) {
  UiFixture f("press 10 10\nwait 5000\nmove 20 20\nrelease 20 20\nkey Enter\n");
  f.Pump();  // the move to (10, 10)
  f.Pump();  // the press
  ASSERT_EQ(f.program.input.mouseButton, 1);
  WaitInputRelease(f.program);
  EXPECT_EQ(f.program.input.mouseButton, 0);
  EXPECT_EQ(f.window.clock().TickMs(), 5000u);
  f.Pump();
  f.Pump();
  EXPECT_EQ(f.program.input.lastChar, 13);  // the Enter was still to come
  WaitInputRelease(f.program);
  EXPECT_EQ(f.program.input.lastChar, 0);
  EXPECT_EQ(f.program.input.quitRequested, 0);

  UiFixture closing("press 10 10\n");  // closed while the button is held
  closing.Pump();
  closing.Pump();
  WaitInputRelease(closing.program);
  EXPECT_EQ(closing.program.input.quitRequested, 1);
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
  const std::pair<int, std::uint64_t> waits[] = {{1, 300}, {2, 400}, {0, 425}};
  for (const auto& [kind, elapsed] : waits) {
    DelayUnlessInput(f.program, kind);
    EXPECT_EQ(f.window.clock().TickMs() - t0, elapsed) << kind;
  }
  EXPECT_FALSE(f.window.TimerRunning(HoldTimerId));
  UiFixture g("press 10 10\nwait 120\nrelease 10 10\nkey Enter\n");
  g.Pump();
  g.Pump();
  DelayUnlessInput(g.program, 1);
  EXPECT_EQ(g.window.clock().TickMs(), 120u);
  EXPECT_EQ(g.program.input.mouseButton, 0);
}

void Label(test::UiFixture& f, int x, int y, const std::string& text) {
  f.gfx.DrawTextRecord(TextRecord{nullptr, x, y, 0, y + 16, ColourWhite, static_cast<std::int32_t>(ColourBlack),
                                  &f.gfx.SmallBoldFont, AlignLeft, text});
}

// A white list box with rows of text and a scroll bar at its right.
void ListBox(test::UiFixture& f, int x, int y, int w, int rows, int count, int top, std::int32_t barState) {
  const int lh = f.gfx.lineHeight;
  f.gfx.DrawSunkenBox(x, y, x + w - 1, y + rows * lh - 1, ColourWhite);
  for (int r = 0; r < rows; ++r) {
    f.gfx.DrawTextAligned(f.surface, x + 4, y + r * lh + 1, AlignLeft, ColourBlack, f.gfx.EditFont,
                          "Appointment " + std::to_string(top + r + 1));
  }
  DrawScrollBar(f.gfx, x + w - 17, y, x + w - 2, y + rows * lh - 1, rows, count, top, barState);
}

// The controls gallery, gallery-controls.png: every control in each of its
// states on one screen, with a pop-up list open over it; the list under the
// picture must really have been open.
TEST(ControlsGallery, EveryControlInEveryState) {
  test::TempDir temp;
  const std::string path = test::GalleryPath(temp, "gallery-controls.png");
  // The list opens below the last choice field; two steps down, then the picture.
  test::UiFixture f("size 900 600\nkey Down\nkey Down\nscreenshot " + path + "\nkey Enter\n");
  Gfx& g = f.gfx;
  g.TileImage(FindImage(BackgroundImage)->pixels, 0, 0, 900, 600);
  FillBox(f.surface, Rgb(32, 48, 80), 0, 0, 899, 49);
  g.DrawTextAligned(f.surface, 24, 12, AlignLeft, ColourWhite, g.TitleFont, "Controls");

  // Push buttons, released and pressed, with and without hot keys.
  Label(f, 30, 64, "Push buttons");
  DrawPushButton(g, 0, 30, 88, 100, 113, "OK", 0);
  DrawPushButton(g, 0, 110, 88, 180, 113, "Save", 1);
  DrawPushButton(g, 1, 190, 88, 260, 113, "Cancel", 0);
  ControlRecord del = MakeControl(270, 88, 340, 113, "Delete");
  del.hotkey = 1;
  del.setState(1);
  DrawButtonRecord(g, del);
  DrawPushButton(g, 0, 30, 122, 140, 150, "Minimize To Tray", 0);
  DrawPushButton(g, 1, 150, 122, 260, 150, "Print Calendar", 2);

  // Image buttons.
  Label(f, 30, 160, "Image buttons");
  const char codes[] = {CaptionArrowUp, CaptionArrowDown, CaptionArrowLeft, CaptionArrowRight};
  for (int i = 0; i < 4; ++i) {
    const std::string caption(1, codes[i]);
    DrawPushButton(g, 0, 30 + 28 * i, 184, 55 + 28 * i, 209, caption, 1);
    DrawPushButton(g, 1, 150 + 28 * i, 184, 175 + 28 * i, 209, caption, 1);
  }
  DrawPushButton(g, 0, 270, 178, 310, 215, std::string(1, CaptionBigLeft), 0);
  DrawPushButton(g, 1, 316, 178, 356, 215, std::string(1, CaptionBigRight), 0);

  // Check boxes on the screen and on a panel.
  Label(f, 30, 226, "Check boxes");
  ControlRecord on = MakeControl(30, 248, 0, 266, "Show the calendar on the desktop");
  on.colour = ColourWhite;
  on.setState(static_cast<std::int32_t>(ColourBlack));
  on.align = AlignRight;
  on.x2 = 30 + 16 + f.TextWidth(on.text);
  DrawCheckBox(g, 1, on, 1);
  ControlRecord off = on;
  off.text = "Start in the notification area";
  std::tie(off.y1, off.x2, off.y2) = std::tuple(272, 30 + 16 + f.TextWidth(off.text), 290);
  DrawCheckBox(g, 1, off, 0);

  // Links, as they rest and while the pointer is over one (the hover loop
  // draws white over the resting navy, both with the record's shadow).
  Label(f, 30, 306, "Links");
  g.DrawPanel(30, 328, 330, 384);
  ControlRecord site = MakeControl(44, 334, 200, 352, "Visit the web site");
  ControlRecord help = MakeControl(44, 356, 200, 374, "Open the help page");
  auto link = [&](const ControlRecord& r, Colour colour) {
    g.DrawTextAligned(f.surface, r.x1 + 1, r.y1 + 1, AlignLeft, ColourBlack, g.SmallBoldFont, r.text);
    g.DrawTextAligned(f.surface, r.x1, r.y1, AlignLeft, colour, g.SmallBoldFont, r.text);
  };
  link(site, ColourNavy);
  link(help, ColourNavy);
  link(help, ColourWhite);

  // Choice fields: at rest, arrow pressed, and the one whose list is open.
  Label(f, 30, 400, "Choice fields");
  ControlRecord repeat = MakeControl(30, 424, 290, 446, "Every Year (Calculate Age)");
  DrawChoiceField(g, 1, 0, repeat);
  ControlRecord kind = MakeControl(30, 458, 290, 480, "Blood Pressure");
  DrawChoiceField(g, 1, 1, kind);
  ControlRecord category = MakeControl(610, 100, 850, 122, "Family");
  Label(f, 610, 76, "Pop-up list");
  DrawChoiceField(g, 1, 0, category);

  // Scroll bars: at rest, and with the down arrow held further down the list.
  Label(f, 540, 400, "Scroll bars");
  ListBox(f, 540, 424, 160, 6, 40, 0, ScrollIdle);
  ListBox(f, 715, 424, 160, 6, 40, 27, ScrollArrowDown);

  // The progress panel of a search, part way.
  ProgressPanel panel;
  std::int64_t total = 420;
  ShowProgress(g, panel, "Searching Events", "128 Matches", 260, total);

  g.PresentRect(0, 0, 900, 600);
  PopupItems items{"Family", "Friends", "Work", "Health", "Birthdays", "Anniversaries", "Holidays",
                   "Sports", "Travel", "School", "Garden", "Personal"};
  int selected = 0;
  PopupList(f.ui, items, category.x1, category.y2 + 8, category.x2 - category.x1 + 1, 8 * g.lineHeight,
            items.size(), selected);
  EXPECT_EQ(selected, 2);
  EXPECT_TRUE(f.window.errors().empty());
  EXPECT_FALSE(test::ReadAll(path).empty());
}

}  // namespace
}  // namespace kal
