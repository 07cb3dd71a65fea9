// The printers of the system, their pages and jobs (CUPS on Linux), and the
// font families a page can be printed in (fontconfig).
//
// A printer is named as CUPS names it ("name" or "name/instance"). What the
// program stores for a printer besides its name is the printer's own options
// as CUPS option text ("media=iso_a4_210x297mm"), opaque to everything
// above: it takes the place of the driver's device settings. Every call
// opens and closes its own connection; the interface is used from the
// user-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kal {

// The sheet a printer prints on, in its own device pixels.
struct PrinterPage {
  int dpiX = 600;
  int dpiY = 600;
  int physicalWidth = 0;   // whole sheet
  int physicalHeight = 0;
  int offsetX = 0;  // where the printable area starts on the sheet
  int offsetY = 0;
};

class PrinterSystem {
 public:
  virtual ~PrinterSystem() = default;
  // Every printer, sorted by name; empty with `error` set when the print
  // service could not be asked, empty without error when it has none.
  virtual std::vector<std::string> Printers(std::string& error) = 0;
  // The default printer, empty when there is none.
  virtual std::string DefaultPrinter() = 0;
  // The options a newly chosen printer starts with (its default paper).
  virtual std::string DefaultOptions(const std::string& printer) = 0;
  // The page the printer prints with these options; false with the reason
  // when the printer cannot be reached or does not exist.
  virtual bool QueryPage(const std::string& printer, const std::string& options, PrinterPage& page,
                         std::string& error) = 0;
  // Queues the PDF file as one job; false with the printer's reason when it
  // was refused.
  virtual bool Submit(const std::string& printer, const std::string& options, const std::string& pdfPath,
                      const std::string& title, std::string& error) = 0;
  // Installed font families, sorted, each once.
  virtual std::vector<std::string> FontFamilies() = 0;
};

// The system's printers through CUPS (CUPS_SERVER and client.conf choose the
// server, as for every CUPS program).
std::unique_ptr<PrinterSystem> MakeCupsPrinters();

// A page of paper in printer pixels: the whole sheet printable, no offsets.
PrinterPage PaperPage(int widthThousandths, int heightThousandths, int dpi);

}  // namespace kal
