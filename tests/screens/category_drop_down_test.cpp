// The category picker end to end on the headless backend: clicks on rows,
// clicks elsewhere, keys, the press that opened it, and what it leaves behind.
#include "screens/category_drop_down.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/images.h"
#include "store/settings.h"
#include "support/test_support.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

constexpr int kX = 300;
constexpr int kY = 120;

struct Picker {
  explicit Picker(const std::string& script) : f(script) { BuildCategoryTable(categories, kDefaultCategories); }
  CategoryDropDownLayout Layout(const CategoryDropDownOptions& options = {}) {
    return LayOutCategoryDropDown(f.gfx, categories, f.program.ClientWidth, f.program.ClientHeight, kX, kY, options);
  }
  test::UiFixture f;
  CategoryTable categories;
};

std::string AtRow(const CategoryDropDownLayout& l, int row) {
  return std::to_string((l.rowsLeft + l.rowsRight) / 2) + " " +
         std::to_string(l.rowsTop + row * l.rowHeight + l.rowHeight / 2);
}

TEST(CategoryDropDown, RowsAreLineHeightPlusTwoAndStayInsideTheWindow) {
  Picker p("");
  const CategoryDropDownLayout l = p.Layout();
  EXPECT_EQ(l.rowHeight, p.f.gfx.lineHeight + 2);
  EXPECT_LE(l.rowsTop + 12 * l.rowHeight, l.panel.bottom);
  EXPECT_GT(l.rowsRight - l.rowsLeft, p.f.gfx.text->Measure(p.f.gfx.EditFont, "Doctor Appointments").width);
  EXPECT_EQ(std::pair(l.panel.left, l.panel.top), std::pair(kX, kY));
  EXPECT_EQ(l.RowAt(l.rowsLeft, l.rowsTop), 0);
  EXPECT_EQ(l.RowAt(l.rowsLeft, l.rowsTop + l.rowHeight), 1);
  EXPECT_EQ(l.RowAt(l.rowsRight, l.rowsTop), -1);
  EXPECT_EQ(l.RowAt(l.rowsLeft, l.rowsTop - 1), -1);
  EXPECT_EQ(l.RowAt(l.rowsLeft, l.rowsTop + 12 * l.rowHeight), -1);
  // Opened near the bottom-right corner it moves up and left into the window.
  const CategoryDropDownLayout moved = LayOutCategoryDropDown(p.f.gfx, p.categories, 1024, 768, 1000, 700, {});
  EXPECT_TRUE(moved.panel.right <= 1024 && moved.panel.bottom <= 768 && moved.panel.left >= 0);
}

