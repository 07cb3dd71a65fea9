#include "import/import_common.h"

#include <algorithm>
#include <limits>

#include "calendar/repeat.h"
#include "store/packed_date.h"

namespace kal {

void AppendImported(EventStore& s, bool asGroup) {
  if (asGroup) {
    GenerateGroup(s, GroupSize);
  } else {
    RepeatEveryDays(s, 1, 0);
  }
}

void StartImportedRecord(EventStore& s, std::uint8_t kind, std::uint8_t category, std::int32_t year,
                         std::int32_t month, std::int32_t day, std::int32_t& nextGroupId) {
  EnsureWorkRecord(s);
  FillBytes(s.workRecord, 0, kWorkRecordSize, 0);
  SetByte(s.workRecord, rec::kKind, kind);
  SetByte(s.workRecord, rec::kCategory, category);
  SetLong(s.workRecord, rec::kDate, PackDate(year, month, day));
  // Every imported event or series has a group of its own: a shared group id
  // would let one "Group" delete remove unrelated events. The id is counted
  // on from the first free one instead of scanning the store per record.
  if (nextGroupId < 0 || nextGroupId == std::numeric_limits<std::int32_t>::max()) nextGroupId = NextGroupId(s);
  SetLong(s.workRecord, rec::kGroupId, nextGroupId);
  if (nextGroupId != kNoFreeId) ++nextGroupId;
}

void FinishImportedRecord(EventStore& s, std::uint32_t textAt, std::uint32_t fixed, std::string_view text) {
  const std::size_t room = kWorkRecordSize - fixed;
  const std::size_t n = std::min(text.size(), room);
  for (std::size_t i = 0; i < n; ++i) SetByte(s.workRecord, textAt + i, static_cast<std::uint8_t>(text[i]));
  const auto length = static_cast<std::uint32_t>(fixed + n);
  SetLong(s.workRecord, rec::kLength, static_cast<std::int32_t>(length));
  SetWord(s.workRecord, length - 2, kEndMarker);
}

bool ImportableDate(std::int32_t year, std::int32_t month, std::int32_t day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

std::string TrimBlanks(std::string_view text) {
  const std::size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  return std::string(text.substr(b, text.find_last_not_of(' ') - b + 1));
}

}  // namespace kal
