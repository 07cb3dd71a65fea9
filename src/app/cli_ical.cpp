#include "app/cli_ical.h"

#include <filesystem>
#include <ostream>

#include "app/cli.h"
#include "app/cli_support.h"
#include "app/desktop_module.h"
#include "platform/file_system.h"

namespace kal {

const char* const kIcalUsageLines =
    "       kalendrina export-ics FILE|- [--from D] [--to D] [--category N] [--data DIR]\n"
    "                                                    write the events as an iCalendar file\n"
    "       kalendrina import-ics FILE [--data DIR]      add the events of an iCalendar file\n";

namespace {

constexpr const char* kExportUsage =
    "usage: kalendrina export-ics FILE|- [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--category N] [--data DIR]\n"
    "Writes the events (not the health readings) as an iCalendar file: one VEVENT per\n"
    "series, with an RRULE where the series' repeat rule has one, else its dates as\n"
    "RDATEs. Times are local (floating); all-day events are dates. '-' writes to\n"
    "standard output.\n";

constexpr const char* kImportUsage =
    "usage: kalendrina import-ics FILE [--data DIR]\n"
    "Adds the events of an iCalendar file and saves: each event or series becomes a\n"
    "group of its own of at most 150 entries, in local time. Prints what was imported\n"
    "and how many unsupported parts were skipped.\n";

constexpr const char* kImportLockHolder = "the import-ics command";

}  // namespace

int ExportIcsCommand(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--from", "--to", "--category", "--data"}, {"--help"});
  if (options.Has("--help")) {
    out << kExportUsage;
    return kExitOk;
  }
  if (options.positional().size() != 1) throw UsageError{"export-ics needs one output file"};
  IcsExportRequest request;
  if (auto v = options.Get("--from")) request.filter.from = PackDate(ParseDateOption(*v, "--from"));
  if (auto v = options.Get("--to")) request.filter.to = PackDate(ParseDateOption(*v, "--to"));
  if (auto v = options.Get("--category")) request.filter.category = ParseInt(*v, 0, kCategoryCount - 1, "--category");
  const std::string folder = DataFolderFor(options, false);
  FolderData data;
  LoadFolderData(folder, data);
  request.store = &data.store;
  request.categories = &data.categories;
  request.path = options.positional()[0];
  const int status = ExportIcs(request);
  if (status != kExitOk && !request.message.empty()) throw DataError{request.message};
  return status;
}

int ImportIcsCommand(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--data"}, {"--help"});
  if (options.Has("--help")) {
    out << kImportUsage;
    return kExitOk;
  }
  if (options.positional().size() != 1) throw UsageError{"import-ics needs one iCalendar file"};
  const std::string source = options.positional()[0];
  std::error_code ec;
  if (!std::filesystem::is_regular_file(source, ec) || !FileReadable(source)) {
    throw DataError{"cannot read the iCalendar file " + source};
  }
  const std::string folder = DataFolderFor(options, true);
  SingleInstance guard(folder, kImportLockHolder);
  LockForWriting(guard);
  FolderData data;
  LoadFolderData(folder, data);
  IcsImportRequest request;
  request.store = &data.store;
  request.categories = &data.categories;
  request.units = data.Units();
  request.path = source;
  const int status = ImportIcs(request);
  if (status != kExitOk) throw DataError{OneLine(request.message.empty() ? "the import failed" : request.message)};
  out << OneLine(request.message) << '\n';
  return kExitOk;
}

}  // namespace kal
