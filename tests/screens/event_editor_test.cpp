// The event editor end to end: a whole program run on the headless backend
// whose calendar screen opens the editor on a new or an existing event, an
// input script that drives it, and the event file read back afterwards.

#include "screens/event_editor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "calendar/entry_text.h"
#include "calendar/repeat.h"
#include "platform/headless_window.h"
#include "platform/images.h"
#include "store/event_record.h"
#include "store/event_store.h"
#include "support/test_support.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr std::int32_t kDay = 2024 * 65536 + 5 * 256 + 7;  // Tuesday, May 07, 2024

// One generic event read back from the file.
struct Event {
  std::int32_t date = 0;
  std::int32_t group = 0;
  int category = 0;
  int holiday = 0;
  int mode = 0;
  int yearCount = 0;
  int startHour = 0, startMinute = 0, endHour = 0, endMinute = 0;
  std::string text;
  std::uint32_t offset = 0;
};

std::vector<Event> EventsOf(const EventStore& s) {
  std::vector<Event> out;
  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(s, i);
    if (RecordKindAt(s, off) != kKindGeneric) continue;
    Event e;
    e.offset = off;
    e.date = Long(s.store, off + rec::kDate);
    e.group = Long(s.store, off + rec::kGroupId);
    e.category = static_cast<int>(Byte(s.store, off + rec::kCategory));
    e.holiday = static_cast<int>(Byte(s.store, off + rec::kHoliday));
    e.mode = static_cast<int>(Byte(s.store, off + rec::kRepeatMode));
    e.yearCount = static_cast<int>(Byte(s.store, off + rec::kYearCount));
    e.startHour = static_cast<int>(Byte(s.store, off + rec::kStartHour));
    e.startMinute = static_cast<int>(Byte(s.store, off + rec::kStartMinute));
    e.endHour = static_cast<int>(Byte(s.store, off + rec::kEndHour));
    e.endMinute = static_cast<int>(Byte(s.store, off + rec::kEndMinute));
    GetBytes(s.store, off + rec::kGenericText, RecordLength(s, off) - rec::kGenericFixed, e.text);
    out.push_back(e);
  }
  return out;
}

// The editor's geometry in a run of the standard size, for placing clicks.
const EventEditorLayout& Layout() {
  static const EventEditorLayout layout = [] {
    test::UiFixture f("size 1024 768\n");
    f.gfx.SetupFonts("Microsoft Sans Serif", 20);
    f.program.HeaderHeight = HeaderHeightPixels;
    return LayOutEventEditor(f.program, f.gfx);
  }();
  return layout;
}

std::string Centre(const Rect& r) {
  return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
}
std::string Click(const Rect& r) { return "click " + Centre(r) + "\n"; }
std::string Keys(const std::string& name, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += "key " + name + "\n";
  return s;
}

// Picks a start time in the start picker, counted in 5-minute steps from
// 6:00 am, from a start that is "All Day".
std::string PickStartFromAllDay(int stepsFrom6am) {
  return "key Tab\n" + Keys("Down", stepsFrom6am + 1) + "key Enter\n";
}

class EditorSession {
 public:
  EditorSession() { events_.eventFile = data_.File("Event20.dat"); }

  // Adds an event to the file through the group operations, as a saved
  // editor would have.
  void Seed(std::int32_t date, const std::string& text, int mode, int startHour = 99, int startMinute = 0,
            int endHour = 99, int endMinute = 0) {
    LoadEvents(events_);
    EnsureWorkRecord(events_);
    PrepareWorkRecord(events_, kKindGeneric, 0, date);
    MemBuffer& wr = events_.workRecord;
    SetLong(wr, rec::kRecordId, NextRecordId(events_));
    SetLong(wr, rec::kGroupId, NextGroupId(events_));
    SetByte(wr, rec::kRepeatMode, mode);
    SetByte(wr, rec::kStartHour, startHour);
    SetByte(wr, rec::kStartMinute, startMinute);
    SetByte(wr, rec::kEndHour, endHour);
    SetByte(wr, rec::kEndMinute, endMinute);
    PutBytes(wr, rec::kGenericText, text);
    const auto length = static_cast<std::int32_t>(rec::kGenericFixed + text.size());
    SetLong(wr, rec::kLength, length);
    SetWord(wr, static_cast<std::size_t>(length) - 2, static_cast<std::int32_t>(kEndMarker));
    ASSERT_TRUE(NewEventGroup(events_, UnitModes{}, SilentHost()));
  }

