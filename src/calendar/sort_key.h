// The order in which SaveEvents writes the event file.
//
// A record's key is its date (the year as at least four digits), its start
// time (255 255 for records without one, so they follow the timed ones), its
// kind as three digits and its lower-cased one-line event-list text. The text
// is why the key is built here and not in the store.
#pragma once

#include <cstdint>
#include <string>

#include "health/units.h"
#include "store/event_store.h"

namespace kal {

// The sort key of the record at the offset, compared as unsigned byte strings.
std::string RecordSortKey(const EventStore& s, std::uint32_t offset, const UnitModes& units);
// The same key appended to `out`, for callers that keep many keys in one block.
void AppendRecordSortKey(const EventStore& s, std::uint32_t offset, const UnitModes& units, std::string& out);

// The keys SaveEvents sorts by, for the unit modes the texts are shown in.
class RecordSortKeys final : public SortKeyBuilder {
 public:
  explicit RecordSortKeys(UnitModes units) : units_(units) {}
  void AppendKey(const EventStore& s, std::uint32_t offset, std::string& out) const override;
  // The key is the record's bytes and the unit modes, nothing else.
  std::string ReuseTag() const override;

 private:
  UnitModes units_;
};

}  // namespace kal
