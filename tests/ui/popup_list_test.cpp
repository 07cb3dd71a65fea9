// The pop-up list end to end: input scripts on the headless backend choose,
// jump, page, scroll and cancel; the tests check the chosen index, the
// geometry, and that the screen and ModalActive come back.

#include <gtest/gtest.h>

#include <string>

#include "ui/popup_list.h"
#include "ui/scroll_bar.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;

const PopupItems& Fruit() {
  static const PopupItems items{"apple", "Banana", "Cherry", "melon", "Mango", "Nectarine", "Orange", "Peach", "Pear"};
  return items;
}

PopupItems Numbered(int n) {
  PopupItems items;
  for (int i = 0; i < n; ++i) items.Set(i, "Item " + std::to_string(100 + i).substr(1));
  return items;
}

// Opens the list at (200, 100) with automatic size in a 1024 x 768 window
// and returns what it leaves in `selected`.
int Choose(const std::string& script, const PopupItems& items, int selected) {
  UiFixture f(script);
  PopupList(f.ui, items, 200, 100, 0, 0, items.size(), selected);
  return selected;
}

TEST(PopupList, LetterJumpsGoToTheFirstItemWithThatLetterInEitherCase) {
  EXPECT_EQ(Choose("type M\nkey Enter\n", Fruit(), 0), 3);  // "melon" before "Mango"
  EXPECT_EQ(Choose("type m\nkey Down\nkey Enter\n", Fruit(), 0), 4);
  EXPECT_EQ(Choose("type p\nkey Enter\n", Fruit(), 0), 7);
  EXPECT_EQ(Choose("type z\nkey Enter\n", Fruit(), 5), 5);  // no item with Z: stays
}

TEST(PopupList, TypedNonLettersCancelAndClosingKeepsTheCallersValue) {
  EXPECT_EQ(Choose("type 7\n", Fruit(), 4), -1);
  EXPECT_EQ(Choose("key Escape\n", Fruit(), 4), -1);
  EXPECT_EQ(Choose("type m\ntype  \n", Fruit(), 4), -1);  // a space
  EXPECT_EQ(Choose("type m\n", Fruit(), 4), 4);            // window closed
  EXPECT_EQ(Choose("", Fruit(), 8), 8);
}

TEST(PopupList, KeysMoveByOneByPageAndToTheEnds) {
  // 50 items from y 100 show (768 - 100 - 30) / 23 = 27 rows.
  const PopupItems items = Numbered(50);
  EXPECT_EQ(Choose("key Down\nkey Down\nkey Up\nkey Enter\n", items, 10), 11);
  EXPECT_EQ(Choose("key PageDown\nkey Up\nkey Enter\n", items, 0), 26);
  EXPECT_EQ(Choose("key PageDown\nkey PageDown\nkey Enter\n", items, 0), 49);
  EXPECT_EQ(Choose("key End\nkey PageUp\nkey Enter\n", items, 0), 22);
  // Out-of-range starting values are clamped to the list.
  EXPECT_EQ(Choose("key Enter\n", items, 99), 49);
  EXPECT_EQ(Choose("key Enter\n", items, -1), 0);
}

TEST(PopupList, ClickOnARowChoosesIt) {
  const int rowY = 100 + 23 * 3 + 5;
  EXPECT_EQ(Choose("click 210 " + std::to_string(rowY) + "\n", Fruit(), 0), 3);
  // Pressed on one row and released on another: the row under the release.
  EXPECT_EQ(Choose("press 210 110\nmove 210 " + std::to_string(rowY + 23) + "\nrelease 210 " +
                       std::to_string(rowY + 23) + "\n",
                   Fruit(), 0),
            4);
  // Pressed in the list and released outside it: nothing is chosen yet.
  EXPECT_EQ(Choose("press 210 110\nmove 900 600\nrelease 900 600\nkey Enter\n", Fruit(), 6), 0);
  // A click outside the list does nothing.
  EXPECT_EQ(Choose("click 900 600\nkey Enter\n", Fruit(), 6), 6);
}

TEST(PopupList, TheReleaseOfThePressThatOpenedTheListDoesNotChoose) {
  UiFixture f("release 210 130\nkey Down\nkey Enter\n");
  // The field was pressed where the list now lies, and the button is still down.
  f.program.input.mouseButton = 1;
  f.program.input.mouseX = 210;
  f.program.input.mouseY = 130;
  int selected = 2;
  PopupList(f.ui, Fruit(), 200, 100, 0, 0, Fruit().size(), selected);
  EXPECT_EQ(selected, 3);
}

