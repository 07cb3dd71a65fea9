#include "calendar/event_list.h"

#include <algorithm>

#include "calendar/search.h"
#include "store/categories.h"
#include "store/event_record.h"

namespace kal {

std::string DisplayModeLabel(std::int32_t mode) {
  std::string_view labels = kDisplayModeLabels;
  for (std::int32_t i = 0; i < kDisplayModeCount; ++i) {
    const std::size_t comma = labels.find(',');
    if (i == mode) return std::string(labels.substr(0, comma));
    if (comma == std::string_view::npos) break;
    labels.remove_prefix(comma + 1);
  }
  return {};
}

void BuildEventList(EventList& list, const EventStore& store, const UnitModes& units, const ListProgress& progress) {
  list.offsets.clear();
  list.offsets.reserve(store.indexCount);
  list.cursor = -1;
  list.top = 0;
  const SearchTerms terms = list.mode == kModeSearchResults ? ParseQuery(list.searchText) : SearchTerms{};
  const bool anyCategory = list.category == kListAllCategories;
  const std::uint32_t total = store.indexCount;
  for (std::uint32_t i = 0; i < total; ++i) {
    if (progress && i % kListProgressStep == 0 &&
        !progress(i, total, static_cast<std::uint32_t>(list.offsets.size()))) {
      return;
    }
    const std::uint32_t offset = IndexOffset(store, i);
    const std::uint32_t kind = RecordKindAt(store, offset);
    if (kind == kKindDeleted) continue;
    if (!anyCategory && CategoryOfByte(static_cast<int>(Byte(store.store, offset + rec::kCategory))) != list.category) {
      continue;
    }
    bool listed = false;
    if (list.mode == kModeAllRecords) {
      listed = true;
    } else if (list.mode == kModeSearchResults) {
      listed = RecordMatches(store, offset, terms, units);
    } else {
      listed = static_cast<std::int32_t>(kind) == list.mode;
    }
    if (listed) list.offsets.push_back(offset);
  }
  if (progress) progress(total, total, static_cast<std::uint32_t>(list.offsets.size()));
}

bool IsMarked(const EventStore& store, std::uint32_t offset) { return (Byte(store.store, offset + rec::kMark) & 1) != 0; }

void SetMarked(EventStore& store, std::uint32_t offset, bool marked) {
  const std::uint32_t mark = Byte(store.store, offset + rec::kMark);
  SetByte(store.store, offset + rec::kMark, marked ? (mark | 1u) : (mark & ~1u));
}

void ClearAllMarks(EventStore& store) {
  for (std::uint32_t i = 0; i < store.indexCount; ++i) SetMarked(store, IndexOffset(store, i), false);
}

std::vector<std::uint32_t> MarkedOffsets(const EventList& list, const EventStore& store) {
  std::vector<std::uint32_t> out;
  for (const std::uint32_t offset : list.offsets) {
    if (IsMarked(store, offset)) out.push_back(offset);
  }
  return out;
}

bool AnyMarked(const EventList& list, const EventStore& store) {
  return std::any_of(list.offsets.begin(), list.offsets.end(),
                     [&store](std::uint32_t offset) { return IsMarked(store, offset); });
}

MarkRule RuleFor(bool shift, bool ctrl, bool range) {
  if (shift) return range ? MarkRule::kAddRange : MarkRule::kAddReached;
  return ctrl ? MarkRule::kKeep : MarkRule::kOnly;
}

void LimitTop(EventList& list, std::int32_t rows) {
  list.top = std::max(0, std::min(list.top, list.count() - std::max(rows, 1)));
}

void MoveCursor(EventList& list, EventStore& store, std::int32_t row, MarkRule rule, std::int32_t rows) {
  if (list.empty()) return;
  const std::int32_t from = std::clamp(list.cursor, 0, list.count() - 1);
  const std::int32_t to = std::clamp(row, 0, list.count() - 1);
  switch (rule) {
    case MarkRule::kOnly:
      ClearAllMarks(store);
      SetMarked(store, list.offsets[static_cast<std::size_t>(to)], true);
      break;
    case MarkRule::kKeep:
      break;
    case MarkRule::kAddReached:
      SetMarked(store, list.offsets[static_cast<std::size_t>(to)], true);
      break;
    case MarkRule::kAddRange:
      for (std::int32_t r = std::min(from, to); r <= std::max(from, to); ++r) {
        SetMarked(store, list.offsets[static_cast<std::size_t>(r)], true);
      }
      break;
  }
  list.cursor = to;
  const std::int32_t visible = std::max(rows, 1);
  if (list.cursor < list.top) list.top = list.cursor;
  if (list.cursor >= list.top + visible) list.top = list.cursor - visible + 1;
  LimitTop(list, rows);
}

void PageCursor(EventList& list, EventStore& store, std::int32_t pages, MarkRule rule, std::int32_t rows) {
  if (list.empty()) return;
  const std::int32_t step = pages * std::max(rows, 1);
  list.top += step;
  LimitTop(list, rows);
  MoveCursor(list, store, list.cursor + step, rule, rows);
}

void ToggleAllMarks(const EventList& list, EventStore& store) {
  const bool all = std::all_of(list.offsets.begin(), list.offsets.end(),
                               [&store](std::uint32_t offset) { return IsMarked(store, offset); });
  for (const std::uint32_t offset : list.offsets) SetMarked(store, offset, !all);
}

std::int32_t RowOfRecordId(const EventList& list, const EventStore& store, std::int32_t recordId) {
  for (std::size_t r = 0; r < list.offsets.size(); ++r) {
    if (Long(store.store, list.offsets[r] + rec::kRecordId) == recordId) return static_cast<std::int32_t>(r);
  }
  return -1;
}

std::int32_t LastRowOnOrBefore(const EventList& list, const EventStore& store, std::int32_t packedDate) {
  std::int32_t found = -1;
  for (std::size_t r = 0; r < list.offsets.size(); ++r) {
    // No early end: a damaged file that was never saved is not sorted by date.
    if (Long(store.store, list.offsets[r] + rec::kDate) <= packedDate) found = static_cast<std::int32_t>(r);
  }
  return found;
}

}  // namespace kal
