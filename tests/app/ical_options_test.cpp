// "Import iCalendar File" on the options screen, end to end on the headless
// backend: the button runs the hook, the import saves and says what came in.
// The file is handed in directly, as the installed hook does after its chooser.
#include <gtest/gtest.h>

#include "import/ical_dialog.h"
#include "screens/frame_run.h"

namespace kal {
namespace {

using test::CentreOf;
using test::FrameRun;
using test::LayoutProbe;

TEST(IcalOptions, ButtonImportsTheFileAndTheDialogClosesOnEnter) {
  LayoutProbe probe(1024, 768);
  const std::string calendar =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VEVENT\r\nUID:a@x\r\nSUMMARY:Choir\r\n"
      "DTSTART:20240103T193000\r\nDTEND:20240103T210000\r\nRRULE:FREQ=WEEKLY;COUNT=5\r\nEND:VEVENT\r\n"
      "BEGIN:VTODO\r\nUID:b@x\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
  struct Case {
    bool hook;
    std::string file;
    std::size_t records;
  };
  FrameRun scratch;
  const std::string good = scratch.data.File("choir.ics"), bad = scratch.data.File("notes.txt");
  test::WriteAll(good, std::vector<std::uint8_t>(calendar.begin(), calendar.end()));
  test::WriteAll(bad, {'h', 'i', '\n'});
  const Case cases[] = {{true, good, 5}, {true, bad, 0}, {false, good, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    FrameRun run;
    int calls = 0;
    bool imported = false;
    if (c.hook) {
      run.app.hooks.importIcalendar = [&] {
        ++calls;
        imported = ImportIcsWithDialogs(run.app.ui, run.app.events, run.app.categories, UnitModes{}, c.file);
      };
    }
    // The import's and the save's message pumps take one input each: the
    // picture is taken once the message dialog is up.
    std::string moves;
    for (int i = 0; i < 12; ++i) moves += "move 20 " + std::to_string(600 + i) + "\n";
    const std::string shot = test::GalleryPath(run.data, "ical-import-" + std::to_string(&c - cases) + ".png");
    run.Go("type o\nclick " + CentreOf(probe.layout().options.importIcal) + "\n" + moves + "screenshot " + shot +
           "\nkey Enter\nquit\n");
    EXPECT_EQ(calls, c.hook ? 1 : 0);
    EXPECT_EQ(imported, c.records > 0);
    const std::vector<test::StoredEvent> events = run.Events();
    ASSERT_EQ(events.size(), c.records);
    for (const test::StoredEvent& e : events) {
      EXPECT_EQ(e.text, "Choir");
      EXPECT_EQ(e.startHour * 100 + e.startMinute, 1930);
      EXPECT_EQ(e.group, events.front().group);
    }
  }
}

}  // namespace
}  // namespace kal
