#include "wallpaper/desktop_calendar.h"

#include <gtest/gtest.h>

#include "support/fake_desktop.h"
#include "platform/images.h"
#include "support/test_support.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

struct Fixture {
  Fixture() {
    gfx.text = &test::SharedTextRenderer();
    gfx.SetupFonts("Microsoft Sans Serif", 20);
    BuildCategoryTable(categories, kDefaultCategories);
    test::WriteAll(userPicture, {});
    ownFile = temp.File("wallpaper.bmp");
    settings.calendarX = 10;
    settings.calendarY = 30;
    settings.calendarWide = 350;
    settings.calendarHigh = 200;
    settings.wallpaperFlag = 1;
    settings.wallpaperColor = 21;
  }
  DesktopCalendar Make() {
    DesktopCalendarSetup setup;
    setup.settings = &settings;
    setup.content.events = &events;
    setup.content.categories = &categories;
    setup.gfx = &gfx;
    setup.ownFile = ownFile;
    setup.today = [] { return Ymd{2024, 5, 15}; };
    setup.screen = [] { return WindowRect{0, 0, 400, 300}; };
    setup.saveSettings = [this] { ++saves; };
    setup.showMessage = [this](const std::string& m) { messages.push_back(m); };
    return DesktopCalendar(setup, desktop);
  }
  test::TempDir temp;
  std::string userPicture = temp.File("Sea Side.png");
  std::string ownFile;
  Settings settings;
  EventStore events;
  CategoryTable categories;
  Gfx gfx;
  test::FakeDesktop desktop;
  int saves = 0;
  std::vector<std::string> messages;
};

TEST(DesktopCalendar, StartUpRemembersOnlyAUsablePictureAndUndoesACrash) {
  enum Shown { kUser, kNothing, kTooLong, kGone, kUnknown, kOurs };
  struct Row {
    const char* what;
    Shown shown;
    bool remembered;  // the shown picture became "wallpaper_file"
    bool restored;    // the remembered one was installed again
  };
  const Row rows[] = {
      {"a readable picture", kUser, true, false},
      {"no picture at all", kNothing, true, false},
      {"a name too long for the setting", kTooLong, false, false},
      {"a file that is not there", kGone, false, false},
      {"a store that cannot be read", kUnknown, false, false},
      {"our own picture after a crash", kOurs, false, true},
  };
  const std::string old = "/old/choice.jpg";
  for (const Row& r : rows) {
    Fixture f;
    f.settings.wallpaperFile = old;
    const std::optional<std::string> shown[] = {f.userPicture, std::string(), "/" + std::string(300, 'a'),
                                                f.temp.File("gone.jpg"), std::nullopt, f.ownFile};
    f.desktop.shown.picture = shown[r.shown];
    DesktopCalendar c = f.Make();
    c.RememberUserWallpaper();
    EXPECT_EQ(f.settings.wallpaperFile, r.remembered ? *shown[r.shown] : old) << r.what;
    EXPECT_EQ(f.desktop.installed, r.restored ? std::vector<std::string>{old} : std::vector<std::string>{}) << r.what;
  }
}

TEST(DesktopCalendar, UpdateInstallsTheWrittenPictureAndRestorePutsTheUsersBack) {
  Fixture f;
  f.settings.wallpaperFile = f.userPicture;  // an empty file: not a picture
  f.desktop.shown.picture = f.userPicture;
  DesktopCalendar c = f.Make();
  // Nothing of ours on the desktop yet: restoring changes nothing.
  c.RestoreUserWallpaper();
  EXPECT_TRUE(f.desktop.installed.empty());
  ASSERT_TRUE(c.UpdateWallpaperCalendar());
  EXPECT_EQ(f.messages, std::vector<std::string>{"Unsupported Image Type"});
  EXPECT_EQ(f.desktop.installed, std::vector<std::string>{f.ownFile});
  Surface written;
  ASSERT_TRUE(LoadImageFile(f.ownFile, written));
  ASSERT_EQ(written.width(), 400);
  EXPECT_EQ(written.At(200, 100), Rgb(0, 0, 0));         // style 21: a black veil over the desktop colour
  EXPECT_EQ(written.At(200, 20), Rgb(255, 255, 255));     // the band in white
  EXPECT_EQ(written.At(395, 295), DefaultDesktopColour);  // outside the block
  c.RestoreUserWallpaper();
  EXPECT_EQ(f.desktop.installed, (std::vector<std::string>{f.ownFile, f.userPicture}));

  // Switched off, or an empty block: nothing is drawn or installed.
  for (const auto& change : {+[](Settings& s) { s.wallpaperFlag = 0; }, +[](Settings& s) { s.calendarWide = 0; }}) {
    Fixture g;
    change(g.settings);
    DesktopCalendar d = g.Make();
    EXPECT_FALSE(d.UpdateWallpaperCalendar());
    EXPECT_TRUE(g.desktop.installed.empty());
  }
}

TEST(DesktopCalendar, AWallpaperChosenOutsideBecomesTheUsersAndGetsTheCalendar) {
  Fixture f;
  f.settings.wallpaperFile = "/old/choice.jpg";
  f.desktop.shown.picture = f.ownFile;
  DesktopCalendar c = f.Make();
  EXPECT_FALSE(c.NoticeOutsideChange());  // our own picture is no change
  f.desktop.shown.picture = f.temp.File("gone.jpg");
  EXPECT_FALSE(c.NoticeOutsideChange());  // nor is a file that is not there
  f.desktop.shown.picture = f.userPicture;
  EXPECT_TRUE(c.NoticeOutsideChange());
  EXPECT_EQ(f.settings.wallpaperFile, f.userPicture);
  EXPECT_EQ(f.saves, 1);
  EXPECT_EQ(f.desktop.installed, std::vector<std::string>{f.ownFile});
  EXPECT_FALSE(c.NoticeOutsideChange());  // the same picture is not taken twice
}

}  // namespace
}  // namespace kal
