#include "store/event_store.h"

#include <algorithm>
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

const char* CheckRecordAt(const EventStore& s, std::uint32_t offset, std::uint32_t end, std::uint32_t& length) {
  length = 0;
  if (offset >= end || end - offset < kMinRecordLength) return "truncated record";
  const std::int32_t raw = Long(s.store, offset + rec::kLength);
  if (raw < static_cast<std::int32_t>(kMinRecordLength)) return "bad record length";
  const auto len = static_cast<std::uint32_t>(raw);
  if (len > end - offset) return "record runs past the end";
  if (Word(s.store, offset + len - 2) != kEndMarker) return "missing end marker";
  if (len < MinRecordLength(RecordKindAt(s, offset))) return "record too short for its kind";
  length = len;
  return nullptr;
}

bool LoadEvents(EventStore& s, CorruptionReporter* reporter) {
  BufFree(s.store);
  s.storeSize = 0;
  const FileReadResult read = ReadWholeFile(s.eventFile, kMaxStoreSize, [&s](std::size_t size) -> std::uint8_t* {
    BufAlloc(size, s.store);
    return s.store.empty() ? nullptr : s.store.data();
  });
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
  std::int32_t previousDate = INT32_MIN;
  ForEachRecord(
      s, s.storeSize,
      [&](std::uint32_t p, std::uint32_t) {
        const std::int32_t date = Long(s.store, p + rec::kDate);
        SetLong(s.index, 8u * s.indexCount, date);
        SetLong(s.index, 8u * s.indexCount + 4, static_cast<std::int32_t>(p));
        ++s.indexCount;
        if (date < previousDate) s.indexSorted = false;
        previousDate = date;
      },
      reporter);
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

bool SaveEvents(EventStore& s, const SortKeyBuilder& keys, Host& host) {
  if (s.readOnly) {
    host.ReportError("Could not save events to " + LiteralDialogText(s.eventFile) + "|" + s.loadError +
                     "|Nothing is saved until the program is restarted.");
    return false;
  }
  PumpThrottle pump(host);

  // Collect the live records.
  std::vector<std::uint32_t> offsets;
  offsets.reserve(s.indexCount + 1024);
  ForEachRecord(s, s.storeSize, [&](std::uint32_t p, std::uint32_t) {
    if (RecordKindAt(s, p) != kKindDeleted) offsets.push_back(p);
  });
  const auto n = static_cast<std::uint32_t>(offsets.size());

  // Sort. The keys live in one block; each entry carries the key's first
  // eight bytes as a big-endian number, so most comparisons are one integer
  // compare instead of a walk over the shared "YYYYMMDD" prefix.
  std::string arena;
  arena.reserve(static_cast<std::size_t>(n) * 48);
  std::vector<SortEntry> entries(n);
  std::vector<std::uint8_t> moved(n, 0);
  {
    ProgressReporter progress(host, "Sorting Events", n);
    std::size_t maxSoFar = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::size_t start = arena.size();
      keys.AppendKey(s, offsets[i], arena);
      entries[i] = SortEntry{0, 0, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(arena.size() - start), i};
      progress.Show(i + 1);
      pump.Tick();
    }
    for (std::uint32_t i = 0; i < n; ++i) {
      entries[i].prefix = KeyPrefix(KeyOf(arena, entries[i]), 0);
      entries[i].prefix2 = KeyPrefix(KeyOf(arena, entries[i]), 8);
      if (i > 0) {
        if (CompareKeys(arena, entries[i], entries[maxSoFar]) < 0) {
          moved[i] = 1;
        } else {
          maxSoFar = i;
        }
      }
    }
  }
  // Ties broken by file position make the unstable sort give the stable order.
  std::sort(entries.begin(), entries.end(), [&](const SortEntry& x, const SortEntry& y) {
    const int c = CompareKeys(arena, x, y);
    return c != 0 ? c < 0 : x.index < y.index;
  });
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

  // Write.
  AtomicFileWriter writer(s.eventFile);
  for (std::uint32_t k = 0; k < n && writer.ok(); ++k) {
    if (dropped[k]) continue;
    const std::uint32_t off = offsets[order[k]];
    writer.Write(s.store.data() + off, RecordLength(s, off));
  }
  if (!writer.Commit()) {
    // The old file is intact and the store is exactly as it was: the
    // duplicates found were only noted, so a later save finds them again.
    host.ReportError("Could not save events to " + LiteralDialogText(s.eventFile) + "|" + writer.error());
    return false;
  }

  LoadEvents(s);
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
