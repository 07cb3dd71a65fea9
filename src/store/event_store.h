// The event file held in memory.
//
// The whole of "Event20.dat" lives in one MemBuffer; records are addressed by
// byte offset and never move while the program runs: edits append the new
// version and set the old record's kind to 0. Offsets stay valid until the
// next SaveEvents, which rewrites the file sorted and without duplicates and
// reloads it. The EventIndex lists (date, offset) of every well-formed record
// in file order, deleted ones included; readers test the kind.
//
// An EventStore is owned by the program state (or a test) and lives for the
// whole run; nothing here touches the window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "store/corruption.h"
#include "store/event_record.h"
#include "store/host.h"
#include "store/mem_buffer.h"

namespace kal {

struct SavedSortKeys;

struct EventStore {
  std::string eventFile;  // full path of "Event20.dat"

  MemBuffer store;             // the file image plus appended records
  std::uint32_t storeSize = 0;  // bytes in use

  MemBuffer index;               // 8-byte entries: date (4), offset (4)
  std::uint32_t indexCount = 0;
  // True when the index dates never decrease, which is how SaveEvents leaves
  // the file; lets readers binary-search a day instead of scanning.
  bool indexSorted = true;

  MemBuffer workRecord;  // kWorkRecordSize bytes, allocated on first use

  // Set for the rest of the run when a load found a file it could not read
  // whole (a read error, a size beyond kMaxStoreSize, a folder or pipe in its
  // place): the store then holds nothing of it, and a save would replace the
  // user's records with that nothing, so SaveEvents refuses. loadError is the
  // one-line reason.
  bool readOnly = false;
  std::string loadError;

  // Set by short runs that read the file once (the command line): LoadEvents
  // maps the file instead of copying it (see MapWholeFile).
  bool mapFile = false;

