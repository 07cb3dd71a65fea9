// The controls gallery, gallery-controls.png: every control in each of its
// states on one screen, with a pop-up list open over it. The test checks that
// the picture was written and that the list under it was really open.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "ui/controls.h"
#include "ui/images.h"
#include "ui/popup_list.h"
#include "ui/progress_panel.h"
#include "ui/scroll_bar.h"
#include "ui_fixture.h"

namespace kal {
namespace {

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
  ControlRecord del = test::MakeControl(270, 88, 340, 113, "Delete");
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
  ControlRecord on = test::MakeControl(30, 248, 0, 266, "Show the calendar on the desktop");
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
  ControlRecord site = test::MakeControl(44, 334, 200, 352, "Visit the web site");
  ControlRecord help = test::MakeControl(44, 356, 200, 374, "Open the help page");
  auto link = [&](const ControlRecord& r, Colour colour) {
    g.DrawTextAligned(f.surface, r.x1 + 1, r.y1 + 1, AlignLeft, ColourBlack, g.SmallBoldFont, r.text);
    g.DrawTextAligned(f.surface, r.x1, r.y1, AlignLeft, colour, g.SmallBoldFont, r.text);
  };
  link(site, ColourNavy);
  link(help, ColourNavy);
  link(help, ColourWhite);

  // Choice fields: at rest, arrow pressed, and the one whose list is open.
  Label(f, 30, 400, "Choice fields");
  ControlRecord repeat = test::MakeControl(30, 424, 290, 446, "Every Year (Calculate Age)");
  DrawChoiceField(g, 1, 0, repeat);
  ControlRecord kind = test::MakeControl(30, 458, 290, 480, "Blood Pressure");
  DrawChoiceField(g, 1, 1, kind);
  ControlRecord category = test::MakeControl(610, 100, 850, 122, "Family");
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
