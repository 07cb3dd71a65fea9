// Runs the real executable the way users and scripts do.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/single_instance.h"
#include "calendar/event_list.h"
#include "calendar/sort_key.h"
#include "support/test_support.h"

namespace kal {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

class CliTest : public ::testing::Test {
 protected:
  struct Result {
    int status;
    std::string out;
    std::vector<std::string> lines;
  };
  // A runtime folder of its own: the single-instance lock of another test (or
  // of a desktop copy on this machine) never blocks this one.
  Result Kal(const std::string& args) {
    Result r{0, "", {}};
    r.status = test::RunCommand("XDG_RUNTIME_DIR='" + runtime.path().string() + "' " + KALENDRINA_EXE + " " + args +
                                    " 2>&1",
                                &r.out);
    r.lines = Split(r.out, '\n');
    return r;
  }
  // The tab-separated fields of the one line `list` prints.
  std::vector<std::string> Only(const std::string& listArgs) {
    const Result r = Kal("list " + listArgs + Data());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.lines.size(), 1u) << r.out;
    return r.lines.size() == 1 ? Split(r.lines[0], '\t') : std::vector<std::string>(6);
  }
  std::string Data() const { return " --data '" + dir.path().string() + "'"; }

  test::TempDir runtime;
  test::TempDir dir;
};

