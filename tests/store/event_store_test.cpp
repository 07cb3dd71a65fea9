#include "store/event_store.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "store/log.h"
#include "support/record_builder.h"
#include "support/test_support.h"

namespace kal {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Packed;

Bytes Generic(std::int32_t date, std::string_view text, std::uint32_t id = 0, std::uint32_t group = 0) {
  return test::RecordBytes(kKindGeneric, date, rec::kGenericFixed)
      .Long(rec::kRecordId, id)
      .Long(rec::kGroupId, group)
      .Byte(rec::kStartHour, 255)
      .Byte(rec::kEndHour, 99)
      .Text(text)
      .Finish();
}

void SetLongBytes(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The store is tested without the texts shown to the user: records sort by
// their date, then by their bytes from the body on.
class RawKeys final : public SortKeyBuilder {
 public:
  void AppendKey(const EventStore& s, std::uint32_t offset, std::string& out) const override {
    const auto date = static_cast<std::uint32_t>(Long(s.store, offset + rec::kDate));
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((date >> shift) & 0xFF));
    const std::uint8_t* p = s.store.data() + offset;
    out.append(reinterpret_cast<const char*>(p + rec::kBody), RecordLength(s, offset) - rec::kBody);
  }
};

class RecordingHost : public Host {
 public:
  void ReportError(const std::string& message) override { errors.push_back(message); }
  std::vector<std::string> errors;
};

class Recorder : public CorruptionReporter {
 public:
  void Corruption(std::size_t bytes, std::string_view reason) override { dropped.emplace_back(bytes, reason); }
  std::vector<std::pair<std::size_t, std::string>> dropped;
};

class EventFileTest : public ::testing::Test {
 protected:
  void SetUp() override { store.eventFile = dir.File("Event20.dat"); }
  void Load(const Bytes& bytes, CorruptionReporter* reporter = nullptr) {
    test::WriteAll(store.eventFile, bytes);
    LoadEvents(store, reporter);
  }
  bool Save() { return SaveEvents(store, RawKeys(), host); }
  Bytes Image() const { return Bytes(store.store.data(), store.store.data() + store.storeSize); }
  void Append(const Bytes& b) { AppendRecordBytes(store, b.data(), static_cast<std::uint32_t>(b.size())); }
  test::TempDir dir;
  EventStore store;
  RecordingHost host;
};

TEST_F(EventFileTest, DamageIsSkippedReportedOnceAndDroppedAtTheNextSave) {
  const Bytes a = Generic(Packed(2024, 1, 2), "First", 7, 3);
  const Bytes b = Generic(Packed(2024, 1, 3), "Second", 8, 4);
  Bytes cut = Generic(Packed(2024, 1, 4), "Cut short");
  cut.resize(cut.size() - 5);
  // A stray end marker, zero lengths, and a length pointing back onto its own field.
  const Bytes garbage = {1, 2, 3, 0x31, 0xD4, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0};
  // A generic event of 28 bytes has a header and an end marker but not its
  // time fields; taken as a record, its times would come from the next one.
  Bytes shortGeneric = test::RecordBytes(kKindGlucose, Packed(2024, 1, 5), rec::kGlucoseFixed).Finish();
  shortGeneric[rec::kKind] = kKindGeneric;
  const Bytes glucose = test::RecordBytes(kKindGlucose, Packed(2024, 1, 5), rec::kGlucoseFixed).Finish();
  struct Case {
    const char* name;
    Bytes file;
    std::vector<std::uint32_t> offsets;
    std::vector<std::pair<std::size_t, std::string>> dropped;
  };
  const std::uint32_t afterGarbage = static_cast<std::uint32_t>(a.size() + garbage.size());
  const std::vector<Case> cases = {
      {"empty", {}, {}, {}},
      {"garbage between records, cut tail",
       Concat({a, garbage, b, cut}),
       {0, afterGarbage},
       {{garbage.size(), "record runs past the end"}, {cut.size(), "record runs past the end"}}},
      {"record too short for its kind",
       Concat({shortGeneric, b}),
       {static_cast<std::uint32_t>(shortGeneric.size())},
       {{shortGeneric.size(), "record too short for its kind"}}},
      {"the same bytes as a glucose reading are whole", Concat({glucose, b}), {0, 28}, {}},
  };
  for (const bool mapped : {false, true}) {
    store.mapFile = mapped;
    for (const Case& c : cases) {
      Recorder recorder;
      Load(c.file, &recorder);
      std::vector<std::uint32_t> offsets;
      for (std::uint32_t i = 0; i < store.indexCount; ++i) offsets.push_back(IndexOffset(store, i));
      EXPECT_EQ(offsets, c.offsets) << c.name << (mapped ? " (mapped)" : "");
      EXPECT_EQ(recorder.dropped, c.dropped) << c.name << (mapped ? " (mapped)" : "");
    }
  }
  store.mapFile = false;

  // Without a reporter of its own the load writes one summary line to the log.
  SetErrorLogFile(dir.File("error.log"));
  Load(Concat({a, garbage, b, cut}));
  SetErrorLogFile("");
  const Bytes log = test::ReadAll(dir.File("error.log"));
  EXPECT_EQ(std::string(log.begin(), log.end()),
            "Damaged File: " + store.eventFile + ", 53 bytes skipped in 2 places (record runs past the end)\r\n");
  EXPECT_EQ(NextRecordId(store), 9);
  EXPECT_EQ(NextGroupId(store), 5);
  ASSERT_TRUE(Save());
  EXPECT_EQ(test::ReadAll(store.eventFile), Concat({a, b}));
}

TEST_F(EventFileTest, AFileThatCannotBeReadWholeIsNeverSavedOver) {
  using test::Occupant;
  struct Case {
    Occupant occupant;
    const char* message;  // what the load error says after the path
  };
  const std::vector<Case> cases = {
      {Occupant::kNamedPipe, " is a named pipe, not a file"},
      {Occupant::kSocket, " is a socket, not a file"},
      {Occupant::kFolder, " is a folder, not a file"},
      {Occupant::kDevice, " is a device, not a file"},
      {Occupant::kSparse2GiB, ": it holds 2147483648 bytes, more than the 2147483647 this program can load"},
      {Occupant::kSparse4GiB, ": it holds 4294967296 bytes, more than the 2147483647 this program can load"},
      {Occupant::kSparse4GiB26, ": it holds 4294967322 bytes, more than the 2147483647 this program can load"},
  };
  for (const Case& c : cases) {
    for (const bool mapped : {false, true}) {
      test::TempDir folder;
      EventStore s;
      s.eventFile = folder.File("Event20.dat");
      s.mapFile = mapped;
      const std::string name = test::Place(c.occupant, s.eventFile) + (mapped ? " (mapped)" : "");
      const std::string before = test::Describe(s.eventFile);
      EXPECT_FALSE(LoadEvents(s)) << name;
      EXPECT_TRUE(s.readOnly) << name;
      EXPECT_EQ(s.storeSize + s.indexCount, 0u) << name;
      const std::string prefix = c.message[0] == ':' ? "cannot read " : "";
      EXPECT_EQ(s.loadError, prefix + s.eventFile + c.message) << name;

      const Bytes added = Generic(Packed(2024, 5, 5), "Added");
      AppendRecordBytes(s, added.data(), static_cast<std::uint32_t>(added.size()));
      RecordingHost h;
      EXPECT_FALSE(SaveEvents(s, RawKeys(), h)) << name;
      ASSERT_EQ(h.errors.size(), 1u) << name;
      EXPECT_EQ(h.errors[0], "Could not save events to " + s.eventFile + "|" + s.loadError +
                                 "|Nothing is saved until the program is restarted.");
      EXPECT_EQ(Bytes(s.store.data(), s.store.data() + s.storeSize), added) << name;
      EXPECT_EQ(test::Describe(s.eventFile), before) << name;
      EXPECT_EQ(test::Names(folder.path().string()), std::vector<std::string>{"Event20.dat"}) << name;
    }
  }
}

TEST_F(EventFileTest, AFailedSaveLeavesTheStoreByteForByteAsItWas) {
  // Twins (equal but for their ids) are found while saving; a save that then
  // fails must not have marked the second one deleted.
  const Bytes a = Generic(Packed(2024, 5, 5), "Twin", 1, 1);
  const Bytes twin = Generic(Packed(2024, 5, 5), "Twin", 2, 2);
  Load(Concat({a, twin}));
  const Bytes added = Generic(Packed(2024, 5, 6), "Added", 3, 3);
  Append(added);
  Append(twin);
  const Bytes before = Image();
  const std::uint32_t indexed = store.indexCount;

  // A file where the folder should be: creating the temporary file fails even for root.
  test::WriteAll(dir.File("blocker"), {1});
  const std::string good = store.eventFile;
  store.eventFile = dir.File("blocker") + "/Event20.dat";
  EXPECT_FALSE(Save());
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0].rfind("Could not save events to " + store.eventFile + "|cannot create ", 0), 0u);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(store.indexCount, indexed);
  EXPECT_EQ(test::ReadAll(good), Concat({a, twin}));

  store.eventFile = good;
  ASSERT_TRUE(Save());
  EXPECT_EQ(test::ReadAll(good), Concat({a, added}));
}

