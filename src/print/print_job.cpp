#include "print/print_job.h"

#include <filesystem>
#include <functional>
#include <random>

#include "platform/pdf_canvas.h"
#include "ui/message_dialog.h"

namespace kal {

namespace {

constexpr const char* kDocumentName = "Kalendrina";

using DrawPages = std::function<bool(PdfCanvas&, const PageMetrics&)>;

bool WritePdf(const std::string& path, const PrinterPage& page, TextRenderer& measurer, const DrawPages& draw,
              std::string& error) {
  PdfCanvas canvas(path, page.physicalWidth, page.physicalHeight, page.dpiX, measurer, kDocumentName);
  if (!canvas.ok()) {
    canvas.Finish(error);
    return false;
  }
  const bool drawn = draw(canvas, PageMetricsFrom(page));
  if (!canvas.Finish(error)) return false;
  if (!drawn) error = "a page could not be drawn";
  return drawn;
}

std::string TemporaryPdf() {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  if (ec) folder = "/tmp";
  return (folder / ("kalendrina-print-" + std::to_string(std::random_device{}()) + ".pdf")).string();
}

// Asks, draws and delivers; every failure is said with its reason.
bool RunJob(UiContext& ui, PrintSetupEnv& env, PrintJobKind kind, const DrawPages& draw) {
  const PrintSetupOutcome outcome = PrintSetupDialog(ui, env, kind);
  if (outcome.result != 1) return false;
  const PrintSettings print = LoadPrintSettings(env.settings, kind);
  PrinterPage page;
  std::string error;
  if (!QueryPrinterPage(print, env.printers, page, error)) {
    MessageDialog(ui, "Failed to create printer DC||" + error, "OK");
    return false;
  }
  const bool toFile = print.printer == kSaveAsPdfPrinter;
  const std::string path = toFile ? outcome.pdfPath : TemporaryPdf();
  if (!WritePdf(path, page, *ui.gfx.text, draw, error)) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    MessageDialog(ui, "The pages could not be written to|" + path + "||" + error, "OK");
    return false;
  }
  if (toFile) return true;
  const bool queued = env.printers.Submit(print.printer, print.deviceMode, path, kDocumentName, error);
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (!queued) MessageDialog(ui, "The printer " + print.printer + " did not take the job:||" + error, "OK");
  return queued;
}

}  // namespace

bool WriteCalendarPdf(const std::string& path, const PrinterPage& page, const PrintSettings& print,
                      const PrintSource& source, PackedDate firstSunday, const Ymd& today, TextRenderer& measurer,
                      std::string& error) {
  return WritePdf(
      path, page, measurer,
      [&](PdfCanvas& canvas, const PageMetrics& metrics) {
        CalendarGrid grid;
        return PrintCalendarPage(canvas, metrics, print, source, firstSunday, today, grid);
      },
      error);
}

bool WriteEventListPdf(const std::string& path, const PrinterPage& page, const PrintSettings& print,
                       const PrintSource& source, const std::vector<std::uint32_t>& offsets, TextRenderer& measurer,
                       std::string& error, int* pagesOut) {
  return WritePdf(
      path, page, measurer,
      [&](PdfCanvas& canvas, const PageMetrics& metrics) {
        const int pages = PrintEventListPages(canvas, metrics, print, source, offsets);
        if (pagesOut != nullptr) *pagesOut = pages;
        return pages > 0;
      },
      error);
}

bool PrintCalendarJob(UiContext& ui, PrintSetupEnv& env, const PrintSource& source, PackedDate firstSunday,
                      const Ymd& today) {
  return RunJob(ui, env, PrintJobKind::kCalendar, [&](PdfCanvas& canvas, const PageMetrics& metrics) {
    CalendarGrid grid;
    const PrintSettings print = LoadPrintSettings(env.settings, PrintJobKind::kCalendar);
    return PrintCalendarPage(canvas, metrics, print, source, firstSunday, today, grid);
  });
}

bool PrintEventListJob(UiContext& ui, PrintSetupEnv& env, const PrintSource& source,
                       const std::vector<std::uint32_t>& offsets) {
  return RunJob(ui, env, PrintJobKind::kEvents, [&](PdfCanvas& canvas, const PageMetrics& metrics) {
    const PrintSettings print = LoadPrintSettings(env.settings, PrintJobKind::kEvents);
    return PrintEventListPages(canvas, metrics, print, source, offsets) > 0;
  });
}

}  // namespace kal
