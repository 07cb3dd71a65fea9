// The health-diary file: every record type byte by byte, persons to
// categories, appointment texts, damaged files, and the cycles predicted after.
#include "import/corvit10.h"

#include <gtest/gtest.h>

#include <tuple>

#include "calendar/repeat.h"
#include "import/imports.h"
#include "support/import_files.h"
#include "store/event_store.h"
#include "support/record_builder.h"
#include "support/test_support.h"

namespace kal {
namespace {

using test::Body;
using test::Bytes;
using test::DiaryRecordBytes;
using test::PersonRecord;

// Each record once (a group only by its first occurrence), ids zeroed.
std::vector<Bytes> FirstOfEachGroup(const EventStore& s) {
  std::vector<Bytes> out;
  std::int32_t lastGroup = -1;
  ForEachRecord(s, s.storeSize, [&](std::uint32_t off, std::uint32_t length) {
    const std::int32_t group = Long(s.store, off + rec::kGroupId);
    if (group == lastGroup) return;
    lastGroup = group;
    Bytes b(s.store.data() + off, s.store.data() + off + length);
    std::fill(b.begin() + rec::kRecordId, b.begin() + rec::kBody, 0);
    out.push_back(std::move(b));
  });
  return out;
}

Bytes Generic(int y, int m, int d, int category, std::string_view text, int mode = 0, int hour = 255, int minute = 0) {
  return test::RecordBytes(kKindGeneric, test::Packed(y, m, d), rec::kGenericFixed)
      .Byte(rec::kCategory, category).Byte(rec::kRepeatMode, mode).Byte(rec::kStartHour, hour)
      .Byte(rec::kStartMinute, minute).Byte(rec::kEndHour, 255).Text(text).Finish();
}

TEST(Corvit10, EveryRecordTypeByteForByte) {
  Bytes file;
  for (const Bytes& r : {
           PersonRecord(7, "Ann", "Lee ", "Female"),
           DiaryRecordBytes(9, 3, 2010, 1, 2, Body().Word(1600)),  // Bob's, before Bob's person record
           PersonRecord(9, "Bob", "Ray", "m"),
           DiaryRecordBytes(7, 1, 1980, 5, 6),
           DiaryRecordBytes(7, 2, 2010, 1, 2, Body().Word(1120)),
           DiaryRecordBytes(7, 3, 2010, 1, 3, Body().Word(2400)),
           DiaryRecordBytes(7, 4, 2010, 1, 4, Body().Word(560).Word(448).Word(592).Word(224).Word(192).Word(352)),
           DiaryRecordBytes(7, 5, 2010, 1, 5, Body().Byte(8).Byte(15).Word(128).Word(84).Word(66).Text(" Home ")),
           DiaryRecordBytes(7, 6, 2010, 1, 6, Body().Word(210).Word(55).Word(130)),
           DiaryRecordBytes(7, 8, 2010, 1, 7, Body().Byte(0).Byte(0).Byte(0).Byte(0)),
           DiaryRecordBytes(7, 8, 2010, 1, 8, Body().Byte(0).Byte(0).Byte(0).Byte(1)),  // flag set: not imported
           DiaryRecordBytes(7, 9, 2010, 1, 9, Body().Text("felt fine ")),
           DiaryRecordBytes(7, 14, 2010, 1, 10, Body().Byte(0).Byte(0).Texts({"", "Jones", "", "", "", "", "", ""})),
           DiaryRecordBytes(7, 15, 2010, 1, 11,
                            Body().Byte(14).Byte(5).Texts({"Dr Who", " Main St ", "Room 2", "555", "a", "", "b",
                                                           "", ""})),
           DiaryRecordBytes(7, 7, 2010, 1, 12, Body().Word(1)),     // a type not imported
           DiaryRecordBytes(55, 3, 2010, 1, 13, Body().Word(1)),    // nobody's
           DiaryRecordBytes(7, 3, 2010, 2, 30, Body().Word(1)),     // no such day
       }) {
    test::Append(file, r);
  }
  EventStore s;
  const ImportResult result = AppendCorvit10(s, file, nullptr, 12);
  EXPECT_EQ(std::tuple(result.imported, result.skipped, result.damage.stretches), std::tuple(11u, 4u, 0u));
  const std::int32_t day = test::Packed(2010, 1, 1);
  const std::string bp = std::string("Home") + '\0' + "Ann BP" + '\0';
  const std::vector<Bytes> want = {
      Generic(1980, 5, 6, 0, "Ann Lee Birthday", RepeatCalculateAge),
      test::RecordBytes(kKindWeight, day + 1, rec::kWeightFixed).Byte(rec::kGender, 2).Word(rec::kHeight, 1778)
          .Text("Ann").Finish(),
      test::RecordBytes(kKindWeight, day + 2, rec::kWeightFixed).Byte(rec::kGender, 2).Long(rec::kWeight, 68039)
          .Text("Ann").Finish(),
      // 35, 28, 37, 14, 12 and 22 inches.
      test::RecordBytes(kKindWeight, day + 3, rec::kWeightFixed).Byte(rec::kGender, 2).Word(rec::kChest, 889)
          .Word(rec::kWaist, 711).Word(rec::kHips, 940).Word(rec::kNeck, 356).Word(rec::kUpperArm, 305)
          .Word(rec::kThigh, 559).Text("Ann").Finish(),
      test::RecordBytes(kKindBloodPressure, day + 4, rec::kPressureFixed).Byte(rec::kReadingHour, 8)
          .Byte(rec::kReadingMinute, 15).Word(rec::kSystolic, 128).Word(rec::kDiastolic, 84).Word(rec::kPulse, 66)
          .Text(bp).Finish(),
      // The file keeps total, HDL, LDL; the record total, LDL, HDL.
      test::RecordBytes(kKindCholesterol, day + 5, rec::kCholesterolFixed).Word(rec::kTotal, 210)
          .Word(rec::kLdl, 130).Word(rec::kHdl, 55).Text("Ann Cholesterol").Finish(),
      test::RecordBytes(kKindCycle, day + 6, rec::kCycleFixed).Text("Ann Period").Finish(),
      Generic(2010, 1, 9, 0, "Ann felt fine"),
      Generic(2010, 1, 10, 0, "Ann Doctor, Jones\r"),
      Generic(2010, 1, 11, 0, "Ann Dentist, Dr Who, Main St, Room 2\r555\ra b", 0, 14, 5),
      test::RecordBytes(kKindWeight, test::Packed(2010, 1, 2), rec::kWeightFixed).Byte(rec::kCategory, 1)
          .Byte(rec::kGender, 1).Long(rec::kWeight, 45359).Text("Bob").Finish(),
  };
  const std::vector<Bytes> got = FirstOfEachGroup(s);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "record " << i;
  // The birthday is a yearly group with year counts.
  std::uint32_t birthdays = 0;
  ForEachRecord(s, s.storeSize, [&](std::uint32_t off, std::uint32_t) {
    if (Byte(s.store, off + rec::kRepeatMode) == RepeatCalculateAge && RecordKindAt(s, off) == kKindGeneric) {
      EXPECT_EQ(Byte(s.store, off + rec::kYearCount), static_cast<std::int32_t>(birthdays));
      ++birthdays;
    }
  });
  EXPECT_EQ(birthdays, static_cast<std::uint32_t>(GroupSize));
}

TEST(Corvit10, AppointmentTexts) {
  struct Case {
    std::uint16_t type;
    std::vector<std::string> texts;
    std::string want;
  };
  const std::vector<Case> cases = {
      {14, {"", "Jones", "", "", "", "", "", ""}, "Ann Doctor, Jones\r"},
      {14, {"Dr  Kay", "", "Ward 3", "x", "", "y", "", "z"}, "Ann Doctor, Dr Kay\rWard 3\rx y z"},
      {15, {"", "", "", "", "", "", "", "", ""}, "Ann Dentist\r"},
      {15, {" A ", "B", "C", "D", "e", "f", "g", "h", "i"}, "Ann Dentist, A, B, C\rD\re f g h i"},
      {14, {}, "Ann Doctor\r"},  // a record cut before its texts
  };
  for (const Case& c : cases) EXPECT_EQ(AppointmentText("Ann", c.type, c.texts), c.want) << c.want;
}

TEST(Corvit10, PersonsGoToCategoriesInFileOrder) {
  Bytes file;
  for (int person = 0; person < 14; ++person) {
    test::Append(file, PersonRecord(100 + person, "P" + std::to_string(person), "", ""));
    test::Append(file, DiaryRecordBytes(100 + person, 9, 2011, 2, 3, Body().Text("n")));
  }
  EventStore s;
  const ImportResult r = AppendCorvit10(s, file, nullptr, 12);
  EXPECT_EQ(r.imported, 12u);
  std::vector<int> categories;
  ForEachRecord(s, s.storeSize,
                [&](std::uint32_t off, std::uint32_t) { categories.push_back(Byte(s.store, off + rec::kCategory)); });
  EXPECT_EQ(categories, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(Corvit10, DamagedFilesKeepWhatIsReadable) {
  const Bytes person = PersonRecord(1, "Ann", "Lee", "f");
  const Bytes note = DiaryRecordBytes(1, 9, 2012, 3, 4, Body().Text("a note"));  // 23 bytes
  Bytes badLength = note;
  test::PutLe(badLength, 0, 100000, 4);
  Bytes tooShort = note;
  test::PutLe(tooShort, 0, 3, 4);
  Bytes cutText = DiaryRecordBytes(1, 9, 2012, 3, 4, Body().Text("a note"));
  cutText[16] = 200;  // the text claims more than the record holds
  const std::vector<test::DamageCase> cases = {
      {"garbage between records is stepped over", test::Joined({person, Bytes{9, 9, 9, 9, 9}, note}), 1, 5, 1},
      {"a bad length does not hide the records after it", test::Joined({person, badLength, note}), 1, 23, 1},
      {"a length below the header is stepped over", test::Joined({person, tooShort, note}), 1, 23, 1},
      {"the last record cut short is read to the end", test::Joined({person, note, Bytes(note.begin(), note.end() - 3)}),
       2, 0, 1},
      {"a text longer than its record is cut", test::Joined({person, cutText}), 1, 0, 0},
      {"a tail of three bytes", test::Joined({person, note, Bytes{1, 2, 3}}), 1, 3, 1},
      {"records before their person's record still count", test::Joined({note, person}), 1, 0, 0},
  };
  for (const test::DamageCase& c : cases) {
    EventStore s;
    c.Expect(AppendCorvit10(s, c.file, nullptr, 12));
  }
}

TEST(Corvit10, ImportPredictsCyclesLeavesTheSourceAndNoDuplicates) {
  test::TempDir dir;
  Bytes file = PersonRecord(3, "Eve", "Moss", "female");
  for (int month = 1; month <= 4; ++month) {
    test::Append(file, DiaryRecordBytes(3, 8, 2013, month, 5, Body().Byte(0).Byte(0).Byte(0).Byte(0)));
  }
  const std::string source = dir.File("corvit10.dat");
  test::WriteAll(source, file);
  EventStore s;
  s.eventFile = dir.File("Event20.dat");
  ASSERT_TRUE(LoadEvents(s));
  const auto count = [&](int predicted) {
    int n = 0;
    for (std::uint32_t i = 0; i < s.indexCount; ++i) {
      const std::uint32_t off = IndexOffset(s, i);
      n += RecordKindAt(s, off) == kKindCycle && static_cast<int>(Byte(s.store, off + rec::kPredicted)) == predicted;
    }
    return n;
  };
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(ImportFile(ImportFormat::kHealthDiary, source, s, {}, SilentHost()).error.empty());
    EXPECT_EQ(count(0), 4) << round;
    EXPECT_EQ(count(1), 12) << round;
  }
  EXPECT_EQ(test::ReadAll(source), file);
}

}  // namespace
}  // namespace kal
