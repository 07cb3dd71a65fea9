// The event editor end to end: screen 1 of a whole run opens the editor on a
// new or a stored event, a script drives it, and the event file is read back.
#include "screens/event_editor.h"

#include <gtest/gtest.h>

#include "frame_run.h"

namespace kal {
namespace {

using test::NewEvent;

constexpr std::int32_t kDay = 2024 * 65536 + 5 * 256 + 7;  // Tuesday, May 07, 2024

// The editor's geometry at 1024 x 768, for placing clicks.
const EventEditorLayout& Layout() {
  static const EventEditorLayout layout = [] {
    test::UiFixture f("size 1024 768\n");
    f.gfx.SetupFonts("Microsoft Sans Serif", 20);
    f.program.HeaderHeight = HeaderHeightPixels;
    return LayOutEventEditor(f.program, f.gfx);
  }();
  return layout;
}

std::string Click(const Rect& r) { return "click " + test::CentreOf(r) + "\n"; }
std::string Keys(const std::string& name, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += "key " + name + "\n";
  return s;
}

std::int32_t WeeksLater(std::int32_t date, int weeks) {
  Ymd d = UnpackDate(date);
  for (int i = 0; i < 7 * weeks; ++i) NextDay(d.year, d.month, d.day);
  return PackDate(d);
}

struct EditorRun : test::FrameRun {
  // Screen 1 opens the editor on the first event dated `date`, or on a new
  // event there when `create`, and ends the run when it returns.
  void Edit(const std::string& script, std::int32_t date, bool create = false) {
    app.screens[0] = [=, this](Application& a) {
      EventStore& s = a.events;
      std::int32_t offset = -1;
      if (create) {
        PrepareWorkRecord(s, kKindGeneric, 0, date);
        SetLong(s.workRecord, rec::kRecordId, NextRecordId(s));
        SetLong(s.workRecord, rec::kGroupId, NextGroupId(s));
      } else {
        for (const auto& e : test::ReadEvents(s)) {
          if (e.date == date && offset < 0) offset = static_cast<std::int32_t>(e.offset);
        }
        ASSERT_GE(offset, 0) << "no event on that day";
        EnsureWorkRecord(s);
        MoveBytes(s.store, static_cast<std::size_t>(offset), s.workRecord, 0, RecordLength(s, offset));
      }
      const int modal = a.program.ModalActive;
      EventEditor(a, offset, result);
      modalKept = a.program.ModalActive == modal;
      a.program.input.quitRequested = 1;
    };
    Go("today 2024-05-07\n" + script);
  }
  std::int32_t result = 0;
  bool modalKept = false;
};

TEST(TimePickerCaptions, StartAndEndListsAroundTheClock) {
  struct Case {
    int which, item, startHour, startMinute;
    const char* caption;
  };
  const Case cases[] = {
      {0, 0, 9, 0, "All Day"},     {1, 0, 9, 0, "No End"},       {0, 1, 9, 0, "6:00 am"},
      {0, 73, 9, 0, "12:00 pm (Noon)"}, {0, 216, 9, 0, "11:55 pm"}, {0, 217, 9, 0, "12:00 am (Midnight)"},
      {0, 288, 9, 0, "5:55 am"},
      // The end list starts at the start time and ends 5 minutes before it.
      {1, 1, 21, 35, "9:35 pm"}, {1, 288, 21, 35, "9:30 pm"}, {1, 1, 0, 0, "12:00 am (Midnight)"}};
  for (const Case& c : cases) EXPECT_EQ(TimePickerCaption(c.which, c.item, c.startHour, c.startMinute), c.caption);
  // Every caption of both lists reads back as the time it shows.
  for (int which = 0; which < 2; ++which) {
    for (int item = 1; item < 289; ++item) {
      const std::string caption = TimePickerCaption(which, item, 7, 10);
      std::int32_t h = 0, m = 0;
      TimeFromCaption(caption, h, m);
      EXPECT_EQ(FormatTime(0, h, m), caption.substr(0, caption.find(" (")));
    }
  }
}

TEST(EventEditor, NewBirthdayCalculatingAgeWrites150YearlyRecords) {
  EditorRun s;
  s.Edit("type Ana's birthday\n" + Click(Layout().repeatBox) + Keys("Down", 15) + "key Enter\n" + Click(Layout().save),
         kDay, true);
  EXPECT_EQ(s.result, EditorSaved);
  EXPECT_TRUE(s.modalKept);
  const auto events = s.Events();
  ASSERT_EQ(events.size(), 150u);
  for (const auto& e : events) {
    EXPECT_EQ(std::tuple(e.mode, e.text, e.group), std::tuple(RepeatCalculateAge, "Ana's birthday", events[0].group));
    EXPECT_EQ(std::pair(e.startHour, e.endHour), std::pair(99, 99));  // a new event is an all-day event
  }
  EXPECT_EQ(events[3].line, "Ana's birthday (3 yrs)");
}

// A weekly "Choir" group edited on its third occurrence. "Save" keeps the old
// mode and changes one record; "Save All" changes every record but keeps each
// date; a changed mode with "Save All" regenerates the group from the edited
// date only after "OK".
TEST(EventEditor, SaveAndSaveAllReachOneOccurrenceOrTheGroup) {
  const std::int32_t third = WeeksLater(kDay, 2);
  const std::string everyTwoWeeks = Click(Layout().repeatBox) + "key Down\nkey Enter\n";
  struct Case {
    std::string script;
    std::int32_t result;
    int changed, mode, category, holiday, step;  // records with the new text, ..., weeks between dates
    std::int32_t first;
  };
  const Case cases[] = {
      {"key End ctrl\ntype  practice\n" + everyTwoWeeks + Click(Layout().save), EditorSaved, 1, 1, 0, 0, 1, kDay},
      {"key End ctrl\ntype  practice\n" + Click(Layout().categoryBox) + "key Down\nkey Down\nkey Enter\n" +
           Click(Layout().holidayBox) + Click(Layout().saveAll),
       EditorSavedAll, 150, 1, 2, 1, 1, kDay},
      {everyTwoWeeks + Click(Layout().saveAll) + "type o\n", EditorSavedAll, 0, 2, 0, 0, 2, third},
      {"key End ctrl\ntype  practice\n" + everyTwoWeeks + Click(Layout().saveAll) + "type c\n", EditorSavedAll, 0,
       1, 0, 0, 1, kDay},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EditorRun s;
    s.AddEvents({{kDay, "Choir", 1, 0, 19, 0, 21, 0}});
    const auto before = s.EventBytes();
    s.Edit(c.script, third);
    EXPECT_EQ(s.result, c.result);
    const auto after = s.Events();
    ASSERT_EQ(after.size(), 150u);
    int changed = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
      changed += after[i].text == "Choir practice";
      EXPECT_EQ(std::tuple(after[i].date, after[i].mode, after[i].category, after[i].holiday, after[i].group),
                std::tuple(WeeksLater(c.first, c.step * static_cast<int>(i)), c.mode, c.category, c.holiday,
                           after[0].group));
    }
    EXPECT_EQ(changed, c.changed);
    if (c.changed == 1) {
      EXPECT_EQ(after[2].text, "Choir practice");
    }
    if (c.mode == 1 && c.changed == 0) {
      EXPECT_EQ(s.EventBytes(), before);  // cancelled
    }
  }
}

// Times are hour * 100 + minute; "All Day" and "No End" have hour 99.
TEST(EventEditor, StartAndEndPickers) {
  struct Case {
    std::vector<NewEvent> seed;  // none: a new event
    std::string script, text;
    int start, end;
  };
  const std::string end = Click(Layout().endBox);
  const Case cases[] = {
      // "All Day", first in the start list, clears the end; the end picker then
      // refuses with a message that "o" closes (an end list would swallow the
      // rest of the script and nothing would be saved).
      {{{kDay, "Talk", 0, 0, 9, 0, 10, 30}},
       "key Tab\nkey Home\nkey Enter\n" + end + "type o\nkey Home ctrl\ntype X\n" + Click(Layout().save), "XTalk", 9900,
       9999},
      // The end list: "No End", then the start time, then 5 minutes later...
      {{{kDay, "Talk", 0, 0, 9, 0}}, end + "key Down\nkey Down\nkey Enter\n" + Click(Layout().save), "Talk", 900, 905},
      {{{kDay, "Talk", 0, 0, 9, 0}}, end + "key Down\nkey Enter\nkey S ctrl\n", "Talk", 900, 900},
      // 9:00 am is 36 steps after 6:00 am; 8:00 am, 11 hours round the clock,
      // ends up before the start: "Cancel" goes back with text and times kept.
      {{},
       "type Early\nkey Tab\n" + Keys("Down", 37) + "key Enter\n" + end + "key Home\n" + Keys("Down", 277) +
           "key Enter\nkey S ctrl\ntype c\ntype !\nkey S ctrl\ntype o\n",
       "Early!", 900, 800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EditorRun s;
    s.AddEvents(c.seed);
    s.Edit(c.script, kDay, c.seed.empty());
    EXPECT_EQ(s.result, EditorSaved);
    const auto after = s.Events();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].text, c.text);
    EXPECT_EQ(after[0].startHour * 100 + after[0].startMinute, c.start);
    EXPECT_EQ(after[0].endHour * 100 + after[0].endMinute, c.end);
  }
}

