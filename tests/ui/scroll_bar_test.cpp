// The scroll bar: its geometry, single steps from synthetic input, and whole
// presses (arrow holds, paging, thumb drags) played on the headless backend.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "ui/scroll_bar.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;

// A bar 16 pixels wide, y 100..400: track 117..383 (266 pixels).
constexpr int X1 = 500, Y1 = 100, X2 = 515, Y2 = 400;
constexpr int Rows = 10, Count = 100;  // 2.66 track pixels per item

TEST(ScrollBarLayout, ThumbFollowsTopAndKeepsAMinimumSize) {
  auto thumb = [](int rows, int count, int top) {
    const ScrollBarLayout g = LayOutScrollBar(Y1, Y2, rows, count, top);
    EXPECT_EQ(std::tuple(g.trackTop, g.trackBottom), std::tuple(117, 383));
    return std::tuple(g.top, g.thumbStart, g.thumbEnd);
  };
  EXPECT_EQ(thumb(Rows, Count, 0), std::tuple(0, 117, 146));     // 117 + 2.66 * 10 + 2 = 145.6
  EXPECT_EQ(thumb(Rows, Count, 200), std::tuple(90, 356, 384));  // the last page; ends one below the track
  EXPECT_EQ(thumb(Rows, 10000, 9990), std::tuple(9990, 375, 383));  // 8 pixels at least, above the arrow
  EXPECT_EQ(thumb(20, 5, 3), std::tuple(0, 117, 384));  // everything visible: the thumb fills the track
}

TEST(ScrollBarInput, FirstStepOfAPressByWhereItLands) {
  struct Case {
    int x, y, button, top, expectedTop;
    std::int32_t expectedState;
    int expectedDelay;
  };
  const Case cases[] = {
      {507, 105, 1, 50, 49, ScrollArrowUp, 1},
      {507, 390, 1, 50, 51, ScrollArrowDown, 1},
      {507, 200, 1, 50, 40, ScrollPageUp, 1},  // thumb at 250..279
      {507, 300, 1, 50, 60, ScrollPageDown, 1},
      {507, 260, 1, 50, 50, ScrollThumb, -1},  // grabbed 10 down: the thumb stays where it is
      {507, 100, 1, 50, 50, ScrollIdle, -1},   // the bar's top edge is not the arrow
      {507, 250, 1, 50, 50, ScrollIdle, -1},   // nor the thumb's first row
      {507, 105, 1, 0, 0, ScrollArrowUp, 1},   // cannot go above the first item
      {507, 390, 1, 90, 90, ScrollArrowDown, 1},
      {X2, 105, 1, 50, 50, ScrollIdle, -1},  // beside the bar nothing starts
      {507, 105, 0, 50, 50, ScrollIdle, -1},  // nor without a button
  };
  for (const Case& c : cases) {
    InputState in;
    in.mouseButton = c.button;
    in.mouseX = c.x;
    in.mouseY = c.y;
    int top = c.top, grab = -5, delay = 7;
    std::int32_t state = c.button == 0 ? ScrollThumb : ScrollIdle;  // a release ends a drag
    ScrollBarInput(in, X1, Y1, X2, Y2, Rows, Count, top, grab, delay, state);
    EXPECT_EQ(std::tuple(top, state, delay), std::tuple(c.expectedTop, c.expectedState, c.expectedDelay))
        << c.x << "," << c.y << " button " << c.button;
  }
}

TEST(TrackScrollBar, ArrowHoldsPagingAndThumbDrags) {
  const std::tuple<const char*, int, int, int> cases[] = {
      // Arrow steps at 0, 300, 325, ... 1000 ms: 30 in all. The last column is
      // the fewest redraws.
      {"press 507 105\nwait 1000\nrelease 507 105\n", 50, 20, 1},
      {"press 507 390\nwait 299\nrelease 507 390\n", 50, 51, 1},
      {"press 507 390\nwait 300\nrelease 507 390\n", 50, 52, 1},
      // Two quick clicks are two steps; a long hold stops at the end.
      {"click 507 105\nclick 507 105\npress 507 390\nwait 5000\nrelease 507 390\n", 50, 90, 100},
      {"click 507 300\n", 0, 10, 1},
      // Held below the thumb: pages at 0, 300, 325, 350, 375, 400 ms reach
      // top 60, whose thumb (277..305) covers the pointer; then it drags.
      {"press 507 300\nwait 2000\nrelease 507 300\n", 0, 60, 1},
      // Above: from 90 up to 10, whose thumb (144..172) covers y 150.
      {"press 507 150\nwait 2000\nrelease 507 150\n", 90, 10, 1},
      // Grabbed 13 below its top and moved to 250: (250 - 117 - 13 + 1) / 2.66.
      {"press 507 130\nmove 507 250\nrelease 507 250\n", 0, 45, 1},
      // Beyond the track, and sideways off the bar, the drag goes on.
      {"press 507 130\nmove 700 900\nrelease 700 900\n", 0, 90, 1},
      {"press 507 130\nmove 507 900\nmove 300 20\nrelease 300 20\n", 0, 0, 1},
  };
  for (const auto& [script, start, expected, minRedraws] : cases) {
    UiFixture f(script);
    int top = start, redraws = 0;
    f.Loop([&] {
      TrackScrollBar(f.ui, X1, Y1, X2, Y2, Rows, Count, top, [&](int t, std::int32_t state) {
        DrawScrollBar(f.gfx, X1, Y1, X2, Y2, Rows, Count, t, state);
        ++redraws;
      });
      return 0;
    });
    EXPECT_EQ(top, expected) << script;
    EXPECT_GE(redraws, minRedraws) << script;
  }
}

}  // namespace
}  // namespace kal