  // Runs the program; its calendar screen opens the editor on the first
  // generic event dated `date` (or on a new event there when `create`),
  // then ends the run.
  void Run(const std::string& script, std::int32_t date, bool create, int width = kWidth, int height = kHeight) {
    ScriptParseResult parsed = ParseInputScript("size " + std::to_string(width) + " " + std::to_string(height) +
                                                "\ntoday 2024-05-07\n" + script);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    window_ = std::make_unique<HeadlessWindow>(std::move(parsed.commands));
    StartupOptions options;
    options.window = window_.get();
    options.text = &test::SharedTextRenderer();
    options.dataFolder = data_.path().string();
    options.instanceFolder = lock_.path().string();
    options.forcedClientWidth = width;
    options.forcedClientHeight = height;
    app_.screens[0] = [&](Application& a) {
      EventStore& s = a.events;
      std::int32_t offset = -1;
      if (create) {
        PrepareWorkRecord(s, kKindGeneric, 0, date);
        SetLong(s.workRecord, rec::kRecordId, NextRecordId(s));
        SetLong(s.workRecord, rec::kGroupId, NextGroupId(s));
      } else {
        for (const Event& e : EventsOf(s)) {
          if (e.date == date) {
            offset = static_cast<std::int32_t>(e.offset);
            break;
          }
        }
        ASSERT_GE(offset, 0) << "no event on that day";
        EnsureWorkRecord(s);
        MoveBytes(s.store, static_cast<std::size_t>(offset), s.workRecord, 0, RecordLength(s, offset));
      }
      modalBefore_ = a.program.ModalActive;
      EventEditor(a, offset, result_);
      modalAfter_ = a.program.ModalActive;
      a.program.input.quitRequested = 1;
    };
    RunProgram(app_, options);
    LoadEvents(events_);
  }

  std::vector<Event> Events() { return EventsOf(events_); }
  const EventStore& store() const { return events_; }
  std::int32_t result() const { return result_; }
  std::string File(const std::string& name) const { return data_.File(name); }
  std::vector<std::uint8_t> FileBytes() const { return test::ReadAll(data_.File("Event20.dat")); }
  int modalBefore() const { return modalBefore_; }
  int modalAfter() const { return modalAfter_; }

 private:
  test::TempDir data_;
  test::TempDir lock_;
  EventStore events_;
  std::unique_ptr<HeadlessWindow> window_;
  Application app_;
  std::int32_t result_ = 0;
  int modalBefore_ = -1;
  int modalAfter_ = -1;
};

std::int32_t NextWeek(std::int32_t date, int weeks) {
  Ymd d = UnpackDate(date);
  for (int i = 0; i < 7 * weeks; ++i) NextDay(d.year, d.month, d.day);
  return PackDate(d);
}

TEST(EventEditorLayout, PanelFollowsTheWindowAndTheLineHeight) {
  const EventEditorLayout& l = Layout();
  const int lh = l.lineHeight;
  EXPECT_EQ(l.visibleLines, std::min(15, (768 - 50 - 220 + lh / 2) / lh));
  EXPECT_EQ(l.panel.Width(), 640);
  EXPECT_EQ(l.panel.left, 512 - 320);
  EXPECT_EQ(l.panel.Height(), lh * l.visibleLines + 3 * (25 + lh) + 75);
  EXPECT_EQ(l.timeBox.top, l.panel.top + lh + 30);
  EXPECT_EQ(l.endBox.right, l.panel.right - 20);
  EXPECT_EQ(l.timeBox.Width(), l.endBox.Width());
  EXPECT_EQ(l.repeatBox.left, l.categoryBox.left);
  EXPECT_EQ(l.repeatBox.right, l.timeBox.right);
  EXPECT_EQ(l.repeatBox.top, l.timeBox.bottom + 25);
  EXPECT_EQ(l.holidayBox.right, l.panel.right - 20);
  EXPECT_EQ(l.description.left, l.panel.left + 20);
  EXPECT_EQ(l.description.right - 1, l.panel.right - 36);
  EXPECT_EQ(l.description.Height(), l.visibleLines * lh);
  EXPECT_EQ(l.textArea.right - l.description.right, 16);
  EXPECT_EQ(l.save.left, 512 - 120);
  EXPECT_EQ(l.cancel.right, 512 + 120);
  EXPECT_EQ(l.save.top, l.description.bottom + 25);
  EXPECT_EQ(l.save.bottom, l.panel.bottom - 20);
  // Boxes of a row never overlap, labels included.
  EXPECT_LT(l.categoryBox.right, l.timeLabelX);
  EXPECT_LT(l.timeBox.right, l.endLabelX);
  EXPECT_LE(l.repeatBox.right, l.holidayBox.left);

  // A low window shows fewer lines; the panel stays centred below the header.
  test::UiFixture small("size 800 575\n");
  small.gfx.SetupFonts("Microsoft Sans Serif", 20);
  const EventEditorLayout s = LayOutEventEditor(small.program, small.gfx);
  EXPECT_EQ(s.visibleLines, (575 - 50 - 220 + lh / 2) / lh);
  EXPECT_GE(s.panel.top, 50);
  EXPECT_LE(s.panel.bottom, 575);
}

