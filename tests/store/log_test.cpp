#include "store/log.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "store/files.h"
#include "support/test_support.h"

namespace kal {
namespace {

// Points the log at a temporary folder for one test and detaches it after.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetErrorLogFile(path); }
  void TearDown() override { SetErrorLogFile(""); }
  std::string Text() const {
    const auto bytes = test::ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
  }
  test::TempDir dir;
  std::string path = dir.File("error.log");
};

TEST_F(LogTest, FirstLineCreatesLaterLinesAppendNothingWithoutAFile) {
  test::WriteAll(path, {'o', 'l', 'd'});
  DeleteErrorLog();
  EXPECT_FALSE(FileExists(path));
  LogLine("Version 2.4");
  LogLine("Window Size: " + LogNumber(1024) + " x " + LogNumber(0) + LogNumber(-5) + LogNumber(5000000000LL));
  EXPECT_EQ(Text(), "Version 2.4\r\nWindow Size:  1024 x  0-5 5000000000\r\n");
  SetErrorLogFile("");
  LogLine("dropped");
  EXPECT_EQ(Text(), "Version 2.4\r\nWindow Size:  1024 x  0-5 5000000000\r\n");
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
  const std::string text = Text();
  ASSERT_EQ(text.size(), 1000u * 22u);
  for (std::size_t at = 0; at < text.size(); at += 22) {
    const std::string line = text.substr(at, 22);
    ASSERT_TRUE(line == std::string(20, 'a') + "\r\n" || line == std::string(20, 'b') + "\r\n") << at;
  }
}

}  // namespace
}  // namespace kal