TEST(EventEditor, EmptyDescriptionIsRefusedAndCancelWritesNothing) {
  EditorRun s;
  // The refusal's "OK" takes the Enter; without it the Enter would be a line break.
  s.Edit("key S ctrl\nkey Enter\ntype Picnic\nkey S ctrl\n", kDay, true);
  EXPECT_EQ(s.result, EditorSaved);
  ASSERT_EQ(s.Events().size(), 1u);
  EXPECT_EQ(s.Events()[0].text, "Picnic");

  // Refused then cancelled; cancelled after typing; closed by the end of the script.
  const std::pair<std::vector<NewEvent>, std::string> cancelled[] = {
      {{}, Click(Layout().save) + "key Enter\n" + Click(Layout().cancel)},
      {{{kDay, "Choir", 1}}, "type  practice\n" + Click(Layout().cancel)},
      {{{kDay, "Choir", 1}}, "type  practice\n"}};
  for (const auto& [seed, script] : cancelled) {
    SCOPED_TRACE(script);
    EditorRun run;
    run.AddEvents(seed);
    const auto before = run.EventBytes();
    run.Edit(script, kDay, seed.empty());
    EXPECT_EQ(run.result, EditorCancelled);
    EXPECT_EQ(run.EventBytes(), before);
    EXPECT_EQ(run.Events().size(), seed.empty() ? 0u : 150u);
  }
}

