// What a print job remembers (printer, its options, font, size, margins) and
// the page arithmetic shared by the setup dialog and the printed pages.
//
// There are two jobs, the calendar and the event list, each with its own
// record in the settings file. Margins are thousandths of an inch; page
// values come from the printer in its device pixels. Everything here is
// plain arithmetic on values the caller owns.
#pragma once

#include <cstdint>
#include <string>

#include "platform/printers.h"
#include "platform/surface.h"
#include "store/settings.h"

namespace kal {

enum class PrintJobKind { kCalendar, kEvents };

// The pseudo printer at the end of the printer list that writes a PDF file.
// Windows-1252: 0x85 is the ellipsis.
inline constexpr const char* kSaveAsPdfPrinter = "Save as PDF\x85";
// Its paper when nothing else was chosen.
inline constexpr const char* kLetterOptions = "media=na_letter_8.5x11in";
inline constexpr const char* kA4Options = "media=iso_a4_210x297mm";
// Pixels per inch of the pages written to a PDF file.
inline constexpr int kPdfDpi = 600;

struct PrintSettings {
  std::string printer;  // at most 511 characters
  std::string font;     // at most 79 characters
  std::int32_t size = 0;
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t top = 0;
  std::int32_t bottom = 0;
  std::string deviceMode;  // the printer's options, opaque
  bool operator==(const PrintSettings&) const = default;
};

PrintSettings LoadPrintSettings(const Settings& settings, PrintJobKind kind);
void StorePrintSettings(Settings& settings, PrintJobKind kind, const PrintSettings& print);
// Arial at 10 points with half-inch margins for the calendar, Arial at 12
// points with one-inch margins for the event list. Printer and options stay.
void ApplyPrintDefaults(PrintSettings& print, PrintJobKind kind);
// The dialog titles.
const char* PrintDialogTitle(PrintJobKind kind);

struct PageMetrics {
  int dpiX = 600;
  int dpiY = 600;
  int offX = 0;
  int offY = 0;
  int physicalWidth = 0;
  int physicalHeight = 0;
  int pageW = 0;  // thousandths of an inch
  int pageH = 0;
  int pen = 1;    // printed line width: a hundredth of an inch, at least a pixel
};

PageMetrics PageMetricsFrom(const PrinterPage& page);

// Keeps the margins on the paper with at least two inches printed in each
// direction: negative margins become 0, and where the far edge of the
// printable area would fall short of near margin + 2000, the far margin
// shrinks; where that is not enough, the near margin becomes page - 2000 and
// the far one 0.
void ClampMargins(PrintSettings& print, const PageMetrics& metrics);

// "Letter - 8.50\" x 11.00\"", "Legal - ...", "A4 - ..." in either
// orientation; empty for other sizes.
std::string PaperText(int pageW, int pageH);
// "0.50\" margin".
std::string MarginCaption(std::int32_t thousandths);

// Print font height fh = round(dpiY * 0.01389 * size) and line height
// lh = round(1.2 * fh), halves to even.
int PrintFontHeight(int dpiY, int size);
int PrintLineHeight(int fontHeight);

// The printable rectangle in device pixels (half-open right and bottom).
Rect PrintableRect(const PrintSettings& print, const PageMetrics& metrics);

}  // namespace kal