TEST_F(CliTest, MonthlyOnThe31stFallsOnTheLastDayOfShortMonths) {
  ASSERT_EQ(Kal("add 2024-01-31 Rent --repeat 5" + Data()).status, 0);
  const auto april = Only("--from 2024-04-01 --to 2024-04-30");  // date, kind, category, ids, text
  ASSERT_EQ(april.size(), 6u);
  EXPECT_EQ(std::vector<std::string>({april[0], april[1], april[2], april[5]}),
            std::vector<std::string>({"2024-04-30", "2", "0", "Rent"}));
  EXPECT_EQ(Only("--from 2024-02-01 --to 2024-02-29")[0], "2024-02-29");
  EXPECT_EQ(Kal("list" + Data()).lines.size(), 150u);
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

TEST_F(CliTest, BirthdayShowsYearCountsAndTimes) {
  ASSERT_EQ(Kal("add 2020-03-10 'Ann birthday' --repeat 15 --start 7:30pm --end 9pm --category 7" + Data()).status, 0);
  EXPECT_EQ(Only("--to 2020-12-31")[5], "7:30 pm to 9:00 pm - Ann birthday");
  const auto fourth = Only("--from 2023-01-01 --to 2023-12-31");
  EXPECT_EQ(fourth[2], "7");
  EXPECT_EQ(fourth[5], "7:30 pm to 9:00 pm - Ann birthday (3 yrs)");
  const auto all = Kal("list" + Data()).lines;
  ASSERT_EQ(all.size(), 150u);
  EXPECT_NE(all.back().find("(149 yrs)"), std::string::npos);
  // One group: every occurrence shares the group id of the first.
  for (const auto& line : all) EXPECT_EQ(Split(line, '\t')[4], Split(all[0], '\t')[4]);
}

TEST_F(CliTest, FiltersAndSearchAndNonAsciiText) {
  ASSERT_EQ(Kal("add 2024-05-05 'Café with Zoë' --category 3" + Data()).status, 0);
  ASSERT_EQ(Kal("add 2024-05-06 'Dentist check' --start 9:00 --end 10:30" + Data()).status, 0);
  ASSERT_EQ(Kal("add 2024-06-01 'Doctor, not the dentist'" + Data()).status, 0);
  EXPECT_EQ(Only("--category 3")[5], "Café with Zoë");
  EXPECT_EQ(Only("--search DENTIST --to 2024-05-31")[5], "9:00 am to 10:30 am - Dentist check");
  EXPECT_TRUE(Kal("list --search 'doctor -dentist'" + Data()).lines.empty());
  EXPECT_EQ(Kal("list --search may" + Data()).lines.size(), 2u);
  EXPECT_TRUE(Kal("list --kind 3" + Data()).lines.empty());
}

TEST_F(CliTest, MarkedListsOnlyTheRecordsMarkedInTheEventList) {
  ASSERT_EQ(Kal("add 2024-05-05 First" + Data()).status, 0);
  ASSERT_EQ(Kal("add 2024-05-06 Second" + Data()).status, 0);
  EventStore s;
  s.eventFile = dir.File("Event20.dat");
  LoadEvents(s);
  SetMarked(s, IndexOffset(s, 1), true);
  ASSERT_TRUE(SaveEvents(s, RecordSortKeys(UnitModes{}), SilentHost()));
  EXPECT_EQ(Only("--marked")[5], "Second");
  EXPECT_EQ(Kal("list" + Data()).lines.size(), 2u);
}

TEST_F(CliTest, BadInputGivesOneLineAndAStatus) {
  const std::string file = dir.File("plain-file");
  test::WriteAll(file, {1, 2, 3});
  const std::pair<std::string, int> cases[] = {
      {"frobnicate", 1},
      {"add 2024-02-30 Nope" + Data(), 1},
      {"add 2024-1-5 Nope" + Data(), 1},
      {"add 2024-01-05 ''" + Data(), 1},
      {"add 2024-01-05 Text --repeat 28" + Data(), 1},
      {"add 2024-01-05 Text --start 25:00" + Data(), 1},
      {"add 2024-01-05 Text --end 9:00" + Data(), 1},
      {"add 2024-01-05 Text --start 9:00 --end 8:00" + Data(), 1},
      {"list --from yesterday" + Data(), 1},
      {"list --kind 9" + Data(), 1},
      {"list --data", 1},
      {"list --data '" + file + "'", 2},
      {"add 2024-01-05 Text --data '" + file + "'", 2},
      {"list --data '" + dir.File("missing") + "'", 2},
      {"list --kind 3 --kind 4" + Data(), 1},
      {"add 2024-01-05 Text --holiday --holiday" + Data(), 1},
      {"add 2024-01-05 Text --category 1 --category 2" + Data(), 1},
      {"list" + Data() + Data(), 1},
      {"list --data ''", 1},  // an unset variable must not mean the user's own diary
      {"add 2024-01-05 Text --category --data '" + dir.path().string() + "'", 1},
      {"list --search --kind 3" + Data(), 1},
      {"add 2024-01-05 'Snow \xE2\x98\x83 day'" + Data(), 1},
      {"add 2024-01-05 'Bad \xFF byte'" + Data(), 1},
      {"list --search '\xE2\x98\x83'" + Data(), 1},
      {"add 2024-01-05 Text --data '" + dir.File("no/such") + "'", 2},
      {"screenshot '" + dir.File("x.png") + "' --data '" + dir.File("no/such") + "'", 2},
      {"--data ''", 1},  // the desktop program's options too
      {"/silent --data", 1},
      {"--data" + Data() + Data(), 1},
  };
  for (const auto& [args, status] : cases) {
    const Result r = Kal(args);
    EXPECT_EQ(r.status, status) << args << "\n" << r.out;
    EXPECT_EQ(r.lines.size(), 1u) << args << "\n" << r.out;
    EXPECT_EQ(r.out.rfind("kalendrina: ", 0), 0u) << r.out;
  }
  // Nothing was written by any of them, and no mistyped folder was made.
  for (const char* made : {"Event20.dat", "no", "missing"}) EXPECT_FALSE(std::filesystem::exists(dir.File(made)));
  for (const char* args : {"--help", "list --help", "add --help"}) {
    const Result r = Kal(args);
    EXPECT_EQ(r.status, 0) << args;
    EXPECT_NE(r.out.find("usage: kalendrina"), std::string::npos) << args;
  }
}

// Every writer refuses, with status 2 and one line naming the lock file and
// why, when the data-folder lock is held by another copy or cannot be taken
// at all; nothing in the data folder is written.
TEST_F(CliTest, WritersRefuseWithoutTheDataFolderLock) {
  const std::string data = dir.File("data");
  const std::string lock = data + "/Kalendrina In Use.dat";
  const std::string script = dir.File("script.txt");
  std::ofstream(script) << "type o\n";
  const std::string writers[] = {
      "add 2024-01-05 Text",
      "screenshot '" + dir.File("shot.png") + "'",
      "run-script '" + script + "'",
  };
  const struct {
    const char* setup;
    std::string reason;
  } cases[] = {
      {"held", "is held by the desktop program (pid "},
      {"folder", "Is a directory"},
      {"loop", "Too many levels of symbolic links"},
  };
  for (const auto& c : cases) {
    for (const std::string& writer : writers) {
      SCOPED_TRACE(std::string(c.setup) + ": " + writer);
      std::filesystem::remove_all(data);
      std::filesystem::create_directory(data);
      SingleInstance desktop(data, "the desktop program");
      if (std::string(c.setup) == "held") {
        ASSERT_TRUE(desktop.Acquire()) << desktop.error();
      } else if (std::string(c.setup) == "folder") {
        std::filesystem::create_directory(lock);
      } else {
        std::filesystem::create_symlink(lock, lock);
      }
      const Result r = Kal(writer + " --data '" + data + "'");
      EXPECT_EQ(r.status, 2) << r.out;
      ASSERT_EQ(r.lines.size(), 1u) << r.out;
      EXPECT_NE(r.out.find(lock), std::string::npos) << r.out;
      EXPECT_NE(r.out.find(c.reason), std::string::npos) << r.out;
      for (const char* file : {"Event20.dat", "config20.dat", "error.log"}) {
        EXPECT_FALSE(std::filesystem::exists(data + "/" + file)) << file;
      }
      EXPECT_FALSE(std::filesystem::exists(dir.File("shot.png")));
    }
  }
  EXPECT_EQ(Kal("list --data '" + data + "'").status, 0);  // reading needs no lock
}

// A data folder on a read-only file system: nothing can be locked or written.
TEST_F(CliTest, ReadOnlyDataFolderIsRefused) {
  const std::string data = dir.File("data");
  std::filesystem::create_directory(data);
  if (test::RunCommand("mount -t tmpfs -o ro tmpfs '" + data + "' 2>/dev/null") != 0) {
    GTEST_SKIP() << "a read-only file system cannot be mounted here (needs root in a namespace that allows mounts)";
  }
  struct Unmount {
    std::string path;
    ~Unmount() { test::RunCommand("umount '" + path + "'"); }
  } unmount{data};
  for (const std::string& writer : {std::string("add 2024-01-05 Text"), "run-script '" + dir.File("s.txt") + "'"}) {
    std::ofstream(dir.File("s.txt")) << "type o\n";
    const Result r = Kal(writer + " --data '" + data + "'");
    EXPECT_EQ(r.status, 2) << writer << "\n" << r.out;
    EXPECT_EQ(r.lines.size(), 1u) << r.out;
    EXPECT_NE(r.out.find(data + "/Kalendrina In Use.dat: Read-only file system"), std::string::npos) << r.out;
  }
}

// Categories above 11 read as 0, in the output and in the filter; the filter
// takes 0-11 only, as `add` does.
TEST_F(CliTest, CategoryAboveElevenReadsAsZero) {
  ASSERT_EQ(Kal("add 2024-05-05 Imported --category 3" + Data()).status, 0);
  auto bytes = test::ReadAll(dir.File("Event20.dat"));
  ASSERT_EQ(bytes.at(5), 3);  // the category byte of the only record
  bytes[5] = 200;
  test::WriteAll(dir.File("Event20.dat"), bytes);
  EXPECT_EQ(Only("")[2], "0");
  EXPECT_EQ(Only("--category 0")[5], "Imported");
  for (const char* category : {"3", "11"}) {
    EXPECT_TRUE(Kal(std::string("list --category ") + category + Data()).lines.empty());
  }
  for (const char* category : {"12", "200", "-1"}) {
    const Result r = Kal(std::string("list --category ") + category + Data());
    EXPECT_EQ(r.status, 1) << category << r.out;
  }
}

// Text from the file reaches the terminal without its control characters:
// line breaks and tabs become spaces, every other control U+FFFD.
TEST_F(CliTest, ListNeverPrintsControlCharacters) {
  const std::string placeholder = "ABCDEFGHIJKLMNOP";
  ASSERT_EQ(Kal("add 2024-05-05 " + placeholder + Data()).status, 0);
  auto bytes = test::ReadAll(dir.File("Event20.dat"));
  const std::string raw("\x1B[2J\x07\x00\x7F\x81\x9D\x8D\x80\x85" "a\tb\rc", 16);
  ASSERT_EQ(raw.size(), placeholder.size());
  const auto at = std::search(bytes.begin(), bytes.end(), placeholder.begin(), placeholder.end());
  ASSERT_NE(at, bytes.end());
  std::copy(raw.begin(), raw.end(), at);
  test::WriteAll(dir.File("Event20.dat"), bytes);
  const std::string bad = "\xEF\xBF\xBD";
  // "\x80" and "\x85" are the euro sign and the ellipsis; the list shows the first line only.
  EXPECT_EQ(Only("")[5], bad + "[2J" + bad + bad + bad + bad + bad + bad + "\xE2\x82\xAC\xE2\x80\xA6" "a b");
}

// Dates end with 9999-12-31: later ones are refused, and a repeating event
// keeps only the occurrences up to then.
TEST_F(CliTest, NothingIsStoredAfterTheYear9999) {
  const Result late = Kal("add 10000-01-01 Late" + Data());
  EXPECT_EQ(late.status, 1);
  EXPECT_NE(late.out.find("9999-12-31"), std::string::npos) << late.out;
  ASSERT_EQ(Kal("add 9999-06-30 Rent --repeat 5" + Data()).status, 0);
  const auto lines = Kal("list" + Data()).lines;
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(Split(lines.back(), '\t')[0], "9999-12-30");
}

TEST_F(CliTest, RefusalsNameTheProblemAndOnlyTheLastFolderIsMade) {
  EXPECT_NE(Kal("add 2024-01-05 'Snow \xE2\x98\x83 day'" + Data()).out.find("'\xE2\x98\x83' (U+2603)"),
            std::string::npos);
  EXPECT_NE(Kal("add 2024-01-05 'Bad \xFF byte'" + Data()).out.find("byte 0xFF"), std::string::npos);
  EXPECT_NE(Kal("list --kind 3 --kind 4" + Data()).out.find("--kind"), std::string::npos);
  // A new folder is made when only its last part is missing.
  const Result made = Kal("add 2024-01-05 Text --data '" + dir.File("new") + "'");
  EXPECT_EQ(made.status, 0) << made.out;
  EXPECT_TRUE(std::filesystem::exists(dir.File("new/Event20.dat")));
}

TEST_F(CliTest, ScreenshotAndRunScriptWorkWithoutADisplay) {
  const std::string png = dir.File("shot.png");
  const Result shot = Kal("screenshot '" + png + "' --size 800x600 --today 2024-05-05" + Data());
  ASSERT_EQ(shot.status, 0) << shot.out;
  const auto bytes = test::ReadAll(png);
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");

  const std::string script = dir.File("script.txt"), png2 = dir.File("after.png");
  std::ofstream(script) << "size 1024 768\ntoday 2024-05-05\ntype o\nscreenshot " << png2 << "\n";
  const Result run = Kal("run-script '" + script + "'" + Data());
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_TRUE(std::filesystem::exists(png2));
  EXPECT_TRUE(std::filesystem::exists(dir.File("config20.dat")));

  std::ofstream(script) << "click 10\n";
  const Result bad = Kal("run-script '" + script + "'" + Data());
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find("line 1"), std::string::npos) << bad.out;
  EXPECT_EQ(Kal("screenshot x.png --size 10x10" + Data()).status, 1);
  EXPECT_EQ(Kal("screenshot x.png --screen nowhere" + Data()).status, 1);
  EXPECT_EQ(Kal("run-script '" + dir.File("missing.txt") + "'" + Data()).status, 1);
}

