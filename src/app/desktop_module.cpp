// The desktop executable's entry points (see desktop_module.h).
#include "app/desktop_module.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/startup.h"
#include "net/update.h"
#include "app/wallpaper_hooks.h"
#include "import/ical_export.h"
#include "import/ical_import.h"
#include "import/imports.h"
#include "platform/file_system.h"
#include "platform/freetype_text.h"
#include "platform/images.h"
#include "print/print_job.h"
#include "screens/trend_chart.h"
#include "ui/gfx.h"

namespace {

// Nothing may unwind across the C boundary.
template <typename Run>
int Guarded(Run run) {
  try {
    return run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kalendrina: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "kalendrina: unexpected failure\n");
  }
  return 2;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int kalendrina_run_desktop(const char* dataFolder,
                                                                              const char* commandLine) {
  const int status = Guarded([&] { return kal::RunDesktop(dataFolder, commandLine); });
  // An update check the exit stopped waiting for may still be inside the
  // network library, which the static destructors would tear down under it.
  // Everything of the program is saved and closed by now.
  if (kal::UpdateCheckStillRunning()) {
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}

extern "C" __attribute__((visibility("default"))) int kalendrina_run_script(const char* scriptPath,
                                                                             const char* dataFolder) {
  return Guarded([&] { return kal::RunScript(scriptPath, dataFolder); });
}


extern "C" __attribute__((visibility("default"))) int kalendrina_write_chart(const kal::ChartRequest* request) {
  return Guarded([&] {
    kal::FreeTypeTextRenderer text;
    kal::Surface surface(request->width, request->height, 0);
    kal::Gfx gfx;
    gfx.surface = &surface;
    gfx.text = &text;
    gfx.clientWidth = request->width;
    gfx.clientHeight = request->height;
    gfx.SetupFonts("Microsoft Sans Serif", 20);
    kal::DrawTrendChart(gfx, surface.Bounds(), *request->series, request->units,
                        kal::TrendTitle(request->kind, request->categoryName));
    if (kal::WritePng(surface, request->outputPath)) return 0;
    std::fprintf(stderr, "kalendrina: cannot write %s\n", request->outputPath.c_str());
    return 2;
  });
}

extern "C" __attribute__((visibility("default"))) int kalendrina_write_wallpaper(const kal::WallpaperRequest* request) {
  return Guarded([&] { return kal::WriteWallpaperPicture(*request); });
}

extern "C" __attribute__((visibility("default"))) int kalendrina_write_print(const kal::PrintRequest* request) {
  return Guarded([&] {
    using kal::PrintJobKind;
    const PrintJobKind kind = request->calendar ? PrintJobKind::kCalendar : PrintJobKind::kEvents;
    kal::PrintSettings print = kal::LoadPrintSettings(*request->settings, kind);
    if (print.font.empty() || print.size <= 0) kal::ApplyPrintDefaults(print, kind);
    const kal::PrinterPage page =
        request->a4 ? kal::PaperPage(8268, 11693, kal::kPdfDpi) : kal::PaperPage(8500, 11000, kal::kPdfDpi);
    kal::ClampMargins(print, kal::PageMetricsFrom(page));
    const kal::PrintSource source{request->store, request->categories, request->units};
    kal::FreeTypeTextRenderer text;
    std::string error;
    const bool written =
        request->calendar
            ? kal::WriteCalendarPdf(request->outputPath, page, print, source, request->firstSunday, request->today,
                                    text, error)
            : kal::WriteEventListPdf(request->outputPath, page, print, source, request->offsets, text, error);
    if (written) return 0;
    std::fprintf(stderr, "kalendrina: cannot write %s: %s\n", request->outputPath.c_str(), error.c_str());
    return 2;
  });
}

extern "C" __attribute__((visibility("default"))) int kalendrina_import_ics(kal::IcsImportRequest* request) {
  return Guarded([&] {
    const kal::IcsImportResult result =
        kal::ImportIcsFile(*request->store, *request->categories, request->units, request->path, kal::SilentHost());
    request->message = kal::IcsImportMessage(result, request->path);
    return result.readable && result.error.empty() ? 0 : 2;
  });
}

extern "C" __attribute__((visibility("default"))) int kalendrina_export_ics(kal::IcsExportRequest* request) {
  return Guarded([&] {
    const kal::IcsExport ics =
        kal::ExportIcs(*request->store, *request->categories, request->filter, kal::IcsStampNow());
    if (request->path == "-") {
      const bool written = std::fwrite(ics.text.data(), 1, ics.text.size(), stdout) == ics.text.size();
      if (std::fflush(stdout) == 0 && written) return 0;
      request->message = "cannot write to standard output";
      return 2;
    }
    // Written whole beside the target and renamed over it, so a failed export
    // never leaves half a file where the last good one was.
    kal::AtomicFileWriter writer(request->path);
    writer.Write(ics.text.data(), ics.text.size());
    if (!writer.Commit()) {
      request->message = "cannot write " + request->path + ": " + writer.error();
      return 2;
    }
    request->message = "wrote " + std::to_string(ics.events) + " events (" + std::to_string(ics.records) +
                       " entries) to " + request->path;
    return 0;
  });
}

extern "C" __attribute__((visibility("default"))) int kalendrina_import(kal::ImportRequest* request) {
  return Guarded([&] {
    const auto format = request->format == 0 ? kal::ImportFormat::kPreviousVersion : kal::ImportFormat::kHealthDiary;
    const kal::ImportOutcome outcome =
        kal::ImportFile(format, request->source, *request->events, request->units, *request->host);
    request->imported = outcome.result.imported;
    request->skipped = outcome.result.skipped;
    request->damagedBytes = outcome.result.damage.bytes;
    request->error = outcome.error;
    if (outcome.result.damage.stretches != 0) outcome.result.damage.LogSummary(request->source);
    return outcome.error.empty() ? 0 : 2;
  });
}
