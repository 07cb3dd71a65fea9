#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "support/test_support.h"

namespace kal {
namespace {

TEST(SystemProcessRunner, RunsArgvWithoutAShellAndReportsHowItEnded) {
  test::TempDir temp;
  const std::string marker = temp.File("touched");
  struct Row {
    std::vector<std::string> argv;
    bool started;
    int status;
    std::string output;
  };
  const Row rows[] = {
      // Shell syntax in an argument stays text.
      {{"echo", "$(touch " + marker + ")", "a;b"}, true, 0, "$(touch " + marker + ") a;b\n"},
      {{"sh", "-c", "printf 'x\\n'; echo gone >&2; exit 3"}, true, 3, "x\n"},
      {{"kalendrina-no-such-program"}, false, -1, ""},
      {{}, false, -1, ""},
  };
  SystemProcessRunner runner;
  for (const Row& r : rows) {
    const ProcessResult result = runner.Run(r.argv);
    EXPECT_EQ(result.started, r.started) << (r.argv.empty() ? "" : r.argv[0]);
    EXPECT_EQ(result.exitStatus, r.status) << (r.argv.empty() ? "" : r.argv[0]);
    EXPECT_EQ(result.output, r.output);
  }
  EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(SystemProcessRunner, AProgramThatHangsIsKilledAtTheTimeout) {
  SystemProcessRunner runner(300);
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult r = runner.Run({"sleep", "20"});
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.exitStatus, -1);
  EXPECT_FALSE(r.error.empty());
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_TRUE(ProgramInPath("sh"));
  EXPECT_FALSE(ProgramInPath("kalendrina-no-such-program"));
}

}  // namespace
}  // namespace kal
