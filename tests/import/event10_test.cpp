// The previous version's event file: its tables, the records it becomes, and
// damaged files.
#include "import/event10.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "calendar/repeat.h"
#include "import/imports.h"
#include "support/import_files.h"
#include "store/event_store.h"
#include "support/record_builder.h"
#include "support/test_support.h"

namespace kal {
namespace {

using test::Bytes;
using test::OldRecord;

struct Stored {
  Bytes bytes;  // record and group ids zeroed
  std::int32_t groupId = 0;
};

std::vector<Stored> StoredRecords(const EventStore& s) {
  std::vector<Stored> out;
  ForEachRecord(s, s.storeSize, [&](std::uint32_t off, std::uint32_t length) {
    Stored r;
    r.bytes.assign(s.store.data() + off, s.store.data() + off + length);
    r.groupId = Long(s.store, off + rec::kGroupId);
    std::fill(r.bytes.begin() + rec::kRecordId, r.bytes.begin() + rec::kBody, 0);
    out.push_back(std::move(r));
  });
  return out;
}

TEST(Event10, RepeatAndColourTables) {
  const std::vector<int> modes = {0,  1,  1,  5,  11, 15, 16, 17, 18, 19, 20, 22, 23,
                                  24, 25, 26, 12, 2,  3,  4,  6,  7,  0,  0,  0};
  for (std::size_t old = 0; old < modes.size(); ++old) EXPECT_EQ(RepeatModeFromOld(old), modes[old]) << old;
  EXPECT_EQ(RepeatModeFromOld(255), 0);
  using Colour = std::tuple<int, int, int, int>;
  for (const auto& [r, g, b, category] :
       {Colour{190, 190, 190, 0}, Colour{190, 140, 130, 1}, Colour{250, 90, 90, 2}, Colour{230, 170, 230, 3},
        Colour{240, 20, 240, 4}, Colour{0, 200, 200, 6}, Colour{0, 210, 0, 8}, Colour{230, 230, 0, 9},
        Colour{240, 150, 100, 11}, Colour{250, 90, 91, 0}, Colour{90, 90, 250, 0}, Colour{0, 0, 0, 0}}) {
    EXPECT_EQ(CategoryFromColour(r, g, b), category) << r << "," << g << "," << b;
  }
}

TEST(Event10, RecordsBecomeEventsByteForByte) {
  Bytes file;
  OldRecord timed;  // one time, colour 2
  timed.red = 250;
  timed.green = 90;
  timed.blue = 90;
  OldRecord birthday;
  birthday.code = 5;
  birthday.year = 1970;
  birthday.month = 7;
  birthday.day = 2;
  birthday.startHour = 255;
  birthday.endHour = 255;
  birthday.startMinute = 0;
  birthday.endMinute = 0;
  birthday.text = "Mum";
  birthday.red = 77;  // not in the table
  OldRecord unequal;
  unequal.secondDay = 15;
  OldRecord impossible;
  impossible.month = 13;
  for (const OldRecord& r : {timed, birthday, unequal, impossible}) test::Append(file, r.Build());

  EventStore s;
  const ImportResult result = AppendEvent10(s, file, nullptr);
  EXPECT_EQ(std::tuple(result.imported, result.skipped, result.damage.stretches), std::tuple(2u, 2u, 0u));
  const std::vector<Stored> got = StoredRecords(s);
  ASSERT_EQ(got.size(), 1u + GroupSize);
  const Bytes first = test::RecordBytes(kKindGeneric, test::Packed(2009, 3, 14), rec::kGenericFixed)
                          .Byte(rec::kCategory, 2).Byte(rec::kStartHour, 9).Byte(rec::kStartMinute, 30)
                          .Byte(rec::kEndHour, 10).Byte(rec::kEndMinute, 45).Text("Dentist").Finish();
  EXPECT_EQ(got[0].bytes, first);
  for (int i = 0; i < GroupSize; ++i) {
    const Bytes want = test::RecordBytes(kKindGeneric, test::Packed(1970 + i, 7, 2), rec::kGenericFixed)
                           .Byte(rec::kRepeatMode, RepeatCalculateAge).Byte(rec::kYearCount, i)
                           .Byte(rec::kStartHour, 255).Byte(rec::kEndHour, 255).Text("Mum").Finish();
    ASSERT_EQ(got[1 + i].bytes, want) << "occurrence " << i;
    EXPECT_EQ(got[1 + i].groupId, got[1].groupId);
  }
  // Two imported events never share a group, or one group delete would take both.
  EXPECT_NE(got[0].groupId, got[1].groupId);
}

TEST(Event10, DamagedFilesKeepWhatIsReadable) {
  const Bytes good = OldRecord().Build();  // 47 bytes
  Bytes shortLength = good;
  test::PutLe(shortLength, 0, 12, 4);
  Bytes negative = good;
  test::PutLe(negative, 0, 0xFFFFFFF0u, 4);
  Bytes pastEnd = good;
  test::PutLe(pastEnd, 0, 4000, 4);
  const std::vector<test::DamageCase> cases = {
      {"a tail of three bytes", test::Joined({good, Bytes{1, 2, 3}}), 1, 3, 1},
      {"a length below the fixed part ends the walk", test::Joined({good, shortLength, good}), 1, 94, 1},
      {"a negative length too", test::Joined({good, negative, good}), 1, 94, 1},
      {"a zero length too", test::Joined({good, Bytes(47, 0)}), 1, 47, 1},
      {"a length past the end is cut there", test::Joined({good, pastEnd}), 2, 0, 1},
      {"an empty file", {}, 0, 0, 0},
  };
  for (const test::DamageCase& c : cases) {
    EventStore s;
    c.Expect(AppendEvent10(s, c.file, nullptr));
  }
}

TEST(Event10, ImportTwiceLeavesNoDuplicatesAndTheSourceAlone) {
  test::TempDir dir;
  Bytes file;
  OldRecord weekly;
  weekly.code = 17;  // every two weeks
  for (const OldRecord& r : {OldRecord(), weekly}) test::Append(file, r.Build());
  const std::string source = dir.File("EVENT10.DAT");
  test::WriteAll(source, file);
  EventStore s;
  s.eventFile = dir.File("Event20.dat");
  ASSERT_TRUE(LoadEvents(s));
  ASSERT_TRUE(ImportFile(ImportFormat::kPreviousVersion, source, s, {}, SilentHost()).error.empty());
  const std::uint32_t once = s.indexCount;
  EXPECT_EQ(once, 1u + GroupSize);
  ASSERT_TRUE(ImportFile(ImportFormat::kPreviousVersion, source, s, {}, SilentHost()).error.empty());
  EXPECT_EQ(s.indexCount, once);
  EXPECT_EQ(test::ReadAll(source), file);
}

}  // namespace
}  // namespace kal