TEST_F(EventFileTest, IdsNeverRepeatNorOverflowAtTheTopOfTheRange) {
  struct Case {
    std::vector<std::int32_t> ids;  // used as record ids and group ids alike
    std::int32_t next;
    std::int32_t nextRunOf150;
  };
  const std::vector<Case> cases = {
      {{}, 0, 0},
      {{7, 3}, 8, 8},
      {{-5}, 0, 0},
      {{INT_MAX}, 0, 0},
      {{0, 1, INT_MAX, 2}, 3, 3},
      {{INT_MAX - 100, 100}, INT_MAX - 99, 101},  // no room for 150 at the top, nor below 100
      {{INT_MAX - 150}, INT_MAX - 149, INT_MAX - 149},
  };
  for (const Case& c : cases) {
    EventStore s;
    for (const std::int32_t id : c.ids) {
      const Bytes r = Generic(Packed(2024, 1, 1), "x", static_cast<std::uint32_t>(id), static_cast<std::uint32_t>(id));
      AppendRecordBytes(s, r.data(), static_cast<std::uint32_t>(r.size()));
    }
    const std::string name = "ids " + ::testing::PrintToString(c.ids);
    EXPECT_EQ(NextRecordId(s), c.next) << name;
    EXPECT_EQ(NextGroupId(s), c.next) << name;
    EXPECT_EQ(NextRecordIds(s, 150), c.nextRunOf150) << name;
  }
}

