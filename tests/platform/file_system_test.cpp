#include "platform/file_system.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kal {
namespace {

namespace fs = std::filesystem;

std::string Text(const std::string& path) {
  const auto bytes = test::ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

void Put(const std::string& path, const std::string& text) {
  test::WriteAll(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

bool Replace(const std::string& path, const std::string& text) {
  AtomicFileWriter writer(path);
  writer.Write(text.data(), text.size());
  return writer.Commit();
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class SavedFile : public ::testing::Test {
 protected:
  void SetUp() override { previousMask_ = ::umask(022); }
  void TearDown() override { ::umask(previousMask_); }
  test::TempDir dir;

 private:
  mode_t previousMask_ = 0;
};

TEST_F(SavedFile, ALinkSurvivesAndItsTargetIsReplaced) {
  fs::create_directory(dir.path() / "real");
  Put(dir.File("real/Event20.dat"), "old");
  struct Case {
    const char* name;
    std::string target;  // what the link says
  };
  const std::vector<Case> cases = {
      {"relative", "real/Event20.dat"},
      {"absolute", dir.File("real/Event20.dat")},
      {"link to a link", "second-link"},
      {"dangling", "real/missing.dat"},
  };
  fs::create_symlink("real/Event20.dat", dir.path() / "second-link");
  for (const Case& c : cases) {
    const std::string link = dir.File("Event20.dat");
    fs::create_symlink(c.target, link);
    ASSERT_TRUE(Replace(link, c.name)) << c.name;
    EXPECT_TRUE(fs::is_symlink(link)) << c.name;
    EXPECT_EQ(Text(link), c.name) << c.name;
    fs::remove(link);
    EXPECT_EQ(test::Names(dir.path().string()), (std::vector<std::string>{"real", "second-link"})) << c.name;
  }
  EXPECT_EQ(test::Names(dir.File("real")), (std::vector<std::string>{"Event20.dat", "missing.dat"}));
  EXPECT_EQ(Text(dir.File("real/missing.dat")), "dangling");

  // Links that loop end in an error, not a spin.
  fs::create_symlink("loop-b", dir.path() / "loop-a");
  fs::create_symlink("loop-a", dir.path() / "loop-b");
  AtomicFileWriter looped(dir.File("loop-a"));
  EXPECT_FALSE(looped.Commit());
  EXPECT_NE(looped.error().find("Too many levels of symbolic links"), std::string::npos) << looped.error();
}

TEST_F(SavedFile, PermissionsAreKeptNewFilesAndFoldersAreTheOwnersOnly) {
  struct Case {
    mode_t before;  // 0: no file yet
    mode_t after;
  };
  for (const Case& c : std::vector<Case>{{0600, 0600}, {0640, 0640}, {0444, 0444}, {0, 0600}}) {
    const std::string path = dir.File("file-" + std::to_string(c.before));
    if (c.before != 0) {
      Put(path, "old");
      fs::permissions(path, static_cast<fs::perms>(c.before));
    }
    ASSERT_TRUE(Replace(path, "new"));
    EXPECT_EQ(ModeOf(path), c.after) << std::oct << c.before;
  }
  const std::string nested = dir.File("a/b/c/");
  ASSERT_TRUE(MakePath(nested));
  for (const char* level : {"a", "a/b", "a/b/c"}) EXPECT_EQ(ModeOf(dir.File(level)), 0700u) << level;
  fs::permissions(dir.File("a"), fs::perms(0755));
  ASSERT_TRUE(MakePath(nested));
  EXPECT_EQ(ModeOf(dir.File("a")), 0755u);  // folders that exist are left alone
}

TEST_F(SavedFile, LeftoverTemporaryFilesGoUnlessAWriterStillHoldsThem) {
  const std::string marker = kTempFileMarker;
  Put(dir.File("Event20.dat" + marker + "4242.1"), "crashed");
  Put(dir.File("config20.dat" + marker + "4243.2"), "crashed");
  Put(dir.File("Event20.dat.tmp123"), "someone else's");
  Put(dir.File("Event20.dat"), "kept");
  fs::create_directory(dir.path() / ("folder" + marker + "1.1"));
  fs::create_symlink("Event20.dat", dir.path() / ("link" + marker + "1.1"));

  // A save in progress: its writer holds the lock.
  AtomicFileWriter running(dir.File("config20.dat"));
  running.Write("x", 1);
  std::vector<std::string> runningTemp;
  for (const auto& name : test::Names(dir.path().string())) {
    if (name.rfind("config20.dat" + marker, 0) == 0 && name != "config20.dat" + marker + "4243.2") {
      runningTemp.push_back(name);
    }
  }
  ASSERT_EQ(runningTemp.size(), 1u);

  std::vector<std::string> removed = RemoveLeftoverTempFiles(dir.path().string());
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (std::vector<std::string>{"Event20.dat" + marker + "4242.1", "config20.dat" + marker + "4243.2"}));
  const auto names = test::Names(dir.path().string());
  EXPECT_EQ(names, (std::vector<std::string>{"Event20.dat", "Event20.dat.tmp123", runningTemp[0],
                                             "folder" + marker + "1.1", "link" + marker + "1.1"}));
  ASSERT_TRUE(running.Commit());
  EXPECT_EQ(Text(dir.File("config20.dat")), "x");
  EXPECT_TRUE(RemoveLeftoverTempFiles(dir.path().string()).empty());
}

}  // namespace
}  // namespace kal