TEST(TimePickerCaptions, StartAndEndListsAroundTheClock) {
  EXPECT_EQ(TimePickerCaption(0, 0, 9, 0), "All Day");
  EXPECT_EQ(TimePickerCaption(1, 0, 9, 0), "No End");
  EXPECT_EQ(TimePickerCaption(0, 1, 9, 0), "6:00 am");
  EXPECT_EQ(TimePickerCaption(0, 73, 9, 0), "12:00 pm (Noon)");
  EXPECT_EQ(TimePickerCaption(0, 216, 9, 0), "11:55 pm");
  EXPECT_EQ(TimePickerCaption(0, 217, 9, 0), "12:00 am (Midnight)");
  EXPECT_EQ(TimePickerCaption(0, 288, 9, 0), "5:55 am");
  // The end list starts at the start time and ends 5 minutes before it.
  EXPECT_EQ(TimePickerCaption(1, 1, 21, 35), "9:35 pm");
  EXPECT_EQ(TimePickerCaption(1, 288, 21, 35), "9:30 pm");
  EXPECT_EQ(TimePickerCaption(1, 1, 0, 0), "12:00 am (Midnight)");

  std::int32_t h = 0;
  std::int32_t m = 0;
  TimeFromCaption("12:00 pm (Noon)", h, m);
  EXPECT_EQ(h * 100 + m, 1200);
  TimeFromCaption("12:05 am", h, m);
  EXPECT_EQ(h * 100 + m, 5);
  TimeFromCaption("11:55 pm", h, m);
  EXPECT_EQ(h * 100 + m, 2355);
  TimeFromCaption("9:35 am", h, m);
  EXPECT_EQ(h * 100 + m, 935);
  // Every caption of both lists reads back as the time it shows.
  for (int which = 0; which < 2; ++which) {
    for (int item = 1; item < 289; ++item) {
      const std::string caption = TimePickerCaption(which, item, 7, 10);
      TimeFromCaption(caption, h, m);
      EXPECT_EQ(FormatTime(0, h, m), caption.substr(0, caption.find(" (")));
    }
  }
}

TEST(EventEditor, NewBirthdayCalculatingAgeWrites150YearlyRecords) {
  EditorSession s;
  s.Run("type Ana's birthday\n" + Click(Layout().repeatBox) + Keys("Down", 15) + "key Enter\n" + Click(Layout().save),
        kDay, true);
  EXPECT_EQ(s.result(), EditorSaved);
  EXPECT_EQ(s.modalAfter(), s.modalBefore());
  const std::vector<Event> events = s.Events();
  ASSERT_EQ(events.size(), 150u);
  for (int i = 0; i < 150; ++i) {
    EXPECT_EQ(events[i].date, PackDate(2024 + i, 5, 7)) << i;
    EXPECT_EQ(events[i].yearCount, i);
    EXPECT_EQ(events[i].mode, kRepeatCalculateAge);
    EXPECT_EQ(events[i].text, "Ana's birthday");
    EXPECT_EQ(events[i].group, events[0].group);
    // A new event starts as an all-day event.
    EXPECT_EQ(events[i].startHour, 99);
    EXPECT_EQ(events[i].endHour, 99);
  }
  EXPECT_EQ(EntryText(s.store(), events[3].offset, UnitModes{}), "Ana's birthday (3 yrs)");
  EXPECT_EQ(EntryText(s.store(), events[0].offset, UnitModes{}), "Ana's birthday");
}