TEST(PopupList, WheelAndScrollBarScrollTheView) {
  const PopupItems items = Numbered(50);
  UiFixture probe;
  const PopupLayout l = LayOutPopupList(probe.gfx, items, 1024, 768, 200, 100, 0, 0, 50);
  ASSERT_TRUE(l.scrollBar);
  const int barX = (l.barX1 + l.barX2) / 2;
  const std::string row0 = std::to_string(l.x + 5) + " " + std::to_string(l.y + 5);
  // Wheel towards the user: three lines down, then the first visible row.
  EXPECT_EQ(Choose("move " + row0 + "\nwheel -1\nclick " + row0 + "\n", items, 0), 3);
  // Two clicks on the down arrow.
  const std::string down = std::to_string(barX) + " " + std::to_string(l.barY2 - 5);
  EXPECT_EQ(Choose("click " + down + "\nclick " + down + "\nclick " + row0 + "\n", items, 0), 2);
  // Paging below the thumb, once.
  const std::string track = std::to_string(barX) + " " + std::to_string(l.barY2 - 40);
  EXPECT_EQ(Choose("click " + track + "\nclick " + row0 + "\n", items, 0), 23);  // limited to 50 - 27
  // The thumb dragged to the bottom.
  const std::string thumb = std::to_string(barX) + " " + std::to_string(l.barY1 + 22);
  EXPECT_EQ(Choose("press " + thumb + "\nmove " + std::to_string(barX) + " 760\nrelease " +
                       std::to_string(barX) + " 760\nclick " + row0 + "\n",
                   items, 0),
            23);
}

TEST(PopupList, AutomaticSizeAndMovesIntoTheWindow) {
  UiFixture f;
  const PopupItems items = Numbered(50);
  // Five items 40 pixels above the bottom edge move up to end 30 above it.
  PopupLayout l = LayOutPopupList(f.gfx, items, 1024, 768, 100, 728, 0, 0, 5);
  EXPECT_EQ(l.y, 768 - 30 - 5 * 23);
  EXPECT_EQ(l.rows, 5);
  EXPECT_FALSE(l.scrollBar);
  // Fifty items there show five rows with a scroll bar, also moved up.
  l = LayOutPopupList(f.gfx, items, 1024, 768, 100, 728, 0, 0, 50);
  EXPECT_EQ(l.rows, 5);
  EXPECT_TRUE(l.scrollBar);
  EXPECT_EQ(l.height, 5 * 23);
  EXPECT_EQ(l.y, 768 - 30 - 5 * 23);
  // Width: the widest item plus 10; the bar adds its room beside it.
  const int widest = f.gfx.text->Measure(f.gfx.EditFont, "Item 00").width;
  EXPECT_EQ(l.textWidth, widest + 10);
  EXPECT_EQ(l.width, widest + 10 + 22);
  EXPECT_EQ(l.barX2 - l.barX1, 15);
  // Near the right edge the list moves left.
  l = LayOutPopupList(f.gfx, Fruit(), 1024, 768, 1000, 100, 120, 0, 9);
  EXPECT_EQ(l.x, 1024 - 120 - 10);
  EXPECT_EQ(l.height, 9 * 23);
  // A given height shows whole rows and scrolls the rest; the bar takes
  // room from a given width.
  l = LayOutPopupList(f.gfx, items, 1024, 768, 100, 100, 200, 100, 50);
  EXPECT_EQ(l.rows, 4);
  EXPECT_TRUE(l.scrollBar);
  EXPECT_EQ(l.width, 200);
  EXPECT_EQ(l.textWidth, 178);
}

TEST(PopupList, ScreenAndModalStateComeBack) {
  UiFixture f("key Down\nkey Down\nkey Enter\n");
  for (int y = 0; y < f.surface.height(); ++y) {
    for (int x = 0; x < f.surface.width(); ++x) f.surface.Row(y)[x] = Rgb(x & 255, y & 255, 77);
  }
  const Surface before = f.surface;
  f.program.ModalActive = 0;
  int selected = 1;
  PopupList(f.ui, Fruit(), 200, 100, 0, 0, Fruit().size(), selected);
  EXPECT_EQ(selected, 3);
  EXPECT_EQ(f.program.ModalActive, 0);
  EXPECT_TRUE(f.surface.pixels() == before.pixels());
  EXPECT_TRUE(f.window.image().pixels() == before.pixels());
  // Nothing held is left behind for the screen below.
  EXPECT_EQ(f.program.input.lastChar, 0);
  EXPECT_EQ(f.program.input.lastKey, 0);
}

TEST(PopupItems, SlotsHoldALengthByteAndUpTo81Characters) {
  PopupItems items;
  items.Set(2, std::string(100, 'x'));
  items.Set(0, "Mo");
  EXPECT_EQ(items.size(), 3);
  EXPECT_EQ(items.bytes().size(), 3u * 82u);
  EXPECT_EQ(items.bytes()[0], 2);
  EXPECT_EQ(items.bytes()[1], 'M');
  EXPECT_EQ(items.bytes()[164], 81);
  EXPECT_EQ(items.Get(2), std::string(81, 'x'));
  EXPECT_EQ(items.Get(1), "");
  EXPECT_EQ(items.Get(3), "");
}

}  // namespace
}  // namespace kal
