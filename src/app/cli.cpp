#include "app/cli.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <tuple>
#include <filesystem>
#include <optional>
#include <ostream>

#include "calendar/dates.h"
#include "calendar/repeat.h"
#include "platform/encoding.h"
#include "platform/file_system.h"
#include "platform/single_instance.h"
#include "app/desktop_module.h"
#include <fstream>
#include <random>
#include <sstream>
#include "calendar/event_display_text.h"
#include "calendar/event_list.h"
#include "calendar/search.h"
#include "store/event_store.h"
#include "store/settings.h"

namespace kal {

namespace {

constexpr int MinClientWidthForCommands = 775;
constexpr int MinClientHeightForCommands = 575;

constexpr const char* kUsage =
    "usage: kalendrina [/silent] [--data DIR]            start the desktop program\n"
    "       kalendrina list [options] [--data DIR]       print records of the event list\n"
    "       kalendrina add YYYY-MM-DD TEXT [options] [--data DIR]\n"
    "                                                    add an event and save\n"
    "       kalendrina screenshot OUT.png [options] [--data DIR]\n"
    "                                                    render a screen to a PNG\n"
    "       kalendrina run-script FILE [--data DIR]      run the program on an input script\n"
    "Run 'kalendrina COMMAND --help' for the options of a command.\n";

constexpr const char* kScreenshotUsage =
    "usage: kalendrina screenshot OUT.png [--screen calendar|events|options] [--size WxH]\n"
    "                             [--today YYYY-MM-DD] [--script FILE] [--data DIR]\n"
    "Runs the program without a window, optionally after an input script, and writes\n"
    "the screen as a PNG picture. The default size is 1024x768.\n";

constexpr const char* kRunScriptUsage =
    "usage: kalendrina run-script FILE [--data DIR]\n"
    "Runs the program without a window, driven by the input script FILE: one command\n"
    "per line (size, today, click, dclick, press, move, release, key, type, wheel, wait,\n"
    "screenshot, quit). The program is closed when the script ends.\n";

constexpr const char* kListUsage =
    "usage: kalendrina list [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--search QUERY]\n"
    "                       [--category N] [--kind K] [--marked] [--data DIR]\n"
    "Prints one record per line in file order: date, kind, category, record id,\n"
    "group id and the event-list text, separated by tabs.\n"
    "  --search  words must occur; -word must not; /a /b at least one; \"a phrase\"\n"
    "  --kind    2 events, 3 weight, 4 cycles, 5 blood pressure, 6 cholesterol, 7 glucose\n"
    "  --marked  only records marked in the event list\n";

constexpr const char* kAddUsage =
    "usage: kalendrina add YYYY-MM-DD TEXT [--start H:MM[am|pm]] [--end H:MM[am|pm]]\n"
    "                      [--repeat CODE] [--category N] [--holiday] [--data DIR]\n"
    "Adds an event as the event editor's Save does and saves the event file.\n"
    "  --repeat  0 one time (default), 1-4 every 1-4 weeks, 5 every month, 11 every year,\n"
    "            15 every year with the age, 16-27 by weekday; 150 occurrences are written\n"
    "  --category  0-11 (default 0)\n";

struct UsageError {
  std::string message;
};
struct DataError {
  std::string message;
};

// Collects "--name value" options and plain arguments.
class Options {
 public:
  Options(const std::vector<std::string>& args, std::size_t first, const std::vector<std::string>& valued,
          const std::vector<std::string>& flags) {
    for (std::size_t i = first; i < args.size(); ++i) {
      const std::string& a = args[i];
      if (a.rfind("--", 0) == 0 && a.size() > 2) {
        const bool takesValue = std::find(valued.begin(), valued.end(), a) != valued.end();
        const bool isFlag = std::find(flags.begin(), flags.end(), a) != flags.end();
        if (!takesValue && !isFlag) throw UsageError{"unknown option " + a};
        if (isFlag) {
          values_[a] = "";
          continue;
        }
        if (i + 1 >= args.size()) throw UsageError{"option " + a + " needs a value"};
        values_[a] = args[++i];
      } else {
        positional_.push_back(a);
      }
    }
  }
  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  std::optional<std::string> Get(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }
  const std::vector<std::string>& positional() const { return positional_; }

 private:
  std::map<std::string, std::string> values_;
  std::vector<std::string> positional_;
};

int ParseInt(const std::string& text, int low, int high, const std::string& what) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    throw UsageError{what + " must be a number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not '" + text + "'"};
  }
  return value;
}

