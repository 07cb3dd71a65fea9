#include "net/update.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>

#include "support/test_server.h"
#include "platform/signature.h"
#include "store/log.h"
#include "support/test_support.h"

namespace kal {
namespace {

namespace fs = std::filesystem;
using test::UstarArchive;

TEST(GetVersionValue, TakesTheFirstLineUpToTheCarriageReturnWithoutMarks) {
  const std::string info =
      "HTTP/1.0 200 OK\r\n\r\nkalendrina_version = \"2.5\";\r\nkalendrina_release Mar 1, 2011\r\n"
      "kalendrina_version 9.9\r\nkalendrina_file setup=a;b\"c.tar\r\nkalendrina_path  https://x.example/  \r\n"
      "kalendrina_upgrades https://x.example/new";
  const struct {
    const char* key;
    const char* value;
  } cases[] = {
      {"version", "2.5"},          {"release", "Mar 1, 2011"}, {"file", "setupabc.tar"},
      {"path", "https://x.example/"}, {"upgrades", ""},       {"missing", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetVersionValue(info, c.key), c.value) << c.key;
}

TEST(ReleaseKey, MonthDayAndYearAsComparableText) {
  const struct {
    const char* release;
    const char* key;
  } cases[] = {
      {"Mar 1, 2011", "2011/03/01"}, {"Feb 18, 2011", "2011/02/18"}, {"DEC 31, 1999", "1999/12/31"},
      {"Foo 1, 2011", "2011/00/01"}, {"", "0000/00/00"},             {"Mar 1 2011", "0000/03/00"},
      {"anf 1, 2012", "2012/00/01"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReleaseKey(c.release), c.key) << c.release;
  EXPECT_GT(ReleaseKey("Mar 1, 2011"), OwnReleaseKey);
  EXPECT_LT(ReleaseKey("not a date"), OwnReleaseKey);
}

TEST(ReadUpdateArchive, TakesOnlyWholeRegularProgramFiles) {
  const std::string good = UstarArchive({{"kalendrina", "exe"}, {"./kalendrina-desktop", std::string(600, 'm')}});
  std::string badSum = good;
  badSum[0] = 'K';
  const struct {
    const char* name;
    std::string archive;
    bool ok;
  } cases[] = {
      {"good", good, true},
      {"damaged header", badSum, false},
      {"cut short", good.substr(0, 512 + 100), false},
      {"no end", good.substr(0, 1024 + 512), false},
      {"foreign file", UstarArchive({{"kalendrina", "x"}, {"evil.so", "x"}}), false},
      {"path", UstarArchive({{"../kalendrina", "x"}}), false},
      {"link", UstarArchive({{"kalendrina", ""}}, '2'), false},
      {"empty", std::string(1024, '\0'), false},
  };
  for (const auto& c : cases) {
    std::vector<std::pair<std::string, std::string>> files;
    EXPECT_EQ(ReadUpdateArchive(c.archive, ProgramFiles(), files), c.ok) << c.name;
  }
  std::vector<std::pair<std::string, std::string>> files;
  ASSERT_TRUE(ReadUpdateArchive(good, ProgramFiles(), files));
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], (std::pair<std::string, std::string>{"kalendrina", "exe"}));
  EXPECT_EQ(files[1].first, "kalendrina-desktop");
  EXPECT_EQ(files[1].second, std::string(600, 'm'));
}

// Answers the offer's questions from a list and records everything asked.
struct ScriptedUi : UpdateUi {
  int Ask(const std::string& message, const std::string& buttons) override {
    asked.push_back(message + " [" + buttons + "]");
    if (answers.empty()) return 0;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  bool Progress(const std::string& label, std::uint64_t done, std::uint64_t total) override {
    progressLabel = label;
    lastDone = done;
    progressTotal = total;
    return true;
  }
  void ProgressDone() override { progressClosed = true; }
  void OpenPage(const std::string& address) override { pages.push_back(address); }
  void RequestQuit() override { quit = true; }
  std::deque<int> answers;
  std::vector<std::string> asked, pages;
  std::string progressLabel;
  std::uint64_t lastDone = 0, progressTotal = 0;
  bool progressClosed = false, quit = false;
};

const std::string kNewer = "A new version of Kalendrina is available!||Version: 2.5|Released: Mar 1, 2011 [Install|Cancel|Details]";
const std::string kLatest =
    "You are using the latest version of Kalendrina||Version: 2.4|Released: Feb 18, 2011 [Reinstall|Cancel|Details]";
const std::string kClose =
    "Kalendrina will now close to install the update.|Double-click the desktop icon to open the new version. [OK|Cancel]";

// One release on the shared test server, in a folder of its own, and a
// program folder and temporary folder for it.
class UpdateServerTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    server = new test::TestServer(true);
    plain = new test::TestServer(false);
  }
  static void TearDownTestSuite() {
    delete server;
    delete plain;
    server = plain = nullptr;
  }
  void SetUp() override {
    if (!server->error().empty()) GTEST_SKIP() << "no test HTTPS server: " << server->error();
    if (!plain->error().empty()) GTEST_SKIP() << "no test HTTP server: " << plain->error();
    static int n = 0;
    // Appended piece by piece: GCC 12 at -O3 misreads a joined literal as an overlap.
    prefix = "r";
    prefix += std::to_string(++n);
    prefix += '/';
    fs::create_directories(program.path());
    test::WriteAll(program.File("kalendrina"), {'o', 'l', 'd'});
    test::WriteAll(program.File("kalendrina-desktop"), {'o', 'l', 'd'});
    SetErrorLogFile(logDir.File("error.log"));
  }
  void TearDown() override { SetErrorLogFile(""); }

