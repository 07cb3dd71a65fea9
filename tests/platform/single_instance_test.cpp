#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>

#include "support/test_support.h"

namespace kal {
namespace {

namespace fs = std::filesystem;

TEST(SingleInstanceTest, SecondCopyIsRefusedUntilTheFirstReleases) {
  test::TempDir dir;
  {
    SingleInstance first(dir.path().string());
    ASSERT_TRUE(first.Acquire()) << first.error();
    EXPECT_TRUE(first.Acquire());  // asking again keeps the lock
    EXPECT_EQ(first.lockPath(), dir.File("Kalendrina In Use.dat"));
    SingleInstance second(dir.path().string());
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(second.HeldByOtherCopy());
    EXPECT_TRUE(second.error().empty()) << second.error();
    // Another process sees the lock too (flock(1) exits with 1 when it is taken).
    EXPECT_EQ(test::RunCommand("flock -n '" + first.lockPath() + "' true"), 1);
  }
  EXPECT_EQ(test::RunCommand("flock -n '" + dir.File("probe") + "' true"), 0);
  // Released: both files are gone and a new copy gets the lock.
  EXPECT_FALSE(fs::exists(dir.File("Kalendrina In Use.dat")));
  EXPECT_FALSE(fs::exists(dir.File("Kalendrina In Use.sock")));
  SingleInstance third(dir.path().string());
  EXPECT_TRUE(third.Acquire()) << third.error();
  EXPECT_FALSE(third.HeldByOtherCopy());
}

TEST(SingleInstanceTest, ARefusedStartLearnsWhoHoldsTheLock) {
  test::TempDir dir;
  const std::string pid = std::to_string(::getpid());
  // What the holder wrote, and how a refused start tells it.
  const std::pair<std::string, std::string> cases[] = {
      {"", "the desktop program (pid " + pid + ")"},  // written by Acquire itself
      {"77 the add command\n", "the add command (pid 77)"},
      {"77 \x1b]0;owned\x07kind\n", "]0;ownedkind (pid 77)"},  // no escape reaches a terminal
      {"x7 the add command\n", "another copy"},
      {"", "another copy"},
  };
  bool first = true;
  for (const auto& [record, told] : cases) {
    SCOPED_TRACE(told);
    SingleInstance holder(dir.path().string(), "the desktop program");
    ASSERT_TRUE(holder.Acquire()) << holder.error();
    if (first) {
      const auto bytes = test::ReadAll(holder.lockPath());
      EXPECT_EQ(std::string(bytes.begin(), bytes.end()), pid + " the desktop program\n");
    } else {
      test::WriteAll(holder.lockPath(), std::vector<std::uint8_t>(record.begin(), record.end()));
    }
    first = false;
    SingleInstance refused(dir.path().string(), "the add command");
    EXPECT_FALSE(refused.Acquire());
    EXPECT_TRUE(refused.HeldByOtherCopy());
    EXPECT_EQ(refused.holder(), told);
  }
}

TEST(SingleInstanceTest, ALockFileThatCannotBeOpenedIsAnErrorNotAHeldLock) {
  test::TempDir dir;
  const std::string lock = dir.File("Kalendrina In Use.dat");
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { fs::create_directory(lock); }, "Is a directory"},
      {[&] { fs::create_symlink(lock, lock); }, "Too many levels of symbolic links"},
      {[&] { fs::create_symlink(dir.File("elsewhere"), lock); }, "Too many levels of symbolic links"},
  };
  for (const auto& [setup, reason] : cases) {
    SCOPED_TRACE(reason);
    fs::remove(lock);
    setup();
    SingleInstance copy(dir.path().string());
    EXPECT_FALSE(copy.Acquire());
    EXPECT_FALSE(copy.HeldByOtherCopy());
    EXPECT_EQ(copy.error(), "cannot open " + lock + ": " + reason);
    EXPECT_FALSE(fs::exists(dir.File("elsewhere")));
  }
}