Ymd ParseDateOption(const std::string& text, const std::string& what) {
  Ymd d;
  if (!ParseIsoDate(text, d)) throw UsageError{what + " must be a date as YYYY-MM-DD, not '" + text + "'"};
  return d;
}

// "9:30", "9:30am", "9:30 pm", "14:05", "12am". Returns hour 0-23 and minute.
std::pair<int, int> ParseClock(const std::string& text, const std::string& what) {
  std::string t;
  for (char c : text) {
    if (c != ' ') t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  int suffix = 0;  // 1 am, 2 pm
  if (t.size() > 2 && (t.ends_with("am") || t.ends_with("pm"))) {
    suffix = t.ends_with("am") ? 1 : 2;
    t.resize(t.size() - 2);
  }
  const auto colon = t.find(':');
  const std::string hourText = colon == std::string::npos ? t : t.substr(0, colon);
  const std::string minuteText = colon == std::string::npos ? "0" : t.substr(colon + 1);
  auto bad = [&] { return UsageError{what + " must be a time as H:MM, H:MMam or H:MMpm, not '" + text + "'"}; };
  if (hourText.empty() || hourText.size() > 2 || minuteText.empty() || minuteText.size() > 2) throw bad();
  int hour = 0, minute = 0;
  for (char c : hourText) {
    if (!std::isdigit(static_cast<unsigned char>(c))) throw bad();
    hour = hour * 10 + (c - '0');
  }
  for (char c : minuteText) {
    if (!std::isdigit(static_cast<unsigned char>(c))) throw bad();
    minute = minute * 10 + (c - '0');
  }
  if (minute > 59) throw bad();
  if (suffix != 0) {
    if (hour < 1 || hour > 12) throw bad();
    if (suffix == 1 && hour == 12) hour = 0;
    if (suffix == 2 && hour != 12) hour += 12;
  } else if (hour > 23) {
    throw bad();
  }
  return {hour, minute};
}

// Resolves the data folder and checks that it can be used. A folder named with
// --data must exist; the default folder is created on first write.
std::string DataFolderFor(const Options& options, bool forWriting) {
  const std::string override = options.Get("--data").value_or("");
  const std::string folder = ResolveDataFolder(override);
  std::error_code ec;
  const bool exists = std::filesystem::is_directory(folder, ec);
  if (!exists) {
    if (!override.empty() && std::filesystem::exists(folder, ec)) {
      throw DataError{"cannot use data folder " + folder + ": not a folder"};
    }
    if (!override.empty() && !forWriting) throw DataError{"cannot read data folder " + folder + ": no such folder"};
    if (forWriting && !MakePath(folder)) throw DataError{"cannot create data folder " + folder};
    return folder;
  }
  if (!FolderReadable(folder)) throw DataError{"cannot read data folder " + folder + ": permission denied"};
  if (forWriting && !FolderWritable(folder)) throw DataError{"cannot write data folder " + folder + ": permission denied"};
  return folder;
}

UnitModes UnitsFrom(const std::string& folder) {
  Settings settings;
  const std::string config = folder + "config20.dat";
  std::error_code ec;
  if (std::filesystem::exists(config, ec)) LoadSettings(settings, config);
  return UnitModes{settings.weightMode, settings.measureMode};
}

void LoadStore(EventStore& store, const std::string& folder) {
  store.eventFile = folder + "Event20.dat";
  std::error_code ec;
  if (std::filesystem::exists(store.eventFile, ec) && !FileReadable(store.eventFile)) {
    throw DataError{"cannot read " + store.eventFile + ": permission denied"};
  }
  LoadEvents(store);
}

int List(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--from", "--to", "--search", "--category", "--kind", "--data"},
                        {"--help", "--marked"});
  if (options.Has("--help")) {
    out << kListUsage;
    return kExitOk;
  }
  if (!options.positional().empty()) throw UsageError{"unexpected argument '" + options.positional()[0] + "'"};
  std::optional<PackedDate> from, to;
  if (auto v = options.Get("--from")) from = PackDate(ParseDateOption(*v, "--from"));
  if (auto v = options.Get("--to")) to = PackDate(ParseDateOption(*v, "--to"));
  std::optional<int> category, kind;
  if (auto v = options.Get("--category")) category = ParseInt(*v, 0, 255, "--category");
  if (auto v = options.Get("--kind")) kind = ParseInt(*v, 2, 7, "--kind");
  std::optional<SearchTerms> terms;
  if (auto v = options.Get("--search")) terms = ParseQuery(Utf8ToCp1252(*v));

  const std::string folder = DataFolderFor(options, false);
  const UnitModes units = UnitsFrom(folder);
  EventStore store;
  LoadStore(store, folder);

  // A sorted index (as every save leaves it) holds the range in one stretch.
  const std::uint32_t first = from && store.indexSorted ? FirstIndexFrom(store, *from) : 0;
  for (std::uint32_t i = first; i < store.indexCount; ++i) {
    if (to && store.indexSorted && IndexDate(store, i) > *to) break;
    const std::uint32_t off = IndexOffset(store, i);
    const std::uint32_t k = RecordKindAt(store, off);
    if (k == kKindDeleted) continue;
    const PackedDate date = IndexDate(store, i);
    if ((from && date < *from) || (to && date > *to)) continue;
    const std::uint32_t cat = Byte(store.store, off + rec::kCategory);
    if (category && static_cast<int>(cat) != *category) continue;
    if (kind && static_cast<int>(k) != *kind) continue;
    if (options.Has("--marked") && !IsMarked(store, off)) continue;
    if (terms && !RecordMatches(store, off, *terms, units)) continue;
    const DisplayText text = EventDisplayText(store, off, 170, units);
    std::string line = Cp1252ToUtf8(text.text);
    for (char& c : line) {
      if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    }
    out << IsoDateText(date) << '\t' << k << '\t' << cat << '\t' << Long(store.store, off + rec::kRecordId) << '\t'
        << Long(store.store, off + rec::kGroupId) << '\t' << line << '\n';
  }
  out.flush();
  if (!out) throw DataError{"cannot write the list"};
  return kExitOk;
}

