// The health editors end to end: screen 1 of a whole run opens an editor on
// a new or a stored record (or the calendar is driven to it), a script types
// into it, and the event file is read back.
#include "screens/health_editor.h"

#include <gtest/gtest.h>

#include "calendar/sort_key.h"
#include "frame_run.h"
#include "health/cycles.h"
#include "screens/calendar_screen.h"
#include "support/record_builder.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

using test::Packed;

const std::int32_t kDay = Packed(2024, 5, 7);

// The editor of a kind at 1024 x 768, for placing clicks.
HealthEditorLayout Layout(RecordKind kind) {
  test::UiFixture f("size 1024 768\n");
  f.gfx.SetupFonts("Microsoft Sans Serif", 20);
  f.program.HeaderHeight = HeaderHeightPixels;
  return LayOutHealthEditor(f.program, f.gfx, *HealthSpecOf(kind));
}

std::string Click(const Rect& r) { return "click " + test::CentreOf(r) + "\n"; }

// A live health record as stored.
struct Saved {
  std::uint32_t kind;
  int category;
  std::int32_t date, recordId;
  std::vector<std::uint8_t> bytes;
  std::uint32_t Word(std::uint32_t at) const { return bytes[at] | (bytes[at + 1] << 8); }
  std::uint32_t Long(std::uint32_t at) const { return Word(at) | (Word(at + 2) << 16); }
  std::string Text(std::uint32_t from, std::uint32_t fixed) const {
    return std::string(bytes.begin() + from, bytes.begin() + from + (bytes.size() - fixed));
  }
};

struct HealthRun : test::FrameRun {
  // Screen 1 opens the editor on a new record of the kind (category 0), or
  // on the first stored record of that kind, and ends the run when it returns.
  void Edit(const std::string& script, RecordKind kind, bool create, UnitModes units = {}) {
    app.screens[0] = [=, this](Application& a) {
      a.settings.weightMode = units.weightMode;
      a.settings.measureMode = units.lengthMode;
      EventStore& s = a.events;
      std::int32_t offset = -1;
      if (create) {
        PrepareWorkRecord(s, kind, 0, kDay);
        SetLong(s.workRecord, rec::kRecordId, NextRecordId(s));
        SetLong(s.workRecord, rec::kGroupId, NextGroupId(s));
      } else {
        for (const auto& e : test::ReadEvents(s)) {
          if (e.kind == kind && offset < 0) offset = static_cast<std::int32_t>(e.offset);
        }
        ASSERT_GE(offset, 0) << "no record of that kind";
        EnsureWorkRecord(s);
        MoveBytes(s.store, static_cast<std::size_t>(offset), s.workRecord, 0, RecordLength(s, offset));
      }
      const int modal = a.program.ModalActive;
      HealthEditor(a, offset, result);
      modalKept = a.program.ModalActive == modal;
      a.program.input.quitRequested = 1;
    };
    Go("today 2024-05-07\n" + script);
  }
  std::vector<Saved> Records() const {
    EventStore s;
    s.eventFile = data.File("Event20.dat");
    LoadEvents(s);
    std::vector<Saved> out;
    for (const auto& e : test::ReadEvents(s)) {
      out.push_back(Saved{e.kind, e.category, e.date, e.recordId,
                           std::vector<std::uint8_t>(s.store.data() + e.offset, s.store.data() + e.offset + e.length)});
    }
    return out;
  }
  // A run holds one program: a second editor runs in a fresh run on this file.
  std::unique_ptr<HealthRun> Next() const {
    auto next = std::make_unique<HealthRun>();
    test::WriteAll(next->data.File("Event20.dat"), EventBytes());
    return next;
  }
  void Add(const std::vector<std::uint8_t>& bytes) {
    EventStore s;
    s.eventFile = data.File("Event20.dat");
    LoadEvents(s);
    test::AppendTo(s, bytes);
    ASSERT_TRUE(SaveEvents(s, RecordSortKeys(UnitModes{}), SilentHost()));
  }
  std::int32_t result = 0;
  bool modalKept = false;
};

std::string TypeFields(const std::vector<std::string>& texts) {
  std::string script;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) script += "key Tab\n";
    if (!texts[i].empty()) script += "type " + texts[i] + "\n";
  }
  return script;
}

