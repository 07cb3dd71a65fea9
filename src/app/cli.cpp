#include "app/cli.h"
#include "app/cli_ical.h"
#include "app/cli_support.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <tuple>
#include <filesystem>
#include <iostream>
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
#include "calendar/sort_key.h"
#include "health/health_csv.h"
#include "health/health_records.h"
#include "health/trends.h"
#include "calendar/health_summary_text.h"
#include "store/event_store.h"
#include "store/categories.h"
#include "store/corruption.h"
#include "store/settings.h"

namespace kal {

namespace {

constexpr const char* kAddLockHolder = "the add command";
constexpr int MinClientWidthForCommands = 775;
constexpr int MinClientHeightForCommands = 575;

constexpr const char* kUsage =
    "usage: kalendrina [/silent] [--data DIR]            start the desktop program\n"
    "       kalendrina list [options] [--data DIR]       print records of the event list\n"
    "       kalendrina add YYYY-MM-DD TEXT [options] [--data DIR]\n"
    "                                                    add an event and save\n"
    "       kalendrina add-health YYYY-MM-DD --kind K [--category N] FIELD=VALUE ... [--data DIR]\n"
    "                                                    add a health reading and save\n"
    "       kalendrina summary YYYY-MM-DD --kind 3|5|6|7 [--category N] [--data DIR]\n"
    "                                                    print the evaluation of a health reading\n"
    "       kalendrina export-csv FILE|- [options] [--data DIR]\n"
    "                                                    write the health readings as CSV\n"
    "       kalendrina chart OUT.png --kind 3|5|7 [options] [--data DIR]\n"
    "                                                    render a trend chart to a PNG\n"
    "       kalendrina import event10|corvit10 FILE [--data DIR]\n"
    "                                                    import an old event file or health diary\n"
    "       kalendrina wallpaper OUT.png [options] [--data DIR]\n"
    "                                                    render the desktop calendar to a PNG\n"
    "       kalendrina print calendar|events OUT.pdf [options] [--data DIR]\n"
    "                                                    write the printed pages as a PDF\n"
    "       kalendrina screenshot OUT.png [options] [--data DIR]\n"
    "                                                    render a screen to a PNG\n"
    "       kalendrina run-script FILE [--data DIR]      run the program on an input script\n";
// After the commands that live in files of their own.
constexpr const char* kUsageTail = "Run 'kalendrina COMMAND --help' for the options of a command.\n";

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

constexpr const char* kAddHealthUsage =
    "usage: kalendrina add-health YYYY-MM-DD --kind 3|4|5|6|7 [--category N] FIELD=VALUE ... [--data DIR]\n"
    "Stores a health record as its editor's Save does and saves the event file. A field\n"
    "not given starts as in the editor: a new record takes the description (and for a\n"
    "weight the gender) of the category's latest record of its kind. Each value holds at\n"
    "most 30 characters; numbers without a unit word are read in the units of the options.\n"
    "  3 weight:          description weight height chest waist hips neck upperarm forearm\n"
    "                     wrist thigh age gender activity (0-4)\n"
    "  4 cycle:           description (the predicted cycles are renewed)\n"
    "  5 blood pressure:  description systolic diastolic pulse time location\n"
    "  6 cholesterol:     description total ldl hdl triglycerides\n"
    "  7 glucose:         description glucose\n";

constexpr const char* kSummaryUsage =
    "usage: kalendrina summary YYYY-MM-DD --kind 3|5|6|7 [--category N] [--data DIR]\n"
    "Prints what the summary screen shows for that day's latest reading of the kind\n"
    "(of the category, when given), one 'name<TAB>value' line per figure or text:\n"
    "  3 weight, 5 blood pressure, 6 cholesterol, 7 glucose\n";

constexpr const char* kExportCsvUsage =
    "usage: kalendrina export-csv FILE|- [--kind 3-7] [--category N] [--from YYYY-MM-DD]\n"
    "                             [--to YYYY-MM-DD] [--data DIR]\n"
    "Writes the health readings as CSV (RFC 4180, UTF-8, a header row): the date, the\n"
    "category's name, without --kind the record kind, then one column per field in the\n"
    "units of the options. '-' writes to standard output.\n";

constexpr const char* kChartUsage =
    "usage: kalendrina chart OUT.png --kind 3|5|7 [--category N] [--size WxH] [--data DIR]\n"
    "Draws the trend chart of a category's weight (3), blood pressure (5) or glucose (7)\n"
    "readings and writes it as a PNG picture. The default size is 1024x768.\n";

}  // namespace

// A dialog message as one line for standard error: its line breaks ("|")
// become spaces and the "|" that user text carried literally come back.
std::string OneLine(std::string message) {
  for (char& c : message) {
    if (c == '|') {
      c = ' ';
    } else if (c == LiteralBar) {
      c = '|';
    }
  }
  return message;
}

// Keeps the last error a save reported, for the one line the command prints.
class ErrorHost : public Host {
 public:
  void ReportError(const std::string& message) override { error_ = message; }
  std::string Line() const { return OneLine(error_.empty() ? "could not save events" : error_); }