int Add(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const Options options(args, 1, {"--start", "--end", "--repeat", "--category", "--data"}, {"--holiday", "--help"});
  if (options.Has("--help")) {
    out << kAddUsage;
    return kExitOk;
  }
  if (options.positional().size() != 2) throw UsageError{"add needs a date and a text (see 'kalendrina add --help')"};
  const Ymd date = ParseDateOption(options.positional()[0], "the date");
  std::string text = Utf8ToCp1252(options.positional()[1]);
  for (char& c : text) {
    if (c == '\n') c = '\r';
  }
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) throw UsageError{"an event cannot be saved without a description"};
  if (text.size() > kWorkRecordSize - rec::kGenericFixed) throw UsageError{"the description is too long"};

  int startHour = 99, startMinute = 0, endHour = 99, endMinute = 0;
  if (auto v = options.Get("--start")) std::tie(startHour, startMinute) = ParseClock(*v, "--start");
  if (auto v = options.Get("--end")) {
    if (!options.Has("--start")) throw UsageError{"--end needs --start: an all-day event has no end time"};
    std::tie(endHour, endMinute) = ParseClock(*v, "--end");
    if (endHour * 100 + endMinute < startHour * 100 + startMinute) {
      throw UsageError{"the start time is later than the end time"};
    }
  }
  const int repeat = options.Get("--repeat") ? ParseInt(*options.Get("--repeat"), 0, 27, "--repeat") : 0;
  const int category = options.Get("--category") ? ParseInt(*options.Get("--category"), 0, 11, "--category") : 0;

  const std::string folder = DataFolderFor(options, true);
  // A running copy holds the whole file in memory and would write its own
  // version over ours at its next save.
  SingleInstance guard(folder);
  if (!guard.Acquire() && guard.HeldByOtherCopy()) {
    throw DataError{"Kalendrina is running on this data: add the event in its window, or close it first"};
  }
  const UnitModes units = UnitsFrom(folder);
  EventStore store;
  LoadStore(store, folder);

  PrepareWorkRecord(store, kKindGeneric, static_cast<std::uint8_t>(category), PackDate(date));
  if (store.workRecord.empty()) throw DataError{"out of memory"};
  const auto length = static_cast<std::uint32_t>(rec::kGenericFixed + text.size());
  SetLong(store.workRecord, rec::kLength, static_cast<std::int32_t>(length));
  SetByte(store.workRecord, rec::kHoliday, options.Has("--holiday") ? 1 : 0);
  SetLong(store.workRecord, rec::kRecordId, NextRecordId(store));
  SetLong(store.workRecord, rec::kGroupId, NextGroupId(store));
  SetByte(store.workRecord, rec::kRepeatMode, repeat);
  SetByte(store.workRecord, rec::kStartHour, startHour);
  SetByte(store.workRecord, rec::kStartMinute, startMinute);
  SetByte(store.workRecord, rec::kEndHour, endHour);
  SetByte(store.workRecord, rec::kEndMinute, endMinute);
  PutBytes(store.workRecord, rec::kGenericText, text);
  SetWord(store.workRecord, length - 2, kEndMarker);

  class ErrorHost : public Host {
   public:
    void ReportError(const std::string& message) override { error = message; }
    std::string error;
  } host;
  if (!NewEventGroup(store, units, host)) {
    std::string message = host.error.empty() ? "could not save events" : host.error;
    for (char& c : message) {
      if (c == '|') c = ' ';
    }
    throw DataError{message};
  }
  (void)err;
  return kExitOk;
}