TEST(WeightEditor, PoundsAreStoredAsGramsAndReopenInTheUnitOfTheMoment) {
  const HealthEditorLayout l = Layout(kKindWeight);
  HealthRun run;
  run.Edit(TypeFields({"Morning", "150"}) + Click(l.save), kKindWeight, true);
  EXPECT_EQ(run.result, HealthSaved);
  EXPECT_TRUE(run.modalKept);
  auto stored = run.Records();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].Long(rec::kWeight), 68039u);
  EXPECT_EQ(stored[0].Text(rec::kWeightText, rec::kWeightFixed), "Morning");
  for (std::uint32_t at = rec::kHeight; at <= rec::kThigh; at += 2) EXPECT_EQ(stored[0].Word(at), 0u);
  const std::int32_t id = stored[0].recordId;

  // Reopened in pounds the field reads "150" and saves the same grams; in
  // kilograms it reads "68", which is 68000 grams when saved. Each save leaves
  // one record, the edited one.
  const std::pair<UnitModes, std::uint32_t> reopen[] = {{UnitModes{0, 0}, 68039u}, {UnitModes{1, 1}, 68000u}};
  for (const auto& [units, grams] : reopen) {
    auto again = run.Next();
    again->Edit(Click(l.save), kKindWeight, false, units);
    EXPECT_EQ(again->result, HealthSaved);
    stored = again->Records();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].Long(rec::kWeight), grams);
    EXPECT_EQ(stored[0].recordId, id);
  }
}

TEST(WeightEditor, ManageNeedsEveryFieldAndSaveOnlyDescriptionAndWeight) {
  const HealthEditorLayout l = Layout(kKindWeight);
  int summaries = 0;
  HealthScreenHooks().openSummary = [&](Application&, std::uint32_t kind) {
    EXPECT_EQ(kind, kKindWeight);
    ++summaries;
  };
  const std::vector<std::string> allButThigh = {"Full", "150", "70", "40", "32", "38", "15", "12", "11", "7", "", "35", "Male"};
  {
    // "Manage" is refused (Enter closes the message); so is "Save" without a weight.
    HealthRun run;
    run.Edit(TypeFields(allButThigh) + Click(l.manage) + "key Enter\n" + Click(l.fields[1]) + "key Backspace\n" +
                 "key Backspace\nkey Backspace\n" + Click(l.save) + "key Enter\n" + Click(l.cancel),
             kKindWeight, true);
    EXPECT_EQ(run.result, HealthCancelled);
    EXPECT_TRUE(run.Records().empty());
    EXPECT_EQ(summaries, 0);
  }
  {
    // The thigh completes the form: "Manage" stores, then opens the summary.
    std::vector<std::string> all = allButThigh;
    all[10] = "22";
    HealthRun run;
    const std::string shot = test::GalleryPath(run.lock, "gallery-health-weight.png");
    run.Edit(TypeFields(all) + Click(l.activityBox) + "key Down\nkey Down\nkey Enter\nscreenshot " + shot + "\n" +
                 Click(l.manage),
             kKindWeight, true);
    EXPECT_EQ(run.result, HealthManaged);
    const auto stored = run.Records();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].Word(rec::kThigh), 559u);
    EXPECT_EQ(stored[0].bytes[rec::kAge], 35);
    EXPECT_EQ(stored[0].bytes[rec::kGender], 1);
    EXPECT_EQ(stored[0].bytes[rec::kActivity], 2);
    EXPECT_EQ(summaries, 1);
  }
  HealthScreenHooks().openSummary = nullptr;
}

TEST(WeightEditor, AnotherCategoryBringsThatPersonsDescriptionAndGender) {
  const HealthEditorLayout l = Layout(kKindWeight);
  HealthRun run;
  run.Add(test::RecordBytes(kKindWeight, Packed(2024, 1, 1), rec::kWeightFixed).Byte(rec::kCategory, 2)
              .Byte(rec::kGender, 2).Long(rec::kWeight, 60000).Text("Ana").Finish());
  // The typed description and gender give way; Enter in the gender field saves.
  run.Edit(TypeFields({"Typed", "130"}) + Click(l.categoryBox) + "key Down\nkey Down\nkey Enter\n" +
               Click(l.fields[12]) + "key Enter\n",
           kKindWeight, true);
  EXPECT_EQ(run.result, HealthSaved);
  const auto stored = run.Records();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[1].category, 2);
  EXPECT_EQ(stored[1].Text(rec::kWeightText, rec::kWeightFixed), "Ana");
  EXPECT_EQ(stored[1].bytes[rec::kGender], 2);
  EXPECT_EQ(stored[1].Long(rec::kWeight), 58967u);  // 130 pounds
}

