// The two print jobs from the screens' "Print": the setup dialog, then the
// pages written as PDF and either queued on the chosen printer or kept as
// the file the user named; and the same pages written straight to a file for
// the command line.
//
// Every failure after the dialog (the printer cannot be reached, the job is
// refused, the file cannot be written whole) is shown to the user with its
// reason; nothing is reported as printed that was not. The temporary PDF of a
// printer job lives in the temporary folder only until CUPS has taken it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "print/print_pages.h"
#include "print/print_setup_dialog.h"

namespace kal {

// Writes the calendar page, or the list pages, to a PDF file on `page`'s
// sheet. False with the reason when the file could not be written.
bool WriteCalendarPdf(const std::string& path, const PrinterPage& page, const PrintSettings& print,
                      const PrintSource& source, PackedDate firstSunday, const Ymd& today, TextRenderer& measurer,
                      std::string& error);
bool WriteEventListPdf(const std::string& path, const PrinterPage& page, const PrintSettings& print,
                       const PrintSource& source, const std::vector<std::uint32_t>& offsets, TextRenderer& measurer,
                       std::string& error, int* pagesOut = nullptr);

// The calendar job: six weeks from firstSunday. Returns true when the pages
// were queued or written.
bool PrintCalendarJob(UiContext& ui, PrintSetupEnv& env, const PrintSource& source, PackedDate firstSunday,
                      const Ymd& today);
// The event-list job over the marked records among `offsets`.
bool PrintEventListJob(UiContext& ui, PrintSetupEnv& env, const PrintSource& source,
                       const std::vector<std::uint32_t>& offsets);

}  // namespace kal
