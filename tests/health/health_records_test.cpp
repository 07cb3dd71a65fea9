// The health record tables: forms read from and built into work records,
// the refusals, the defaults taken from a person's latest record, and
// storing an edit.
#include "health/health_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "health/cycles.h"
#include "store/record_text.h"
#include "support/record_builder.h"
#include "support/test_support.h"

namespace kal {
namespace {

using test::Packed;

constexpr UnitModes kPounds{0, 0};
constexpr UnitModes kMetric{1, 1};
const FixedClock kClock(LocalDateTime{2024, 5, 5, 14, 20, 0});

class FileOrder final : public SortKeyBuilder {
 public:
  void AppendKey(const EventStore& s, std::uint32_t offset, std::string& out) const override {
    out += std::to_string(1000000000 + Long(s.store, offset + rec::kDate));
  }
};

MemBuffer FreshRecord(RecordKind kind) {
  EventStore s;
  PrepareWorkRecord(s, kind, 3, Packed(2024, 3, 1));
  return std::move(s.workRecord);
}

std::vector<std::uint8_t> Bytes(const MemBuffer& wr) {
  const auto length = static_cast<std::size_t>(Long(wr, rec::kLength));
  return std::vector<std::uint8_t>(wr.data(), wr.data() + length);
}

// Every kind: the form is written into the record's fields and reads back as
// the texts the editor shows, in the unit modes given.
TEST(HealthForms, EveryFieldRoundTripsThroughItsRecord) {
  struct Case {
    RecordKind kind;
    UnitModes units;
    HealthForm typed;
    HealthForm shown;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> words;  // offset, 16-bit value
  };
  const std::vector<Case> cases = {
      {kKindWeight, kPounds,
       {" Morning ", "150", "5' 10", "40", "32", "38", "15", "12", "11", "7", "22", "35", "f"},
       {"Morning", "150", "70 in", "40 in", "32 in", "38 in", "15 in", "12 in", "11 in", "7 in", "22 in", "35 years", "Female"},
       {{rec::kHeight, 1778}, {rec::kChest, 1016}, {rec::kThigh, 559}}},
      {kKindWeight, kMetric,
       {"Morning", "68.3", "177.8", "", "", "", "", "", "", "", "", "", "Male"},
       {"Morning", "68.3", "177.8 cm", "", "", "", "", "", "", "", "", "", "Male"},
       {{rec::kHeight, 1778}}},
      {kKindCycle, kPounds, {"  spaces kept "}, {"  spaces kept "}, {}},
      {kKindBloodPressure, kPounds,
       {"After the walk", "135 mmHg", "85", "", "1:05 pm", " Home "},
       {"After the walk", "135", "85", "", "1:05 pm", "Home"},
       {{rec::kSystolic, 135}, {rec::kDiastolic, 85}, {rec::kPulse, 0}}},
      {kKindCholesterol, kPounds,
       {"Lab", "210", "130.5", "45", "160"},
       {"Lab", "210", "130", "45", "160"},  // 130.5 rounds to the even 130
       {{rec::kTotal, 210}, {rec::kLdl, 130}, {rec::kHdl, 45}, {rec::kTriglycerides, 160}}},
      {kKindGlucose, kPounds, {"Fasting", "95"}, {"Fasting", "95"}, {{rec::kGlucose, 95}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed[0]);
    const HealthKindSpec& spec = *HealthSpecOf(c.kind);
    ASSERT_EQ(c.typed.size(), spec.fields.size());
    MemBuffer wr = FreshRecord(c.kind);
    BuildHealthRecord(wr, spec, c.typed, c.units, kClock);
    EXPECT_EQ(FormFromRecord(wr, spec, c.units), c.shown);
    for (const auto& [offset, value] : c.words) EXPECT_EQ(Word(wr, offset), value) << offset;
    EXPECT_EQ(Byte(wr, rec::kCategory), 3u);  // the header is kept
    EXPECT_EQ(Word(wr, static_cast<std::size_t>(Long(wr, rec::kLength)) - 2), kEndMarker);
  }
}

TEST(HealthForms, WeightIsStoredInGramsAndShownInTheUnitOfTheMoment) {
  MemBuffer wr = FreshRecord(kKindWeight);
  HealthForm form(13);
  form[0] = "Me";
  form[1] = "150";
  BuildWeightRecord(wr, form, kPounds);
  EXPECT_EQ(Long(wr, rec::kWeight), 68039);
  EXPECT_EQ(FormFromRecord(wr, *HealthSpecOf(kKindWeight), kPounds)[1], "150");
  EXPECT_EQ(FormFromRecord(wr, *HealthSpecOf(kKindWeight), kMetric)[1], "68");
  EXPECT_EQ(Long(wr, rec::kLength), 54);
}

TEST(HealthForms, BloodPressureTextIsLocationZeroDescriptionZeroThenTwoReservedBytes) {
  MemBuffer wr = FreshRecord(kKindBloodPressure);
  BuildBloodPressureRecord(wr, {"Desc", "120", "80", "70", "", ""}, kClock);
  const std::vector<std::uint8_t> bytes = Bytes(wr);
  ASSERT_EQ(bytes.size(), 36u + 6u);
  const std::vector<std::uint8_t> tail(bytes.begin() + 32, bytes.end());
  EXPECT_EQ(tail, (std::vector<std::uint8_t>{0, 'D', 'e', 's', 'c', 0, 0, 0, 0x31, 0xD4}));
  // An empty time is the time of the clock.
  EXPECT_EQ(Byte(wr, rec::kReadingHour), 14u);
  EXPECT_EQ(Byte(wr, rec::kReadingMinute), 20u);
  // A shorter text leaves no stale bytes in the record.
  BuildCholesterolRecord(wr = FreshRecord(kKindCholesterol), {"A", "200", "", "", ""});
  EXPECT_EQ(Long(wr, rec::kLength), 35);
  BuildGlucoseRecord(wr = FreshRecord(kKindGlucose), {"", "0"});
  EXPECT_EQ(Long(wr, rec::kLength), 28);
}

// What refuses "Save" and "Manage" for each kind.
TEST(HealthForms, RefusalsFollowTheFlagsOfEachKind) {
  struct Case {
    RecordKind kind;
    HealthForm form;
    const char* save;
    const char* manage;
  };
  const char* kWeightSave = "Please enter a description and weight";
  const char* kAllFields = "All fields must be completed to|perform weight management calculations";
  const char* kPressure = "Please enter a title and blood pressure readings";
  const std::vector<Case> cases = {
      {kKindWeight, {"Me", "150", "", "", "", "", "", "", "", "", "", "", ""}, nullptr, kAllFields},
      {kKindWeight, {"Me", "150", "70", "40", "32", "38", "15", "", "11", "7", "22", "35", "m"}, nullptr, kAllFields},
      {kKindWeight, {"Me", "150", "70", "40", "32", "38", "15", "12", "11", "7", "22", "35", "m"}, nullptr, nullptr},
      {kKindWeight, {"  ", "150", "70", "40", "32", "38", "15", "12", "11", "7", "22", "35", "m"}, kWeightSave, kAllFields},
      {kKindWeight, {"Me", "abc", "", "", "", "", "", "", "", "", "", "", ""}, kWeightSave, kAllFields},
      {kKindCycle, {""}, "Event cannot be saved until|you enter a description", ""},
      {kKindCycle, {" "}, nullptr, nullptr},  // not trimmed: a space is a description
      {kKindBloodPressure, {"Walk", "120", "", "", "", ""}, kPressure, kPressure},
      {kKindBloodPressure, {"", "120", "80", "", "", ""}, kPressure, kPressure},
      {kKindBloodPressure, {"Walk", "120", "80", "", "", ""}, nullptr, nullptr},
      {kKindCholesterol, {"Lab", "", "100", "", ""}, "Please enter a title and cholesterol readings",
       "Please enter a title and cholesterol readings"},
      {kKindCholesterol, {"Lab", "190", "", "", ""}, nullptr, nullptr},
      {kKindGlucose, {"Fasting", "0.4"}, "Please enter a title and glucose reading",
       "Please enter a title and glucose reading"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + c.form.front() + "/" + c.form.back());
    const HealthKindSpec& spec = *HealthSpecOf(c.kind);
    MemBuffer wr = FreshRecord(c.kind);
    const BuildFlags flags = BuildHealthRecord(wr, spec, c.form, kPounds, kClock);
    const char* save = RefusalMessage(spec, flags, false);
    EXPECT_EQ(save == nullptr ? std::string("-") : save, c.save == nullptr ? std::string("-") : c.save);
    if (spec.hasManage) {
      const char* manage = RefusalMessage(spec, flags, true);
      EXPECT_EQ(manage == nullptr ? std::string("-") : manage, c.manage == nullptr ? std::string("-") : c.manage);
    }
  }
}

// A new record and a change of category take the person's latest record of
// the kind in file order: weight its description and gender, cycles their
// group and description, readings their description; nothing found empties them.
TEST(HealthForms, PersonDefaultsComeFromTheLatestRecordOfTheKindAndCategory) {
  EventStore s;
  auto add = [&](std::vector<std::uint8_t> bytes) { test::AppendTo(s, bytes); };
  add(test::RecordBytes(kKindWeight, Packed(2024, 1, 1), rec::kWeightFixed).Byte(rec::kCategory, 1).Byte(rec::kGender, 1).Text("Old").Finish());
  add(test::RecordBytes(kKindWeight, Packed(2024, 2, 1), rec::kWeightFixed).Byte(rec::kCategory, 1).Byte(rec::kGender, 2).Text("Ana").Finish());
  add(test::RecordBytes(kKindWeight, Packed(2024, 3, 1), rec::kWeightFixed).Byte(rec::kCategory, 2).Byte(rec::kGender, 1).Text("Ben").Finish());
  add(test::RecordBytes(kKindCycle, Packed(2024, 3, 1), rec::kCycleFixed).Byte(rec::kCategory, 1).Long(rec::kGroupId, 77).Text("Ana's").Finish());
  add(test::RecordBytes(kKindBloodPressure, Packed(2024, 3, 1), rec::kPressureFixed).Byte(rec::kCategory, 1)
          .Text(std::string("Home\0Evening\0", 13)).Finish());
  add(test::RecordBytes(kKindGlucose, Packed(2024, 3, 1), rec::kGlucoseFixed).Byte(rec::kCategory, 2).Text("Fasting").Finish());
  BuildEventIndex(s);
  const std::uint32_t deleted = IndexOffset(s, 2);
  DeleteRecord(s, deleted);  // a deleted record is no one's latest

  struct Case {
    RecordKind kind;
    int category;
    HealthForm before;
    HealthForm after;
    std::int32_t group;
  };
  const std::vector<Case> cases = {
      {kKindWeight, 1, {"typed", "150", "", "", "", "", "", "", "", "", "", "", "m"},
       {"Ana", "150", "", "", "", "", "", "", "", "", "", "", "Female"}, 9},
      {kKindWeight, 2, {"typed", "150", "", "", "", "", "", "", "", "", "", "", "m"},
       {"", "150", "", "", "", "", "", "", "", "", "", "", ""}, 9},
      {kKindCycle, 1, {"typed"}, {"Ana's"}, 77},
      {kKindCycle, 4, {"typed"}, {""}, NextGroupId(s)},
      {kKindBloodPressure, 1, {"typed", "120", "80", "", "", "Work"}, {"Evening", "120", "80", "", "", "Work"}, 9},
      {kKindGlucose, 1, {"typed", "90"}, {"", "90"}, 9},
      {kKindGlucose, 2, {"typed", "90"}, {"Fasting", "90"}, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.category));
    MemBuffer wr = FreshRecord(c.kind);
    SetByte(wr, rec::kCategory, c.category);
    SetLong(wr, rec::kGroupId, 9);
    HealthForm form = c.before;
    ApplyPersonDefaults(s, wr, *HealthSpecOf(c.kind), form);
    EXPECT_EQ(form, c.after);
    EXPECT_EQ(Long(wr, rec::kGroupId), c.group);
  }
}

struct StoreOnDisk {
  StoreOnDisk() {
    s.eventFile = dir.File("Event20.dat");
    test::AddGlucose(s, Packed(2024, 3, 1), "Fasting", 90);
    test::AddGlucose(s, Packed(2024, 3, 2), "Lunch", 120);
    EXPECT_TRUE(SaveEvents(s, FileOrder(), SilentHost()));
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < s.indexCount; ++i) {
      const std::uint32_t off = IndexOffset(s, i);
      if (RecordKindAt(s, off) != kKindDeleted) out.push_back(RecordText(s, off, rec::kGlucoseText, rec::kGlucoseFixed));
    }
    return out;
  }
  test::TempDir dir;
  EventStore s;
};

TEST(StoreHealthRecord, AnEditLeavesOneCopyAndAFailedSaveLeavesTheOldOne) {
  StoreOnDisk d;
  const std::uint32_t first = IndexOffset(d.s, 0);
  EnsureWorkRecord(d.s);
  MoveBytes(d.s.store, first, d.s.workRecord, 0, RecordLength(d.s, first));
  BuildGlucoseRecord(d.s.workRecord, {"Fasting again", "95"});
  ASSERT_TRUE(StoreHealthRecord(d.s, static_cast<std::int32_t>(first), FileOrder(), SilentHost()));
  EXPECT_EQ(d.Texts(), (std::vector<std::string>{"Fasting again", "Lunch"}));

  // The folder goes away: the save fails and memory keeps what the file has.
  const auto fileBytes = test::ReadAll(d.s.eventFile);
  const std::uint32_t size = d.s.storeSize;
  d.s.eventFile = d.dir.File("gone/Event20.dat");
  const std::uint32_t again = IndexOffset(d.s, 0);
  MoveBytes(d.s.store, again, d.s.workRecord, 0, RecordLength(d.s, again));
  BuildGlucoseRecord(d.s.workRecord, {"Lost edit", "99"});
  EXPECT_FALSE(StoreHealthRecord(d.s, static_cast<std::int32_t>(again), FileOrder(), SilentHost()));
  EXPECT_EQ(d.s.storeSize, size);
  EXPECT_EQ(RecordKindAt(d.s, again), kKindGlucose);
  EXPECT_EQ(d.Texts(), (std::vector<std::string>{"Fasting again", "Lunch"}));
  std::vector<std::uint8_t> memory(d.s.store.data(), d.s.store.data() + d.s.storeSize);
  EXPECT_EQ(memory, fileBytes);
}

}  // namespace
}  // namespace kal
