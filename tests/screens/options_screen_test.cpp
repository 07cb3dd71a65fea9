// The options screen end to end (a 1024 x 768 window on a 1280 x 1024
// screen), checked through the settings file and the program state; and
// moving marked records to another category.
#include "screens/options_screen.h"

#include <gtest/gtest.h>

#include "frame_run.h"
#include "screens/category_drop_down.h"
#include "ui/wallpaper_styles.h"
#include "support/record_builder.h"
#include "ui/message_dialog.h"
#include "ui/popup_list.h"

namespace kal {
namespace {

using test::At;
using test::CentreOf;
using test::FrameRun;
using test::LayoutProbe;

TEST(OptionsScreen, CategoryDialogRenamesClearsOrCancels) {
  LayoutProbe probe(1024, 768);
  UiContext ui{probe.app.program, probe.app.gfx, {}};
  const MessageDialogLayout l = LayoutMessageDialog(ui, "Edit Category Descriptions",
                                                    "1:|2:|3:|4:|5:|6:|7:|8:|9:|10:|11:|12:", "Save|Cancel", 130);
  const auto field = [&](int k) {
    return "click " + At(l.labelX + l.labelW + 40, l.fieldsTop + (10 + probe.app.gfx.lineHeight) * k + 8) + "\n";
  };
  const std::string save = "click " + At(l.buttonsLeft + 35, l.buttonsTop + 12) + "\n";
  const std::string cancel = "click " + At(l.buttonsLeft + 105, l.buttonsTop + 12) + "\n";
  std::string clearAll = field(0);
  for (int k = 0; k < 12; ++k) clearAll += "key End\nkey Home shift\nkey Backspace\nkey Down\n";
  const std::pair<std::string, std::string> cases[] = {
      // "Jon Roe" holds an "e" and an "o": typed into the dialog they switch no screen.
      {field(10) + "key Home shift\ntype Jon Roe\n" + save,
       "Miscellaneous|Recycling|Pay Days|Doctor Appointments|Meetings|Anniversaries|Holidays|Birthdays|Vacations|"
       "Business|Jon Roe|Jane Doe"},
      {clearAll + save, "|||||||||||"},
      // A typed bar is kept as the broken bar: the twelfth name survives.
      {field(2) + "key Home shift\ntype A|B\n" + save,
       "Miscellaneous|Recycling|A\xA6" "B|Doctor Appointments|Meetings|Anniversaries|Holidays|Birthdays|Vacations|"
       "Business|John Doe|Jane Doe"},
      {field(3) + "type xyz\n" + cancel, kDefaultCategories},
  };
  for (const auto& [actions, stored] : cases) {
    SCOPED_TRACE(actions);
    FrameRun run;
    std::string names;  // as the screen leaves them (the table is freed at exit)
    run.wrapped[2] = [&names](Application& a) {
      OptionsScreen(a);
      for (int k = 0; k < kCategoryCount; ++k) {
        names += k > 0 ? "|" : "";
        names += CategoryName(a.categories, k);
      }
    };
    run.RecordVisits();
    run.Go("type o\nclick " + CentreOf(probe.layout().options.editCategories) + "\n" + actions);
    EXPECT_EQ(run.visited, (std::vector<int>{1, 3}));
    EXPECT_EQ(run.Stored().categories, stored);
    EXPECT_EQ(names, stored);
  }
}

TEST(OptionsScreen, ChoiceFieldsSetTheUnitsAndTheStyle) {
  LayoutProbe probe(1024, 768);
  const OptionsLayout& o = probe.layout().options;
  // Opens the field's pop-up list and clicks the centre of row `row`.
  const auto pick = [&](const Rect& field, const PopupItems& items, int row) {
    const PopupLayout l = LayOutPopupList(probe.app.gfx, items, 1024, 768, field.left + 4, field.bottom + 7,
                                          field.Width() - 5, 0, items.size());
    const int lh = probe.app.gfx.lineHeight;
    return "click " + CentreOf(field) + "\nclick " + At(l.x + 20, l.y + lh * row + lh / 2) + "\n";
  };
  const PopupItems weights{"Show weights in pounds", "Show weights in kg"};
  const PopupItems lengths{"Show measurements in inches", "Show measurements in cm"};
  PopupItems styles;
  for (int i = 0; i < WallpaperStyleCount; ++i) styles.Set(i, WallpaperStyleName(i));
  FrameRun run;
  run.Go("type o\n" + pick(o.weightUnit, weights, 1) + pick(o.lengthUnit, lengths, 1) +
         pick(o.wallpaperStyle, styles, 16));
  EXPECT_EQ(run.Stored().weightMode, 1);
  EXPECT_EQ(run.Stored().measureMode, 1);
  EXPECT_EQ(run.Stored().wallpaperColor, 16);

  // Back to pounds; a list left without a choice keeps the mode.
  FrameRun back;
  Settings kg;
  kg.weightMode = 1;
  kg.measureMode = 1;
  ASSERT_TRUE(SaveSettings(kg, back.data.File("config20.dat"), SilentHost()));
  back.Go("type o\n" + pick(o.weightUnit, weights, 0) + "click " + CentreOf(o.lengthUnit) + "\ntype q\n");
  EXPECT_EQ(back.Stored().weightMode, 0);
  EXPECT_EQ(back.Stored().measureMode, 1);
}

TEST(OptionsScreen, WallpaperSwitchAndThePositionBox) {
  LayoutProbe probe(1024, 768);
  const OptionsLayout& o = probe.layout().options;
  const std::string sw = "click " + At(o.wallpaperSwitch.left + 4, o.wallpaperSwitch.top + 10) + "\n";
  // The box is grabbed 155 pixels right of its left edge and pulled far right
  // and 30 down: it stops at the preview's edge. It moves only while on.
  const std::string drag = "press 300 300\nmove 700 310\nmove 1000 330\nrelease 1000 330\n";
  FrameRun on;
  on.app.hooks.currentDesktopWallpaper = [] { return std::string("/Home/Me/Sea.JPG"); };
  Rect box;
  on.wrapped[2] = [&box](Application& a) {
    OptionsScreen(a);
    box = a.layout.options.calendarBox;
  };
  on.RecordVisits();
  on.Go("type o\n" + sw + drag);
  const Settings s = on.Stored();
  EXPECT_EQ(s.wallpaperFlag, 1);
  EXPECT_EQ(s.wallpaperFile, "/Home/Me/Sea.JPG");  // letter case tells files apart here
  EXPECT_EQ(box, (Rect{245, 233, 570, 442}));
  EXPECT_EQ(s.calendarX, 301);  // 1280 / 425 * 100
  EXPECT_EQ(s.calendarY, 90);   // 1280 / 425 * 30
  EXPECT_EQ(s.calendarWide, 979);
  EXPECT_EQ(s.calendarHigh, 629);

  FrameRun off;
  off.Go("type o\n" + sw + sw + drag);
  EXPECT_EQ(off.Stored().wallpaperFlag, 0);
  EXPECT_EQ(off.Stored().calendarX, 0);
  EXPECT_EQ(off.Stored().calendarY, 0);
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
  for (const auto& [offset, category] : {std::pair{a, 9u}, {b, 0u}, {c, 0u}, {d, 0u}}) {
    EXPECT_EQ(Byte(s.store, offset + rec::kCategory), category) << offset;
  }
}

// Two records, the first one marked: "Save" after picking row 7 moves it,
// "Cancel" after picking row 4 changes nothing, in memory or in the file.
TEST(MoveSelectedToCategory, SaveMovesTheMarkedRecordAndCancelNothing) {
  LayoutProbe probe(1024, 768);
  BuildCategoryTable(probe.app.categories, kDefaultCategories);
  const MoveCategoryDialogLayout l = LayOutMoveCategoryDialog(probe.app);
  const CategoryDropDownLayout drop =
      LayOutCategoryDropDown(probe.app.gfx, probe.app.categories, 1024, 768, l.field.left, l.field.bottom + 2, {});
  const auto row = [&](int r) {
    return "click " + At(drop.rowsLeft + 20, drop.rowsTop + r * drop.rowHeight + 3) + "\n";
  };
  const std::pair<std::string, int> cases[] = {
      {"click " + CentreOf(l.field) + "\n" + row(7) + "click " + CentreOf(l.save), 7},
      {"key Tab\n" + row(4) + "click " + CentreOf(l.cancel), 0}};
  for (const auto& [script, category] : cases) {
    SCOPED_TRACE(script);
    FrameRun run;
    run.AddEvents({{test::Packed(2024, 5, 6), "Dentist"}, {test::Packed(2024, 5, 7), "Lunch"}});
    bool saved = category == 0;
    std::vector<test::StoredEvent> inMemory;
    run.wrapped[0] = [&](Application& a) {
      std::vector<std::uint32_t> offsets;
      for (std::uint32_t i = 0; i < a.events.indexCount; ++i) offsets.push_back(IndexOffset(a.events, i));
      SetByte(a.events.store, offsets[0] + rec::kMark, 1);
      saved = MoveSelectedToCategory(a, offsets);
      inMemory = test::ReadEvents(a.events);
      a.program.input.quitRequested = 1;
    };
    run.RecordVisits();
    run.Go(script + "\n");
    EXPECT_EQ(saved, category != 0);
    for (const auto& events : {inMemory, run.Events()}) {
      ASSERT_EQ(events.size(), 2u);
      EXPECT_EQ(std::pair(events[0].category, events[1].category), std::pair(category, 0));
    }
  }
}

}  // namespace
}  // namespace kal