 private:
  std::string error_;
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

// "WIDTHxHEIGHT", each from its least value to 10000.
std::pair<int, int> ParseSize(const std::string& text, int minWidth, int minHeight) {
  const auto x = text.find('x');
  if (x == std::string::npos) throw UsageError{"--size must be WIDTHxHEIGHT, not '" + text + "'"};
  return {ParseInt(text.substr(0, x), minWidth, 10000, "the width"),
          ParseInt(text.substr(x + 1), minHeight, 10000, "the height")};
}

Ymd ParseDateOption(const std::string& text, const std::string& what) {
  Ymd d;
  if (!ParseIsoDate(text, d)) {
    throw UsageError{what + " must be a date from 0001-01-01 to 9999-12-31 as YYYY-MM-DD, not '" + text + "'"};
  }
  return d;
}

namespace {

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
// --data must exist for reading; for writing it is created only when its
// parent exists, so a mistyped path is refused instead of silently starting a
// new, empty diary somewhere. The default folder is created on first write.
}  // namespace

std::string DataFolderFor(const Options& options, bool forWriting) {
  namespace fs = std::filesystem;
  const std::string override = options.Get("--data").value_or("");
  const std::string folder = ResolveDataFolder(override);
  std::error_code ec;
  if (fs::is_directory(folder, ec)) {
    // Whether it can be written is for the data-folder lock to find out: its
    // refusal names the file and the reason (read-only, no permission).
    if (!FolderReadable(folder)) throw DataError{"cannot read data folder " + folder + ": permission denied"};
    return folder;
  }
  if (fs::exists(folder, ec)) throw DataError{"cannot use data folder " + folder + ": not a folder"};
  if (override.empty()) {
    if (forWriting && !MakePath(folder)) throw DataError{"cannot create data folder " + folder};
    return folder;
  }
  if (!forWriting) throw DataError{"cannot read data folder " + folder + ": no such folder"};
  fs::path parent = fs::path(folder.substr(0, folder.size() - 1)).parent_path();
  if (parent.empty()) parent = ".";
  if (!fs::is_directory(parent, ec)) {
    throw DataError{"cannot create data folder " + folder + ": " + parent.string() + " does not exist"};
  }
  if (!fs::create_directory(folder, ec) && !fs::is_directory(folder)) {
    throw DataError{"cannot create data folder " + folder + ": " + ec.message()};
  }
  return folder;
}

namespace {

// Text to be stored must fit the file's single-byte character set; a
// character outside it is refused by name rather than stored as "?".
std::string StorableText(const std::string& utf8, const std::string& what) {
  std::size_t length = 0;
  char32_t cp = 0;
  const std::size_t at = FirstUnconvertible(utf8, length, cp);
  if (at == std::string::npos) return Utf8ToCp1252(utf8);
  char code[16];
  if (length == 1 && static_cast<unsigned char>(utf8[at]) >= 0x80) {
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(cp));
    throw UsageError{what + " is not valid UTF-8: byte " + code + " at position " + std::to_string(at + 1)};
  }
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
  // Shown as itself only when it cannot reorder or hide the rest of the line.
  const bool showable = !(cp >= 0x2000 && cp <= 0x206F) && !(cp >= 0xFE00 && cp <= 0xFEFF) && cp < 0xE0000 &&
                        !(cp >= 0xFFF0 && cp <= 0xFFFF);
  const std::string name = showable ? "'" + utf8.substr(at, length) + "' (" + code + ")" : std::string(code);
  throw UsageError{what + " cannot be stored: " + name + " is not in the Windows-1252 character set"};
}

// Text from the event file may have come from anywhere: printed as it is, an
// ESC, BEL or C1 control would reach the user's terminal as a command. Line
// breaks and tabs become spaces (one record per line, fields split at tabs);
// every other control character becomes U+FFFD.
std::string TerminalText(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (std::size_t i = 0; i < cp1252.size(); ++i) {
    const char32_t cp = Cp1252ToCodePoint(static_cast<unsigned char>(cp1252[i]));
    if (cp == '\r' || cp == '\n' || cp == '\t') {
      out += ' ';
    } else if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
      out += "\xEF\xBF\xBD";
    } else {
      out += Cp1252ToUtf8(cp1252.substr(i, 1));
    }
  }
  return out;
}

Settings SettingsFrom(const std::string& folder) {
  Settings settings;
  const std::string config = folder + "config20.dat";
  std::error_code ec;
  std::string error;
  if (std::filesystem::exists(config, ec) && !LoadSettings(settings, config, &error)) throw DataError{error};
  return settings;
}

UnitModes UnitsFrom(const std::string& folder) {
  const Settings settings = SettingsFrom(folder);
  return UnitModes{settings.weightMode, settings.measureMode};
}

// `index` false leaves the index unbuilt, for a reader that walks the
// records once.
void LoadStore(EventStore& store, const std::string& folder, bool index = true) {
  store.eventFile = folder + "Event20.dat";
  store.mapFile = true;
  std::error_code ec;
  if (std::filesystem::exists(store.eventFile, ec) && !FileReadable(store.eventFile)) {
    throw DataError{"cannot read " + store.eventFile + ": permission denied"};
  }
  // Saves cut short by a crash or a kill leave their temporary files behind.
  if (FolderWritable(folder)) {
    for (const std::string& name : RemoveLeftoverTempFiles(folder)) {
      std::cerr << "kalendrina: removed leftover temporary file " << name << '\n';
    }
  }
  if (index ? !LoadEvents(store) : !ReadEventFile(store)) throw DataError{store.loadError};
}


}  // namespace