TEST(SingleInstanceTest, ShowRequestReachesTheRunningCopyOnce) {
  test::TempDir dir;
  SingleInstance first(dir.path().string());
  SingleInstance second(dir.path().string());
  EXPECT_FALSE(second.AskRunningCopyToShow());  // nobody is running yet
  ASSERT_TRUE(first.Acquire()) << first.error();
  EXPECT_FALSE(first.PollShowRequest());
  ASSERT_FALSE(second.Acquire());
  for (int starts : {1, 2}) {  // two starts in a row still come out as one request
    for (int i = 0; i < starts; ++i) EXPECT_TRUE(second.AskRunningCopyToShow());
    EXPECT_TRUE(first.PollShowRequest());
    EXPECT_FALSE(first.PollShowRequest());
  }
  struct stat st {};
  ASSERT_EQ(::stat(first.socketPath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // Other messages, silence and a request split in two.
  const auto connect = [&] {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, first.socketPath().c_str(), sizeof addr.sun_path - 1);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    return fd;
  };
  int fd = connect();
  ASSERT_EQ(::send(fd, "quit", 4, 0), 4);
  ::close(fd);
  EXPECT_FALSE(first.PollShowRequest());
  ::close(connect());
  EXPECT_FALSE(first.PollShowRequest());
  fd = connect();
  ASSERT_EQ(::send(fd, "sh", 2, 0), 2);
  EXPECT_FALSE(first.PollShowRequest());
  ASSERT_EQ(::send(fd, "ow", 2, 0), 2);
  EXPECT_TRUE(first.PollShowRequest());
  ::close(fd);
}

TEST(SingleInstanceTest, LeftoversOfACrashedRunAndLongFolders) {
  test::TempDir dir;
  test::WriteAll(dir.File("Kalendrina In Use.dat"), {'o', 'l', 'd'});
  test::WriteAll(dir.File("Kalendrina In Use.sock"), {'x'});  // not even a socket
  SingleInstance copy(dir.path().string());
  ASSERT_TRUE(copy.Acquire()) << copy.error();
  EXPECT_TRUE(SingleInstance(dir.path().string()).AskRunningCopyToShow());
  EXPECT_TRUE(copy.PollShowRequest());

  // Too long for a socket path: an abstract socket, still private to the folder.
  const fs::path deep = dir.path() / std::string(120, 'k');
  ASSERT_TRUE(fs::create_directory(deep));
  SingleInstance first(deep.string());
  ASSERT_TRUE(first.Acquire()) << first.error();
  EXPECT_FALSE(fs::exists(first.socketPath()));
  EXPECT_TRUE(SingleInstance(deep.string()).AskRunningCopyToShow());
  EXPECT_TRUE(first.PollShowRequest());
  EXPECT_FALSE(SingleInstance((dir.path() / "other").string()).AskRunningCopyToShow());
}

struct ScopedEnv {
  ScopedEnv(const char* name, const char* value) : name(name) {
    if (const char* old = std::getenv(name)) saved = old;
    if (value != nullptr) ::setenv(name, value, 1); else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (saved) ::setenv(name, saved->c_str(), 1); else ::unsetenv(name);
  }
  const char* name;
  std::optional<std::string> saved;
};

TEST(SingleInstanceTest, DefaultFolderIsTheRuntimeFolderElseAPrivateTemporaryOne) {
  test::TempDir runtime;
  test::TempDir tmp;
  {
    ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
    EXPECT_EQ(SingleInstance().lockPath(), runtime.File("Kalendrina In Use.dat"));
  }
  ScopedEnv xdg("XDG_RUNTIME_DIR", nullptr);
  ScopedEnv tmpdir("TMPDIR", tmp.path().c_str());
  const std::string own = tmp.File("kalendrina-" + std::to_string(::getuid()));
  {
    SingleInstance copy;
    EXPECT_EQ(copy.lockPath(), own + "/Kalendrina In Use.dat");
    ASSERT_TRUE(copy.Acquire()) << copy.error();
    struct stat st {};
    ASSERT_EQ(::lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
  }
  // A folder of that name that others can enter, or a link, is not trusted.
  ASSERT_EQ(::chmod(own.c_str(), 0777), 0);
  SingleInstance copy;
  EXPECT_FALSE(copy.Acquire());
  EXPECT_FALSE(copy.HeldByOtherCopy());
  EXPECT_FALSE(copy.error().empty());
  ASSERT_EQ(::rmdir(own.c_str()), 0);
  ASSERT_EQ(::symlink(runtime.path().c_str(), own.c_str()), 0);
  EXPECT_FALSE(copy.Acquire());
  EXPECT_FALSE(fs::exists(runtime.File("Kalendrina In Use.dat")));
}

}  // namespace
}  // namespace kal
