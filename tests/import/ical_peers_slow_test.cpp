// iCalendar files exchanged with real calendar programs: khal (through a
// private configuration and vdir calendar) and calcurse (a private data
// folder). Each test skips when its program is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kal {
namespace {

const std::string kExe = KALENDRINA_EXE;

bool Installed(const std::string& program) { return test::RunCommand("command -v " + program + " >/dev/null") == 0; }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

class IcalPeers : public ::testing::Test {
 protected:
  // Every program runs in UTC with the temporary folder as its home, so no
  // user configuration is read or written.
  std::string Env() const {
    return "env TZ=UTC HOME=" + Quote(dir.path().string()) + " XDG_CONFIG_HOME=" + Quote(dir.File("config")) +
           " XDG_DATA_HOME=" + Quote(dir.File("share")) + " ";
  }
  std::string Run(const std::string& command) {
    std::string out;
    const int status = test::RunCommand(Env() + command + " 2>&1", &out);
    EXPECT_EQ(status, 0) << command << "\n" << out;
    return out;
  }
  std::string Data(const std::string& name) {
    std::filesystem::create_directories(dir.File(name));
    return dir.File(name);
  }

  // Our events of June 2024 as "YYYY-MM-DD HH:MM title" ("YYYY-MM-DD title"
  // for all-day events), sorted.
  std::vector<std::string> OurJune(const std::string& data) {
    static const std::regex timed(R"(^(\d+):(\d\d) ([ap]m)(?: to [^-]*)? - (.*)$)");
    std::vector<std::string> out;
    for (const std::string& line :
         Lines(Run(kExe + " list --kind 2 --from 2024-06-01 --to 2024-06-30 --data " + Quote(data)))) {
      std::vector<std::string> f;
      std::istringstream fields(line);
      for (std::string part; std::getline(fields, part, '\t');) f.push_back(part);
      std::smatch m;
      if (f.size() < 6) continue;
      if (std::regex_match(f[5], m, timed)) {
        int hour = std::stoi(m[1]) % 12 + (m[3] == "pm" ? 12 : 0);
        char clock[8];
        std::snprintf(clock, sizeof clock, "%02d:%s", hour, m[2].str().c_str());
        out.push_back(f[0] + " " + clock + " " + m[4].str());
      } else {
        out.push_back(f[0] + " " + f[5]);
      }
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  std::string KhalConfig(const char* defaultZone) {
    const std::string config = dir.File("khal.conf");
    std::filesystem::create_directories(dir.File("vdir"));
    std::ofstream(config) << "[calendars]\n[[test]]\npath = " << dir.File("vdir")
                          << "\ntype = calendar\n[locale]\ntimeformat = %H:%M\ndateformat = %Y-%m-%d\n"
                             "longdateformat = %Y-%m-%d\ndatetimeformat = %Y-%m-%d %H:%M\n"
                             "longdatetimeformat = %Y-%m-%d %H:%M\nlocal_timezone = UTC\ndefault_timezone = "
                          << defaultZone << "\n";
    return "khal -c " + Quote(config) + " ";
  }
  std::vector<std::string> KhalJune(const std::string& khal) {
    std::vector<std::string> out;
    for (std::string line : Lines(Run(khal + "list --day-format '' --format '{start-date} {start-time} {title}' "
                                              "2024-06-01 2024-06-30"))) {
      // All-day events have no start time: one space too many.
      if (line.size() > 11 && line.compare(10, 2, "  ") == 0) line.erase(10, 1);
      out.push_back(line);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  // Weekly, every other week, monthly by day and on the last day, by
  // weekday, yearly, a working-day rule (RDATEs), timed and all-day.
  void AddEvents(const std::string& data, bool withRdates) {
    const std::string d = " --data " + Quote(data);
    Run(kExe + " add 2024-05-06 'Team meeting' --start 9:30am --end 10:15am --repeat 1" + d);
    Run(kExe + " add 2024-05-08 Swimming --start 18:00 --repeat 2 --category 1" + d);
    Run(kExe + " add 2024-04-15 Rent --repeat 5" + d);
    Run(kExe + " add 2024-01-31 'Month end' --repeat 5" + d);
    Run(kExe + " add 2024-05-14 'Book club' --start 7pm --repeat 23" + d);
    Run(kExe + " add 2023-06-21 Anniversary --repeat 11 --holiday" + d);
    Run(kExe + " add 2024-06-12 'Dentist' --start 14:00 --end 14:45" + d);
    if (withRdates) Run(kExe + " add 2024-03-15 'Payroll' --repeat 6" + d);
  }

  test::TempDir dir;
};

TEST_F(IcalPeers, KhalListsOurExportAsWeDo) {
  if (!Installed("khal")) GTEST_SKIP() << "khal is not installed";
  const std::string data = Data("data");
  AddEvents(data, true);
  Run(kExe + " export-ics " + Quote(dir.File("out.ics")) + " --data " + Quote(data));
  const std::string khal = KhalConfig("UTC");
  Run(khal + "import --batch -a test " + Quote(dir.File("out.ics")));
  const std::vector<std::string> ours = OurJune(data);
  EXPECT_GE(ours.size(), 12u);
  EXPECT_EQ(KhalJune(khal), ours);
}

TEST_F(IcalPeers, CalcurseListsOurExportAsWeDo) {
  if (!Installed("calcurse")) GTEST_SKIP() << "calcurse is not installed";
  const std::string data = Data("data");
  // calcurse reads RRULE and EXDATE but not RDATE, so only rules here.
  AddEvents(data, false);
  Run(kExe + " export-ics " + Quote(dir.File("out.ics")) + " --data " + Quote(data));
  const std::string calcurse = "calcurse -D " + Quote(Data("calcurse")) + " ";
  const std::string report = Run(calcurse + "-i " + Quote(dir.File("out.ics")));
  EXPECT_NE(report.find("0 skipped"), std::string::npos) << report;
  const std::string listing =
      Run(calcurse + "-Q --filter-type cal --from 06/01/2024 --days 30 --format-apt ' %(start:%H:%M) %m\\n' "
                     "--format-recur-apt ' %(start:%H:%M) %m\\n' --format-event ' %m\\n' --format-recur-event ' %m\\n'");
  // Day lines "06/03/24:", then one indented line per item.
  std::vector<std::string> theirs;
  std::string day;
  for (const std::string& line : Lines(listing)) {
    if (line[0] != ' ' && line.size() == 9 && line.back() == ':') {
      day = "20" + line.substr(6, 2) + "-" + line.substr(0, 2) + "-" + line.substr(3, 2);
    } else {
      theirs.push_back(day + line);
    }
  }
  std::sort(theirs.begin(), theirs.end());
  const std::vector<std::string> ours = OurJune(data);
  EXPECT_GE(ours.size(), 11u);
  EXPECT_EQ(theirs, ours);
}

// khal writes the event with its own VTIMEZONE (Berlin) and an RRULE; we read
// it in UTC and must list what khal lists in UTC.
TEST_F(IcalPeers, EventsKhalWroteImportOnKhalsDates) {
  if (!Installed("khal")) GTEST_SKIP() << "khal is not installed";
  const std::string khal = KhalConfig("Europe/Berlin");
  Run(khal + "new -a test 2024-05-30 09:00 10:30 Europe/Berlin Planning -r weekly -u 2024-07-01");
  Run(khal + "new -a test 2024-06-20 'Summer fair'");
  const std::string data = Data("data");
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.File("vdir"))) {
    Run(kExe + " import-ics " + Quote(entry.path().string()) + " --data " + Quote(data));
    ++files;
  }
  ASSERT_EQ(files, 2);
  const std::vector<std::string> ours = OurJune(data);
  EXPECT_EQ(ours.size(), 5u);
  EXPECT_EQ(ours, KhalJune(khal));
  EXPECT_EQ(ours.front(), "2024-06-06 07:00 Planning");
}

}  // namespace
}  // namespace kal
