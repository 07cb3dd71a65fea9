#include "ui/web_page.h"

#include <gtest/gtest.h>

#include "store/log.h"
#include "support/recording_launcher.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

struct LoggedRun {
  LoggedRun() { SetErrorLogFile(dir.File("error.log")); }
  ~LoggedRun() { SetErrorLogFile(""); }
  std::string Log() const {
    const auto bytes = test::ReadAll(dir.File("error.log"));
    return std::string(bytes.begin(), bytes.end());
  }
  test::TempDir dir;
};

TEST(OpenWebPage, FallsBackInOrderEscapesWebAddressesOnlyAndStartsWithOneArgument) {
  const struct {
    const char* name;
    std::vector<std::string> programs;
    std::string browserVariable;
    std::string chosen;  // what the chooser answers; empty: no chooser
    std::string address;
    std::string program;  // expected start; empty: none
    std::string argument;
  } cases[] = {
      {"default handler first", {"/usr/bin/xdg-open", "/usr/bin/firefox"}, "firefox", "", "http://a.example/my page.htm",
       "/usr/bin/xdg-open", "http://a.example/my%20page.htm"},
      {"escapes even existing escapes", {"/usr/bin/xdg-open"}, "", "", "http://a.example/x%20y",
       "/usr/bin/xdg-open", "http://a.example/x%2520y"},
      {"first $BROWSER entry that exists", {"/usr/bin/firefox", "/usr/bin/lynx"}, "nosuch: firefox :lynx", "",
       "https://a.example/{a}", "/usr/bin/firefox", "https://a.example/%7Ba%7D"},
      {"local file as it is", {"/usr/bin/xdg-open"}, "", "", "/home/u/My Help#1.htm", "/usr/bin/xdg-open",
       "/home/u/My Help#1.htm"},
      {"quotes removed, blanks trimmed", {"/usr/bin/xdg-open"}, "", "", "  \"http://a.example/\"q ",
       "/usr/bin/xdg-open", "http://a.example/q"},
      {"chooser last", {"/opt/web/browse"}, "nosuch", "/opt/web/browse", "http://a.example/", "/opt/web/browse",
       "http://a.example/"},
      {"chosen file must exist", {}, "", "/opt/web/browse", "http://a.example/", "", ""},
      {"nothing at all", {}, "", "", "http://a.example/", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoggedRun logged;
    test::UiFixture f;
    test::RecordingLauncher launcher;
    launcher.programs = c.programs;
    launcher.browserVariable = c.browserVariable;
    std::string browserPath;
    BrowserChooser chooser;
    if (!c.chosen.empty()) chooser = [&] { return c.chosen; };
    const bool found = OpenWebPage(f.ui, launcher, browserPath, c.address, chooser);
    EXPECT_EQ(found, !c.program.empty());
    EXPECT_EQ(browserPath, c.program);
    if (c.program.empty()) {
      EXPECT_TRUE(launcher.started.empty());
      EXPECT_NE(logged.Log().find("Could not locate your web browser?"), std::string::npos);
      continue;
    }
    EXPECT_EQ(launcher.started, std::vector<std::string>{c.program});
    EXPECT_EQ(launcher.opened, std::vector<std::string>{c.argument});
    EXPECT_EQ(logged.Log(), "Open Program (File): " + c.program + "\r\nOpen Program (Parameter): " + c.argument +
                                "\r\nShell Execute\r\nResult:  1\r\nOpen Program: Successful\r\n");
  }
}

TEST(OpenWebPage, RemembersTheBrowserFoundAndLogsAFailedStart) {
  LoggedRun logged;
  test::UiFixture f;
  test::RecordingLauncher launcher;
  std::string browserPath;
  ASSERT_TRUE(OpenWebPage(f.ui, launcher, browserPath, "http://a.example/"));
  launcher.programs.clear();
  launcher.startWorks = false;
  EXPECT_TRUE(OpenWebPage(f.ui, launcher, browserPath, "http://b.example/"));
  EXPECT_EQ(launcher.started, (std::vector<std::string>{"/usr/bin/xdg-open", "/usr/bin/xdg-open"}));
  EXPECT_NE(logged.Log().find("Result:  0\r\nOpen Program: 0 - No such file or directory\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kal
