// kalendrina import event10|corvit10 FILE: the options screen's two imports
// without the window. The readers live in the desktop module.
#include <filesystem>
#include <ostream>

#include "app/cli.h"
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

int ImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> plain;
  std::string data;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--help") {
      out << kImportUsage;
      return kExitOk;
    }
    if (args[i] == "--data") {
      if (i + 1 >= args.size() || args[i + 1].empty() || !data.empty()) {
        err << "kalendrina: option --data needs one value\n";
        return kExitUsage;
      }
      data = args[++i];
    } else if (args[i].rfind("--", 0) == 0) {
      err << "kalendrina: unknown option " << args[i] << '\n';
      return kExitUsage;
    } else {
      plain.push_back(args[i]);
    }
  }
  if (plain.size() != 2 || (plain[0] != "event10" && plain[0] != "corvit10")) {
    err << "kalendrina: import needs event10 or corvit10 and a file (see 'kalendrina import --help')\n";
    return kExitUsage;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(plain[1], ec)) {
    err << "kalendrina: cannot read " << plain[1] << ": not a file\n";
    return kExitData;
  }
  return WithLockedEvents(data, "the import command", [&](EventStore& events, const UnitModes& units, Host& host) {
    ImportRequest request;
    request.format = plain[0] == "event10" ? 0 : 1;
    request.source = plain[1];
    request.events = &events;
    request.units = units;
    request.host = &host;
    const int status = RunImport(request);
    if (status != kExitOk) {
      if (!request.error.empty()) err << "kalendrina: " << request.error << '\n';
      return kExitData;
    }
    out << request.imported << " records imported, " << request.skipped << " skipped";
    if (request.damagedBytes != 0) out << ", " << request.damagedBytes << " damaged bytes skipped";
    out << '\n';
    return kExitOk;
  });
}

}  // namespace kal
