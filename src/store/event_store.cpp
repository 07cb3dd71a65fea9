#include "store/event_store.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>
#include <limits>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"
#include "store/log.h"

namespace kal {

namespace {

// Keeps the window alive during long loops without letting the pump dominate.
class PumpThrottle {
 public:
  explicit PumpThrottle(Host& host) : host_(host), last_(std::chrono::steady_clock::now()) {}
  void Tick() {
    if ((++calls_ & 255u) != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ >= std::chrono::milliseconds(5)) {
      host_.PumpMessages();
      last_ = now;
    }
  }

 private:
  Host& host_;
  std::chrono::steady_clock::time_point last_;
  std::uint32_t calls_ = 0;
};

// Reports "done of total" only when the whole percentage moves, so that a
// save of 100,000 records does not make 100,000 calls into the window.
class ProgressReporter {
 public:
  ProgressReporter(Host& host, const char* caption, std::uint32_t total)
      : host_(host), caption_(caption), total_(total) {
    host_.StartProgress();
  }
  ~ProgressReporter() { host_.CloseProgress(); }
  void Show(std::uint32_t done) {
    const std::uint64_t percent = total_ == 0 ? 100 : static_cast<std::uint64_t>(done) * 100 / total_;
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    host_.ShowProgress(caption_, done, total_);
  }

