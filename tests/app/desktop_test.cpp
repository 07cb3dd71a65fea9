// The real program in a real window on a private X server: it starts, draws
// its header, takes a click, closes with its exit sequence, and a second start
// hands over to the first.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/desktop_fixture.h"

namespace kal {
namespace {

using test::Eventually;
using test::Launch;
using test::LogLines;
using test::WaitExit;

using DesktopTest = test::DesktopFixture;

TEST_F(DesktopTest, OpensDrawsTakesAClickAndClosesWithItsExitSequence) {
  test::XClient x;
  ASSERT_TRUE(x.ok());
  const pid_t pid = Launch(DataArgs());
  const unsigned long window = x.WaitForWindow("Kalendrina", 20);
  ASSERT_NE(window, 0u) << "no window appeared";

  // The header is drawn: its bottom strip is the band colour (navy while
  // active, grey otherwise), not the screen's background texture.
  std::uint32_t strip = 0;
  EXPECT_TRUE(Eventually(5, [&] { return x.Pixel(window, 500, 48, strip) && (strip == 0x800000u || strip == 0x808080u); }))
      << std::hex << strip;

  // A click on the "Options" tab changes what the tab looks like.
  if (x.canClick()) {
    int ox = 0, oy = 0;
    ASSERT_TRUE(x.Origin(window, ox, oy));
    std::uint32_t before = 0, after = 0;
    ASSERT_TRUE(x.Pixel(window, 172, 40, before));
    x.Click(ox + 200, oy + 38, 1);
    EXPECT_TRUE(Eventually(5, [&] { return x.Pixel(window, 172, 40, after) && after != before; }))
        << "the click on the tab changed nothing";
  }

  x.Close(window);
  EXPECT_EQ(WaitExit(pid, 20), 0);
  // The exit sequence ran to its end (its order is pinned on the headless backend).
  const auto log = LogLines(data.File("error.log"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "Bye Bye");
  EXPECT_TRUE(std::filesystem::exists(data.File("config20.dat")));
}

TEST_F(DesktopTest, ASecondStartShowsTheFirstAndLeaves) {
  test::XClient x;
  ASSERT_TRUE(x.ok());
  const pid_t first = Launch(DataArgs());
  const unsigned long window = x.WaitForWindow("Kalendrina", 20);
  ASSERT_NE(window, 0u);
  x.Unmap(window);  // as if hidden in the tray
  ASSERT_FALSE(x.IsMapped(window));

  const pid_t second = Launch(DataArgs());
  EXPECT_EQ(WaitExit(second, 20), 0);
  EXPECT_TRUE(Eventually(10, [&] { return x.IsMapped(window); })) << "the running copy did not show itself";
  // Only one copy ran: the log holds one start.
  int versions = 0;
  for (const auto& line : LogLines(data.File("error.log"))) versions += line.rfind("Version ", 0) == 0;
  EXPECT_EQ(versions, 1);

  x.Close(window);
  EXPECT_EQ(WaitExit(first, 20), 0);
}

}  // namespace
}  // namespace kal
