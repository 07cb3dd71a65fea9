// The scroll bar: its geometry, single steps from synthetic input, and whole
// presses (arrow holds, paging, thumb drags) played on the headless backend.

#include <gtest/gtest.h>

#include <string>

#include "ui/scroll_bar.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;

// A bar 16 pixels wide, y 100..400: track 117..383 (266 pixels).
constexpr int X1 = 500, Y1 = 100, X2 = 515, Y2 = 400;
constexpr int Rows = 10, Count = 100;  // 2.66 track pixels per item

TEST(ScrollBarLayout, ThumbFollowsTopAndKeepsAMinimumSize) {
  ScrollBarLayout g = LayOutScrollBar(Y1, Y2, Rows, Count, 0);
  EXPECT_EQ(g.trackTop, 117);
  EXPECT_EQ(g.trackBottom, 383);
  EXPECT_EQ(g.thumbStart, 117);
  EXPECT_EQ(g.thumbEnd, 146);  // 117 + 2.66 * 10 + 2 = 145.6
  g = LayOutScrollBar(Y1, Y2, Rows, Count, 200);  // limited to the last page
  EXPECT_EQ(g.top, 90);
  EXPECT_EQ(g.thumbStart, 356);  // 117 + 239.4
  EXPECT_EQ(g.thumbEnd, 384);    // stops one below the track
  // Ten thousand items: the thumb stays 8 pixels tall and above the arrow.
  g = LayOutScrollBar(Y1, Y2, Rows, 10000, 9990);
  EXPECT_EQ(g.thumbStart, 375);
  EXPECT_EQ(g.thumbEnd, 383);
  // Everything visible: the thumb fills the track and input cannot scroll.
  g = LayOutScrollBar(Y1, Y2, 20, 5, 3);
  EXPECT_EQ(g.top, 0);
  EXPECT_EQ(g.thumbStart, 117);
  EXPECT_EQ(g.thumbEnd, 384);
}

TEST(ScrollBarInput, FirstStepOfAPressByWhereItLands) {
  struct Case {
    int y;
    int top;
    int expectedTop;
    std::int32_t expectedState;
    int expectedDelay;
  } cases[] = {
      {105, 50, 49, ScrollArrowUp, 1},
      {390, 50, 51, ScrollArrowDown, 1},
      {200, 50, 40, ScrollPageUp, 1},     // thumb at 250..279
      {300, 50, 60, ScrollPageDown, 1},
      {260, 50, 50, ScrollThumb, -1},     // grab 10: the thumb stays where it is
      {100, 50, 50, ScrollIdle, -1},      // the bar's top edge is not the arrow
      {250, 50, 50, ScrollIdle, -1},      // nor the thumb's first row
      {105, 0, 0, ScrollArrowUp, 1},      // cannot go above the first item
      {390, 90, 90, ScrollArrowDown, 1},
  };
  for (const Case& c : cases) {
    InputState in;
    in.mouseButton = 1;
    in.mouseX = 507;
    in.mouseY = c.y;
    int top = c.top, grab = -5, delay = 7;
    std::int32_t state = ScrollIdle;
    ScrollBarInput(in, X1, Y1, X2, Y2, Rows, Count, top, grab, delay, state);
    EXPECT_EQ(top, c.expectedTop) << "y " << c.y;
    EXPECT_EQ(state, c.expectedState) << "y " << c.y;
    EXPECT_EQ(delay, c.expectedDelay) << "y " << c.y;
  }
  // Outside the bar's width, or without a button, nothing starts.
  InputState in;
  in.mouseButton = 1;
  in.mouseX = X2;
  in.mouseY = 105;
  int top = 50, grab = 0, delay = 0;
  std::int32_t state = ScrollIdle;
  ScrollBarInput(in, X1, Y1, X2, Y2, Rows, Count, top, grab, delay, state);
  EXPECT_EQ(state, ScrollIdle);
  EXPECT_EQ(top, 50);
  in.mouseX = 507;
  in.mouseButton = 0;
  state = ScrollThumb;
  ScrollBarInput(in, X1, Y1, X2, Y2, Rows, Count, top, grab, delay, state);
  EXPECT_EQ(state, ScrollIdle);
  EXPECT_EQ(delay, -1);
}

// A list loop with nothing but a scroll bar; returns the final top.
int RunBar(UiFixture& f, int top, int* redraws = nullptr) {
  while (f.program.input.quitRequested == 0) {
    f.Pump();
    TrackScrollBar(f.ui, X1, Y1, X2, Y2, Rows, Count, top, [&](int t, std::int32_t state) {
      DrawScrollBar(f.gfx, X1, Y1, X2, Y2, Rows, Count, t, state);
      if (redraws != nullptr) ++*redraws;
    });
  }
  return top;
}

TEST(TrackScrollBar, ArrowHoldRepeatsAfter300MsThenEvery25Ms) {
  // Steps at 0, 300, 325, ... 1000 ms: 30 in all.
  UiFixture f("press 507 105\nwait 1000\nrelease 507 105\n");
  EXPECT_EQ(RunBar(f, 50), 20);
  UiFixture g("press 507 390\nwait 299\nrelease 507 390\n");
  EXPECT_EQ(RunBar(g, 50), 51);
  UiFixture h("press 507 390\nwait 300\nrelease 507 390\n");
  EXPECT_EQ(RunBar(h, 50), 52);
  // Two quick clicks are two steps; a long hold stops at the end.
  UiFixture i("click 507 105\nclick 507 105\npress 507 390\nwait 5000\nrelease 507 390\n");
  int redraws = 0;
  EXPECT_EQ(RunBar(i, 50, &redraws), 90);
  EXPECT_GT(redraws, 100);
}

TEST(TrackScrollBar, PagingStopsWhereTheThumbReachesThePointer) {
  UiFixture f("click 507 300\n");
  EXPECT_EQ(RunBar(f, 0), 10);
  // Held below the thumb: pages at 0, 300, 325, 350, 375, 400 ms reach top
  // 60, whose thumb (277..305) covers the pointer; from then on it drags.
  UiFixture g("press 507 300\nwait 2000\nrelease 507 300\n");
  EXPECT_EQ(RunBar(g, 0), 60);
  // Above the thumb: pages up from 90 to 10, whose thumb (144..172) covers y 150.
  UiFixture h("press 507 150\nwait 2000\nrelease 507 150\n");
  EXPECT_EQ(RunBar(h, 90), 10);
}

TEST(TrackScrollBar, ThumbDragFollowsThePointer) {
  // Grabbed 13 pixels below its top; moved to y 250: (250 - 117 - 13 + 1) / 2.66.
  UiFixture f("press 507 130\nmove 507 250\nrelease 507 250\n");
  EXPECT_EQ(RunBar(f, 0), 45);
  // Beyond the track, and sideways off the bar, the drag goes on.
  UiFixture g("press 507 130\nmove 700 900\nrelease 700 900\n");
  EXPECT_EQ(RunBar(g, 0), 90);
  UiFixture h("press 507 130\nmove 507 900\nmove 300 20\nrelease 300 20\n");
  EXPECT_EQ(RunBar(h, 0), 0);
}

}  // namespace
}  // namespace kal
