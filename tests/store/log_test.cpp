#include "store/log.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "store/files.h"
#include "support/test_support.h"

namespace kal {
namespace {

std::string Text(const std::string& path) {
  const auto bytes = test::ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

// Points the log at a temporary folder for one test and detaches it after.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetErrorLogFile(dir_.File("error.log")); }
  void TearDown() override { SetErrorLogFile(""); }
  std::string LogPath() const { return dir_.File("error.log"); }
  test::TempDir dir_;
};

TEST_F(LogTest, FirstLineCreatesLaterLinesAppend) {
  test::WriteAll(LogPath(), {'o', 'l', 'd'});
  DeleteErrorLog();
  EXPECT_FALSE(FileExists(LogPath()));
  LogLine("Version 2.4");
  EXPECT_EQ(Text(LogPath()), "Version 2.4\r\n");
  LogLine("Window Size: " + LogNumber(1024) + " x " + LogNumber(768));
  EXPECT_EQ(Text(LogPath()), "Version 2.4\r\nWindow Size:  1024 x  768\r\n");
}

TEST_F(LogTest, LinesFromTwoThreadsStayWhole) {
  DeleteErrorLog();
  auto writer = [](char tag) {
    for (int i = 0; i < 500; ++i) LogLine(std::string(20, tag));
  };
  std::thread a(writer, 'a');
  std::thread b(writer, 'b');
  a.join();
  b.join();
  const std::string text = Text(LogPath());
  ASSERT_EQ(text.size(), 1000u * 22u);
  for (std::size_t at = 0; at < text.size(); at += 22) {
    const std::string line = text.substr(at, 22);
    EXPECT_TRUE(line == std::string(20, 'a') + "\r\n" || line == std::string(20, 'b') + "\r\n") << at;
  }
}

TEST_F(LogTest, NothingIsWrittenWithoutALogFile) {
  SetErrorLogFile("");
  LogLine("dropped");
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(LogPath()).parent_path()));
}

TEST(LogNumber, LeadingBlankUnlessNegative) {
  EXPECT_EQ(LogNumber(1024), " 1024");
  EXPECT_EQ(LogNumber(0), " 0");
  EXPECT_EQ(LogNumber(-5), "-5");
  EXPECT_EQ(LogNumber(5000000000LL), " 5000000000");
}

}  // namespace
}  // namespace kal
