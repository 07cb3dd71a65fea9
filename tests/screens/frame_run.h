// A whole program run on the headless backend for the screen tests: a private
// data folder, a launcher that records instead of opening, the screens the run
// visited, and the settings and event file read back after Go().
#pragma once

#include <functional>
#include <memory>

#include "app/startup.h"
#include "calendar/entry_text.h"
#include "calendar/repeat.h"
#include "platform/launch.h"
#include "screens/event_list_screen.h"
#include "screens/options_screen.h"
#include "support/recording_launcher.h"
#include "support/test_support.h"
#include "ui/ui_fixture.h"

namespace kal::test {

inline std::string At(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }
inline std::string CentreOf(const Rect& r) { return At((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

// A generic event added as a saved editor adds it: through the group
// operations, so a repeating one becomes its 150 occurrences.
struct NewEvent {
  std::int32_t date;
  std::string text;
  int mode = 0;
  int category = 0;
  int startHour = 255, startMinute = 0, endHour = 99, endMinute = 0;
};

// A live record as stored; `line` is the one-line entry text of a generic event.
struct StoredEvent {
  std::int32_t date, recordId, group;
  std::uint32_t kind, offset, length;
  int category, holiday, mode, yearCount, startHour, startMinute, endHour, endMinute;
  std::string text, line;
};

inline std::vector<StoredEvent> ReadEvents(const EventStore& s) {
  std::vector<StoredEvent> out;
  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(s, i);
    const std::uint32_t kind = RecordKindAt(s, off);
    if (kind == kKindDeleted) continue;
    const auto longAt = [&](std::uint32_t field) { return Long(s.store, off + field); };
    const auto byte = [&](std::uint32_t field) { return static_cast<int>(Byte(s.store, off + field)); };
    StoredEvent e{longAt(rec::kDate), longAt(rec::kRecordId), longAt(rec::kGroupId), kind, off, RecordLength(s, off),
                  byte(rec::kCategory), byte(rec::kHoliday), byte(rec::kRepeatMode), byte(rec::kYearCount),
                  byte(rec::kStartHour), byte(rec::kStartMinute), byte(rec::kEndHour), byte(rec::kEndMinute), "", ""};
    if (kind == kKindGeneric) {
      GetBytes(s.store, off + rec::kGenericText, RecordLength(s, off) - rec::kGenericFixed, e.text);
      e.line = EntryText(s, off, UnitModes{});
    }
    out.push_back(e);
  }
  return out;
}

struct FrameRun {
  explicit FrameRun(HeadlessOptions screen = {}) : screen(screen) {
    options.text = &SharedTextRenderer();
    options.dataFolder = data.path().string();
    options.instanceFolder = lock.path().string();
    app.launcher = &launcher;
  }

  void AddEvents(const std::vector<NewEvent>& events) {
    EventStore s;
    s.eventFile = data.File("Event20.dat");
    LoadEvents(s);
    for (const NewEvent& e : events) {
      PrepareWorkRecord(s, kKindGeneric, static_cast<std::uint8_t>(e.category), e.date);
      MemBuffer& wr = s.workRecord;
      const auto length = static_cast<std::int32_t>(rec::kGenericFixed + e.text.size());
      SetLong(wr, rec::kLength, length);
      SetLong(wr, rec::kRecordId, NextRecordId(s));
      SetLong(wr, rec::kGroupId, NextGroupId(s));
      SetByte(wr, rec::kRepeatMode, e.mode);
      SetByte(wr, rec::kStartHour, e.startHour);
      SetByte(wr, rec::kStartMinute, e.startMinute);
      SetByte(wr, rec::kEndHour, e.endHour);
      SetByte(wr, rec::kEndMinute, e.endMinute);
      PutBytes(wr, rec::kGenericText, e.text);
      SetWord(wr, static_cast<std::size_t>(length) - 2, kEndMarker);
      ASSERT_TRUE(NewEventGroup(s, UnitModes{}, SilentHost()));
    }
  }

  // Makes every screen note its visit before it runs as it would (or as
  // `wrapped` says); call before Go().
  void RecordVisits() {
    for (int i = 0; i < 3; ++i) {
      app.screens[static_cast<std::size_t>(i)] = [this, i](Application& a) {
        visited.push_back(i + 1);
        if (wrapped[i]) return wrapped[i](a);
        if (i == 0) return PlaceholderScreen(a, 1);
        i == 2 ? OptionsScreen(a) : EventListScreen(a);
      };
    }
  }

  int Go(const std::string& script) {
    window = std::make_unique<HeadlessWindow>(ParsedScript(script), screen);
    options.window = window.get();
    return RunProgram(app, options);
  }
  Settings Stored() const {
    Settings s;
    LoadSettings(s, data.File("config20.dat"));
    return s;
  }
  std::vector<StoredEvent> Events() const {
    EventStore s;
    s.eventFile = data.File("Event20.dat");
    LoadEvents(s);
    return ReadEvents(s);
  }
  std::vector<std::uint8_t> EventBytes() const { return ReadAll(data.File("Event20.dat")); }
  std::string Log() const {
    const auto bytes = ReadAll(data.File("error.log"));
    return std::string(bytes.begin(), bytes.end());
  }

  HeadlessOptions screen;
  TempDir data;
  TempDir lock;
  RecordingLauncher launcher;
  std::unique_ptr<HeadlessWindow> window;
  StartupOptions options;
  Application app;
  std::vector<int> visited;
  std::function<void(Application&)> wrapped[3];
};

// The layout a run of this client size will have, worked out beforehand so
// that scripts can aim at controls.
struct LayoutProbe {
  LayoutProbe(int width, int height) {
    app.program.ClientWidth = width;
    app.program.ClientHeight = height;
    app.program.CentreX = width / 2;
    app.gfx.text = &SharedTextRenderer();
    app.gfx.SetupFonts("Microsoft Sans Serif", 20);
    window = std::make_unique<HeadlessWindow>(std::vector<ScriptCommand>{},
                                              HeadlessOptions{std::max(1280, width), std::max(1024, height)});
    app.program.window = window.get();
    LayoutScreens(app);
  }
  std::unique_ptr<HeadlessWindow> window;
  Application app;
  const ScreenLayout& layout() const { return app.layout; }
};

}  // namespace kal::test
