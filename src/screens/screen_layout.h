// Every rectangle of the header and of the three screens, in client pixels.
//
// LayoutScreens (screens/main_frame.h) fills one ScreenLayout from the window
// size whenever the layout changes; the screens and the header only read it.
// The Application owns the one instance for the whole run. Rectangles are
// half-open (left <= x < right), which is how the controls read their x1, y1,
// x2, y2 boxes.
#pragma once

#include <cstdint>

#include "platform/surface.h"

namespace kal {

struct HeaderLayout {
  Rect band;              // 0, 0, W, H - 1: the activation colour, the tiles above it
  Rect about;             // "About"
  Rect help;              // "Help"
  Rect minimize;          // "Minimize To Tray"
  Rect updateNotice;      // shown only when a newer version is known
  Rect tabs[3];           // Calendar, Events, Options (index = ScreenId - 1)
};

struct CalendarLayout {
  Rect area;              // the 7 x 5 grid: left 20, top T + 70
  std::int32_t cellWidth = 0;
  std::int32_t rowHeight = 0;
  Rect previous;          // caption: the single character with code 14
  Rect today;             // "Today"
  Rect next;              // caption: the single character with code 15
  Rect print;             // "Print"
  Rect titleStrip;        // cleared with the background before each title draw
  std::int32_t titleTop = 0;  // the title is centred on CentreX at this top
};

struct EventsLayout {
  Rect categoryLabel;     // "Category:"
  Rect categoryBox;
  Rect modeLabel;         // "Display Mode:"
  Rect modeBox;
  Rect list;              // the list panel: rows of LineHeight
  std::int32_t visibleRows = 0;
  Rect scrollBar;
  Rect find;              // "Find"
  Rect edit;              // "Edit"
  Rect remove;            // "Delete"
  Rect moveCategory;      // "Move Category"
  Rect print;             // "Print"
  std::int32_t dateColumnWidth = 0;  // "May 88, 8888" in the list font
  std::int32_t checkColumnLeft = 0;  // 15 pixels after the date column, 25 wide
  std::int32_t textColumnLeft = 0;
};

struct OptionsLayout {
  Rect wallpaperSwitch;   // check box "Draw Calendar on Desktop Wallpaper"
  Rect wallpaperStyle;    // choice field
  Rect preview;           // the scaled picture of the desktop, screen aspect ratio
  Rect calendarBox;       // the desktop calendar inside the preview, clamped into it
  Rect editCategories;    // "Edit Category Descriptions"
  Rect importOld;         // "Import Events From Kalendrina 1.x"
  Rect importHealth;      // "Import Corvitalis Data"
  Rect importIcal;        // "Import iCalendar File"
  Rect weightUnit;        // choice field
  Rect lengthUnit;        // choice field
  std::int32_t screenWidth = 0;   // the screen the preview stands for
  std::int32_t screenHeight = 0;
};

struct ScreenLayout {
  HeaderLayout header;
  CalendarLayout calendar;
  EventsLayout events;
  OptionsLayout options;
};

}  // namespace kal