TEST_F(EventFileTest, DeletedAndAppendedRecordsAndANewWorkRecord) {
  // A deleted record is indexed and counts for ids but is not written. A
  // store mapped from its file behaves the same, and its changes reach the
  // file only through the save.
  Bytes gone = Generic(Packed(2024, 5, 5), "Gone", 40);
  gone[rec::kKind] = kKindDeleted;
  const Bytes old = Generic(Packed(2024, 5, 5), "Old", 4);
  const Bytes added = Generic(Packed(2025, 1, 1), "New", 5);
  for (const bool mapped : {false, true}) {
    store.mapFile = mapped;
    Load(Concat({gone, old}));
    DeleteRecord(store, IndexOffset(store, 1));
    EXPECT_EQ(test::ReadAll(store.eventFile), Concat({gone, old})) << mapped;
    Append(added);
    EXPECT_EQ(NextRecordId(store), 41) << mapped;
    EXPECT_EQ(store.indexCount, 2u) << mapped;  // appending does not index
    EXPECT_EQ(RecordKindAt(store, IndexOffset(store, 1)), kKindDeleted) << mapped;
    ASSERT_TRUE(Save());
    EXPECT_EQ(test::ReadAll(store.eventFile), added) << mapped;
    EXPECT_EQ(store.indexCount, 1u) << mapped;
  }

  EventStore fresh;
  PrepareWorkRecord(fresh, kKindGeneric, 3, Packed(2024, 2, 29));
  AppendRecord(fresh);
  Bytes expected = Generic(Packed(2024, 2, 29), "");
  expected[rec::kCategory] = 3;
  EXPECT_EQ(Bytes(fresh.store.data(), fresh.store.data() + fresh.storeSize), expected);
}

