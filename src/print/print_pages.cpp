#include "print/print_pages.h"

#include <cmath>

#include "calendar/event_display_text.h"
#include "calendar/event_list.h"
#include "ui/entry_box.h"

namespace kal {

namespace {

constexpr const char* kWeekdayNames = "Sunday   Monday   Tuesday  WednesdayThursday Friday   Saturday ";
constexpr int kDisplayTextLimit = 170;

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

Ymd KeyYmd(const std::string& key) {
  auto digits = [&](std::size_t at, std::size_t n) { return std::stoi(key.substr(at, n)); };
  return Ymd{digits(0, 4), digits(4, 2), digits(6, 2)};
}

}  // namespace

FontDescription PrintFont(const PrintSettings& print, const PageMetrics& metrics, bool bold) {
  return FontDescription{print.font.substr(0, 31), PrintFontHeight(metrics.dpiY, print.size), bold ? 700 : 400,
                         false};
}

std::string PrintDateText(const Ymd& d) {
  return MonthAbbreviation(d.month) + " " + std::to_string(d.day) + ", " + std::to_string(d.year);
}

bool PrintCalendarPage(PageCanvas& canvas, const PageMetrics& m, const PrintSettings& print,
                       const PrintSource& source, PackedDate firstSunday, const Ymd& today, CalendarGrid& grid) {
  const FontDescription normal = PrintFont(print, m, false);
  const FontDescription bold = PrintFont(print, m, true);
  const int lh = PrintLineHeight(normal.height);
  const Rect page = PrintableRect(print, m);
  if (!canvas.StartPage()) return false;

  const Rect area{page.left, page.top + 3 * lh, page.right, page.bottom};
  canvas.SetClip(area);
  {
    ScopedEntryFont entryFont(normal);
    BuildCalendarGrid(grid, *source.store, *source.categories, source.units, canvas.Measurer(), 6, area,
                      firstSunday);

    const int y0 = area.top - 3 * lh;
    canvas.SetClip(Rect{page.left, y0, page.right, page.bottom});
    if (grid.count() > 0) {
      const GridItem* last = &grid.items.front();
      for (const GridItem& item : grid.items) {
        if (item.IsDayCell()) last = &item;
      }
      FontDescription title = bold;
      title.height = 2 * normal.height;
      canvas.Text(page.left, y0, 0, ColourBlack, title,
                  PrintDateText(KeyYmd(grid.items.front().key)) + "  to  " + PrintDateText(KeyYmd(last->key)));
    }
    canvas.Text(page.right, y0, 1, ColourBlack, normal, "Printed " + PrintDateText(today));

    const int y1 = y0 + 2 * lh;
    canvas.Fill(ColourBlack, page.left, y1, page.right - 1, y1 + lh - 1);
    const int cw = (page.right - page.left) / 7;
    for (int i = 1; i <= 6; ++i) {
      const int x = page.left + cw * i;
      canvas.Fill(ColourWhite, x, y1, x + m.pen - 1, y1 + lh - 1);
    }
    for (int i = 0; i <= 6; ++i) {
      canvas.Text(page.left + cw * i + cw / 2, y1, 2, ColourWhite, bold,
                  Trimmed(std::string_view(kWeekdayNames).substr(static_cast<std::size_t>(i) * 9, 9)));
    }

    for (const GridItem& item : grid.items) {
      if (item.IsDayCell()) {
        canvas.Frame(Rgb(40, 40, 40), m.pen, item.left, item.top, item.right, item.bottom);
        const Ymd d = KeyYmd(item.key);
        std::string label = MonthAbbreviation(d.month) + " " + std::to_string(d.day);
        if (d.day == 1) label += ", " + std::to_string(d.year);
        canvas.Text(item.left + 4, item.top + 4, 0, ColourBlack, normal, label);
      } else {
        DrawEntryBox(canvas, item.colour, ContrastTextColor(item.colour), item.left, item.top, item.right,
                     item.bottom - 1, std::string_view(item.key).substr(kDayKeyLength), cw - 8);
      }
    }
  }
  return canvas.EndPage();
}

int PrintEventListPages(PageCanvas& canvas, const PageMetrics& m, const PrintSettings& print,
                        const PrintSource& source, const std::vector<std::uint32_t>& offsets) {
  const FontDescription font = PrintFont(print, m, false);
  const Rect page = PrintableRect(print, m);
  const int dx = page.left + canvas.Measurer().Measure(font, "May 88, 8888").width;
  const int tx = dx + static_cast<int>(std::nearbyint(0.25 * m.dpiX));

  if (!canvas.StartPage()) return -1;
  int pages = 1;
  int y = page.top;
  canvas.SetClip(page);
  for (const std::uint32_t offset : offsets) {
    if (!IsMarked(*source.store, offset)) continue;
    const DisplayText d = EventDisplayText(*source.store, offset, kDisplayTextLimit, source.units);
    if (y >= page.bottom) {
      if (!canvas.EndPage() || !canvas.StartPage()) return -1;
      ++pages;
      y = page.top;
      canvas.SetClip(page);
    }
    canvas.Text(page.left, y, 0, ColourBlack, font, MonthAbbreviation(d.month));
    canvas.Text(dx, y, 1, ColourBlack, font, std::to_string(d.day) + ", " + std::to_string(d.year) + ":");
    canvas.Text(tx, y, 0, ColourBlack, font, d.text);
    y += font.height;
    canvas.Fill(Rgb(200, 200, 200), page.left, y, page.right - 1, y);
  }
  return canvas.EndPage() ? pages : -1;
}

}  // namespace kal
