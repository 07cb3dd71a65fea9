// The query language of the event list's search.
//
// A query is parsed once into terms: an operator character ("+" required,
// "-" excluded, "/" any-of) followed by the upper-case word or phrase. A
// record matches when every "+" term occurs in its search text, no "-" term
// does, and, when "/" terms exist, at least one of them occurs. The search
// text is the record's date ("may 5, 2024") followed by its event-list text;
// the test is a case-insensitive substring test in Windows-1252.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "health/units.h"
#include "store/event_store.h"

namespace kal {

constexpr std::size_t kMaxSearchTerms = 100;
constexpr std::size_t kMaxSearchTermLength = 80;  // operator included

struct SearchTerms {
  std::vector<std::string> terms;
};

// Words are runs of apostrophes, digits, letters A-Z and codes 128-173; the
// character just before a word or an opening quote picks the operator. A
// quote without a closing partner is skipped; an empty phrase adds no term.
SearchTerms ParseQuery(std::string_view text);

// "may 5, 2024" followed directly by the lower-cased event-list text with the
// whole description (65000 characters).
std::string RecordSearchText(const EventStore& s, std::uint32_t offset, const UnitModes& units);

// With no terms nothing matches; a deleted record never matches.
bool RecordMatches(const EventStore& s, std::uint32_t offset, const SearchTerms& terms, const UnitModes& units);

}  // namespace kal