 private:
  Host& host_;
  const char* caption_;
  std::uint32_t total_;
  std::uint64_t lastPercent_ = ~0ull;
};

// The order that binary insertion (the file's historical sort) gives records
// with equal keys. An element that is not smaller than the largest key before
// it stays at the end; one that is smaller is placed by a search that stops on
// the last equal key and inserts in front of it. So within one run of equal
// keys, in file order: "stays" appends; "moved" goes just before the current
// last element of the run (or starts the run). Reproducing this keeps which
// duplicate survives, and the file bytes, the same as before, in O(n log n).
void OrderEqualRun(std::vector<std::uint32_t>::iterator first, std::vector<std::uint32_t>::iterator last,
                   const std::vector<std::uint8_t>& moved) {
  const auto count = static_cast<std::size_t>(last - first);
  if (count < 2) return;
  std::vector<std::uint32_t> body;
  body.reserve(count);
  std::uint32_t tail = *first;
  for (auto it = first + 1; it != last; ++it) {
    if (moved[*it]) {
      body.push_back(*it);
    } else {
      body.push_back(tail);
      tail = *it;
    }
  }
  std::copy(body.begin(), body.end(), first);
  *(first + static_cast<std::ptrdiff_t>(body.size())) = tail;
}

struct SortEntry {
  std::uint64_t prefix;  // key bytes 0-7, big-endian
  std::uint64_t prefix2;  // key bytes 8-15
  std::uint32_t keyStart;
  std::uint32_t keyLength;
  std::uint32_t index;  // position in file order
};

std::string_view KeyOf(const std::string& arena, const SortEntry& e) {
  return std::string_view(arena).substr(e.keyStart, e.keyLength);
}

// Eight bytes from `from`, big-endian, zero-padded: orders like the bytes do.
std::uint64_t KeyPrefix(std::string_view key, std::size_t from) {
  std::uint64_t v = 0;
  for (std::size_t i = from; i < from + 8; ++i) {
    v = (v << 8) | (i < key.size() ? static_cast<std::uint8_t>(key[i]) : 0u);
  }
  return v;
}

// Byte-string order: the two prefixes decide almost every comparison (date,
// time, kind and the first text letter); only ties look at the rest, so the
// zero padding of a short key can never decide an order on its own.
int CompareKeys(const std::string& arena, const SortEntry& x, const SortEntry& y) {
  if (x.prefix != y.prefix) return x.prefix < y.prefix ? -1 : 1;
  if (x.prefix2 != y.prefix2) return x.prefix2 < y.prefix2 ? -1 : 1;
  return KeyOf(arena, x).compare(KeyOf(arena, y));
}

std::uint64_t MaskedHash(const EventStore& s, std::uint32_t off) {
  const std::uint32_t len = RecordLength(s, off);
  const std::uint8_t* p = s.store.data() + off;
  const bool cycle = p[rec::kKind] == kKindCycle;
  std::uint64_t h = 1469598103934665603ull;
  for (std::uint32_t i = 0; i < len; ++i) {
    if (i >= rec::kRecordId && i < rec::kBody) continue;
    if (cycle && (i == rec::kPredicted || i == rec::kInterval)) continue;
    h = (h ^ p[i]) * 1099511628211ull;
  }
  return h;
}

}  // namespace

namespace {

// One index entry, date and offset, little-endian; on a little-endian machine
// one move.
void PutRawEntry(std::uint8_t* p, std::uint32_t date, std::uint32_t offset) {
  if constexpr (std::endian::native == std::endian::little) {
    const std::uint64_t entry = date | (static_cast<std::uint64_t>(offset) << 32);
    std::memcpy(p, &entry, 8);
    return;
  }
  for (int i = 0; i < 4; ++i) {
    p[i] = static_cast<std::uint8_t>(date >> (8 * i));
    p[4 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
  }
}

}  // namespace

bool ReadEventFile(EventStore& s) {
  s.savedKeys.reset();
  BufFree(s.index);
  s.indexCount = 0;
  BufFree(s.store);
  s.storeSize = 0;
  FileReadResult read;
  if (s.mapFile) {
    std::uint8_t* mapped = nullptr;
    read = MapWholeFile(s.eventFile, kMaxStoreSize, mapped);
    BufAdopt(mapped, read.size, UnmapFile, s.store);
  } else {
    read = ReadWholeFile(s.eventFile, kMaxStoreSize, [&s](std::size_t size) -> std::uint8_t* {
      BufAlloc(size, s.store);
      return s.store.empty() ? nullptr : s.store.data();
    });
  }
  bool ok = true;
  if (read.outcome == ReadOutcome::kRead) {
    s.storeSize = static_cast<std::uint32_t>(read.size);
  } else if (read.outcome != ReadOutcome::kMissing) {
    // Nothing of a file read in part is kept: shown, it would look like all
    // there is, and a save would make that true.
    BufFree(s.store);
    s.readOnly = true;
    s.loadError = read.message;
    LogLine(read.message);
    ok = false;
  }
  return ok;
}

bool LoadEvents(EventStore& s, CorruptionReporter* reporter) {
  const bool ok = ReadEventFile(s);
  CountingReporter counter;
  BuildEventIndex(s, reporter != nullptr ? reporter : &counter);
  counter.LogSummary(s.eventFile);
  return ok;
}

void BuildEventIndex(EventStore& s, CorruptionReporter* reporter) {
  BufFree(s.index);
  s.indexCount = 0;
  s.indexSorted = true;
  if (s.storeSize == 0) return;
  // Never more entries than records of the smallest size fit in the store: one
  // block, of which only the used part is ever touched, trimmed at the end.
  BufAlloc((s.storeSize / kMinRecordLength + 1) * 8u, s.index);
  if (s.index.empty()) return;
  // Every record is at least kMinRecordLength long, so the block holds an
  // entry for each: the loop writes without checking.
  std::uint8_t* entry = s.index.data();
  const std::uint8_t* store = s.store.data();
  std::uint32_t count = 0;
  bool sorted = true;
  std::int32_t previousDate = INT32_MIN;
  ForEachRecord(
      s, s.storeSize,
      [&](std::uint32_t p, std::uint32_t) {
        const auto date = static_cast<std::int32_t>(LoadLong(store + p + rec::kDate));
        PutRawEntry(entry + 8u * count, static_cast<std::uint32_t>(date), p);
        ++count;
        sorted = sorted && date >= previousDate;
        previousDate = date;
      },
      reporter);
  s.indexCount = count;
  s.indexSorted = sorted;
  BufResize(8u * s.indexCount, s.index);
}

std::uint32_t FirstIndexFrom(const EventStore& s, std::int32_t date) {
  std::uint32_t lo = 0;
  std::uint32_t hi = static_cast<std::uint32_t>(std::min<std::size_t>(s.indexCount, s.index.size() / 8));
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    if (IndexDate(s, mid) < date) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

bool IsDuplicateRecord(const EventStore& s, std::uint32_t a, std::uint32_t b) {
  const std::uint32_t len = RecordLength(s, a);
  if (RecordKindAt(s, a) == kKindDeleted) return false;
  if (!s.store.Holds(a, len) || !s.store.Holds(b, len) || len > s.storeSize) return false;
  const std::uint8_t* pa = s.store.data() + a;
  const std::uint8_t* pb = s.store.data() + b;
  if (std::memcmp(pa, pb, rec::kRecordId) != 0) return false;
  std::uint32_t from = rec::kBody;
  if (pa[rec::kKind] == kKindCycle) from = rec::kInterval + 1;
  if (len <= from) return true;
  return std::memcmp(pa + from, pb + from, len - from) == 0;
}

// What the last save wrote and the keys it sorted that by: a record found at
// the same offset with the same bytes has the same key, since a builder's key
// depends only on the record's bytes and its tag.
struct SavedSortKeys {
  std::string tag;
  std::vector<std::uint8_t> image;     // the file as written
  std::vector<std::uint32_t> offsets;  // where each record starts in it
  std::vector<SortEntry> entries;      // each record's key, in the arena
  std::string arena;
};

namespace {

// Collects the live records and their keys: reused from `saved` where a
// record's bytes are the ones it saw, built otherwise. `clean` marks reuse.
void BuildSortEntries(const EventStore& s, const SortKeyBuilder& keys, const SavedSortKeys* saved, Host& host,
                      std::vector<std::uint32_t>& offsets, std::vector<SortEntry>& entries,
                      std::vector<std::uint8_t>& clean, std::string& arena) {
  PumpThrottle pump(host);
  offsets.reserve(s.indexCount + 1024);
  ForEachRecord(s, s.storeSize, [&](std::uint32_t p, std::uint32_t) {
    if (RecordKindAt(s, p) != kKindDeleted) offsets.push_back(p);
  });
  const auto n = static_cast<std::uint32_t>(offsets.size());
  entries.resize(n);
  clean.assign(n, 0);
  arena.reserve(arena.size() + (saved != nullptr ? 0 : static_cast<std::size_t>(n) * 48));
  ProgressReporter progress(host, "Sorting Events", n);
  std::size_t j = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t p = offsets[i];
    if (saved != nullptr) {
      const std::uint32_t len = RecordLength(s, p);
      while (j < saved->offsets.size() && saved->offsets[j] < p) ++j;
      if (j < saved->offsets.size() && saved->offsets[j] == p && std::size_t{p} + len <= saved->image.size() &&
          std::memcmp(s.store.data() + p, saved->image.data() + p, len) == 0) {
        entries[i] = saved->entries[j];
        entries[i].index = i;
        clean[i] = 1;
        progress.Show(i + 1);
        continue;
      }
    }
    const std::size_t start = arena.size();
    keys.AppendKey(s, p, arena);
    const std::string_view key = std::string_view(arena).substr(start);
    entries[i] = SortEntry{KeyPrefix(key, 0), KeyPrefix(key, 8), static_cast<std::uint32_t>(start),
                           static_cast<std::uint32_t>(key.size()), i};
    progress.Show(i + 1);
    pump.Tick();
  }
}

// Sorts by key, ties by file position. Records whose keys were reused are
// already in key order when the last save's order still holds; then only the
// others are sorted and the two merged, which gives the same result as the
// whole sort because (key, position) orders strictly.
void SortEntries(const std::string& arena, std::vector<SortEntry>& entries, const std::vector<std::uint8_t>& clean,
                 bool reused) {
  auto less = [&](const SortEntry& x, const SortEntry& y) {
    const int c = CompareKeys(arena, x, y);
    return c != 0 ? c < 0 : x.index < y.index;
  };
  std::vector<SortEntry> kept;
  std::vector<SortEntry> changed;
  if (reused) {
    kept.reserve(entries.size());
    for (const SortEntry& e : entries) {
      if (!clean[e.index]) {
        changed.push_back(e);
      } else if (!kept.empty() && CompareKeys(arena, kept.back(), e) > 0) {
        reused = false;
        break;
      } else {
        kept.push_back(e);
      }
    }
  }
  if (!reused) {
    std::sort(entries.begin(), entries.end(), less);
    return;
  }
  std::sort(changed.begin(), changed.end(), less);
  std::merge(kept.begin(), kept.end(), changed.begin(), changed.end(), entries.begin(), less);
}

// Keys no longer referenced pile up in the arena from save to save; once they
// outweigh the live ones the arena is rebuilt in file order.
void CompactArena(SavedSortKeys& saved) {
  std::size_t live = 0;
  for (const SortEntry& e : saved.entries) live += e.keyLength;
  if (saved.arena.size() <= 2 * live + (1u << 20)) return;
  std::string arena;
  arena.reserve(live);
  for (SortEntry& e : saved.entries) {
    const std::size_t start = arena.size();
    arena.append(saved.arena, e.keyStart, e.keyLength);
    e.keyStart = static_cast<std::uint32_t>(start);
  }
  saved.arena = std::move(arena);
}

}  // namespace

bool SaveEvents(EventStore& s, const SortKeyBuilder& keys, Host& host) {
  if (s.readOnly) {
    host.ReportError("Could not save events to " + LiteralDialogText(s.eventFile) + "|" + s.loadError +
                     "|Nothing is saved until the program is restarted.");
    return false;
  }
  PumpThrottle pump(host);

  // Taken out of the store for the save; put back only when the save
  // succeeded, so a failure leaves the next save to build every key.
  std::shared_ptr<SavedSortKeys> saved = std::move(s.savedKeys);
  const std::string tag = keys.ReuseTag();
  if (saved != nullptr && (tag.empty() || saved->tag != tag)) saved.reset();

  // Sort. The keys live in one block; each entry carries the key's first
  // sixteen bytes as two big-endian numbers, so most comparisons are one
  // integer compare instead of a walk over the shared "YYYYMMDD" prefix.
  std::vector<std::uint32_t> offsets;
  std::vector<SortEntry> entries;
  std::vector<std::uint8_t> clean;
  std::string arena = saved != nullptr ? std::move(saved->arena) : std::string();
  BuildSortEntries(s, keys, saved.get(), host, offsets, entries, clean, arena);
  const auto n = static_cast<std::uint32_t>(offsets.size());
  std::vector<std::uint8_t> moved(n, 0);
  for (std::uint32_t i = 1, maxSoFar = 0; i < n; ++i) {
    if (CompareKeys(arena, entries[i], entries[maxSoFar]) < 0) {
      moved[i] = 1;
    } else {
      maxSoFar = i;
    }
  }
  SortEntries(arena, entries, clean, saved != nullptr);
  std::vector<std::uint32_t> order(n);
  for (std::uint32_t i = 0; i < n; ++i) order[i] = entries[i].index;
  auto sameKey = [&](std::uint32_t a, std::uint32_t b) { return CompareKeys(arena, entries[a], entries[b]) == 0; };
  for (std::uint32_t i = 0; i < n;) {
    std::uint32_t j = i + 1;
    while (j < n && sameKey(i, j)) ++j;
    OrderEqualRun(order.begin() + i, order.begin() + j, moved);
    i = j;
  }

  // Remove duplicates: first every record that directly follows a live record
  // and duplicates it, then every remaining duplicate inside a run of equal
  // keys, where a record with other bytes between two twins used to hide one.
  std::vector<std::uint8_t> dropped(n, 0);
  if (n > 1) {
    ProgressReporter progress(host, "Removing Duplicates", n);
    std::uint32_t reference = 0;
    for (std::uint32_t b = 1; b < n; ++b) {
      if (IsDuplicateRecord(s, offsets[order[reference]], offsets[order[b]])) {
        dropped[b] = 1;
      } else {
        reference = b;
      }
      progress.Show(b);
      pump.Tick();
    }
    std::unordered_multimap<std::uint64_t, std::uint32_t> kept;
    for (std::uint32_t i = 0; i < n;) {
      std::uint32_t j = i + 1;
      while (j < n && sameKey(i, j)) ++j;
      if (j - i > 1) {
        kept.clear();
        for (std::uint32_t k = i; k < j; ++k) {
          if (dropped[k]) continue;
          const std::uint32_t off = offsets[order[k]];
          const std::uint64_t h = MaskedHash(s, off);
          bool twin = false;
          auto range = kept.equal_range(h);
          for (auto it = range.first; it != range.second && !twin; ++it) {
            twin = IsDuplicateRecord(s, offsets[order[it->second]], off);
          }
          if (twin) {
            dropped[k] = 1;
          } else {
            kept.emplace(h, k);
          }
        }
      }
      i = j;
    }
    progress.Show(n);
  }

  // Assemble the file in one block, write it with one call and keep it as
  // the new store: it is byte for byte what a reload would read back. Each
  // written record keeps its key (equal keys are interchangeable).
  std::uint64_t total = 0;
  std::uint32_t written = 0;
  for (std::uint32_t k = 0; k < n; ++k) {
    if (dropped[k]) continue;
    total += RecordLength(s, offsets[order[k]]);
    ++written;
  }
  MemBuffer image;
  if (total > 0) BufAlloc(static_cast<std::size_t>(total), image);
  // The last save's blocks are reused: fresh ones of this size cost a page
  // fault per page.
  auto next = saved != nullptr ? saved : std::make_shared<SavedSortKeys>();
  std::vector<std::uint32_t> nextOffsets = std::move(next->offsets);
  std::vector<SortEntry> nextEntries = std::move(next->entries);
  nextOffsets.clear();
  nextEntries.clear();
  AtomicFileWriter writer(s.eventFile);
  if (image.empty()) {
    // No block that large: write record by record and read the file back.
    for (std::uint32_t k = 0; k < n && writer.ok(); ++k) {
      if (dropped[k]) continue;
      const std::uint32_t off = offsets[order[k]];
      writer.Write(s.store.data() + off, RecordLength(s, off));
    }
  } else {
    nextOffsets.reserve(written);
    nextEntries.reserve(written);
    std::uint32_t at = 0;
    for (std::uint32_t k = 0; k < n; ++k) {
      if (dropped[k]) continue;
      const std::uint32_t off = offsets[order[k]];
      const std::uint32_t len = RecordLength(s, off);
      std::memcpy(image.data() + at, s.store.data() + off, len);
      nextOffsets.push_back(at);
      nextEntries.push_back(entries[k]);
      at += len;
    }
    writer.Write(image.data(), image.size());
  }
  if (!writer.Commit()) {
    // The old file is intact and the store is exactly as it was: the
    // duplicates found were only noted, so a later save finds them again.
    host.ReportError("Could not save events to " + LiteralDialogText(s.eventFile) + "|" + writer.error());
    return false;
  }
  if (total == 0 || image.empty()) {
    LoadEvents(s);
    return true;
  }
  s.store = std::move(image);
  s.storeSize = static_cast<std::uint32_t>(total);
  BuildEventIndex(s);
  s.savedKeys.reset();
  if (!tag.empty()) {
    next->tag = tag;
    next->offsets = std::move(nextOffsets);
    next->entries = std::move(nextEntries);
    next->image.assign(s.store.data(), s.store.data() + s.storeSize);
    next->arena = std::move(arena);
    CompactArena(*next);
    s.savedKeys = std::move(next);
  }
  return true;
}

namespace {

// The first of `count` consecutive ids (of the field at `field`) that no
// record uses: one past the largest while that fits, else the lowest gap.
std::int32_t FirstFreeIds(const EventStore& s, std::uint32_t field, std::uint32_t count) {
  if (count == 0) count = 1;
  constexpr std::int64_t kTop = std::numeric_limits<std::int32_t>::max();
  std::int64_t largest = -1;
  ForEachRecord(s, s.storeSize, [&](std::uint32_t p, std::uint32_t) {
    largest = std::max<std::int64_t>(largest, Long(s.store, p + field));
  });
  if (largest + count <= kTop) return static_cast<std::int32_t>(largest + 1);
  std::vector<std::int32_t> used;
  ForEachRecord(s, s.storeSize, [&](std::uint32_t p, std::uint32_t) {
    const std::int32_t id = Long(s.store, p + field);
    if (id >= 0) used.push_back(id);
  });
  std::sort(used.begin(), used.end());
  std::int64_t candidate = 0;
  for (const std::int32_t id : used) {
    if (id - candidate >= count) return static_cast<std::int32_t>(candidate);
    candidate = std::max<std::int64_t>(candidate, static_cast<std::int64_t>(id) + 1);
  }
  return kTop + 1 - candidate >= count ? static_cast<std::int32_t>(candidate) : kNoFreeId;
}

}  // namespace

std::int32_t NextRecordId(const EventStore& s) { return FirstFreeIds(s, rec::kRecordId, 1); }

std::int32_t NextRecordIds(const EventStore& s, std::uint32_t count) { return FirstFreeIds(s, rec::kRecordId, count); }

std::int32_t NextGroupId(const EventStore& s) { return FirstFreeIds(s, rec::kGroupId, 1); }

bool AppendRecordBytes(EventStore& s, const std::uint8_t* bytes, std::uint32_t length) {
  if (length == 0) return true;
  if (length > kMaxStoreSize - std::min(s.storeSize, kMaxStoreSize)) return false;
  if (s.store.empty() || s.storeSize == 0) {
    BufFree(s.store);
    BufAlloc(length, s.store);
    s.storeSize = 0;
  } else if (s.store.size() < static_cast<std::size_t>(s.storeSize) + length) {
    // Grow geometrically: a group of 150 copies must not cost 150 reallocations
    // of a store of many megabytes.
    const std::size_t wanted = static_cast<std::size_t>(s.storeSize) + length;
    BufResize(std::max(wanted, s.store.size() + s.store.size() / 2), s.store);
  }
  if (s.store.empty()) {
    s.storeSize = 0;
    return false;
  }
  std::memcpy(s.store.data() + s.storeSize, bytes, length);
  s.storeSize += length;
  return true;
}

void AppendRecord(EventStore& s) {
  const std::int32_t len = Long(s.workRecord, rec::kLength);
  if (len < static_cast<std::int32_t>(kMinRecordLength) || !s.workRecord.Holds(0, static_cast<std::size_t>(len))) return;
  (void)AppendRecordBytes(s, s.workRecord.data(), static_cast<std::uint32_t>(len));
}

void DeleteRecord(EventStore& s, std::uint32_t offset) {
  if (offset >= s.storeSize) return;
  SetByte(s.store, offset + rec::kKind, kKindDeleted);
}

void EnsureWorkRecord(EventStore& s) {
  if (s.workRecord.empty()) {
    BufAlloc(kWorkRecordSize, s.workRecord);
    FillBytes(s.workRecord, 0, s.workRecord.size(), 0);
  }
}

void PrepareWorkRecord(EventStore& s, RecordKind kind, std::uint8_t category, std::int32_t packedDate) {
  EnsureWorkRecord(s);
  if (s.workRecord.empty()) return;
  FillBytes(s.workRecord, 0, kind == kKindGeneric ? kWorkRecordSize : 512, 0);
  std::uint32_t length = rec::kGenericFixed;
  switch (kind) {
    case kKindGeneric:
      length = rec::kGenericFixed;
      SetByte(s.workRecord, rec::kStartHour, 255);
      SetByte(s.workRecord, rec::kStartMinute, 0);
      SetByte(s.workRecord, rec::kEndHour, 99);
      SetByte(s.workRecord, rec::kEndMinute, 0);
      break;
    case kKindWeight: length = rec::kWeightFixed; break;
    case kKindCycle: length = rec::kCycleFixed; break;
    case kKindBloodPressure: length = rec::kPressureFixed; break;
    case kKindCholesterol: length = rec::kCholesterolFixed; break;
    case kKindGlucose: length = rec::kGlucoseFixed; break;
    default: break;
  }
  SetLong(s.workRecord, rec::kLength, static_cast<std::int32_t>(length));
  SetByte(s.workRecord, rec::kKind, kind);
  SetByte(s.workRecord, rec::kCategory, category);
  SetLong(s.workRecord, rec::kDate, packedDate);
  SetWord(s.workRecord, length - 2, kEndMarker);
}

}  // namespace kal
