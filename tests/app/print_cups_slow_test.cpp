// Printing from the screens through a real CUPS scheduler of the test's own:
// private configuration, socket and spool folders, one queue that writes the
// job to a file. The output is read back with pdftotext.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "app/print_hooks.h"
#include "screens/calendar_screen.h"
#include "screens/frame_run.h"

namespace kal {
namespace {

constexpr const char* kFileQueuePpd =
    "*PPD-Adobe: \"4.3\"\n"
    "*FormatVersion: \"4.3\"\n"
    "*FileVersion: \"1.0\"\n"
    "*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n"
    "*PCFileName: \"KALPDF.PPD\"\n"
    "*Manufacturer: \"Kalendrina\"\n"
    "*Product: \"(Kalendrina test file)\"\n"
    "*ModelName: \"Kalendrina test file\"\n"
    "*ShortNickName: \"Kalendrina test file\"\n"
    "*NickName: \"Kalendrina test file\"\n"
    "*PSVersion: \"(3010.000) 0\"\n"
    "*LanguageLevel: \"3\"\n"
    "*ColorDevice: True\n"
    "*DefaultColorSpace: RGB\n"
    "*FileSystem: False\n"
    "*Throughput: \"1\"\n"
    "*TTRasterizer: Type42\n"
    "*cupsFilter2: \"application/vnd.cups-pdf application/pdf 0 -\"\n"
    "*OpenUI *PageSize/Media Size: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageSize\n"
    "*DefaultPageSize: Letter\n"
    "*PageSize Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion/Media Size: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageRegion\n"
    "*DefaultPageRegion: Letter\n"
    "*PageRegion Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
    "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: Letter\n"
    "*ImageableArea Letter/US Letter: \"18 36 594 756\"\n"
    "*ImageableArea A4/A4: \"18 36 577 806\"\n"
    "*DefaultPaperDimension: Letter\n"
    "*PaperDimension Letter/US Letter: \"612 792\"\n"
    "*PaperDimension A4/A4: \"595 842\"\n"
    "*OpenUI *Resolution/Resolution: PickOne\n"
    "*OrderDependency: 10 AnySetup *Resolution\n"
    "*DefaultResolution: 600dpi\n"
    "*Resolution 600dpi/600 dpi: \"<</HWResolution[600 600]>>setpagedevice\"\n"
    "*CloseUI: *Resolution\n";

class PrivateCups {
 public:
  // Empty when the scheduler runs, else why it could not.
  std::string Start() {
    if (test::RunCommand("test -x /usr/sbin/cupsd && command -v lpadmin >/dev/null && command -v pdftotext "
                         ">/dev/null") != 0) {
      return "cupsd, lpadmin or pdftotext is not installed";
    }
    const std::string root = dir.path().string();
    for (const char* sub : {"spool", "cache", "state", "log", "run", "out"}) {
      std::filesystem::create_directories(dir.path() / sub);
    }
    // The scheduler refuses to run its filters as root; as root it is told
    // to use nobody, who must reach the folders.
    std::string uid;
    test::RunCommand("id -u", &uid);
    const bool root_user = uid.rfind("0", 0) == 0 && uid.size() <= 2;
    std::string group = "nogroup";
    if (test::RunCommand("getent group nogroup >/dev/null") != 0) group = "nobody";
    std::ofstream(dir.File("cups-files.conf"))
        << "FileDevice Yes\nServerRoot " << root << "\nRequestRoot " << root << "/spool\nCacheDir " << root
        << "/cache\nStateDir " << root << "/state\nTempDir " << root << "/spool\nAccessLog " << root
        << "/log/access_log\nErrorLog " << root << "/log/error_log\nPageLog " << root << "/log/page_log\n"
        << "Printcap " << root << "/printcap\n"
        << (root_user ? "User nobody\nGroup " + group + "\n" : "");
    socket = root + "/run/cups.sock";
    std::ofstream(dir.File("cupsd.conf")) << "Listen " << socket
                                          << "\nLogLevel info\nBrowsing No\nDefaultAuthType None\n"
                                             "<Location />\nOrder allow,deny\nAllow all\n</Location>\n";
    test::RunCommand("chmod -R a+rwx '" + root + "'");
    std::string pidText;
    test::RunCommand("/usr/sbin/cupsd -f -c '" + root + "/cupsd.conf' -s '" + root + "/cups-files.conf' >'" + root +
                         "/log/stdout' 2>&1 & echo $!",
                     &pidText);
    pid = std::atoi(pidText.c_str());
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!std::filesystem::exists(socket)) return "cupsd did not start: " + Log();
    output = root + "/out/job.pdf";
    // A queue that takes PDF and hands it to its file through the standard
    // PDF filter, with Letter and A4 paper at 600 dpi.
    std::ofstream(dir.File("file.ppd")) << kFileQueuePpd;
    std::string said;
    if (Lp("lpadmin -p kalfile -E -v 'file://" + output + "' -P '" + root + "/file.ppd'", &said) != 0 ||
        Lp("lpadmin -d kalfile", &said) != 0) {
      return "the file queue could not be set up: " + said;
    }
    setenv("CUPS_SERVER", socket.c_str(), 1);
    return {};
  }
  ~PrivateCups() {
    if (pid > 0) test::RunCommand("kill " + std::to_string(pid) + " 2>/dev/null");
  }
  int Lp(const std::string& command, std::string* out = nullptr) {
    return test::RunCommand("CUPS_SERVER='" + socket + "' " + command + " 2>&1", out);
  }
  std::string Log() {
    std::string text, queued;
    Lp("lpstat -o", &queued);
    test::RunCommand("ls -l '" + dir.File("out") + "'", &text);
    text = "queue: [" + queued + "] out: " + text + "\n";
    test::RunCommand("tail -n 12 '" + dir.File("log/error_log") + "' '" + dir.File("log/stdout") + "' 2>&1", &queued);
    return text + queued;
  }
  // The text of the job once the queue has written it.
  std::string WaitForJob() {
    for (int i = 0; i < 200; ++i) {
      std::string queued;
      Lp("lpstat -o", &queued);
      std::error_code ec;
      if (queued.empty() && std::filesystem::file_size(output, ec) > 0 && !ec) {
        std::string text;
        if (test::RunCommand("pdftotext -layout '" + output + "' - 2>/dev/null | tr -s ' '", &text) == 0) return text;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
  }

  test::TempDir dir;
  std::string socket, output;
  int pid = 0;
};

int Pages(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\f';
  return n;
}

TEST(PrintThroughCups, CalendarAndMarkedListLandInTheQueue) {
  PrivateCups cups;
  const std::string why = cups.Start();
  if (!why.empty()) GTEST_SKIP() << "no private CUPS scheduler on this machine (" << why << "); the PDF path is "
                                 << "tested by the print command tests";
  CalendarScreenHooks() = {};
  EventListScreenHooks() = {};
  InstallPrintHooks();

  test::LayoutProbe probe(1024, 768);
  const std::string start = "size 1024 768\ntoday 2024-03-05\n";
  // One program run per job, each on the same two events.
  const auto printFrom = [&](const std::string& script) {
    test::FrameRun run;
    run.AddEvents({{PackDate(2024, 3, 5), "Dentist at nine", 0, 0, 9, 0},
                   {PackDate(2024, 3, 10), "Choir practice", 1}});
    run.Go(start + script + "type o\nwait 100\nquit\n");
    return run.Stored();
  };

  // The calendar's "Print", then "OK" in the dialog.
  printFrom("click " + test::CentreOf(probe.app.layout.calendar.print) + "\n");
  const std::string text = cups.WaitForJob();
  ASSERT_FALSE(text.empty()) << "no job arrived: " << cups.Log();
  for (const char* want : {"Mar 3, 2024 to Apr 13, 2024", "Printed Mar 5, 2024", "Apr 1, 2024", "Mar 12",
                           "9:00 am - Dentist", "Choir practice"}) {
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  }
  EXPECT_EQ(Pages(text), 1);

  // The events screen with every record marked: 151 lines, three pages.
  std::filesystem::remove(cups.output);
  const Settings stored =
      printFrom("type e\nkey A ctrl\nclick " + test::CentreOf(probe.app.layout.events.print) + "\n");
  const std::string list = cups.WaitForJob();
  ASSERT_FALSE(list.empty()) << "no job arrived: " << cups.Log();
  EXPECT_NE(list.find("Dentist at nine"), std::string::npos);
  EXPECT_NE(list.find("Choir practice"), std::string::npos);
  EXPECT_EQ(Pages(list), 3);
  EXPECT_EQ(stored.eventPrintDevice, "kalfile");
  EXPECT_EQ(stored.eventPrintSize, 12);
  CalendarScreenHooks() = {};
  EventListScreenHooks() = {};
}

// A printer that refuses the job is reported with the printer's reason.
TEST(PrintThroughCups, ARefusedJobIsReported) {
  PrivateCups cups;
  const std::string why = cups.Start();
  if (!why.empty()) GTEST_SKIP() << "no private CUPS scheduler on this machine (" << why << ")";
  ASSERT_EQ(cups.Lp("cupsreject kalfile"), 0);
  auto printers = MakeCupsPrinters();
  std::string error;
  std::ofstream(cups.dir.File("one.pdf")) << "%PDF-1.4\n";
  EXPECT_FALSE(printers->Submit("kalfile", "", cups.dir.File("one.pdf"), "Kalendrina", error));
  EXPECT_NE(error.find("not accepting"), std::string::npos) << error;
  EXPECT_FALSE(printers->QueryPage("nosuchprinter", "", *std::make_unique<PrinterPage>(), error));
}

}  // namespace
}  // namespace kal