  // Publishes version information for `release` and a signed archive.
  void Publish(const std::string& release, const std::string& archive) {
    test::PublishRelease(*server, prefix, release, archive, keys.secretKey);
  }
  UpdateConfig Config() const {
    UpdateConfig c;
    c.server = server->address() + prefix;
    c.caFile = server->caFile();
    c.publicKey = keys.publicKey;
    c.haveKey = true;
    c.programFolder = program.path().string() + "/";
    c.tempFolder = temp.path().string() + "/";
    return c;
  }
  std::vector<std::string> Requests() const {
    std::vector<std::string> mine;
    for (const std::string& r : server->Requests()) {
      if (r.find("/" + prefix) != std::string::npos) mine.push_back(r.substr(0, r.find(' ')) + " " + r.substr(r.rfind('/') + 1));
    }
    return mine;
  }
  std::string Log() const {
    const auto bytes = test::ReadAll(logDir.File("error.log"));
    return std::string(bytes.begin(), bytes.end());
  }
  bool TempEmpty() const { return fs::is_empty(temp.path()); }

  static test::TestServer* server;
  static test::TestServer* plain;  // the same server without TLS
  SigningKeyPair keys = NewSigningKeyPair();
  std::string prefix;
  test::TempDir program, temp, logDir;
  const std::string archive = UstarArchive({{"kalendrina", "new program"}, {"kalendrina-desktop", "new desktop program"}});
};
test::TestServer* UpdateServerTest::server = nullptr;
test::TestServer* UpdateServerTest::plain = nullptr;

TEST_F(UpdateServerTest, NewerReleaseShowsTheNoticeDownloadsVerifiesAndInstallsAtExit) {
  Publish("Mar 1, 2011", archive);
  UpdateCheck check(Config());
  check.Start();
  ASSERT_TRUE(check.Finish(15000));
  EXPECT_TRUE(check.Checked());
  EXPECT_EQ(check.NewVersion(), "2.5");
  std::string notice;
  EXPECT_TRUE(check.PollNewVersion(notice));
  EXPECT_EQ(notice, "2.5");
  EXPECT_FALSE(check.PollNewVersion(notice));

  ScriptedUi ui;
  ui.answers = {1, 1};
  UpdateOffer(check, ui);
  EXPECT_EQ(ui.asked, (std::vector<std::string>{kNewer, kClose}));
  EXPECT_TRUE(ui.quit);
  EXPECT_EQ(ui.progressLabel, "Downloading Update...");
  EXPECT_EQ(ui.progressTotal, archive.size());
  EXPECT_TRUE(ui.progressClosed);
  ASSERT_FALSE(check.downloadedFile.empty());
  const fs::path folder = fs::path(check.downloadedFile).parent_path();
  EXPECT_EQ(folder.parent_path(), temp.path());
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"GET version_info.txt", "GET version_info.txt.sig",
                                                  "HEAD kalendrina-2.5.tar", "GET kalendrina-2.5.tar",
                                                  "GET kalendrina-2.5.tar.sig"}));
  // Nothing is replaced before the exit.
  EXPECT_EQ(test::ReadAll(program.File("kalendrina")), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

  EXPECT_EQ(InstallDownloadedUpdate(check), program.File("kalendrina"));
  const auto exe = test::ReadAll(program.File("kalendrina"));
  const auto module = test::ReadAll(program.File("kalendrina-desktop"));
  EXPECT_EQ(std::string(exe.begin(), exe.end()), "new program");
  EXPECT_EQ(std::string(module.begin(), module.end()), "new desktop program");
  EXPECT_TRUE(TempEmpty());
  EXPECT_NE(Log().find("Install Update\r\nInstall File Size (C):  " + std::to_string(archive.size()) + "\r\n"),
            std::string::npos);
}