TEST(EventEditor, SaveChangesOnlyTheEditedOccurrenceAndKeepsItsMode) {
  EditorSession s;
  s.Seed(kDay, "Choir", 1, 19, 0, 21, 0);
  s.Seed(kDay + 1, "Dentist", 0, 10, 0, 99, 0);
  const std::vector<Event> before = s.Events();
  ASSERT_EQ(before.size(), 151u);
  // Change the text and also the repeat mode; "Save" keeps the old mode.
  s.Run("type  practice\n" + Click(Layout().repeatBox) + Keys("Down", 4) + "key Enter\n" + Click(Layout().save), kDay,
        false);
  EXPECT_EQ(s.result(), EditorSaved);
  const std::vector<Event> after = s.Events();
  ASSERT_EQ(after.size(), 151u);
  int changed = 0;
  for (const Event& e : after) {
    if (e.text == "Choir practice") {
      ++changed;
      EXPECT_EQ(e.date, kDay);
      EXPECT_EQ(e.mode, 1);
      EXPECT_EQ(e.startHour, 19);
      EXPECT_EQ(e.endHour, 21);
      EXPECT_EQ(e.group, before[0].text == "Choir" ? before[0].group : before[1].group);
    } else if (e.text == "Choir") {
      EXPECT_NE(e.date, kDay);
      EXPECT_EQ(e.mode, 1);
    } else {
      EXPECT_EQ(e.text, "Dentist");
      EXPECT_EQ(e.date, kDay + 1);
    }
  }
  EXPECT_EQ(changed, 1);
}

TEST(EventEditor, SaveAllChangesEveryOccurrenceKeepingEachDate) {
  EditorSession s;
  s.Seed(kDay, "Choir", 1, 19, 0, 21, 0);
  const std::vector<Event> before = s.Events();
  // Open the third occurrence, change the text, the category and the holiday mark.
  const std::string pickCategory = Click(Layout().categoryBox) + "key Down\nkey Down\nkey Enter\n";
  s.Run("key End ctrl\ntype  practice\n" + pickCategory + Click(Layout().holidayBox) + Click(Layout().saveAll),
        NextWeek(kDay, 2), false);
  EXPECT_EQ(s.result(), EditorSavedAll);
  const std::vector<Event> after = s.Events();
  ASSERT_EQ(after.size(), 150u);
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].date, before[i].date);
    EXPECT_EQ(after[i].text, "Choir practice");
    EXPECT_EQ(after[i].category, 2);
    EXPECT_EQ(after[i].holiday, 1);
    EXPECT_EQ(after[i].mode, 1);
    EXPECT_EQ(after[i].group, before[0].group);
  }
}

TEST(EventEditor, ChangedModeWithSaveAllReplacesTheGroupOnlyWhenConfirmed) {
  // Every Week to Every Two Weeks from the third occurrence on.
  const std::string edit = Click(Layout().repeatBox) + "key Down\nkey Enter\n" + Click(Layout().saveAll);
  {
    EditorSession s;
    s.Seed(kDay, "Choir", 1);
    const std::int32_t third = NextWeek(kDay, 2);
    s.Run(edit + "type o\n", third, false);  // "OK"
    const std::vector<Event> after = s.Events();
    ASSERT_EQ(after.size(), 150u);
    for (std::size_t i = 0; i < after.size(); ++i) {
      EXPECT_EQ(after[i].date, NextWeek(third, 2 * static_cast<int>(i))) << i;
      EXPECT_EQ(after[i].mode, 2);
    }
  }
  {
    EditorSession s;
    s.Seed(kDay, "Choir", 1);
    const std::vector<std::uint8_t> before = s.FileBytes();
    s.Run(edit + "type c\n", NextWeek(kDay, 2), false);  // "Cancel"
    EXPECT_EQ(s.result(), EditorSavedAll);
    EXPECT_EQ(s.FileBytes(), before);
  }
}

