// kalendrina import event10|corvit10 FILE: the options screen's two imports
// without the window. The readers live in the desktop part, which runs this
// command.
#include <filesystem>
#include <ostream>

#include "app/cli.h"
#include "app/cli_support.h"
#include "app/desktop_module.h"

namespace kal {

namespace {

constexpr const char* kImportUsage =
    "usage: kalendrina import event10|corvit10 FILE [--data DIR]\n"
    "Reads the previous version's event file (event10) or a Corvitalis health diary\n"
    "(corvit10), adds its events and health records to the data and saves; after a\n"
    "health diary the menstrual cycles are predicted anew. The file is only read, and\n"
    "may have any name. Unreadable stretches of a damaged file are skipped and counted.\n";

}  // namespace

int ImportCommand(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--data"}, {"--help"});
  if (options.Has("--help")) {
    out << kImportUsage;
    return kExitOk;
  }
  const std::vector<std::string>& plain = options.positional();
  if (plain.size() != 2 || (plain[0] != "event10" && plain[0] != "corvit10")) {
    throw UsageError{"import needs event10 or corvit10 and a file (see 'kalendrina import --help')"};
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(plain[1], ec)) throw DataError{"cannot read " + plain[1] + ": not a file"};
  return WithLockedEvents(options, "the import command", [&](EventStore& events, const UnitModes& units, Host& host) {
    ImportRequest request;
    request.format = plain[0] == "event10" ? 0 : 1;
    request.source = plain[1];
    request.events = &events;
    request.units = units;
    request.host = &host;
    if (RunImport(request) != kExitOk) throw DataError{request.error.empty() ? "the import failed" : request.error};
    out << request.imported << " records imported, " << request.skipped << " skipped";
    if (request.damagedBytes != 0) out << ", " << request.damagedBytes << " damaged bytes skipped";
    out << '\n';
    return kExitOk;
  });
}

}  // namespace kal
