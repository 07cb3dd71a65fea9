// `kalendrina print calendar|events OUT.pdf`: the printed pages as a PDF
// file, drawn by the desktop module as the print dialog's "Save as PDF"
// draws them.
#include <ostream>

#include "app/cli_support.h"
#include "app/desktop_module.h"
#include "calendar/event_list.h"
#include "platform/clock.h"
#include "store/event_record.h"

namespace kal {

namespace {

constexpr const char* kPrintUsage =
    "usage: kalendrina print calendar|events OUT.pdf [--from YYYY-MM-DD] [--today YYYY-MM-DD]\n"
    "                        [--marked] [--paper letter|a4] [--data DIR]\n"
    "Writes the printed pages as a PDF file: the calendar's six weeks from the week of\n"
    "--from (default: today), or the event list from --from on, one record a line\n"
    "(with --marked only the records marked on the events screen). The font, size\n"
    "and margins are those last chosen in the print dialog.\n";

}  // namespace

int PrintCommand(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--from", "--today", "--paper", "--data"}, {"--marked", "--help"});
  if (options.Has("--help")) {
    out << kPrintUsage;
    return 0;
  }
  if (options.positional().size() != 2) throw UsageError{"print needs calendar or events and one output file"};
  const std::string what = options.positional()[0];
  if (what != "calendar" && what != "events") {
    throw UsageError{"print prints the calendar or the events, not '" + what + "'"};
  }
  const std::string paper = options.Get("--paper").value_or("letter");
  if (paper != "letter" && paper != "a4") throw UsageError{"--paper must be letter or a4, not '" + paper + "'"};

  Ymd today;
  if (auto v = options.Get("--today")) {
    today = ParseDateOption(*v, "--today");
  } else {
    AppDates dates;
    SetTodayFromClock(dates, SystemClock());
    today = dates.today;
  }
  const Ymd from = options.Get("--from") ? ParseDateOption(*options.Get("--from"), "--from") : today;

  const std::string folder = DataFolderFor(options, false);
  FolderData data;
  LoadFolderData(folder, data);

  PrintRequest request;
  request.calendar = what == "calendar";
  request.store = &data.store;
  request.categories = &data.categories;
  request.units = data.Units();
  request.a4 = paper == "a4";
  request.today = today;
  request.outputPath = options.positional()[1];
  request.settings = &data.settings;
  if (request.calendar) {
    AppDates dates;
    dates.display = from;
    BackToSunday(dates);
    request.firstSunday = PackDate(dates.display);
  } else {
    EventList list;
    BuildEventList(list, data.store, request.units);
    const PackedDate first = PackDate(from);
    const bool onlyMarked = options.Has("--marked");
    for (const std::uint32_t offset : list.offsets) {
      if (Long(data.store.store, std::size_t{offset} + rec::kDate) < first) continue;
      if (onlyMarked && !IsMarked(data.store, offset)) continue;
      // The printout takes the marked records; this copy of the store is never saved.
      SetMarked(data.store, offset, true);
      request.offsets.push_back(offset);
    }
    if (request.offsets.empty()) throw DataError{onlyMarked ? "no marked records to print" : "no records to print"};
  }
  return WritePrint(request);
}

}  // namespace kal
