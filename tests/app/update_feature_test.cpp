#include "app/update_feature.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "screens/frame_run.h"
#include "support/test_server.h"

namespace kal {
namespace {

// The whole program with a configured update server: the check at start-up
// finds a newer release, the header shows the notice, a click on it runs the
// offer, and "Install" in a program installed as a package opens the details
// page instead of downloading anything.
TEST(UpdateFeature, NoticeAppearsAndItsOfferRunsInTheProgram) {
  test::TestServer server(true);
  if (!server.error().empty()) GTEST_SKIP() << "no test HTTPS server: " << server.error();
  const SigningKeyPair keys = NewSigningKeyPair();
  test::PublishRelease(server, "u/", "Mar 1, 2011", test::UstarArchive({{"kalendrina", "x"}}), keys.secretKey);

  test::FrameRun run;
  Settings settings;
  settings.updateServer = server.address() + "u/";
  settings.updateCaFile = server.caFile();
  const std::string image = EncodeSettings(settings);
  test::WriteAll(run.data.File("config20.dat"), std::vector<std::uint8_t>(image.begin(), image.end()));

  const UpdateFeature update(run.app, [&](UpdateConfig& c) {
    c.publicKey = keys.publicKey;
    c.haveKey = true;
    c.programFolder.clear();  // installed as a package
  });
  // The check runs in the background; the first frame pass waits for its answer.
  auto poll = run.app.hooks.pollNewVersion;
  bool waited = false;
  run.app.hooks.pollNewVersion = [&](std::string& version) {
    for (int i = 0; !waited && i < 1000; ++i) {
      if (poll(version)) {
        waited = true;
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    waited = true;
    return poll(version);
  };
  run.Go("size 1024 768\nwait 100\nclick 921 33\nkey Enter\n");
  EXPECT_EQ(run.app.frame.newVersion, "2.5");
  EXPECT_EQ(run.launcher.opened, std::vector<std::string>{"https://kalendrina.example/news"});
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"GET /u/version_info.txt", "GET /u/version_info.txt.sig"}));
  EXPECT_TRUE(update.programToStart().empty());
  EXPECT_NE(run.Log().find("Update: installed as a package, showing the details page"), std::string::npos);
}

}  // namespace
}  // namespace kal