  // The keys of the last save and the bytes they were built from, so that
  // the next save builds keys only for records that changed since. Dropped
  // by LoadEvents.
  std::shared_ptr<SavedSortKeys> savedKeys;
};

// The largest event file the store holds: offsets are kept as 32-bit signed
// numbers in the index.
constexpr std::uint32_t kMaxStoreSize = 0x7FFFFFFFu;

// Why the bytes at `offset` do not start a well-formed record that ends by
// `end`, or nullptr when they do; `length` is then the record's length. A
// record is well-formed when its length is at least the header and the end
// marker, fits before `end`, is not shorter than its kind's fixed fields, and
// its last two bytes are the end marker.
// Inline: the readers call it for every record of the file.
inline const char* CheckRecordAt(const EventStore& s, std::uint32_t offset, std::uint32_t end,
                                 std::uint32_t& length) {
  length = 0;
  if (offset >= end || end - offset < kMinRecordLength || !s.store.Holds(offset, end - offset)) {
    return "truncated record";
  }
  const std::uint8_t* p = s.store.data() + offset;
  const auto raw = static_cast<std::int32_t>(LoadLong(p + rec::kLength));
  if (raw < static_cast<std::int32_t>(kMinRecordLength)) return "bad record length";
  const auto len = static_cast<std::uint32_t>(raw);
  if (len > end - offset) return "record runs past the end";
  if (LoadWord(p + len - 2) != kEndMarker) return "missing end marker";
  if (len < MinRecordLength(p[rec::kKind])) return "record too short for its kind";
  length = len;
  return nullptr;
}

// Calls visit(offset, length) for each well-formed record that starts before
// `end` (held to the store's size), in file order. Damaged bytes are skipped
// one at a time until the next well-formed record; each skipped stretch goes
// to the reporter once. `end` is fixed by the caller, so records a visitor
// appends are not visited.
template <typename Visit>
void ForEachRecord(const EventStore& s, std::uint32_t end, Visit&& visit, CorruptionReporter* reporter = nullptr) {
  if (end > s.storeSize) end = s.storeSize;
  if (end > s.store.size()) end = static_cast<std::uint32_t>(s.store.size());
  std::uint32_t p = 0;
  std::uint32_t damageStart = 0;
  const char* damage = nullptr;
  while (p < end) {
    std::uint32_t length = 0;
    const char* why = CheckRecordAt(s, p, end, length);
    if (why != nullptr) {
      if (damage == nullptr) {
        damage = why;
        damageStart = p;
      }
      ++p;
      continue;
    }
    if (damage != nullptr && reporter != nullptr) reporter->Corruption(p - damageStart, damage);
    damage = nullptr;
    visit(p, length);
    p += length;
  }
  if (damage != nullptr && reporter != nullptr) reporter->Corruption(end - damageStart, damage);
}

// Index entry accessors (no bounds beyond the buffer's own).
inline std::int32_t IndexDate(const EventStore& s, std::uint32_t i) { return Long(s.index, 8u * i); }
inline std::uint32_t IndexOffset(const EventStore& s, std::uint32_t i) {
  return static_cast<std::uint32_t>(Long(s.index, 8u * i + 4));
}

// The first index position whose date is not before `date` (indexCount when
// none is). Meaningful only while indexSorted holds.
std::uint32_t FirstIndexFrom(const EventStore& s, std::int32_t date);

// Discards the store and index and reads the file anew. A missing file gives
// an empty store; damaged stretches are skipped by BuildEventIndex and go to
// the reporter, or, without one, as one summary line to the error log.
// Returns false, with the store empty, readOnly set and loadError saying why,
// when the file is there but could not be read whole.
bool LoadEvents(EventStore& s, CorruptionReporter* reporter = nullptr);
// The first half of LoadEvents: the file into the store, without the index,
// for a reader that walks the records once (ForEachRecord) in file order.
bool ReadEventFile(EventStore& s);
// Scans the store for well-formed records (ForEachRecord) and rebuilds the
// index.
void BuildEventIndex(EventStore& s, CorruptionReporter* reporter = nullptr);

// Builds the byte-string key SaveEvents sorts by. The store knows nothing of
// the texts shown to the user, so the layer that does supplies the key.
class SortKeyBuilder {
 public:
  virtual ~SortKeyBuilder() = default;
  // Appends the key of the record at the offset to `out`; keys compare as
  // unsigned byte strings, a prefix first.
  virtual void AppendKey(const EventStore& s, std::uint32_t offset, std::string& out) const = 0;
  // Names everything besides the record's own bytes that its key depends on.
  // A save given the same tag as the last one reuses the key of every record
  // whose bytes did not change since; the default, empty, builds every key
  // anew each time.
  virtual std::string ReuseTag() const { return {}; }
};

// Writes every live record, sorted by the builder's keys and without duplicates, to
// a temporary file beside the event file, flushes it and renames it over the
// old file; then reloads. When writing fails, or the store is read-only, the
// old file stays as it was, the store stays byte for byte as it was, the
// failure goes to host.ReportError and false is returned.
bool SaveEvents(EventStore& s, const SortKeyBuilder& keys, Host& host);

// Returned when no id is left.
constexpr std::int32_t kNoFreeId = -1;

// One more than the largest record id (group id) in the store, deleted records
// included; 0 for an empty store or one whose ids are all negative. When the
// largest id is already the largest 32-bit number, the smallest id from 0 up
// that no record uses; kNoFreeId when every one is taken.
std::int32_t NextRecordId(const EventStore& s);
std::int32_t NextGroupId(const EventStore& s);
// The first of `count` consecutive record ids that no record uses, found the
// same way: ids counted up from the result are all free.
std::int32_t NextRecordIds(const EventStore& s, std::uint32_t count);

// Appends the record assembled in the work record (its length field says how
// long it is). The index is not updated; callers save next.
void AppendRecord(EventStore& s);
// Appends `length` bytes from `bytes` as one record. Returns false, appending
// nothing, when the store would grow beyond kMaxStoreSize or memory ran out.
bool AppendRecordBytes(EventStore& s, const std::uint8_t* bytes, std::uint32_t length);
// Marks the record at the offset deleted (kind 0).
void DeleteRecord(EventStore& s, std::uint32_t offset);

// Makes sure the work record exists (kWorkRecordSize bytes).
void EnsureWorkRecord(EventStore& s);
// Prepares a new record of the kind in the work record: clears it (512 bytes,
// or all of it for a generic event), writes the header, the kind's defaults
// and the end marker. Record id and group id are the caller's to set.
void PrepareWorkRecord(EventStore& s, RecordKind kind, std::uint8_t category, std::int32_t packedDate);

// True when the records at a and b are equal in every byte of a's length but
// the record and group ids (and, for menstrual cycles, the prediction flag and
// interval). A deleted record is never a duplicate reference.
bool IsDuplicateRecord(const EventStore& s, std::uint32_t a, std::uint32_t b);

// Record field helpers for readers of the store.
inline std::uint32_t RecordLength(const EventStore& s, std::uint32_t off) {
  return static_cast<std::uint32_t>(Long(s.store, off + rec::kLength));
}
inline std::uint32_t RecordKindAt(const EventStore& s, std::uint32_t off) { return Byte(s.store, off + rec::kKind); }

}  // namespace kal