TEST(EventEditor, FullDescriptionReportsAndKeepsEverything) {
  // Short lines up to two characters below the limit.
  const std::size_t limit = kWorkRecordSize - rec::kGenericFixed;
  std::string text;
  while (text.size() + 41 <= limit - 2) text += std::string(40, 'a') + "\r";
  text += std::string(limit - 2 - text.size(), 'b');
  EditorRun s;
  s.AddEvents({{kDay, text}});
  // Two characters fit; the third is refused with a message that ignores
  // Backspace and closes on Enter (the editor would have deleted and broken
  // the line); the fourth likewise.
  s.Edit("key End ctrl\ntype xy\ntype z\nkey Backspace\nkey Enter\ntype q\nkey Backspace\nkey Enter\nkey S ctrl\n",
         kDay);
  EXPECT_EQ(s.result, EditorSaved);
  const auto after = s.Events();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].text, text + "xy");
  EXPECT_EQ(after[0].length, kWorkRecordSize);
}

TEST(EventEditor, CaseKeysAndTheContextMenuWorkOnTheDescription) {
  // Ctrl+A, Ctrl+L: sentence case; Escape opens the menu at the caret, "Copy"
  // is its third item; Ctrl+V pastes at the end, Ctrl+D adds a degree sign.
  EditorRun s;
  s.AddEvents({{kDay, "hello. world! how are you"}});
  s.Edit("key A ctrl\nkey L ctrl\nkey Escape\nkey Down\nkey Down\nkey Enter\nkey End ctrl\ntype  \nkey V ctrl\n"
         "key D ctrl\nkey S ctrl\n",
         kDay);
  ASSERT_EQ(s.Events().size(), 1u);
  EXPECT_EQ(s.Events()[0].text, "Hello. World! How are you Hello. World! How are you\xB0");

  // A right click in the box opens the menu at the pointer; its last item,
  // "Paste", brings back what Ctrl+X cut. Ctrl+Enter joins the lines.
  EditorRun menu;
  menu.AddEvents({{kDay, "first\rsecond"}});
  menu.Edit("key A ctrl\nkey X ctrl\nclick " + test::CentreOf(Layout().description) +
                " right\nkey End\nkey Enter\nkey Enter ctrl\nkey S ctrl\n",
            kDay);
  ASSERT_EQ(menu.Events().size(), 1u);
  EXPECT_EQ(menu.Events()[0].text, "first second");
}

// A timed weekly event with several lines, category "Meetings" picked and the
// second line marked; written to $KALENDRINA_GALLERY_DIR/screenshot-editor.png.
TEST(EventEditorGallery, TimedWeeklyEventWithSeveralLines) {
  test::TempDir temp;
  const std::string png = test::GalleryPath(temp, "screenshot-editor.png");
  EditorRun s;
  s.AddEvents({{kDay,
                "Choir practice\rBring the new scores for the spring concert and the folder with the lyrics. "
                "Rehearsal of the second part starts at 8:00 pm sharp.\r\rAfterwards: dinner at the corner place.",
                1, 0, 19, 30, 21, 45}});
  s.Edit("key Home ctrl\nkey Down\nkey Down shift\n" + Click(Layout().categoryBox) + Keys("Down", 4) +
             "key Enter\nwait 10\nscreenshot " + png + "\n" + Click(Layout().cancel),
         kDay);
  EXPECT_EQ(s.result, EditorCancelled);
  EXPECT_GT(test::ReadAll(png).size(), 1000u);
}

}  // namespace
}  // namespace kal
