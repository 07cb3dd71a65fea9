// Runs the real executable the way users and scripts do.
#include <gtest/gtest.h>

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
  };
  for (const auto& [args, status] : cases) {
    const Result r = Kal(args);
    EXPECT_EQ(r.status, status) << args << "\n" << r.out;
    EXPECT_EQ(r.lines.size(), 1u) << args << "\n" << r.out;
    EXPECT_EQ(r.out.rfind("kalendrina: ", 0), 0u) << r.out;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("Event20.dat")));  // nothing was written by any of them
  for (const char* args : {"--help", "list --help", "add --help"}) {
    const Result r = Kal(args);
    EXPECT_EQ(r.status, 0) << args;
    EXPECT_NE(r.out.find("usage: kalendrina"), std::string::npos) << args;
  }
}

TEST_F(CliTest, AddRefusesWhileTheDesktopCopyRuns) {
  SingleInstance desktop(dir.path().string());
  ASSERT_TRUE(desktop.Acquire());
  const Result r = Kal("add 2024-01-05 Text" + Data());
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_NE(r.out.find("running"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("Event20.dat")));
  EXPECT_EQ(Kal("list" + Data()).status, 0);  // reading is harmless
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

// The command line must start at once: only the commands that draw map the
// display, font and image libraries, through the desktop module beside the
// executable; without that module the other commands still work.
TEST_F(CliTest, OnlyDrawingCommandsLoadTheDesktopLibraries) {
  ASSERT_EQ(Kal("add 2024-05-05 Lunch" + Data()).status, 0);
  const auto desktopLibraries = [&](const std::string& exe, const std::string& args) {
    std::string out;
    test::RunCommand("LD_DEBUG=libs XDG_RUNTIME_DIR='" + runtime.path().string() + "' '" + exe + "' " + args +
                         " 2>&1 >/dev/null",
                     &out);
    // An empty answer must mean "none loaded", not "no trace".
    if (out.find("calling init:") == std::string::npos) return std::string("no loader trace");
    std::string found;
    for (const char* library : {"libSDL2-2.0.so", "libSDL2_image", "libfreetype", "libfontconfig"}) {
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
            "libSDL2-2.0.so libSDL2_image libfreetype libfontconfig");

  // The executable alone, without its module.
  const std::string alone = runtime.File("kalendrina");
  std::filesystem::copy_file(KALENDRINA_EXE, alone);
  std::string out;
  EXPECT_EQ(test::RunCommand("'" + alone + "' list" + Data() + " 2>&1", &out), 0) << out;
  EXPECT_NE(out.find("\tLunch\n"), std::string::npos) << out;
  EXPECT_EQ(test::RunCommand("XDG_RUNTIME_DIR='" + runtime.path().string() + "' '" + alone + "' screenshot '" +
                                 dir.File("none.png") + "'" + Data() + " 2>&1",
                             &out),
            2);
  EXPECT_NE(out.find("kalendrina-desktop.so is missing"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.png")));
}

}  // namespace
}  // namespace kal