// Blood pressure, cholesterol and glucose: every field typed is stored, and
// reopening and saving unchanged writes the same bytes. Each editor's
// picture goes to the gallery.
TEST(ReadingEditors, EveryFieldRoundTrips) {
  struct Case {
    RecordKind kind;
    std::vector<std::string> typed;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> words;
    std::string text;
    std::uint32_t textAt, fixed;
    const char* gallery;
  };
  const std::vector<Case> cases = {
      {kKindBloodPressure, {"After the walk", "135", "85", "72", "7:30 pm", "Home"},
       {{rec::kSystolic, 135}, {rec::kDiastolic, 85}, {rec::kPulse, 72}, {rec::kReadingHour, 19 + 30 * 256}},
       std::string("Home\0After the walk\0", 20), rec::kPressureText, rec::kPressureFixed, "gallery-health-pressure.png"},
      {kKindCholesterol, {"Lab", "210", "130", "45", "160"},
       {{rec::kTotal, 210}, {rec::kLdl, 130}, {rec::kHdl, 45}, {rec::kTriglycerides, 160}}, "Lab",
       rec::kCholesterolText, rec::kCholesterolFixed, "gallery-health-cholesterol.png"},
      {kKindGlucose, {"Fasting", "95"}, {{rec::kGlucose, 95}}, "Fasting", rec::kGlucoseText, rec::kGlucoseFixed,
       "gallery-health-glucose.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gallery);
    const HealthEditorLayout l = Layout(c.kind);
    HealthRun run;
    const std::string shot = test::GalleryPath(run.lock, c.gallery);
    run.Edit(TypeFields(c.typed) + "screenshot " + shot + "\n" + Click(l.save), c.kind, true);
    EXPECT_EQ(run.result, HealthSaved);
    auto stored = run.Records();
    ASSERT_EQ(stored.size(), 1u);
    for (const auto& [at, value] : c.words) EXPECT_EQ(stored[0].Word(at), value) << at;
    EXPECT_EQ(stored[0].Text(c.textAt, c.fixed), c.text);
    const auto before = stored[0].bytes;
    auto again = run.Next();
    again->Edit("key Tab\nkey Enter\n" + Click(l.save), c.kind, false);
    EXPECT_EQ(again->result, HealthSaved);
    stored = again->Records();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].bytes, before);
    EXPECT_FALSE(test::ReadAll(shot).empty());
  }
}

TEST(ReadingEditors, MissingReadingsAreRefusedWithTheKindsMessage) {
  // Enter on the last field saves; a refused save keeps the editor open, so
  // the Escape after the message clears a field instead of closing anything.
  const RecordKind kinds[] = {kKindBloodPressure, kKindCholesterol, kKindGlucose};
  for (RecordKind kind : kinds) {
    SCOPED_TRACE(static_cast<int>(kind));
    const HealthEditorLayout l = Layout(kind);
    HealthRun run;
    run.Edit("type Only a title\n" + Click(l.fields.back()) + "key Enter\nkey Enter\n" + Click(l.cancel), kind, true);
    EXPECT_EQ(run.result, HealthCancelled);
    EXPECT_TRUE(run.Records().empty());
  }
}

// Cycles through the calendar: three entered in the file, the fourth on
// Sunday 26 May through the chooser, its description taken from the last
// one. Twelve predictions follow 29 days apart from 24 June and show on the
// calendar; a predicted one refuses the editor.
TEST(CycleEditor, TheWorkedExampleThroughTheCalendar) {
  HealthRun run;
  for (const std::int32_t date : {Packed(2024, 3, 1), Packed(2024, 3, 30), Packed(2024, 4, 27)}) {
    run.Add(test::RecordBytes(kKindCycle, date, rec::kCycleFixed).Long(rec::kGroupId, 5).Text("Ana").Finish());
  }
  const std::string shot = test::GalleryPath(run.lock, "gallery-health-cycle.png");
  // At 1024 x 768 the first day cell (Sunday 26 May) starts at (20, 120); 24
  // June is the second cell of row 4, its first entry 27 pixels down.
  const std::string predicted = test::GalleryPath(run.lock, "gallery-health-predicted.png");
  run.Go("today 2024-05-26\ndclick 90 180\nkey Down\nkey Down\nkey Enter\nscreenshot " + shot +
         "\nkey Enter\nscreenshot " + predicted + "\nclick 230 " + std::to_string(120 + 4 * 126 + 27) + " right\ntype X\nkey Enter\n");
  const auto stored = run.Records();
  ASSERT_EQ(stored.size(), 4u + kPredictionCount);
  Ymd expected{2024, 6, 24};
  for (std::size_t i = 0; i < stored.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(stored[i].kind, kKindCycle);
    EXPECT_EQ(stored[i].Long(rec::kGroupId), 5u);
    EXPECT_EQ(stored[i].Text(rec::kCycleText, rec::kCycleFixed), "Ana");  // the predicted one took no X
    if (i < 4) {
      EXPECT_EQ(stored[i].bytes[rec::kPredicted], 0);
      continue;
    }
    EXPECT_EQ(stored[i].bytes[rec::kPredicted], 1);
    EXPECT_EQ(stored[i].bytes[rec::kInterval], 29);
    EXPECT_EQ(stored[i].date, PackDate(expected));
    for (int d = 0; d < 29; ++d) NextDay(expected);
  }
  EXPECT_EQ(stored[3].date, Packed(2024, 5, 26));
  int shown = 0;
  for (const GridItem& item : run.app.grid.items) {
    if (item.key == "202406249999Ana [predicted]") ++shown;
  }
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace kal
