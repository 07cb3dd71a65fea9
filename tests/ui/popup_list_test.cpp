// The pop-up list end to end: input scripts on the headless backend choose,
// jump, page, scroll and cancel; the tests check the chosen index, the
// geometry, and that the screen and ModalActive come back.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "ui/popup_list.h"
#include "ui/scroll_bar.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;
using test::Xy;

const PopupItems kFruit{"apple", "Banana", "Cherry", "melon", "Mango", "Nectarine", "Orange", "Peach", "Pear"};

PopupItems Numbered(int n) {
  PopupItems items;
  for (int i = 0; i < n; ++i) items.Set(i, "Item " + std::to_string(100 + i).substr(1));
  return items;
}

TEST(PopupList, KeysClicksWheelAndTheScrollBarChooseOrCancel) {
  const PopupItems fifty = Numbered(50);  // from y 100: (768 - 100 - 30) / 23 = 27 rows
  UiFixture probe;
  const PopupLayout l = LayOutPopupList(probe.gfx, fifty, 1024, 768, 200, 100, 0, 0, 50);
  ASSERT_TRUE(l.scrollBar);
  const int barX = (l.barX1 + l.barX2) / 2;
  const std::string row0 = Xy(l.x + 5, l.y + 5), down = Xy(barX, l.barY2 - 5);
  const int rowY = 100 + 23 * 3 + 5;
  struct Case {
    std::string script;
    const PopupItems* items;
    int selected, expected;  // -1: cancelled
  };
  const Case cases[] = {
      // Letters jump to the first item with that letter in either case.
      {"type M\nkey Enter\n", &kFruit, 0, 3},  // "melon" before "Mango"
      {"type z\nkey Enter\n", &kFruit, 5, 5},
      // Other typed characters and Escape cancel; closing keeps the caller's value.
      {"type 7\n", &kFruit, 4, -1},
      {"key Escape\n", &kFruit, 4, -1},
      {"type m\ntype  \n", &kFruit, 4, -1},
      {"type m\n", &kFruit, 4, 4},
      // One, a page, the ends; out-of-range starts are clamped.
      {"key Down\nkey Down\nkey Up\nkey Enter\n", &fifty, 10, 11},
      {"key PageDown\nkey Up\nkey Enter\n", &fifty, 0, 26},
      {"key PageDown\nkey PageDown\nkey Enter\n", &fifty, 0, 49},
      {"key End\nkey PageUp\nkey Enter\n", &fifty, 0, 22},
      {"key Enter\n", &fifty, 99, 49},
      {"key Enter\n", &fifty, -1, 0},
      // A click on a row, or the row under the release; outside the list nothing.
      {"click 210 " + std::to_string(rowY) + "\n", &kFruit, 0, 3},
      {"press 210 110\nmove 210 " + std::to_string(rowY + 23) + "\nrelease 210 " + std::to_string(rowY + 23) + "\n",
       &kFruit, 0, 4},
      {"press 210 110\nmove 900 600\nrelease 900 600\nkey Enter\n", &kFruit, 6, 0},
      {"click 900 600\nkey Enter\n", &kFruit, 6, 6},
      // The wheel scrolls three lines; the bar's own steps are pinned with
      // the bar: here two arrow clicks reach the list.
      {"move " + row0 + "\nwheel -1\nclick " + row0 + "\n", &fifty, 0, 3},
      {"click " + down + "\nclick " + down + "\nclick " + row0 + "\n", &fifty, 0, 2},
  };
  for (const Case& c : cases) {
    UiFixture f(c.script);
    int selected = c.selected;
    PopupList(f.ui, *c.items, 200, 100, 0, 0, c.items->size(), selected);
    EXPECT_EQ(selected, c.expected) << c.script;
  }
}

TEST(PopupList, TheReleaseOfThePressThatOpenedTheListDoesNotChoose) {
  UiFixture f("release 210 130\nkey Down\nkey Enter\n");
  // The field was pressed where the list now lies, and the button is still down.
  f.program.input.mouseButton = 1;
  f.program.input.mouseX = 210;
  f.program.input.mouseY = 130;
  int selected = 2;
  PopupList(f.ui, kFruit, 200, 100, 0, 0, kFruit.size(), selected);
  EXPECT_EQ(selected, 3);
}

TEST(PopupList, AutomaticSizeAndMovesIntoTheWindow) {
  UiFixture f;
  const PopupItems items = Numbered(50);
  auto geometry = [&](const PopupItems& list, int x, int y, int w, int h, int count) {
    const PopupLayout l = LayOutPopupList(f.gfx, list, 1024, 768, x, y, w, h, count);
    return std::tuple(l.x, l.y, l.width, l.textWidth, l.rows, l.scrollBar);
  };
  const int w = f.TextWidth("Item 00") + 10;  // the widest item plus 10
  const int y = 768 - 30 - 5 * 23;
  // Five items 40 pixels above the bottom edge move up to end 30 above it;
  // fifty there show five rows with a scroll bar beside them.
  EXPECT_EQ(geometry(items, 100, 728, 0, 0, 5), std::tuple(100, y, w, w, 5, false));
  EXPECT_EQ(geometry(items, 100, 728, 0, 0, 50), std::tuple(100, y, w + 22, w, 5, true));
  const PopupLayout l = LayOutPopupList(f.gfx, items, 1024, 768, 100, 728, 0, 0, 50);
  EXPECT_EQ(l.height, 5 * 23);
  EXPECT_EQ(l.barX2 - l.barX1, 15);
  // Near the right edge the list moves left.
  EXPECT_EQ(geometry(kFruit, 1000, 100, 120, 0, 9), std::tuple(1024 - 120 - 10, 100, 120, 120, 9, false));
  EXPECT_EQ(LayOutPopupList(f.gfx, kFruit, 1024, 768, 1000, 100, 120, 0, 9).height, 9 * 23);
  // A given height shows whole rows and scrolls the rest; the bar takes room from a given width.
  EXPECT_EQ(geometry(items, 100, 100, 200, 100, 50), std::tuple(100, 100, 200, 178, 4, true));
}

TEST(PopupList, ScreenAndModalStateComeBack) {
  UiFixture f("key Down\nkey Down\nkey Enter\n");
  for (int y = 0; y < f.surface.height(); ++y)
    for (int x = 0; x < f.surface.width(); ++x) f.surface.Row(y)[x] = Rgb(x & 255, y & 255, 77);
  const Surface before = f.surface;
  f.program.ModalActive = 0;
  int selected = 1;
  PopupList(f.ui, kFruit, 200, 100, 0, 0, kFruit.size(), selected);
  EXPECT_EQ(selected, 3);
  EXPECT_EQ(f.program.ModalActive, 0);
  EXPECT_TRUE(f.surface.pixels() == before.pixels());
  EXPECT_TRUE(f.window.image().pixels() == before.pixels());
  // Nothing held is left behind for the screen below.
  EXPECT_EQ(f.program.input.lastChar, 0);
  EXPECT_EQ(f.program.input.lastKey, 0);
}

TEST(PopupItems, SlotsHoldUpTo81CharactersAndUnsetOnesAreEmpty) {
  PopupItems items;
  items.Set(2, std::string(100, 'x'));
  items.Set(0, "Mo");
  EXPECT_EQ(items.size(), 3);
  EXPECT_EQ(std::vector<std::string_view>({items.Get(0), items.Get(1), items.Get(2), items.Get(3)}),
            std::vector<std::string_view>({"Mo", "", std::string(81, 'x'), ""}));
}

}  // namespace
}  // namespace kal
