// The options screen end to end on the headless backend (1024 x 768 window
// on a 1280 x 1024 screen), checked through the settings file and the
// program state; and moving marked records to another category.

#include "screens/options_screen.h"

#include <gtest/gtest.h>

#include "frame_run.h"
#include "screens/category_drop_down.h"
#include "support/record_builder.h"
#include "ui/message_dialog.h"
#include "ui/popup_list.h"
#include "wallpaper/wallpaper_styles.h"

namespace kal {
namespace {

using test::At;
using test::CentreOf;
using test::FrameRun;
using test::LayoutProbe;

const char* const kLabels = "1:|2:|3:|4:|5:|6:|7:|8:|9:|10:|11:|12:";

// Where field k and the buttons of the category dialog are.
struct CategoryDialog {
  CategoryDialog() {
    UiContext ui{probe.app.program, probe.app.gfx, {}};
    l = LayoutMessageDialog(ui, "Edit Category Descriptions", kLabels, "Save|Cancel", 130);
  }
  std::string Field(int k) const {
    return At(l.labelX + l.labelW + 40, l.fieldsTop + (10 + probe.app.gfx.lineHeight) * k + 8);
  }
  std::string Button(int j) const { return At(l.buttonsLeft + 70 * j + 35, l.buttonsTop + 12); }
  LayoutProbe probe{1024, 768};
  MessageDialogLayout l;
};

// The centre of row `row` of the pop-up list a choice field opens.
std::string PopupRow(const Rect& field, const PopupItems& items, int row) {
  LayoutProbe probe(1024, 768);
  const PopupLayout l = LayOutPopupList(probe.app.gfx, items, 1024, 768, field.left + 4, field.bottom + 7,
                                        field.Width() - 5, 0, items.size());
  const int lh = probe.app.gfx.lineHeight;
  return At(l.x + 20, l.y + lh * row + lh / 2);
}

// Runs the options screen and keeps the category names it leaves behind
// (the table itself is freed at exit).
void KeepNames(FrameRun& run, std::vector<std::string>& names) {
  run.wrapped[2] = [&names](Application& a) {
    OptionsScreen(a);
    names.clear();
    for (int k = 0; k < kCategoryCount; ++k) names.push_back(CategoryName(a.categories, k));
  };
  run.RecordVisits();
}

TEST(OptionsScreen, RenamingACategoryChangesItsNameAndTheSetting) {
  const CategoryDialog d;
  const Rect button = d.probe.layout().options.editCategories;
  // "Jon Roe" holds an "e" and an "o": typed into the dialog they switch no screen.
  FrameRun run("type o\nclick " + CentreOf(button) + "\nclick " + d.Field(10) + "\nkey Home shift\ntype Jon Roe\n" +
               "click " + d.Button(0) + "\n");
  std::vector<std::string> names;
  KeepNames(run, names);
  run.Go();
  EXPECT_EQ(run.visited, (std::vector<int>{1, 3}));
  ASSERT_EQ(names.size(), 12u);
  EXPECT_EQ(names[10], "Jon Roe");
  EXPECT_EQ(names[9], "Business");
  EXPECT_EQ(run.Stored().categories,
            "Miscellaneous|Recycling|Pay Days|Doctor Appointments|Meetings|Anniversaries|Holidays|Birthdays|"
            "Vacations|Business|Jon Roe|Jane Doe");
}

TEST(OptionsScreen, ClearingEveryNameStoresElevenSeparators) {
  const CategoryDialog d;
  std::string script = "type o\nclick " + CentreOf(d.probe.layout().options.editCategories) + "\nclick " + d.Field(0) + "\n";
  for (int k = 0; k < 12; ++k) script += "key End\nkey Home shift\nkey Backspace\nkey Down\n";
  script += "click " + d.Button(0) + "\n";
  FrameRun run(script);
  std::vector<std::string> names;
  KeepNames(run, names);
  run.Go();
  EXPECT_EQ(run.Stored().categories, "|||||||||||");
  EXPECT_EQ(names, std::vector<std::string>(12, ""));
}

TEST(OptionsScreen, CancelLeavesTheNames) {
  const CategoryDialog d;
  FrameRun run("type o\nclick " + CentreOf(d.probe.layout().options.editCategories) + "\nclick " + d.Field(3) +
               "\ntype xyz\nclick " + d.Button(1) + "\n");
  std::vector<std::string> names;
  KeepNames(run, names);
  run.Go();
  ASSERT_EQ(names.size(), 12u);
  EXPECT_EQ(names[3], "Doctor Appointments");
  EXPECT_EQ(run.Stored().categories, kDefaultCategories);
}

TEST(OptionsScreen, UnitFieldsSetTheUnitModes) {
  LayoutProbe probe(1024, 768);
  const OptionsLayout& o = probe.layout().options;
  const PopupItems weights{"Show weights in pounds", "Show weights in kg"};
  const PopupItems lengths{"Show measurements in inches", "Show measurements in cm"};
  FrameRun run("type o\nclick " + CentreOf(o.weightUnit) + "\nclick " + PopupRow(o.weightUnit, weights, 1) +
               "\nclick " + CentreOf(o.lengthUnit) + "\nclick " + PopupRow(o.lengthUnit, lengths, 1) + "\n");
  run.Go();
  const Settings s = run.Stored();
  EXPECT_EQ(s.weightMode, 1);
  EXPECT_EQ(s.measureMode, 1);

  // Cancelling a list (a click outside it) keeps the mode.
  FrameRun back("type o\nclick " + CentreOf(o.weightUnit) + "\nclick " + PopupRow(o.weightUnit, weights, 0) +
                "\nclick " + CentreOf(o.lengthUnit) + "\ntype q\n");
  Settings kg;
  kg.weightMode = 1;
  kg.measureMode = 1;
  back.SaveStartSettings(kg);
  back.Go();
  EXPECT_EQ(back.Stored().weightMode, 0);
  EXPECT_EQ(back.Stored().measureMode, 1);
}

TEST(OptionsScreen, StyleChoiceIsSaved) {
  LayoutProbe probe(1024, 768);
  const Rect field = probe.layout().options.wallpaperStyle;
  PopupItems styles;
  for (int i = 0; i < WallpaperStyleCount; ++i) styles.Set(i, WallpaperStyleName(i));
  FrameRun run("type o\nclick " + CentreOf(field) + "\nclick " + PopupRow(field, styles, 16) + "\n");
  run.Go();
  EXPECT_EQ(run.Stored().wallpaperColor, 16);
}

TEST(OptionsScreen, WallpaperSwitchTogglesTheFlagAndRemembersTheWallpaper) {
  LayoutProbe probe(1024, 768);
  const std::string sw = At(probe.layout().options.wallpaperSwitch.left + 4, probe.layout().options.wallpaperSwitch.top + 10);
  FrameRun on("type o\nclick " + sw + "\n");
  on.app.hooks.currentDesktopWallpaper = [] { return std::string("/Home/Me/Sea.JPG"); };
  on.Go();
  EXPECT_EQ(on.Stored().wallpaperFlag, 1);
  EXPECT_EQ(on.Stored().wallpaperFile, "/home/me/sea.jpg");

  FrameRun off("type o\nclick " + sw + "\nclick " + sw + "\n");
  off.Go();
  EXPECT_EQ(off.Stored().wallpaperFlag, 0);
}

TEST(OptionsScreen, DraggingThePositionBoxStopsAtThePreviewEdge) {
  LayoutProbe probe(1024, 768);
  const OptionsLayout& o = probe.layout().options;
  ASSERT_EQ(o.calendarBox, (Rect{145, 203, 470, 412}));
  const std::string sw = At(o.wallpaperSwitch.left + 4, o.wallpaperSwitch.top + 10);
  // Grabbed 155 pixels right of its left edge, pulled far right and 30 down.
  FrameRun run("type o\nclick " + sw + "\npress 300 300\nmove 700 310\nmove 1000 330\nrelease 1000 330\n");
  Rect box;
  run.wrapped[2] = [&box](Application& a) {
    OptionsScreen(a);
    box = a.layout.options.calendarBox;
  };
  run.RecordVisits();
  run.Go();
  EXPECT_EQ(box, (Rect{245, 233, 570, 442}));
  const Settings s = run.Stored();
  EXPECT_EQ(s.calendarX, 301);  // 1280 / 425 * 100
  EXPECT_EQ(s.calendarY, 90);   // 1280 / 425 * 30
  EXPECT_EQ(s.calendarWide, 979);
  EXPECT_EQ(s.calendarHigh, 629);
}

TEST(OptionsScreen, ThePositionBoxDoesNotMoveWhileTheSwitchIsOff) {
  FrameRun run("type o\npress 300 300\nmove 1000 330\nrelease 1000 330\n");
  run.Go();
  EXPECT_EQ(run.Stored().calendarX, 0);
  EXPECT_EQ(run.Stored().calendarY, 0);
}

TEST(MoveSelectedToCategory, OnlyMarkedLiveRecordsChange) {
  EventStore s;
  const std::uint32_t a = test::AddGeneric(s, test::Packed(2024, 5, 6), "marked");
  const std::uint32_t b = test::AddGeneric(s, test::Packed(2024, 5, 7), "not marked");
  const std::uint32_t c = test::AddGeneric(s, test::Packed(2024, 5, 8), "marked but deleted");
  const std::uint32_t d = test::AddGeneric(s, test::Packed(2024, 5, 9), "other mark bits");
  SetByte(s.store, a + rec::kMark, 1);
  SetByte(s.store, c + rec::kMark, 1);
  SetByte(s.store, c + rec::kKind, 0);
  SetByte(s.store, d + rec::kMark, 2);
  EXPECT_EQ(SetCategoryOfMarked(s, {a, b, c, d, s.storeSize + 100}, 9), 1);
  EXPECT_EQ(Byte(s.store, a + rec::kCategory), 9u);
  EXPECT_EQ(Byte(s.store, b + rec::kCategory), 0u);
  EXPECT_EQ(Byte(s.store, c + rec::kCategory), 0u);
  EXPECT_EQ(Byte(s.store, d + rec::kCategory), 0u);
}

// Writes an event file with two records, the first one marked.
void WriteTwoRecords(const std::string& path) {
  EventStore s;
  s.eventFile = path;
  const std::uint32_t a = test::AddGeneric(s, test::Packed(2024, 5, 6), "Dentist");
  test::AddGeneric(s, test::Packed(2024, 5, 7), "Lunch");
  SetByte(s.store, a + rec::kMark, 1);
  ASSERT_TRUE(SaveEvents(s, UnitModes{}, SilentHost()));
}

struct MoveRun {
  explicit MoveRun(const std::function<std::string(const MoveCategoryDialogLayout&, const CategoryDropDownLayout&)>& script)
      : probe(1024, 768) {
    BuildCategoryTable(probe.app.categories, kDefaultCategories);
    const MoveCategoryDialogLayout l = LayOutMoveCategoryDialog(probe.app);
    const CategoryDropDownLayout drop = LayOutCategoryDropDown(probe.app.gfx, probe.app.categories, 1024, 768,
                                                               l.field.left, l.field.bottom + 2, {});
    run = std::make_unique<FrameRun>(script(l, drop));
    WriteTwoRecords(run->data.File("Event20.dat"));
    run->wrapped[0] = [this](Application& a) {
      std::vector<std::uint32_t> offsets;
      for (std::uint32_t i = 0; i < a.events.indexCount; ++i) offsets.push_back(IndexOffset(a.events, i));
      saved = MoveSelectedToCategory(a, offsets);
      for (std::uint32_t i = 0; i < a.events.indexCount; ++i) {
        categories.push_back(static_cast<int>(Byte(a.events.store, IndexOffset(a.events, i) + rec::kCategory)));
      }
      a.program.input.quitRequested = 1;
    };
    run->RecordVisits();
    run->Go();
  }
  LayoutProbe probe;
  std::unique_ptr<FrameRun> run;
  bool saved = false;
  std::vector<int> categories;  // in file order: Dentist, Lunch
};

TEST(MoveSelectedToCategory, SaveMovesTheMarkedRecordsAndWritesTheFile) {
  MoveRun m([](const MoveCategoryDialogLayout& l, const CategoryDropDownLayout& drop) {
    return "click " + CentreOf(l.field) + "\nclick " + At(drop.rowsLeft + 20, drop.rowsTop + 7 * drop.rowHeight + 3) +
           "\nclick " + CentreOf(l.save) + "\n";
  });
  EXPECT_TRUE(m.saved);
  EXPECT_EQ(m.categories, (std::vector<int>{7, 0}));
}

TEST(MoveSelectedToCategory, CancelChangesNothing) {
  MoveRun m([](const MoveCategoryDialogLayout& l, const CategoryDropDownLayout& drop) {
    return "key Tab\nclick " + At(drop.rowsLeft + 20, drop.rowsTop + 4 * drop.rowHeight + 3) + "\nclick " +
           CentreOf(l.cancel) + "\n";
  });
  EXPECT_FALSE(m.saved);
  EXPECT_EQ(m.categories, (std::vector<int>{0, 0}));
}

}  // namespace
}  // namespace kal