// Keys that tie often and run past the sixteen bytes compared as numbers:
// padding, the month and the text. Records with other ids, categories or
// times then share keys, which is where order and de-duplication are subtle.
class TyingKeys final : public SortKeyBuilder {
 public:
  explicit TyingKeys(std::string tag) : tag_(std::move(tag)) {}
  void AppendKey(const EventStore& s, std::uint32_t offset, std::string& out) const override {
    out.append(14, 'k');
    out.push_back(static_cast<char>((Long(s.store, offset + rec::kDate) >> 8) & 0xFF));
    const std::uint32_t len = RecordLength(s, offset);
    out.append(reinterpret_cast<const char*>(s.store.data()) + offset + rec::kGenericText, len - rec::kGenericFixed);
  }
  std::string ReuseTag() const override { return tag_; }

 private:
  std::string tag_;
};

Bytes RandomRecord(std::mt19937& rng, std::uint32_t id) {
  static const char* texts[] = {"a", "b", "Walk", "Walk the dog", ""};
  Bytes r = Generic(Packed(2024, 1 + static_cast<int>(rng() % 3), 1 + static_cast<int>(rng() % 3)), texts[rng() % 5],
                    id, id / 4);
  r[rec::kCategory] = static_cast<std::uint8_t>(rng() % 2);
  return r;
}

// The save that reuses keys from the last one must write the very bytes the
// save that builds every key writes: same order of equal keys, same
// duplicate kept, after appends, deletions, copies and edits in place, and
// after loading an unsorted file.
TEST(SaveEventsReuse, WritesWhatAFullSaveWrites) {
  test::TempDir dir;
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    EventStore fast;
    EventStore full;
    fast.eventFile = dir.File("fast.dat");
    full.eventFile = dir.File("full.dat");
    std::uint32_t id = 0;
    auto loadForeign = [&] {
      Bytes file;
      for (unsigned k = rng() % 40; k > 0; --k) {
        const Bytes r = RandomRecord(rng, rng() % 3 == 0 ? id : id++);
        file.insert(file.end(), r.begin(), r.end());
      }
      test::WriteAll(fast.eventFile, file);
      test::WriteAll(full.eventFile, file);
      LoadEvents(fast);
      LoadEvents(full);
    };
    loadForeign();
    for (int round = 0; round < 8; ++round) {
      if (rng() % 10 == 0) loadForeign();
      auto both = [&](auto&& change) {
        change(fast);
        change(full);
      };
      for (unsigned k = rng() % 6; k > 0; --k) {
        const std::uint32_t count = fast.indexCount;
        const std::uint32_t off = count > 0 ? IndexOffset(fast, static_cast<std::uint32_t>(rng() % count)) : 0;
        switch (count > 0 ? rng() % 5 : 0) {
          case 0: {
            const Bytes r = RandomRecord(rng, id++);
            both([&](EventStore& s) { AppendRecordBytes(s, r.data(), static_cast<std::uint32_t>(r.size())); });
            break;
          }
          case 1: {  // a copy, with a new id or the same
            Bytes r(fast.store.data() + off, fast.store.data() + off + RecordLength(fast, off));
            if (rng() % 2 == 0) SetLongBytes(r, rec::kRecordId, id++);
            both([&](EventStore& s) { AppendRecordBytes(s, r.data(), static_cast<std::uint32_t>(r.size())); });
            break;
          }
          case 2: both([&](EventStore& s) { DeleteRecord(s, off); }); break;
          case 3: {  // an edit in place that may change the key
            const std::uint32_t at = rng() % 2 == 0 ? rec::kDate + 1 : rec::kCategory;
            const auto value = static_cast<std::int32_t>(1 + rng() % 3);
            both([&](EventStore& s) { SetByte(s.store, off + at, value); });
            break;
          }
          default: {
            const std::uint32_t len = RecordLength(fast, off);
            if (len <= rec::kGenericFixed) break;
            const auto letter = static_cast<std::int32_t>('a' + rng() % 2);
            both([&](EventStore& s) { SetByte(s.store, off + rec::kGenericText, letter); });
          }
        }
      }
      ASSERT_TRUE(SaveEvents(fast, TyingKeys("tying"), SilentHost()));
      ASSERT_TRUE(SaveEvents(full, TyingKeys(""), SilentHost()));
      ASSERT_NE(fast.storeSize != 0, fast.savedKeys == nullptr) << "seed " << seed;
      ASSERT_EQ(full.savedKeys, nullptr);
      ASSERT_EQ(test::ReadAll(fast.eventFile), test::ReadAll(full.eventFile)) << "seed " << seed << " round " << round;
      ASSERT_EQ(Bytes(fast.store.data(), fast.store.data() + fast.storeSize), test::ReadAll(fast.eventFile));
      ASSERT_EQ(fast.indexCount, full.indexCount);
    }
  }
}

