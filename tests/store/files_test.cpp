#include "store/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace kal {
namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
 protected:
  std::string Text(const std::string& name) const {
    const auto bytes = test::ReadAll(dir.File(name));
    return std::string(bytes.begin(), bytes.end());
  }
  void Put(const std::string& name, const std::string& text) const {
    test::WriteAll(dir.File(name), std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  // Opens, writes the text and closes.
  void Write(char mode, const std::string& name, const std::string& text, bool newline = false) const {
    const int h = FileOpen(mode, dir.File(name));
    FileWriteText(h, text, newline);
    FileClose(h);
  }
  static std::string Get(const MemBuffer& b, std::size_t n) {
    std::string s;
    GetBytes(b, 0, n, s);
    return s;
  }
  static void Fill(MemBuffer& b, const std::string& text) {
    BufAlloc(text.size(), b);
    PutBytes(b, 0, text);
  }
  test::TempDir dir;
};

TEST_F(Files, ModesCreateTruncateAppendAndRefuseWhatTheyShould) {
  int h = FileOpen('i', dir.File("new.dat"));
  EXPECT_EQ(FileSize(h), 0);
  FileClose(h);
  EXPECT_TRUE(FileExists(dir.File("new.dat")));
  Put("file.txt", "x");
  for (const char* bad : {"file.txt/new.dat", "nowhere/new.dat"}) EXPECT_EQ(FileOpen('i', dir.File(bad)), -1) << bad;
  EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
  EXPECT_EQ(FileOpen('x', dir.File("file.txt")), -1);
  EXPECT_EQ(FileOpen('i', dir.path().string()), -1);
  EXPECT_EQ(FileOpen('o', ""), -1);

  Put("f.dat", "old contents");
  Write('o', "f.dat", "abc");
  Write('a', "fresh.dat", "one", true);
  EXPECT_EQ(Text("fresh.dat"), "one\r\n");
  Write('i', "f.dat", "no", true);  // read-only
  h = FileOpen('a', dir.File("f.dat"));
  MemBuffer b;
  Fill(b, "xdex");
  EXPECT_EQ(FileRead(h, b, 0, 4), 0u);  // write-only
  EXPECT_EQ(FileWrite(h, b, 1, 2), 2u);
  EXPECT_EQ(FileSize(h), 5);  // counts bytes not yet flushed
  FileWriteText(h, "f", true);
  FileClose(h);
  EXPECT_EQ(Text("f.dat"), "abcdef\r\n");
  EXPECT_EQ(Get(b, 4), "xdex");
  h = FileOpen('i', dir.File("f.dat"));
  EXPECT_EQ(FileWrite(h, b, 0, 4), 0u);
  FileClose(h);
  EXPECT_EQ(Text("f.dat"), "abcdef\r\n");
}

TEST_F(Files, UpdateModeShortReadsAndRequestsOutsideTheBuffer) {
  Put("u.dat", "hello world");
  int h = FileOpen('u', dir.File("u.dat"));
  MemBuffer b;
  BufAlloc(11, b);
  EXPECT_EQ(FileRead(h, b, 0, 5), 5u);
  EXPECT_EQ(Get(b, 5), "hello");
  FileWriteText(h, "_", false);  // continues where the read stopped
  FileSeek(h, 0);
  EXPECT_EQ(FileRead(h, b, 0, 2), 2u);
  FileWriteText(h, "LL", false);
  FileSeek(h, 0);
  EXPECT_EQ(FileRead(h, b, 0, 11), 11u);
  EXPECT_EQ(Get(b, 11), "heLLo_world");
  FileClose(h);
  EXPECT_EQ(Text("u.dat"), "heLLo_world");

  Put("short.dat", "abc");
  h = FileOpen('u', dir.File("short.dat"));
  Fill(b, "......");
  FileSeek(h, 1);
  EXPECT_EQ(FileRead(h, b, 1, 5), 2u);  // stops at the end, keeps the rest
  EXPECT_EQ(Get(b, 6), ".bc...");
  FileSeek(h, 0);
  for (const auto& [offset, count] : std::vector<std::pair<std::size_t, std::size_t>>{{4, 3}, {7, 1}, {SIZE_MAX, 2}}) {
    EXPECT_EQ(FileRead(h, b, offset, count), 0u) << offset;
    EXPECT_EQ(FileWrite(h, b, offset, count), 0u) << offset;
  }
  MemBuffer none;
  EXPECT_EQ(FileRead(h, none, 0, 1), 0u);
  EXPECT_EQ(FileWrite(h, none, 0, 1), 0u);
  FileClose(h);
  EXPECT_EQ(Get(b, 6), ".bc...");
  EXPECT_EQ(Text("short.dat"), "abc");
}

TEST_F(Files, FailedAndClosedHandlesAreHarmless) {
  const int h = FileOpen('o', dir.File("c.dat"));
  FileWriteText(h, "kept", false);
  FileClose(h);
  MemBuffer b;
  Fill(b, "1234");
  for (const int bad : {-1, h, 0, 987654}) {
    FileSeek(bad, 2);
    EXPECT_EQ(FileSize(bad), 0) << bad;
    EXPECT_EQ(FileRead(bad, b, 0, 4), 0u) << bad;
    EXPECT_EQ(FileWrite(bad, b, 0, 4), 0u) << bad;
    FileWriteText(bad, "lost", true);
    FileClose(bad);
  }
  EXPECT_EQ(Get(b, 4), "1234");
  EXPECT_EQ(Text("c.dat"), "kept");
}

TEST_F(Files, ExistenceReadOnlyAndRemoval) {
  const std::string path = dir.File("r.dat");
  ClearReadOnly(path);  // missing: nothing to do, nothing created
  EXPECT_FALSE(FileExists(path));
  Put("r.dat", "x");
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(FileExists(dir.path().string()));
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
  ClearReadOnly(path);
  const auto perms = fs::status(path).permissions();
  EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
  EXPECT_NE(perms & fs::perms::group_read, fs::perms::none);
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(RemoveFile(path));  // already gone
  fs::create_directory(dir.path() / "sub");
  EXPECT_FALSE(RemoveFile(dir.File("sub")));
  EXPECT_TRUE(fs::is_directory(dir.path() / "sub"));
}

}  // namespace
}  // namespace kal