void LockForWriting(SingleInstance& guard) {
  // A running copy holds the whole file in memory and would write its own
  // version over ours at its next save.
  if (!guard.Acquire()) {
    if (guard.HeldByOtherCopy()) {
      throw DataError{guard.lockPath() + " is held by " + guard.holder() + ", so nothing is written"};
    }
    // Without the lock another writer could save over the new records unseen.
    throw DataError{"nothing written without the data-folder lock: " + guard.error()};
  }
}

void LoadFolderData(const std::string& folder, FolderData& data) {
  data.settings = SettingsFrom(folder);
  BuildCategoryTable(data.categories, data.settings.categories);
  LoadStore(data.store, folder);
}

namespace {

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
  if (auto v = options.Get("--category")) category = ParseInt(*v, 0, kCategoryCount - 1, "--category");
  if (auto v = options.Get("--kind")) kind = ParseInt(*v, 2, 7, "--kind");
  std::optional<SearchTerms> terms;
  if (auto v = options.Get("--search")) terms = ParseQuery(StorableText(*v, "the search text"));

  const std::string folder = DataFolderFor(options, false);
  const UnitModes units = UnitsFrom(folder);
  EventStore store;
  LoadStore(store, folder, false);

  // One pass in file order, without an index: building one would cost more
  // than the walk itself.
  const bool marked = options.Has("--marked");
  CountingReporter damage;
  ForEachRecord(
      store, store.storeSize,
      [&](std::uint32_t off, std::uint32_t) {
        const PackedDate date = Long(store.store, off + rec::kDate);
        if ((from && date < *from) || (to && date > *to)) return;
        const std::uint32_t k = RecordKindAt(store, off);
        if (k == kKindDeleted) return;
        const int cat = CategoryOfByte(static_cast<int>(Byte(store.store, off + rec::kCategory)));
        if (category && cat != *category) return;
        if (kind && static_cast<int>(k) != *kind) return;
        if (marked && !IsMarked(store, off)) return;
        if (terms && !RecordMatches(store, off, *terms, units)) return;
        const DisplayText text = EventDisplayText(store, off, 170, units);
        const std::string line = TerminalText(text.text);
        out << IsoDateText(date) << '\t' << k << '\t' << cat << '\t' << Long(store.store, off + rec::kRecordId) << '\t'
            << Long(store.store, off + rec::kGroupId) << '\t' << line << '\n';
      },
      &damage);
  damage.LogSummary(store.eventFile);
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
  std::string text = StorableText(options.positional()[1], "the text");
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
  const int category =
      options.Get("--category") ? ParseInt(*options.Get("--category"), 0, kCategoryCount - 1, "--category") : 0;