// The choice (-1 for none) after a script, from the category current at opening.
TEST(CategoryDropDown, ClicksAndKeysChooseOrCancel) {
  const CategoryDropDownOptions all{0, true};  // the event list's extra first row
  const CategoryDropDownLayout l = Picker("").Layout(), la = Picker("").Layout(all);
  EXPECT_EQ(la.rowCount, 13);
  struct Case {
    std::string script;
    int current;
    bool withAll;
    int chosen;
  };
  const Case cases[] = {
      {"click " + AtRow(l, 0) + "\n", 5, false, 0},
      {"click " + AtRow(l, 7) + "\n", 0, false, 7},
      {"click " + AtRow(l, 11) + "\n", 0, false, 11},
      {"click " + AtRow(l, 4) + " right\n", 0, false, 4},
      {"click " + AtRow(la, 0) + "\n", 3, true, kAllCategories},
      {"click " + AtRow(la, 1) + "\n", 3, true, 0},
      {"click " + AtRow(la, 12) + "\n", 3, true, 11},
      {"click 50 50\n", 4, false, -1},
      {"key Escape\n", 4, false, -1},
      {"", 4, false, -1},
      // The panel's frame is not a row.
      {"click " + std::to_string(l.panel.left + 2) + " " + std::to_string(l.rowsTop + 5) + "\n", 4, false, -1},
      // Keys move the highlight from the current category.
      {"key Down\nkey Down\nkey Enter\n", 3, false, 5},
      {"key Up\nkey Up\nkey Enter\n", 1, false, 0},
      {"key End\nkey Down\nkey Enter\n", 1, false, 11},
      {"key Enter\n", 9, false, 9},
      // A current value that is no row lights nothing: Enter waits for a choice.
      {"key Enter\nkey Down\nkey Enter\n", 99, false, 0},
      // The pointer moving over a row takes the highlight.
      {"move " + AtRow(l, 6) + "\nkey Enter\n", 2, false, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Picker p(c.script);
    EXPECT_EQ(CategoryDropDown(p.f.ui, p.categories, kX, kY, c.current, c.withAll ? all : CategoryDropDownOptions{}),
              c.chosen);
  }
}

TEST(CategoryDropDown, ThePressThatOpenedItDoesNotChoose) {
  const CategoryDropDownLayout l = Picker("").Layout();
  Picker p("move " + AtRow(l, 2) + "\nrelease " + AtRow(l, 2) + "\nclick " + AtRow(l, 8) + "\n");
  p.f.program.input.mouseButton = 1;  // still held when the picker appears
  EXPECT_EQ(CategoryDropDown(p.f.ui, p.categories, kX, kY, 0), 8);
}

TEST(CategoryDropDown, TheScreenAndModalStateComeBack) {
  const CategoryDropDownLayout l = Picker("").Layout();
  Picker p("move " + AtRow(l, 3) + "\nclick " + AtRow(l, 3) + "\n");
  FillBox(p.f.surface, Rgb(10, 200, 30), 0, 0, 1023, 767);
  p.f.program.ModalActive = 0;
  EXPECT_EQ(CategoryDropDown(p.f.ui, p.categories, kX, kY, 0), 3);
  EXPECT_EQ(p.f.program.ModalActive, 0);
  EXPECT_EQ(p.f.surface.At(l.rowsLeft + 5, l.rowsTop + 5), Rgb(10, 200, 30));
  EXPECT_EQ(p.f.window.image().At(l.rowsLeft + 5, l.rowsTop + 5), Rgb(10, 200, 30));
}

TEST(CategoryDropDown, RowsShowTheCategoryColourAndTheHighlightAFrame) {
  Picker p("");
  const CategoryDropDownLayout l = p.Layout();
  DrawCategoryDropDown(p.f.gfx, p.categories, l, false, 4);
  // Far right in a row, where no text reaches: the category's colour.
  for (int row : {0, 3, 11}) {
    EXPECT_EQ(p.f.surface.At(l.rowsRight - 3, l.rowsTop + row * l.rowHeight + l.rowHeight / 2),
              CategoryColour(p.categories, row))
        << row;
  }
  const int y4 = l.rowsTop + 4 * l.rowHeight + l.rowHeight / 2;
  EXPECT_EQ(p.f.surface.At(l.rowsLeft + 1, y4), ColourNavy);
  EXPECT_EQ(p.f.surface.At(l.rowsRight - 3, y4), ColourWhite);
}

// The open picker over a panel, the pointer on one row; written to
// $KALENDRINA_GALLERY_DIR/gallery-category.png when that is set.
TEST(CategoryDropDownGallery, OpenOverAPanel) {
  Picker p("size 420 420\n");
  p.f.gfx.DrawPanel(10, 10, 410, 410);
  const CategoryDropDownLayout l =
      LayOutCategoryDropDown(p.f.gfx, p.categories, 420, 420, 60, 40, CategoryDropDownOptions{0, false});
  DrawCategoryDropDown(p.f.gfx, p.categories, l, false, 7);
  test::TempDir temp;
  EXPECT_TRUE(WritePng(p.f.surface, test::GalleryPath(temp, "gallery-category.png")));
}

}  // namespace
}  // namespace kal