TEST(EventEditor, AllDayClearsTheEndAndTheEndPickerThenRefuses) {
  EditorSession s;
  s.Seed(kDay, "Talk", 0, 9, 0, 10, 30);
  // Start picker: "All Day" is the first item. Then the end picker refuses
  // with a message that "o" (its "OK") closes; an end list would stay open
  // over that letter and the rest of the script, and nothing would be saved.
  s.Run("key Tab\nkey Home\nkey Enter\n" + Click(Layout().endBox) + "type o\nkey Home ctrl\ntype X\n" +
            Click(Layout().save),
        kDay, false);
  const std::vector<Event> after = s.Events();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].text, "XTalk");
  EXPECT_EQ(after[0].startHour, 99);
  EXPECT_EQ(after[0].startMinute, 0);
  EXPECT_EQ(after[0].endHour, 99);
}

TEST(EventEditor, EndPickerStartsAtTheStartTime) {
  EditorSession s;
  s.Seed(kDay, "Talk", 0, 9, 0, 99, 0);
  // End list: "No End", then 9:00 am, 9:05 am ... two steps down is 9:05 am.
  s.Run(Click(Layout().endBox) + "key Down\nkey Down\nkey Enter\n" + Click(Layout().save), kDay, false);
  const std::vector<Event> after = s.Events();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].endHour * 100 + after[0].endMinute, 905);
  // An end equal to the start is saved without a question.
  EditorSession same;
  same.Seed(kDay, "Talk", 0, 9, 0, 99, 0);
  same.Run(Click(Layout().endBox) + "key Down\nkey Enter\nkey S ctrl\n", kDay, false);
  EXPECT_EQ(same.result(), EditorSaved);
  ASSERT_EQ(same.Events().size(), 1u);
  EXPECT_EQ(same.Events()[0].endHour * 100 + same.Events()[0].endMinute, 900);
}

TEST(EventEditor, EndBeforeStartAsksAndCancelKeepsEditing) {
  EditorSession s;
  // 9:00 am start (36 steps after 6:00 am); 8:00 am end is 276 steps after
  // the start in the end list (11 hours on the clock).
  const std::string times =
      PickStartFromAllDay(36) + Click(Layout().endBox) + "key Home\n" + Keys("Down", 277) + "key Enter\n";
  s.Run("type Early\n" + times + "key S ctrl\ntype c\n" + "type !\n" + "key S ctrl\ntype o\n", kDay, true);
  EXPECT_EQ(s.result(), EditorSaved);
  const std::vector<Event> after = s.Events();
  ASSERT_EQ(after.size(), 1u);
  // "Cancel" went back to the editor with the text and the times kept.
  EXPECT_EQ(after[0].text, "Early!");
  EXPECT_EQ(after[0].startHour * 100 + after[0].startMinute, 900);
  EXPECT_EQ(after[0].endHour * 100 + after[0].endMinute, 800);
}

TEST(EventEditor, EmptyDescriptionIsRefused) {
  EditorSession s;
  // The refusal's "OK" takes the Enter; without it the Enter would be a line break.
  s.Run("key S ctrl\nkey Enter\ntype Picnic\nkey S ctrl\n", kDay, true);
  EXPECT_EQ(s.result(), EditorSaved);
  const std::vector<Event> after = s.Events();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].text, "Picnic");

  EditorSession empty;
  empty.Run(Click(Layout().save) + "key Enter\n" + Click(Layout().cancel), kDay, true);
  EXPECT_EQ(empty.result(), EditorCancelled);
  EXPECT_TRUE(empty.Events().empty());
}

TEST(EventEditor, FullDescriptionReportsAndKeepsEverything) {
  EditorSession s;
  // Short lines up to two characters below the limit.
  const std::size_t limit = kWorkRecordSize - rec::kGenericFixed;
  std::string text;
  while (text.size() + 41 <= limit - 2) text += std::string(40, 'a') + "\r";
  text += std::string(limit - 2 - text.size(), 'b');
  s.Seed(kDay, text, 0);
  // Two characters fit; the third is refused with a message, which ignores
  // Backspace and closes on Enter (the editor would have deleted and broken
  // the line); the fourth likewise.
  s.Run("key End ctrl\ntype xy\ntype z\nkey Backspace\nkey Enter\ntype q\nkey Backspace\nkey Enter\nkey S ctrl\n", kDay,
        false);
  EXPECT_EQ(s.result(), EditorSaved);
  const std::vector<Event> after = s.Events();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].text, text + "xy");
  EXPECT_EQ(RecordLength(s.store(), after[0].offset), kWorkRecordSize);
}