  const std::string folder = DataFolderFor(options, true);
  SingleInstance guard(folder, kAddLockHolder);
  LockForWriting(guard);
  const UnitModes units = UnitsFrom(folder);
  EventStore store;
  LoadStore(store, folder);

  PrepareWorkRecord(store, kKindGeneric, static_cast<std::uint8_t>(category), PackDate(date));
  if (store.workRecord.empty()) throw DataError{"out of memory"};
  const auto length = static_cast<std::uint32_t>(rec::kGenericFixed + text.size());
  SetLong(store.workRecord, rec::kLength, static_cast<std::int32_t>(length));
  SetByte(store.workRecord, rec::kHoliday, options.Has("--holiday") ? 1 : 0);
  const std::int32_t groupId = NextGroupId(store);
  if (groupId == kNoFreeId) throw DataError{"no free group numbers are left in " + store.eventFile};
  SetLong(store.workRecord, rec::kRecordId, NextRecordId(store));
  SetLong(store.workRecord, rec::kGroupId, groupId);
  SetByte(store.workRecord, rec::kRepeatMode, repeat);
  SetByte(store.workRecord, rec::kStartHour, startHour);
  SetByte(store.workRecord, rec::kStartMinute, startMinute);
  SetByte(store.workRecord, rec::kEndHour, endHour);
  SetByte(store.workRecord, rec::kEndMinute, endMinute);
  PutBytes(store.workRecord, rec::kGenericText, text);
  SetWord(store.workRecord, length - 2, kEndMarker);

  ErrorHost host;
  if (!NewEventGroup(store, units, host)) throw DataError{host.Line()};
  (void)err;
  return kExitOk;
}

int AddHealth(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--kind", "--category", "--data"}, {"--help"});
  if (options.Has("--help")) {
    out << kAddHealthUsage;
    return kExitOk;
  }
  const auto& positional = options.positional();
  if (positional.empty()) throw UsageError{"add-health needs a date (see 'kalendrina add-health --help')"};
  const Ymd date = ParseDateOption(positional[0], "the date");
  if (!options.Has("--kind")) throw UsageError{"add-health needs --kind 3, 4, 5, 6 or 7"};
  const int kind = ParseInt(*options.Get("--kind"), 3, 7, "--kind");
  const int category = options.Get("--category") ? ParseInt(*options.Get("--category"), 0, 11, "--category") : 0;
  const HealthKindSpec& spec = *HealthSpecOf(static_cast<std::uint32_t>(kind));

  // FIELD=VALUE pairs, by the editor's field names.
  std::map<std::string, std::string> given;
  for (std::size_t i = 1; i < positional.size(); ++i) {
    const std::string& pair = positional[i];
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos) throw UsageError{"'" + pair + "' is not FIELD=VALUE"};
    const std::string field = pair.substr(0, eq);
    const bool known = std::any_of(spec.fields.begin(), spec.fields.end(), [&](const HealthField& f) {
      return field == f.key;
    }) || (spec.hasActivity && field == "activity");
    if (!known) throw UsageError{"a record of kind " + std::to_string(kind) + " has no field '" + field + "'"};
    const std::string value = Utf8ToCp1252(pair.substr(eq + 1));
    if (value.find_first_of("\r\n") != std::string::npos) throw UsageError{field + " must be one line"};
    if (value.size() > static_cast<std::size_t>(kHealthFieldChars)) {
      throw UsageError{field + " holds at most " + std::to_string(kHealthFieldChars) + " characters"};
    }
    if (!given.emplace(field, value).second) throw UsageError{field + " is given twice"};
  }
  int activity = 0;
  if (given.count("activity") != 0) activity = ParseInt(given["activity"], 0, 4, "activity");

  const std::string folder = DataFolderFor(options, true);
  SingleInstance guard(folder);
  if (!guard.Acquire() && guard.HeldByOtherCopy()) {
    throw DataError{"Kalendrina is running on this data: add the reading in its window, or close it first"};
  }
  const UnitModes units = UnitsFrom(folder);
  EventStore store;
  LoadStore(store, folder);
  PrepareWorkRecord(store, static_cast<RecordKind>(kind), static_cast<std::uint8_t>(category), PackDate(date));
  if (store.workRecord.empty()) throw DataError{"out of memory"};
  SetLong(store.workRecord, rec::kRecordId, NextRecordId(store));
  SetLong(store.workRecord, rec::kGroupId, NextGroupId(store));
  if (spec.hasActivity) SetByte(store.workRecord, rec::kActivity, activity);

  HealthForm form = FormFromRecord(store.workRecord, spec, units);
  ApplyPersonDefaults(store, store.workRecord, spec, form);
  for (std::size_t i = 0; i < spec.fields.size(); ++i) {
    if (auto it = given.find(spec.fields[i].key); it != given.end()) form[i] = it->second;
  }
  const BuildFlags flags = BuildHealthRecord(store.workRecord, spec, form, units, SystemClock());
  if (const char* refusal = RefusalMessage(spec, flags, false)) throw UsageError{OneLine(refusal)};

  ErrorHost host;
  if (!StoreHealthRecord(store, -1, RecordSortKeys(units), host)) throw DataError{host.Line()};
  return kExitOk;
}