int RunScriptCommand(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--data"}, {"--help"});
  if (options.Has("--help")) {
    out << kRunScriptUsage;
    return kExitOk;
  }
  if (options.positional().size() != 1) throw UsageError{"run-script needs one script file"};
  const std::string script = options.positional()[0];
  std::error_code ec;
  if (!std::filesystem::is_regular_file(script, ec) || !FileReadable(script)) {
    throw UsageError{"cannot read the script " + script};
  }
  return StartScript(script, options.Get("--data").value_or(""));
}

int Screenshot(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--screen", "--size", "--today", "--script", "--data"}, {"--help"});
  if (options.Has("--help")) {
    out << kScreenshotUsage;
    return kExitOk;
  }
  if (options.positional().size() != 1) throw UsageError{"screenshot needs one output file"};
  const std::string target = options.positional()[0];
  if (target.find_first_of("\r\n") != std::string::npos) throw UsageError{"the output file name is not usable"};
  int width = 1024, height = 768;
  if (auto v = options.Get("--size")) {
    const auto x = v->find('x');
    if (x == std::string::npos) throw UsageError{"--size must be WIDTHxHEIGHT, not '" + *v + "'"};
    width = ParseInt(v->substr(0, x), MinClientWidthForCommands, 10000, "the width");
    height = ParseInt(v->substr(x + 1), MinClientHeightForCommands, 10000, "the height");
  }
  std::ostringstream script;
  script << "size " << width << ' ' << height << '\n';
  if (auto v = options.Get("--today")) {
    const Ymd d = ParseDateOption(*v, "--today");
    script << "today " << IsoDateText(PackDate(d)) << '\n';
  }
  if (auto v = options.Get("--script")) {
    std::ifstream in(*v);
    if (!in) throw UsageError{"cannot read the script " + *v};
    script << in.rdbuf() << '\n';
  }
  const std::string screen = options.Get("--screen").value_or("calendar");
  if (screen == "events") {
    script << "type e\n";
  } else if (screen == "options") {
    script << "type o\n";
  } else if (screen != "calendar") {
    throw UsageError{"--screen must be calendar, events or options, not '" + screen + "'"};
  }
  script << "screenshot " << target << "\nquit\n";

  const auto path = std::filesystem::temp_directory_path() /
                    ("kalendrina-screenshot-" + std::to_string(std::random_device{}()) + ".txt");
  {
    std::ofstream file(path);
    file << script.str();
    if (!file) throw DataError{"cannot write a temporary script in " + path.parent_path().string()};
  }
  const int status = StartScript(path.string(), options.Get("--data").value_or(""));
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (status == kExitOk && !std::filesystem::exists(target, ec)) throw DataError{"cannot write " + target};
  return status;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool& handled) {
  handled = true;
  try {
    if (args.empty()) {
      handled = false;
      return kExitOk;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
      out << kUsage;
      return kExitOk;
    }
    if (command == "list") return List(args, out);
    if (command == "add") return Add(args, out, err);
    if (command == "screenshot") return Screenshot(args, out);
    if (command == "run-script") return RunScriptCommand(args, out);
    if (command == "--data" || command.rfind('/', 0) == 0) {
      handled = false;  // the desktop program's own options
      return kExitOk;
    }
    throw UsageError{"unknown command '" + command + "' (see 'kalendrina --help')"};
  } catch (const UsageError& e) {
    err << "kalendrina: " << e.message << '\n';
    return kExitUsage;
  } catch (const DataError& e) {
    err << "kalendrina: " << e.message << '\n';
    return kExitData;
  }
}

}  // namespace kal