// Saving on a filesystem that fills up: the old file must survive whole.
// Needs a small filesystem of its own, which only root can mount.
TEST_F(EventFileTest, AFullDiskLeavesTheOldFileAndTheStoreAsTheyWere) {
  test::TempDir mountPoint;
  const std::string at = mountPoint.path().string();
  std::string out;
  if (test::RunCommand("mount -t tmpfs -o size=256k,mode=0700 kalendrina-test '" + at + "' 2>&1", &out) != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root and mount rights): " << out;
  }
  struct Unmount {
    std::string at;
    ~Unmount() { test::RunCommand("umount '" + at + "'"); }
  } unmount{at};

  store.eventFile = at + "/Event20.dat";
  Bytes file;
  for (int i = 0; i < 1500; ++i) {  // about 150 KB: the old file and a new copy do not both fit
    const Bytes r = Generic(Packed(2024, 1, 1 + i % 28), std::to_string(i) + std::string(66, 'x'),
                            static_cast<std::uint32_t>(i));
    file.insert(file.end(), r.begin(), r.end());
  }
  Load(file);
  ASSERT_EQ(store.indexCount, 1500u);
  Append(Generic(Packed(2024, 2, 1), "One more", 5000));
  const Bytes before = Image();
  EXPECT_FALSE(Save());
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("No space left on device"), std::string::npos) << host.errors[0];
  EXPECT_EQ(test::ReadAll(store.eventFile), file);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(test::Names(at), std::vector<std::string>{"Event20.dat"});
}

TEST(EventIndex, FirstIndexFromIsTheFirstEntryNotBeforeTheDate) {
  EventStore s;
  for (int day : {3, 5, 5, 9}) test::AddGeneric(s, test::Packed(2024, 5, day), "x");
  BuildEventIndex(s);
  ASSERT_TRUE(s.indexSorted);
  const std::pair<int, std::uint32_t> cases[] = {{1, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 3}, {9, 3}, {10, 4}};
  for (const auto& [day, first] : cases) EXPECT_EQ(FirstIndexFrom(s, test::Packed(2024, 5, day)), first) << day;
  EXPECT_EQ(FirstIndexFrom(EventStore{}, test::Packed(2024, 5, 5)), 0u);
}

}  // namespace
}  // namespace kal
