#include "import/ical_import.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <tuple>
#include <vector>

#include "calendar/repeat.h"
#include "calendar/sort_key.h"
#include "platform/encoding.h"
#include "store/event_record.h"

namespace kal {

namespace {

// Larger files are refused rather than read whole into memory; years of a
// busy calendar stay far below this.
constexpr std::uintmax_t kMaxIcsFileSize = 256u << 20;
constexpr int kNoTime = 99;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Summary and description as one stored text: Windows-1252, the lines split
// by carriage returns as the editor writes them, no other control characters.
std::string StoredText(const IcsEvent& e) {
  std::string utf8 = e.summary.empty() && e.description.empty() ? std::string("(no title)") : e.summary;
  if (!e.description.empty()) utf8 += "\n" + e.description;
  const std::string cp = Utf8ToCp1252(utf8);
  std::string text;
  text.reserve(cp.size());
  for (std::size_t i = 0; i < cp.size(); ++i) {
    const char c = cp[i];
    if (c == '\r' && i + 1 < cp.size() && cp[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      text += '\r';
    } else {
      text += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
  }
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
  text.resize(std::min<std::size_t>(text.size(), kWorkRecordSize - rec::kGenericFixed));
  return text;
}

// The first of the event's categories that names one of ours; else category 0.
int CategoryFor(const IcsEvent& e, const CategoryTable& categories) {
  for (const std::string& wanted : e.categories) {
    const std::string name = Lower(Utf8ToCp1252(wanted));
    for (int k = 0; k < kCategoryCount; ++k) {
      const std::string ours = CategoryName(categories, k);
      if (!ours.empty() && Lower(ours) == name) return k;
    }
  }
  return 0;
}

// The records of one event: one per occurrence, and one per day of an
// occurrence that spans days, at most GroupSize.
struct Entry {
  IcsDay day;
  int startHour = kNoTime, startMinute = 0, endHour = kNoTime, endMinute = 0;
};

// Occurrences that overlap (a daily event lasting two days) or meet on one
// local time (the hour the clocks go back) give one entry, not two alike.
std::vector<Entry> EntriesOf(const IcsEvent& e) {
  std::vector<Entry> entries;
  std::set<std::tuple<IcsDay, int, int>> seen;
  const auto add = [&](const Entry& entry) {
    if (seen.emplace(entry.day, entry.startHour, entry.startMinute).second) entries.push_back(entry);
    return entries.size() < static_cast<std::size_t>(GroupSize);
  };
  for (const IcsOccurrence& o : e.occurrences) {
    if (o.startHour >= 0) {
      Entry entry{o.day, o.startHour, o.startMinute};
      // A record holds one day: an end on a later day is no end it can show.
      if (o.endHour >= 0 && o.lastDay == o.day && o.endHour * 60 + o.endMinute > o.startHour * 60 + o.startMinute) {
        entry.endHour = o.endHour;
        entry.endMinute = o.endMinute;
      }
      if (!add(entry)) break;
      continue;
    }
    Ymd d{o.day.year, o.day.month, o.day.day};
    for (;;) {
      if (!add(Entry{{d.year, d.month, d.day}})) return entries;
      if (!(IcsDay{d.year, d.month, d.day} < o.lastDay) || d.year >= LastGroupYear) break;
      NextDay(d);
    }
  }
  return entries;
}

}  // namespace

int ClosestRepeatMode(const IcsRule& rule) {
  if (rule.freq.empty()) return RepeatOnce;
  const int n = std::max(1, rule.interval);
  // "The 2nd Tuesday" comes as BYDAY=2TU, or as BYDAY=TU;BYSETPOS=2.
  int position = 0;
  if (rule.byDay.size() == 1) {
    position = rule.byDay[0].first;
    if (position == 0 && rule.bySetPos.size() == 1) position = rule.bySetPos[0];
  }
  const bool nth = (position >= 1 && position <= 4) || position == -1;
  const auto nthMode = [&](int first) { return position == -1 ? first + 4 : first + position - 1; };
  if (rule.freq == "MONTHLY") {
    if (nth && n == 1) return nthMode(RepeatMonthlyNthWeekday);
    if (n % 12 == 0) return RepeatEveryYear;
    if (n >= 3) return RepeatEveryThreeMonths;
    return n == 2 ? RepeatEveryTwoMonths : RepeatEveryMonth;
  }
  if (rule.freq == "YEARLY") return nth ? nthMode(RepeatYearlyNthWeekday) : RepeatEveryYear;
  if (rule.freq == "WEEKLY") return RepeatEveryWeek + std::min(n, 4) - 1;
  if (rule.freq == "DAILY" && n >= 7) return RepeatEveryWeek + std::clamp((n + 3) / 7, 1, 4) - 1;
  // Daily and finer rules: a week is the shortest step a group knows.
  return RepeatEveryWeek;
}

IcsImportResult AddIcsEvents(EventStore& s, const CategoryTable& categories, std::string_view text, Host& host) {
  IcsImportResult result;
  const IcsCalendar calendar = ReadIcs(text, static_cast<std::size_t>(GroupSize));
  result.readable = calendar.parsed;
  result.skipped = calendar.skipped;
  if (!calendar.parsed) return result;
  std::vector<std::vector<Entry>> entries;
  std::size_t total = 0;
  for (const IcsEvent& e : calendar.events) {
    entries.push_back(EntriesOf(e));
    total += entries.back().size();
  }
  if (total == 0) return result;
  if (total > std::numeric_limits<std::uint32_t>::max()) total = std::numeric_limits<std::uint32_t>::max();
  std::int32_t recordId = NextRecordIds(s, static_cast<std::uint32_t>(total));
  std::int32_t groupId = NextGroupId(s);
  if (recordId == kNoFreeId || groupId == kNoFreeId) {
    result.error = "No free record numbers are left for new events.";
    return result;
  }
  host.StartProgress();
  for (std::size_t i = 0; i < calendar.events.size(); ++i) {
    host.ShowProgress("Importing Events", static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(calendar.events.size()));
    if (i % 64 == 0) host.PumpMessages();
    const IcsEvent& e = calendar.events[i];
    const std::vector<Entry>& list = entries[i];
    if (list.empty()) continue;
    const std::string stored = StoredText(e);
    PrepareWorkRecord(s, kKindGeneric, static_cast<std::uint8_t>(CategoryFor(e, categories)), 0);
    if (s.workRecord.empty()) {
      result.error = "Out of memory.";
      break;
    }
    const auto length = static_cast<std::uint32_t>(rec::kGenericFixed + stored.size());
    SetLong(s.workRecord, rec::kLength, static_cast<std::int32_t>(length));
    SetByte(s.workRecord, rec::kHoliday, e.holiday ? 1 : 0);
    SetLong(s.workRecord, rec::kGroupId, groupId);
    SetByte(s.workRecord, rec::kRepeatMode, ClosestRepeatMode(e.rule));
    PutBytes(s.workRecord, rec::kGenericText, stored);
    SetWord(s.workRecord, length - 2, kEndMarker);
    for (const Entry& entry : list) {
      SetLong(s.workRecord, rec::kDate, PackDate(entry.day.year, entry.day.month, entry.day.day));
      SetLong(s.workRecord, rec::kRecordId, recordId++);
      SetByte(s.workRecord, rec::kStartHour, entry.startHour);
      SetByte(s.workRecord, rec::kStartMinute, entry.startMinute);
      SetByte(s.workRecord, rec::kEndHour, entry.endHour);
      SetByte(s.workRecord, rec::kEndMinute, entry.endMinute);
      if (!AppendRecordBytes(s, s.workRecord.data(), length)) {
        result.error = "The event file cannot grow any larger.";
        break;
      }
      ++result.records;
    }
    if (!result.error.empty()) break;
    ++result.events;
    // Past the largest number the store's own search finds a free one again.
    groupId = groupId < std::numeric_limits<std::int32_t>::max() ? groupId + 1 : NextGroupId(s);
    if (groupId == kNoFreeId) {
      result.error = "No free group numbers are left for new events.";
      break;
    }
  }
  host.CloseProgress();
  return result;
}

IcsImportResult ImportIcsFile(EventStore& s, const CategoryTable& categories, const UnitModes& units,
                              const std::string& path, Host& host) {
  IcsImportResult result;
  std::error_code ec;
  // Only a regular file: a named pipe would wait for a writer for ever.
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.error = "There is no file " + LiteralDialogText(path) + ".";
    return result;
  }
  if (std::filesystem::file_size(path, ec) > kMaxIcsFileSize || ec) {
    result.error = LiteralDialogText(path) + " is too large for a calendar file.";
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) {
    result.error = "Could not read " + LiteralDialogText(path) + ".";
    return result;
  }
  result = AddIcsEvents(s, categories, text, host);
  // What was appended before a failure is whole and is kept.
  if (result.records == 0) return result;
  if (!SaveEvents(s, RecordSortKeys(units), host)) {
    result.records = 0;
    result.events = 0;
    result.error = "The imported events could not be saved.";
  }
  return result;
}

std::string IcsImportMessage(const IcsImportResult& result, const std::string& path) {
  const std::string name = LiteralDialogText(std::filesystem::path(path).filename().string());
  if (!result.error.empty() && result.records == 0) return result.error;
  if (!result.readable) return name + " is not an iCalendar file.";
  std::string message = "Imported " + std::to_string(result.events) + (result.events == 1 ? " event" : " events") +
                        " (" + std::to_string(result.records) + (result.records == 1 ? " entry" : " entries") +
                        ") from " + name + ".";
  if (result.skipped > 0) {
    message += "|" + std::to_string(result.skipped) +
               (result.skipped == 1 ? " unsupported part was skipped." : " unsupported parts were skipped.");
  }
  if (!result.error.empty()) message += "|" + result.error;
  return message;
}

}  // namespace kal
