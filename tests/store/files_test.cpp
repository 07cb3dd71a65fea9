#include "store/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace kal {
namespace {

std::string Text(const std::string& path) {
  const auto bytes = test::ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

void Put(const std::string& path, const std::string& text) {
  test::WriteAll(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

MemBuffer BufferOf(const std::string& text) {
  MemBuffer b;
  BufAlloc(text.size(), b);
  PutBytes(b, 0, text);
  return b;
}

TEST(Files, InputModeCreatesEmptyFile) {
  test::TempDir dir;
  const std::string path = dir.File("new.dat");
  const int h = FileOpen('i', path);
  ASSERT_NE(h, -1);
  EXPECT_EQ(FileSize(h), 0);
  FileClose(h);
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(Text(path), "");
}

TEST(Files, InputModeInMissingFolderFailsAndCreatesNothing) {
  test::TempDir dir;
  Put(dir.File("file.txt"), "x");
  EXPECT_EQ(FileOpen('i', dir.File("file.txt/new.dat")), -1);
  EXPECT_EQ(FileOpen('i', dir.File("nowhere/new.dat")), -1);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "nowhere"));
}

TEST(Files, OutputTruncatesAndAppendAddsAtTheEnd) {
  test::TempDir dir;
  const std::string path = dir.File("f.dat");
  Put(path, "old contents");

  int h = FileOpen('o', path);
  ASSERT_NE(h, -1);
  EXPECT_EQ(FileSize(h), 0);
  FileWriteText(h, "abc", false);
  FileClose(h);
  EXPECT_EQ(Text(path), "abc");

  h = FileOpen('a', path);
  ASSERT_NE(h, -1);
  const MemBuffer b = BufferOf("xdex");
  EXPECT_EQ(FileWrite(h, b, 1, 2), 2u);
  // The size seen through the handle counts bytes not yet flushed.
  EXPECT_EQ(FileSize(h), 5);
  FileWriteText(h, "f", true);
  FileClose(h);
  EXPECT_EQ(Text(path), "abcdef\r\n");

  h = FileOpen('a', dir.File("fresh.dat"));
  ASSERT_NE(h, -1);
  FileWriteText(h, "one", true);
  FileClose(h);
  EXPECT_EQ(Text(dir.File("fresh.dat")), "one\r\n");
}

TEST(Files, UpdateModeMixesReadsAndWrites) {
  test::TempDir dir;
  const std::string path = dir.File("u.dat");
  Put(path, "hello world");
  const int h = FileOpen('u', path);
  ASSERT_NE(h, -1);
  MemBuffer b;
  BufAlloc(5, b);
  EXPECT_EQ(FileRead(h, b, 0, 5), 5u);
  std::string got;
  GetBytes(b, 0, 5, got);
  EXPECT_EQ(got, "hello");
  // A write right after a read continues at the position the read left.
  FileWriteText(h, "_", false);
  FileSeek(h, 0);
  EXPECT_EQ(FileRead(h, b, 0, 2), 2u);
  FileWriteText(h, "LL", false);
  FileSeek(h, 0);
  MemBuffer all;
  BufAlloc(11, all);
  EXPECT_EQ(FileRead(h, all, 0, 11), 11u);
  GetBytes(all, 0, 11, got);
  EXPECT_EQ(got, "heLLo_world");
  FileClose(h);
  EXPECT_EQ(Text(path), "heLLo_world");
}

TEST(Files, ReadStopsAtEndOfFileAndKeepsTheRestOfTheBuffer) {
  test::TempDir dir;
  const std::string path = dir.File("short.dat");
  Put(path, "abc");
  const int h = FileOpen('i', path);
  MemBuffer b;
  BufAlloc(6, b);
  FillBytes(b, 0, 6, '.');
  FileSeek(h, 1);
  EXPECT_EQ(FileRead(h, b, 1, 5), 2u);
  FileClose(h);
  std::string got;
  GetBytes(b, 0, 6, got);
  EXPECT_EQ(got, ".bc...");
}

TEST(Files, RequestsOutsideTheBufferMoveNothing) {
  test::TempDir dir;
  const std::string path = dir.File("big.dat");
  Put(path, std::string(64, 'z'));
  int h = FileOpen('u', path);
  MemBuffer b;
  BufAlloc(8, b);
  FillBytes(b, 0, 8, 0);
  EXPECT_EQ(FileRead(h, b, 4, 5), 0u);
  EXPECT_EQ(FileRead(h, b, 9, 1), 0u);
  EXPECT_EQ(FileRead(h, b, SIZE_MAX, 2), 0u);
  EXPECT_EQ(Long(b, 4), 0);
  EXPECT_EQ(FileWrite(h, b, 6, 3), 0u);
  MemBuffer none;
  EXPECT_EQ(FileRead(h, none, 0, 1), 0u);
  EXPECT_EQ(FileWrite(h, none, 0, 1), 0u);
  FileClose(h);
  EXPECT_EQ(Text(path), std::string(64, 'z'));
}

TEST(Files, AccessFollowsTheMode) {
  test::TempDir dir;
  const std::string path = dir.File("m.dat");
  Put(path, "data");
  MemBuffer b = BufferOf("XXXX");
  int h = FileOpen('i', path);
  EXPECT_EQ(FileWrite(h, b, 0, 4), 0u);
  FileWriteText(h, "no", true);
  FileClose(h);
  EXPECT_EQ(Text(path), "data");

  h = FileOpen('a', path);
  EXPECT_EQ(FileRead(h, b, 0, 4), 0u);
  FileClose(h);
  std::string got;
  GetBytes(b, 0, 4, got);
  EXPECT_EQ(got, "XXXX");

  EXPECT_EQ(FileOpen('x', path), -1);
  EXPECT_EQ(FileOpen('i', dir.path().string()), -1);
  EXPECT_EQ(FileOpen('o', ""), -1);
}

TEST(Files, FailedAndClosedHandlesAreHarmless) {
  test::TempDir dir;
  const std::string path = dir.File("c.dat");
  const int h = FileOpen('o', path);
  FileWriteText(h, "kept", false);
  FileClose(h);

  MemBuffer b = BufferOf("1234");
  for (const int bad : {-1, h, 0, 987654}) {
    FileSeek(bad, 2);
    EXPECT_EQ(FileSize(bad), 0) << bad;
    EXPECT_EQ(FileRead(bad, b, 0, 4), 0u) << bad;
    EXPECT_EQ(FileWrite(bad, b, 0, 4), 0u) << bad;
    FileWriteText(bad, "lost", true);
    FileClose(bad);
  }
  std::string got;
  GetBytes(b, 0, 4, got);
  EXPECT_EQ(got, "1234");
  EXPECT_EQ(Text(path), "kept");
}

TEST(Files, ExistenceReadOnlyAndRemoval) {
  test::TempDir dir;
  const std::string path = dir.File("r.dat");
  EXPECT_FALSE(FileExists(path));
  ClearReadOnly(path);  // missing: nothing to do, nothing created
  EXPECT_FALSE(FileExists(path));
  Put(path, "x");
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(FileExists(dir.path().string()));

  namespace fs = std::filesystem;
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