TEST(EventEditor, CancelAndClosingWriteNothing) {
  EditorSession s;
  s.Seed(kDay, "Choir", 1);
  const std::vector<std::uint8_t> before = s.FileBytes();
  s.Run("type  practice\n" + Click(Layout().cancel), kDay, false);
  EXPECT_EQ(s.result(), EditorCancelled);
  EXPECT_EQ(s.FileBytes(), before);

  EditorSession closing;
  closing.Seed(kDay, "Choir", 1);
  const std::vector<std::uint8_t> saved = closing.FileBytes();
  closing.Run("type  practice\n", kDay, false);  // the script ends: the window closes
  EXPECT_EQ(closing.result(), EditorCancelled);
  EXPECT_EQ(closing.FileBytes(), saved);
}

TEST(EventEditor, CaseKeysAndTheContextMenuWorkOnTheDescription) {
  EditorSession s;
  s.Seed(kDay, "hello. world! how are you", 0);
  // Ctrl+A, Ctrl+L: sentence case; then Escape opens the menu at the caret,
  // "Copy" (third item); the caret goes to the end and Ctrl+V pastes.
  s.Run(
      "key A ctrl\nkey L ctrl\nkey Escape\nkey Down\nkey Down\nkey Enter\nkey End ctrl\ntype  \nkey V ctrl\n"
      "key D ctrl\nkey S ctrl\n",
      kDay, false);
  const std::vector<Event> after = s.Events();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].text, "Hello. World! How are you Hello. World! How are you\xB0");

  // A right click in the box opens the same menu at the pointer: "Paste"
  // (the last item) brings back what Ctrl+X cut. Ctrl+Enter then joins the lines.
  EditorSession menu;
  menu.Seed(kDay, "first\rsecond", 0);
  menu.Run("key A ctrl\nkey X ctrl\nclick " + Centre(Layout().description) + " right\nkey End\nkey Enter\n" +
               "key Enter ctrl\nkey S ctrl\n",
           kDay, false);
  ASSERT_EQ(menu.Events().size(), 1u);
  EXPECT_EQ(menu.Events()[0].text, "first second");
}

// The editor as the user sees it: a timed weekly event with a description of
// several lines. Written to $KALENDRINA_GALLERY_DIR/screenshot-editor.png
// when that is set.
TEST(EventEditorGallery, TimedWeeklyEventWithSeveralLines) {
  const char* dir = std::getenv("KALENDRINA_GALLERY_DIR");
  test::TempDir temp;
  const std::string base = dir != nullptr ? std::string(dir) : temp.path().string();
  const std::string text =
      "Choir practice\rBring the new scores for the spring concert and the folder with the lyrics. "
      "Rehearsal of the second part starts at 8:00 pm sharp.\r\rAfterwards: dinner at the corner place.";
  // Category "Meetings" from the drop-down, the second line marked.
  const std::string script = "key Home ctrl\nkey Down\nkey Down shift\n" + Click(Layout().categoryBox) +
                             Keys("Down", 4) + "key Enter\nwait 10\nscreenshot ";
  {
    EditorSession s;
    s.Seed(kDay, text, 1, 19, 30, 21, 45);
    s.Run(script + base + "/screenshot-editor.png\n" + Click(Layout().cancel), kDay, false);
    EXPECT_EQ(s.result(), EditorCancelled);
    EXPECT_GT(test::ReadAll(base + "/screenshot-editor.png").size(), 1000u);
  }
  {
    // The large window: the panel keeps its size in the middle below the header.
    EditorSession s;
    s.Seed(kDay, text, 1, 19, 30, 21, 45);
    s.Run("key Home ctrl\nkey Down\nkey Down shift\nwait 10\nscreenshot " + base + "/editor-1920.png\n", kDay, false,
          1920, 1080);
    EXPECT_GT(test::ReadAll(base + "/editor-1920.png").size(), 1000u);
  }
}

}  // namespace
}  // namespace kal
