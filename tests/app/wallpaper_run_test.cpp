// The desktop calendar in a whole program run: the options screen switches
// it on, a style is chosen, "wallpaper.bmp" shows the calendar over the
// user's picture, and switching off puts the user's picture back.
#include <gtest/gtest.h>

#include "platform/images.h"
#include "screens/frame_run.h"
#include "support/fake_desktop.h"
#include "ui/popup_list.h"
#include "ui/wallpaper_styles.h"

namespace kal {
namespace {

using test::At;
using test::CentreOf;

TEST(WallpaperRun, OptionsSwitchAndStyleDrawTheCalendarAndSwitchingOffRestores) {
  test::LayoutProbe probe(1024, 768);
  const OptionsLayout& o = probe.layout().options;
  PopupItems styles;
  for (int i = 0; i < WallpaperStyleCount; ++i) styles.Set(i, WallpaperStyleName(i));
  const PopupLayout l = LayOutPopupList(probe.app.gfx, styles, 1024, 768, o.wallpaperStyle.left + 4,
                                        o.wallpaperStyle.bottom + 7, o.wallpaperStyle.Width() - 5, 0, styles.size());
  const int lh = probe.app.gfx.lineHeight;
  const std::string toggle = "click " + At(o.wallpaperSwitch.left + 4, o.wallpaperSwitch.top + 10) + "\n";
  const std::string style21 =
      "click " + CentreOf(o.wallpaperStyle) + "\nclick " + At(l.x + 20, l.y + lh * 21 + lh / 2) + "\n";

  test::FrameRun run;
  run.AddEvents({{PackDate(2024, 5, 16), "Dentist"}});
  const std::string user = run.lock.File("garden.png");
  ASSERT_TRUE(WritePng(Surface(640, 480, Rgb(0, 200, 0)), user));
  // The block placed away from the screen's edges, where the band fits above it.
  Settings placed;
  placed.calendarX = 200;
  placed.calendarY = 150;
  ASSERT_TRUE(SaveSettings(placed, run.data.File("config20.dat"), SilentHost()));
  test::FakeDesktop desktop;
  desktop.shown.picture = user;
  desktop.shown.placement = WallpaperPlacement::Stretched;
  run.options.desktopWallpaper = &desktop;
  run.Go("today 2024-05-15\ntype o\n" + toggle + style21 + toggle);

  const std::string own = run.data.File("wallpaper.bmp");
  // On: ours goes up. The style: the user's back first, then ours again.
  // Off: the user's back. At exit nothing of ours is left to take down.
  EXPECT_EQ(desktop.installed, (std::vector<std::string>{own, user, own, user}));
  const Settings s = run.Stored();
  EXPECT_EQ(s.wallpaperFlag, 0);
  EXPECT_EQ(s.wallpaperColor, 21);
  EXPECT_EQ(s.wallpaperFile, user);

  Surface written;
  ASSERT_TRUE(LoadImageFile(own, written));
  ASSERT_EQ(written.width(), 1280);
  ASSERT_EQ(written.height(), 1024);
  ASSERT_GT(s.calendarWide, 700);
  const int cw = s.calendarWide / 7;
  struct Probe {
    int x, y;
    Colour colour;
    const char* what;
  };
  const Probe probes[] = {
      {s.calendarX + 3, s.calendarY - 8, Rgb(255, 255, 255), "the band in style 21's white"},
      {s.calendarX + cw / 2, s.calendarY + 60, Rgb(0, 0, 0), "a day under the solid black veil"},
      {s.calendarX, s.calendarY + 60, Rgb(255, 255, 255), "a day's white outline"},
      {5, 5, Rgb(0, 200, 0), "the user's picture, stretched over the screen"},
      {1275, 1019, Rgb(0, 200, 0), "the user's picture in the far corner"},
  };
  for (const Probe& p : probes) EXPECT_EQ(written.At(p.x, p.y), p.colour) << p.what;
  // Thursday the 16th, fifth column of the first row, holds the entry in
  // category 0's grey (200 and up to 15 lighter), below its label.
  int grey = 0;
  for (int y = s.calendarY + 15; y < s.calendarY + 60; ++y) {
    const Colour c = written.At(s.calendarX + 4 * cw + 20, y);
    grey += RedOf(c) == GreenOf(c) && RedOf(c) == BlueOf(c) && RedOf(c) >= 195 && RedOf(c) <= 215 ? 1 : 0;
  }
  EXPECT_GT(grey, 3);
  EXPECT_NE(run.Log().find("Restore Wallpaper: " + user), std::string::npos);
}

}  // namespace
}  // namespace kal