const char* KindName(int kind) {
  switch (kind) {
    case kKindWeight: return "weight";
    case kKindBloodPressure: return "blood pressure";
    case kKindCholesterol: return "cholesterol";
    default: return "glucose";
  }
}

int Summary(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--kind", "--category", "--data"}, {"--help"});
  if (options.Has("--help")) {
    out << kSummaryUsage;
    return kExitOk;
  }
  if (options.positional().size() != 1) throw UsageError{"summary needs one date (see 'kalendrina summary --help')"};
  const PackedDate date = PackDate(ParseDateOption(options.positional()[0], "the date"));
  if (!options.Has("--kind")) throw UsageError{"summary needs --kind 3, 5, 6 or 7"};
  const int kind = ParseInt(*options.Get("--kind"), 3, 7, "--kind");
  if (kind == kKindCycle) throw UsageError{"menstrual cycles have no summary: --kind must be 3, 5, 6 or 7"};
  std::optional<int> category;
  if (auto v = options.Get("--category")) category = ParseInt(*v, 0, kCategoryCount - 1, "--category");

  const std::string folder = DataFolderFor(options, false);
  const UnitModes units = UnitsFrom(folder);
  EventStore store;
  LoadStore(store, folder);
  std::optional<std::uint32_t> latest;
  for (std::uint32_t i = 0; i < store.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(store, i);
    if (IndexDate(store, i) != date || RecordKindAt(store, off) != static_cast<std::uint32_t>(kind)) continue;
    if (category && CategoryOfByte(static_cast<int>(Byte(store.store, off + rec::kCategory))) != *category) continue;
    latest = off;
  }
  if (!latest) {
    throw DataError{std::string("no ") + KindName(kind) + " reading on " + IsoDateText(date) +
                    (category ? " in category " + std::to_string(*category) : std::string())};
  }
  for (const SummaryLine& line : SummaryTexts(store.store, *latest, units)) {
    out << line.name << '\t' << TerminalText(line.label.empty() ? line.Text() : line.value) << '\n';
  }
  out.flush();
  if (!out) throw DataError{"cannot write the summary"};
  return kExitOk;
}

