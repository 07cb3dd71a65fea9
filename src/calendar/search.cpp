#include "calendar/search.h"

#include <charconv>

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

namespace {

// Plain digits, at least `width` of them after any minus sign.
void AppendNumber(std::string& out, int value, int width) {
  char digits[16];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const char* first = digits;
  if (value < 0) {
    out += '-';
    ++first;
  }
  for (auto n = end - first; n < width; ++n) out += '0';
  out.append(first, static_cast<std::size_t>(end - first));
}

// "may 5, 2024" in the case of `months`, then the record's text folded by `fold`.
template <typename Fold>
void AppendSearchText(const EventStore& s, std::uint32_t offset, const UnitModes& units, const char* months,
                      Fold fold, std::string& out) {
  const DisplayText shown = EventDisplayText(s, offset, 65000, units);
  if (shown.month >= 1 && shown.month <= 12) out.append(months + 3 * (shown.month - 1), 3);
  out += ' ';
  AppendNumber(out, shown.day, 1);
  out += ", ";
  AppendNumber(out, shown.year, 4);
  const std::size_t at = out.size();
  out.resize(at + shown.text.size());
  // Raw pointers: a char store through the string itself could alias its own length and data.
  char* to = out.data() + at;
  const char* from = shown.text.data();
  for (std::size_t i = 0; i < shown.text.size(); ++i) to[i] = static_cast<char>(fold(static_cast<std::uint8_t>(from[i])));
}

// Lower case and then upper case, as the search text is built and then
// compared: one table instead of two passes over every record.
struct CaseFold {
  CaseFold() {
    for (int c = 0; c < 256; ++c) table[c] = ToUpper1252(ToLower1252(static_cast<std::uint8_t>(c)));
  }
  std::uint8_t table[256];
};

}  // namespace

std::string RecordSearchText(const EventStore& s, std::uint32_t offset, const UnitModes& units) {
  std::string text;
  AppendSearchText(s, offset, units, "janfebmaraprmayjunjulaugsepoctnovdec",
                   [](std::uint8_t c) { return ToLower1252(c); }, text);
  return text;
}

bool RecordMatches(const EventStore& s, std::uint32_t offset, const SearchTerms& terms, const UnitModes& units) {
  if (terms.terms.empty()) return false;
  // A deleted record has no text left, only its date; it is never a result.
  if (RecordKindAt(s, offset) == kKindDeleted) return false;
  static const CaseFold fold;
  // Reused, so that a search over a whole file does not allocate per record.
  thread_local std::string haystack;
  haystack.clear();
  AppendSearchText(s, offset, units, "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC",
                   [](std::uint8_t c) { return fold.table[c]; }, haystack);
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
