#include "calendar/search.h"

#include <cstdio>

#include "calendar/event_display_text.h"
#include "store/text1252.h"

namespace kal {
namespace {

bool IsWordChar(std::uint8_t c) {
  return c == '\'' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 128 && c <= 173);
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

void AddTerm(SearchTerms& out, std::string_view query, std::size_t start, std::string_view word) {
  const char before = start > 0 ? query[start - 1] : '\0';
  std::string term(1, before == '-' || before == '/' ? before : '+');
  term += word;
  if (term.size() > kMaxSearchTermLength) term.resize(kMaxSearchTermLength);
  out.terms.push_back(std::move(term));
}

}  // namespace

SearchTerms ParseQuery(std::string_view text) {
  SearchTerms out;
  const std::string query = ToUpper1252(TrimSpaces(text));
  const std::size_t n = query.size();
  std::size_t i = 0;
  while (i < n && out.terms.size() < kMaxSearchTerms) {
    const auto c = static_cast<std::uint8_t>(query[i]);
    if (c == '"' && i + 1 < n) {
      const std::size_t close = query.find('"', i + 1);
      if (close == std::string::npos) {
        ++i;
        continue;
      }
      const std::string_view phrase = TrimSpaces(std::string_view(query).substr(i + 1, close - i - 1));
      if (!phrase.empty()) AddTerm(out, query, i, phrase);
      i = close + 1;
    } else if (IsWordChar(c)) {
      const std::size_t start = i;
      while (i < n && IsWordChar(static_cast<std::uint8_t>(query[i]))) ++i;
      AddTerm(out, query, start, std::string_view(query).substr(start, i - start));
    } else {
      ++i;
    }
  }
  return out;
}

std::string RecordSearchText(const EventStore& s, std::uint32_t offset, const UnitModes& units) {
  static constexpr char kMonths[] = "janfebmaraprmayjunjulaugsepoctnovdec";
  const DisplayText shown = EventDisplayText(s, offset, 65000, units);
  std::string text;
  if (shown.month >= 1 && shown.month <= 12) text.append(kMonths + 3 * (shown.month - 1), 3);
  char year[16];
  std::snprintf(year, sizeof year, "%04d", static_cast<int>(shown.year));
  // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict overlap
  // for a literal joined to a temporary string.
  text += ' ';
  text += std::to_string(shown.day);
  text += ", ";
  text += year;
  return text + ToLower1252(shown.text);
}

bool RecordMatches(const EventStore& s, std::uint32_t offset, const SearchTerms& terms, const UnitModes& units) {
  if (terms.terms.empty()) return false;
  // A deleted record has no text left, only its date; it is never a result.
  if (RecordKindAt(s, offset) == kKindDeleted) return false;
  const std::string haystack = ToUpper1252(RecordSearchText(s, offset, units));
  std::size_t satisfied = 0;
  std::size_t anyOfTerms = 0;
  bool anyOfFound = false;
  for (const std::string& term : terms.terms) {
    if (term.empty()) continue;
    const std::string_view word = std::string_view(term).substr(1);
    const bool occurs = haystack.find(word) != std::string::npos;
    switch (term[0]) {
      case '/':
        ++anyOfTerms;
        anyOfFound = anyOfFound || occurs;
        break;
      case '-':
        satisfied += occurs ? 0 : 1;
        break;
      default:
        satisfied += occurs ? 1 : 0;
        break;
    }
  }
  if (anyOfFound) satisfied += anyOfTerms;
  return satisfied == terms.terms.size();
}

}  // namespace kal