int ExportCsv(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--kind", "--category", "--from", "--to", "--data"}, {"--help"});
  if (options.Has("--help")) {
    out << kExportCsvUsage;
    return kExitOk;
  }
  if (options.positional().size() != 1) throw UsageError{"export-csv needs one output file, or - for standard output"};
  CsvFilter filter;
  if (auto v = options.Get("--kind")) filter.kind = static_cast<std::uint32_t>(ParseInt(*v, 3, 7, "--kind"));
  if (auto v = options.Get("--category")) filter.category = ParseInt(*v, 0, kCategoryCount - 1, "--category");
  if (auto v = options.Get("--from")) filter.from = PackDate(ParseDateOption(*v, "--from"));
  if (auto v = options.Get("--to")) filter.to = PackDate(ParseDateOption(*v, "--to"));

  const std::string folder = DataFolderFor(options, false);
  FolderData data;
  LoadFolderData(folder, data);
  std::string csv;
  WriteHealthCsv(data.store, data.categories, data.Units(), filter, csv);
  const std::string target = options.positional()[0];
  if (target == "-") {
    out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
    out.flush();
    if (!out) throw DataError{"cannot write to standard output"};
    return kExitOk;
  }
  // Written whole beside the target and renamed over it, so a failed export
  // never leaves half a file where the last good one was.
  AtomicFileWriter writer(target);
  writer.Write(csv.data(), csv.size());
  if (!writer.Commit()) throw DataError{"cannot write " + target + ": " + writer.error()};
  return kExitOk;
}

int Chart(const std::vector<std::string>& args, std::ostream& out) {
  const Options options(args, 1, {"--kind", "--category", "--size", "--data"}, {"--help"});
  if (options.Has("--help")) {
    out << kChartUsage;
    return kExitOk;
  }
  if (options.positional().size() != 1) throw UsageError{"chart needs one output file"};
  if (!options.Has("--kind")) throw UsageError{"chart needs --kind 3, 5 or 7"};
  const int kind = ParseInt(*options.Get("--kind"), 3, 7, "--kind");
  if (!HasTrend(static_cast<std::uint32_t>(kind))) throw UsageError{"--kind must be 3, 5 or 7 for a trend chart"};
  const int category =
      options.Get("--category") ? ParseInt(*options.Get("--category"), 0, kCategoryCount - 1, "--category") : 0;
  int width = 1024, height = 768;
  if (auto v = options.Get("--size")) std::tie(width, height) = ParseSize(*v, 200, 150);

  const std::string folder = DataFolderFor(options, false);
  FolderData data;
  LoadFolderData(folder, data);
  const TrendSeries series = CollectTrend(data.store, static_cast<std::uint32_t>(kind), category);
  if (series.points.empty()) {
    throw DataError{std::string("no ") + KindName(kind) + " readings in category " + std::to_string(category)};
  }
  ChartRequest request;
  request.series = &series;
  request.units = data.Units();
  request.kind = static_cast<std::uint32_t>(kind);
  request.categoryName = CategoryName(data.categories, category);
  request.width = width;
  request.height = height;
  request.outputPath = options.positional()[0];
  return WriteChart(request);
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
  DataFolderFor(options, true);
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
    std::tie(width, height) = ParseSize(*v, MinClientWidthForCommands, MinClientHeightForCommands);
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
  DataFolderFor(options, true);

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

int WithLockedEvents(const Options& options, const char* holder,
                     const std::function<int(EventStore&, const UnitModes&, Host&)>& work) {
  const std::string folder = DataFolderFor(options, true);
  SingleInstance guard(folder, holder);
  LockForWriting(guard);
  const UnitModes units = UnitsFrom(folder);
  EventStore store;
  LoadStore(store, folder);
  ErrorHost host;
  return work(store, units, host);
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool& handled) {
  handled = true;
  try {
    if (args.empty()) {
      handled = false;
      return kExitOk;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
      out << kUsage << kIcalUsageLines << kUsageTail;
      return kExitOk;
    }
    if (command == "list") return List(args, out);
    if (command == "add") return Add(args, out, err);
    if (command == "add-health") return AddHealth(args, out);
    if (command == "summary") return Summary(args, out);
    if (command == "export-csv") return ExportCsv(args, out);
    if (command == "chart") return Chart(args, out);
    if (command == "import") return ImportCommand(args, out);
    if (command == "wallpaper") return WallpaperCommand(args, out, err);
    if (command == "print") return PrintCommand(args, out);
    if (command == "export-ics") return ExportIcsCommand(args, out);
    if (command == "import-ics") return ImportIcsCommand(args, out);
    if (command == "screenshot") return Screenshot(args, out);
    if (command == "run-script") return RunScriptCommand(args, out);
    if (command == "--data" || command.rfind('/', 0) == 0) {
      // The desktop program's own options, held to the same rules as the
      // commands' before the program starts on them.
      const Options desktop(args, 0, {"--data"}, {});
      handled = false;
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