TEST_F(UpdateServerTest, OfferOutcomes) {
  const struct {
    const char* name;
    std::string release;
    std::function<void(UpdateServerTest&)> tamper;
    std::deque<int> answers;
    bool packaged;
    std::vector<std::string> asked;
    std::vector<std::string> pages;
  } cases[] = {
      {"equal release", "Feb 18, 2011", nullptr, {2}, false, {kLatest}, {}},
      {"details", "Mar 1, 2011", nullptr, {3}, false, {kNewer}, {"https://kalendrina.example/news"}},
      {"one byte short",
       "Mar 1, 2011",
       [](UpdateServerTest& t) {
         t.server->Put(t.prefix + "kalendrina-2.5.tar", t.archive.substr(1));
         t.server->Put(t.prefix + "kalendrina-2.5.tar.length", std::to_string(t.archive.size()));
       },
       {1},
       false,
       {kNewer, "Download Failed! [OK]"},
       {}},
      {"bad signature",
       "Mar 1, 2011",
       [](UpdateServerTest& t) {
         t.server->Put(t.prefix + "kalendrina-2.5.tar.sig", SignDetached(t.archive, NewSigningKeyPair().secretKey));
       },
       {1},
       false,
       {kNewer, "The update could not be verified. [OK]"},
       {}},
      {"foreign file in a signed archive",
       "Mar 1, 2011",
       [](UpdateServerTest& t) {
         const std::string evil = UstarArchive({{"kalendrina", "x"}, {"libc.so.6", "x"}});
         t.server->Put(t.prefix + "kalendrina-2.5.tar", evil);
         t.server->Put(t.prefix + "kalendrina-2.5.tar.sig", SignDetached(evil, t.keys.secretKey));
       },
       {1},
       false,
       {kNewer, "The update could not be verified. [OK]"},
       {}},
      {"missing update file",
       "Mar 1, 2011",
       [](UpdateServerTest& t) { fs::remove(fs::path(t.server->root()) / (t.prefix + "kalendrina-2.5.tar")); },
       {1},
       false,
       {kNewer, "Update File Not Found [OK]"},
       {}},
      {"redirect to plain HTTP",
       "Mar 1, 2011",
       [](UpdateServerTest& t) {
         // The same file, signed, served without TLS: only the redirect's scheme is wrong.
         t.plain->Put(t.prefix + "x.tar", t.archive);
         t.server->Put(t.prefix + "kalendrina-2.5.tar.redirect", t.plain->address() + t.prefix + "x.tar");
       },
       {1},
       false,
       {kNewer, "Update File Not Found [OK]"},
       {}},
      {"declined at the end", "Mar 1, 2011", nullptr, {1, 2}, false, {kNewer, kClose}, {}},
      {"package: details instead", "Mar 1, 2011", nullptr, {1}, true, {kNewer}, {"https://kalendrina.example/news"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    Publish(c.release, archive);
    if (c.tamper) c.tamper(*this);
    UpdateConfig config = Config();
    if (c.packaged) config.programFolder.clear();
    UpdateCheck check(config);
    check.RunNow();
    ASSERT_FALSE(check.VersionInfo().empty());
    ScriptedUi ui;
    ui.answers = c.answers;
    UpdateOffer(check, ui);
    EXPECT_EQ(ui.asked, c.asked);
    EXPECT_EQ(ui.pages, c.pages);
    EXPECT_FALSE(ui.quit);
    EXPECT_TRUE(check.downloadedFile.empty());
    EXPECT_TRUE(TempEmpty());
    EXPECT_EQ(check.NewVersion(), ReleaseKey(c.release) > OwnReleaseKey ? "2.5" : "");
    if (c.packaged) {
      EXPECT_EQ(Requests().size(), 2u);  // the version information and its signature only
    }
    EXPECT_EQ(test::ReadAll(program.File("kalendrina")), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  }
}

TEST_F(UpdateServerTest, VersionInformationIsTrustedOnlySignedOverVerifiedHttps) {
  Publish("Mar 1, 2011", archive);
  const struct {
    const char* name;
    std::function<void(UpdateConfig&)> change;
  } cases[] = {
      {"signed by someone else", [](UpdateConfig& c) { c.publicKey = NewSigningKeyPair().publicKey; }},
      {"certificate not trusted", [](UpdateConfig& c) { c.caFile.clear(); }},
      {"plain HTTP", [&](UpdateConfig& c) { c.server = plain->address() + prefix; }},
  };
  // A copy of the signed release without TLS.
  for (const char* name : {"version_info.txt", "version_info.txt.sig"}) {
    const auto bytes = test::ReadAll((fs::path(server->root()) / (prefix + name)).string());
    plain->Put(prefix + name, std::string(bytes.begin(), bytes.end()));
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UpdateConfig config = Config();
    c.change(config);
    UpdateCheck check(config);
    check.RunNow();
    EXPECT_TRUE(check.Checked());
    EXPECT_EQ(check.VersionInfo(), "");
    EXPECT_EQ(check.NewVersion(), "");
    ScriptedUi ui;
    UpdateOffer(check, ui);
    EXPECT_EQ(ui.asked, std::vector<std::string>{"Unable to access version information.|Please try again later... [OK]"});
  }
  EXPECT_TRUE(plain->Requests().empty());
}

TEST_F(UpdateServerTest, NoServerOrNoKeyMeansNoCheckAtAll) {
  Publish("Mar 1, 2011", archive);
  UpdateConfig noServer = Config();
  noServer.server.clear();
  UpdateConfig noKey = Config();
  noKey.haveKey = false;
  for (const UpdateConfig& config : {noServer, noKey}) {
    UpdateCheck check(config);
    check.Start();
    check.RunNow();
    EXPECT_TRUE(check.Finish(0));
    EXPECT_FALSE(check.Checked());
  }
  EXPECT_TRUE(Requests().empty());
}

TEST(UpdateCheck, ExitWaitsAtMostASecondForAServerThatNeverAnswers) {
  test::SilentServer silent;
  ASSERT_NE(silent.port(), 0);
  UpdateConfig config;
  config.server = "https://127.0.0.1:" + std::to_string(silent.port()) + "/";
  config.haveKey = true;
  auto check = std::make_unique<UpdateCheck>(config);
  check->Start();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(check->Finish(1000));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The connection alone would wait ten seconds.
  EXPECT_GE(seconds, 0.9);
  EXPECT_LT(seconds, 1.5);
  // Let go, it is counted until it ends, and being asked to stop it ends soon
  // (before this test's server goes away under it).
  EXPECT_TRUE(UpdateCheckStillRunning());
  EXPECT_TRUE(check->WaitEnded(5000));
  EXPECT_FALSE(UpdateCheckStillRunning());
  check.reset();
}

}  // namespace
}  // namespace kal
