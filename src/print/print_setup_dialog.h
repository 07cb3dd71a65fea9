// The print setup dialog of the two print jobs ("Print Calendar", "Print
// Events"): printer, font, size and four margins chosen from drawn lists, a
// scaled picture of the sheet with its printable area and paper name, and
// "OK" / "Cancel".
//
// The dialog works on the job's PrintSettings inside the program's Settings:
// "OK" saves the settings file, "Cancel" reads it back, so the record in
// memory is always what the file says once the dialog has ended. The printer
// list ends with "Save as PDF..." which asks for a file name. It runs as a
// modal loop on the UI thread and puts the screen back when it ends.
#pragma once

#include <string>

#include "platform/printers.h"
#include "print/print_settings.h"
#include "store/host.h"
#include "ui/ui_context.h"

namespace kal {

// Where the dialog keeps its results besides the settings.
struct PrintSetupOutcome {
  int result = 2;       // 1 print, 2 cancelled (also when the window closed)
  std::string pdfPath;  // with "Save as PDF...": the file to write
};

struct PrintSetupEnv {
  PrinterSystem& printers;
  Settings& settings;
  std::string settingsPath;
  Host& host;  // reports a failed save
  bool readOnly = false;  // the settings file could not be read: never write over it
};

PrintSetupOutcome PrintSetupDialog(UiContext& ui, PrintSetupEnv& env, PrintJobKind kind);

// The pieces of the dialog that work without a window.

// The printer chosen from the list: a printer other than the remembered one
// starts from the job's defaults and its own default options; the same one
// keeps everything.
void ChoosePrinter(PrintSettings& print, PrintJobKind kind, const std::string& chosen, PrinterSystem& printers);
// Reads the printer's page into `metrics` and clamps the margins to it.
// False, with nothing changed, when the printer cannot be asked.
bool ApplyPageSetup(PrintSettings& print, PrinterSystem& printers, PageMetrics& metrics, std::string& error);
// The page of a printer or of the PDF pseudo printer.
bool QueryPrinterPage(const PrintSettings& print, PrinterSystem& printers, PrinterPage& page, std::string& error);

// The scaled sheet inside the preview well of a dialog at (left, top):
// thousandths of an inch per preview pixel, rounded, and the sheet's box.
struct SheetPreview {
  int scale = 1;
  Rect sheet;
};
SheetPreview PreviewSheet(int dialogLeft, int dialogTop, int dialogWidth, int lineHeight, const PageMetrics& metrics);

}  // namespace kal