// export-ics and import-ics in the desktop executable: what one folder exports, an
// empty one imports to the same list; the errors are one line each.
TEST_F(CliTest, IcsExportImportsIntoTheSameList) {
  ASSERT_EQ(Kal("add 2024-05-06 'Yoga' --start 7am --end 8am --repeat 2 --category 3" + Data()).status, 0);
  ASSERT_EQ(Kal("add 2024-05-09 'Holiday' --holiday" + Data()).status, 0);
  const std::string ics = runtime.File("out.ics");
  ASSERT_EQ(Kal("export-ics '" + ics + "'" + Data()).status, 0);
  test::TempDir other;
  const std::string otherData = " --data '" + other.path().string() + "'";
  const Result imported = Kal("import-ics '" + ics + "'" + otherData);
  EXPECT_EQ(imported.out, "Imported 2 events (151 entries) from out.ics.\n");
  const auto listed = [&](const std::string& data) {
    std::string text;
    for (const std::string& line : Kal("list" + data).lines) {
      const auto fields = Split(line, '\t');
      if (fields.size() == 6) text += fields[0] + " " + fields[2] + " " + fields[5] + "\n";
    }
    return text;
  };
  EXPECT_EQ(listed(otherData), listed(Data()));
  EXPECT_EQ(Kal("export-ics -" + otherData).out.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
  const std::pair<std::string, int> errors[] = {
      {"export-ics" + Data(), 1},
      {"import-ics '" + runtime.File("missing.ics") + "'" + Data(), 2},
      {"import-ics '" + dir.File("Event20.dat") + "'" + Data(), 2},
  };
  for (const auto& [args, status] : errors) {
    const Result r = Kal(args);
    EXPECT_EQ(r.status, status) << args;
    EXPECT_EQ(r.lines.size(), 1u) << r.out;
  }
}

// The command line must start at once: only the commands that draw map the
// display, font and image libraries, by handing the run to the desktop
// executable beside the command line; without it the other commands still
// work.
TEST_F(CliTest, OnlyDrawingCommandsLoadTheDesktopLibraries) {
  ASSERT_EQ(Kal("add 2024-05-05 Lunch" + Data()).status, 0);
  const auto desktopLibraries = [&](const std::string& exe, const std::string& args) {
    std::string out;
    test::RunCommand("LD_DEBUG=libs XDG_RUNTIME_DIR='" + runtime.path().string() + "' '" + exe + "' " + args +
                         " 2>&1 >/dev/null",
                     &out);
    // A statically linked command line leaves no trace at all; that the loader
    // does trace here is shown by the drawing command below.
    std::string found;
    for (const char* library :
         {"libSDL2-2.0.so", "libSDL2_image", "libfreetype", "libfontconfig", "libcairo.so", "libcups.so", "libical.so"}) {
      for (const auto& line : Split(out, '\n')) {
        if (line.find("calling init:") != std::string::npos && line.find(library) != std::string::npos) {
          found += std::string(found.empty() ? "" : " ") + library;
          break;
        }
      }
    }
    return found;
  };
  for (const std::string& args : {std::string("--help"), "list" + Data(), "add 2024-05-06 Tea" + Data()}) {
    EXPECT_EQ(desktopLibraries(KALENDRINA_EXE, args), "") << args;
  }
  EXPECT_EQ(desktopLibraries(KALENDRINA_EXE, "screenshot '" + dir.File("shot.png") + "'" + Data()),
            "libSDL2-2.0.so libSDL2_image libfreetype libfontconfig libcairo.so libcups.so libical.so");

  // The command line alone, without the desktop executable.
  const std::string alone = runtime.File("kalendrina");
  std::filesystem::copy_file(KALENDRINA_EXE, alone);
  std::string out;
  EXPECT_EQ(test::RunCommand("'" + alone + "' list" + Data() + " 2>&1", &out), 0) << out;
  EXPECT_NE(out.find("\tLunch\n"), std::string::npos) << out;
  EXPECT_EQ(test::RunCommand("XDG_RUNTIME_DIR='" + runtime.path().string() + "' '" + alone + "' screenshot '" +
                                 dir.File("none.png") + "'" + Data() + " 2>&1",
                             &out),
            2);
  EXPECT_NE(out.find("kalendrina-desktop is missing"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.png")));
}

}  // namespace
}  // namespace kal
