#include "store/settings.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "store/files.h"
#include "support/test_support.h"

namespace kal {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An entry built byte by byte, independent of the code under test.
Bytes Entry(const std::string& key, const std::string& value, std::uint32_t valueLength) {
  Bytes e = {0x31, 0xD4, static_cast<std::uint8_t>(key.size() & 0xFF), static_cast<std::uint8_t>(key.size() >> 8)};
  for (int i = 0; i < 4; ++i) e.push_back(static_cast<std::uint8_t>(valueLength >> (8 * i)));
  e.insert(e.end(), key.begin(), key.end());
  e.insert(e.end(), value.begin(), value.end());
  return e;
}
Bytes Entry(const std::string& key, const std::string& value) {
  return Entry(key, value, static_cast<std::uint32_t>(value.size()));
}
Bytes Join(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct RecordingHost : Host {
  void ReportError(const std::string& message) override { errors.push_back(message); }
  std::vector<std::string> errors;
};

class SettingsFile : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.File("config20.dat"); }
  Settings LoadBytes(const Bytes& bytes) {
    test::WriteAll(Path(), bytes);
    Settings s;
    s.windowX = 99;  // loading must reset everything first
    s.categories = "stale";
    LoadSettings(s, Path());
    return s;
  }
  test::TempDir dir_;
};

TEST_F(SettingsFile, WritesEveryKeyInOrderByteForByte) {
  Settings s;
  s.windowX = -5;
  s.windowWide = 800;
  s.windowFlag = 1;
  s.wallpaperColor = 21;
  s.wallpaperFile = "/home/u/pic.png";
  s.calPrintFont = "Arial";
  s.calPrintLm = 1000;
  s.calendarDevmode = std::string("\x00\x01\xFF", 3);
  s.weightMode = 255;
  s.categories = "A|B";
  RecordingHost host;
  ASSERT_TRUE(SaveSettings(s, Path(), host));
  EXPECT_TRUE(host.errors.empty());

  const Bytes expected = Join({
      Entry("window_x", "-5"), Entry("window_y", "0"), Entry("window_wide", "800"), Entry("window_high", "0"),
      Entry("window_flag", "1"), Entry("calendar_x", "0"), Entry("calendar_y", "0"), Entry("calendar_wide", "0"),
      Entry("calendar_high", "0"), Entry("wallpaper_flag", "0"), Entry("wallpaper_color", "21"),
      Entry("wallpaper_file", "/home/u/pic.png"), Entry("measure_mode", "0"), Entry("weight_mode", "255"),
      Entry("cal_print_device", ""), Entry("cal_print_font", "Arial"), Entry("cal_print_size", "0"),
      Entry("cal_print_lm", "1000"), Entry("cal_print_rm", "0"), Entry("cal_print_tm", "0"),
      Entry("cal_print_bm", "0"), Entry("calendar_devmode", std::string("\x00\x01\xFF", 3)),
      Entry("event_print_device", ""), Entry("event_print_font", ""), Entry("event_print_size", "0"),
      Entry("event_print_lm", "0"), Entry("event_print_rm", "0"), Entry("event_print_tm", "0"),
      Entry("event_print_bm", "0"), Entry("event_devmode", ""), Entry("categories", "A|B"),
  });
  EXPECT_EQ(test::ReadAll(Path()), expected);
  // The first header spelled out: marker 31 D4, K = 8, V = 2.
  const Bytes head(expected.begin(), expected.begin() + 8);
  EXPECT_EQ(head, (Bytes{0x31, 0xD4, 8, 0, 2, 0, 0, 0}));
}

TEST_F(SettingsFile, TextsAreSavedUpToTheirFirstZeroAndFieldSize) {
  Settings s;
  s.calPrintFont = std::string("Arial\0junk", 10);
  s.eventPrintFont = std::string(200, 'f');
  RecordingHost host;
  ASSERT_TRUE(SaveSettings(s, Path(), host));
  Settings back;
  LoadSettings(back, Path());
  EXPECT_EQ(back.calPrintFont, "Arial");
  EXPECT_EQ(back.eventPrintFont, std::string(79, 'f'));
}

TEST_F(SettingsFile, MissingAndEmptyFilesGiveDefaults) {
  Settings s;
  s.windowWide = 1;
  LoadSettings(s, Path());
  EXPECT_EQ(s, Settings{});
  EXPECT_EQ(s.categories, kDefaultCategories);
  // The missing file was created empty, as the reader opens it in mode 'i'.
  EXPECT_TRUE(std::filesystem::exists(Path()));
  EXPECT_EQ(std::filesystem::file_size(Path()), 0u);

  // A folder that cannot hold the file: defaults, and nothing else happens.
  test::WriteAll(dir_.File("file.txt"), {'x'});
  s.windowWide = 1;
  LoadSettings(s, dir_.File("file.txt/config20.dat"));
  EXPECT_EQ(s, Settings{});
}

TEST_F(SettingsFile, OnlyWindowWide) {
  const Settings s = LoadBytes(Entry("window_wide", "800"));
  Settings expected;
  expected.windowWide = 800;
  EXPECT_EQ(s, expected);
  EXPECT_EQ(s.categories, kDefaultCategories);
}

TEST_F(SettingsFile, NumbersTakeTheLeadingDecimalRounded) {
  const Settings s = LoadBytes(Join({
      Entry("window_x", "12abc"), Entry("window_y", ""), Entry("window_wide", "2.5"), Entry("window_high", "3.5"),
      Entry("calendar_x", "-7.6px"), Entry("calendar_y", "abc12"), Entry("calendar_wide", "99999999999"),
      Entry("calendar_high", "-1e3"),
      // 8-bit settings keep the low 8 bits.
      Entry("window_flag", "-1"), Entry("wallpaper_flag", "300"), Entry("wallpaper_color", "21.4"),
  }));
  EXPECT_EQ(s.windowX, 12);
  EXPECT_EQ(s.windowY, 0);
  EXPECT_EQ(s.windowWide, 2);
  EXPECT_EQ(s.windowHigh, 4);
  EXPECT_EQ(s.calendarX, -8);
  EXPECT_EQ(s.calendarY, 0);
  EXPECT_EQ(s.calendarWide, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(s.calendarHigh, -1000);
  EXPECT_EQ(s.windowFlag, 255);
  EXPECT_EQ(s.wallpaperFlag, 44);
  EXPECT_EQ(s.wallpaperColor, 21);

  EXPECT_EQ(SettingsNumber(" +42 "), 42);
  EXPECT_EQ(SettingsNumber("1e"), 1);
  EXPECT_EQ(SettingsNumber("."), 0);
  EXPECT_EQ(SettingsNumber("-"), 0);
  EXPECT_EQ(SettingsNumber("-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(SettingsNumber("1e999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(SettingsNumber("5e-999"), 0);
}

TEST_F(SettingsFile, KeysMatchExactlyAndTheLaterDuplicateWins) {
  const Settings s = LoadBytes(Join({
      Entry("window_x", "1"), Entry("Window_X", "2"), Entry("window_x ", "3"), Entry("unknown", "4"),
      Entry("categories", "first"), Entry("window_x", "5"), Entry("categories", "second"),
  }));
  EXPECT_EQ(s.windowX, 5);
  EXPECT_EQ(s.categories, "second");
}

TEST_F(SettingsFile, TextValuesAreCutToTheirField) {
  const Settings s = LoadBytes(Join({
      Entry("categories", std::string(2000, 'c')),
      Entry("wallpaper_file", std::string("/a.bmp\0/b.bmp", 13)),
      Entry("cal_print_device", std::string(600, 'd')),
      Entry("event_devmode", std::string(3000, '\0')),
  }));
  EXPECT_EQ(s.categories, std::string(1023, 'c'));
  EXPECT_EQ(s.wallpaperFile, "/a.bmp");
  EXPECT_EQ(s.calPrintDevice, std::string(511, 'd'));
  // Device-mode data is taken unchanged, whatever its length and bytes.
  EXPECT_EQ(s.eventDevmode, std::string(3000, '\0'));
}

TEST_F(SettingsFile, DamagedBytesAreSkippedOneAtATime) {
  Bytes bytes = {0x00, 0x31, 0x07, 0xD4};  // junk, including marker halves
  const Bytes good = Entry("window_y", "7");
  bytes.insert(bytes.end(), good.begin(), good.end());
  bytes.push_back(0xD4);
  const Bytes also = Entry("window_high", "600");
  bytes.insert(bytes.end(), also.begin(), also.end());
  const Settings s = LoadBytes(bytes);
  EXPECT_EQ(s.windowY, 7);
  EXPECT_EQ(s.windowHigh, 600);
}

TEST_F(SettingsFile, ValueRunningPastTheEndIsIgnoredAndReadingResumesAfterIt) {
  // window_x claims 1000 value bytes; a good entry follows one byte after its
  // header and key.
  const Bytes bad = Entry("window_x", "", 1000);
  Bytes bytes = bad;
  bytes.push_back(0xEE);
  const Bytes good = Entry("window_y", "7");
  bytes.insert(bytes.end(), good.begin(), good.end());
  test::WriteAll(Path(), bytes);

  Settings s = LoadBytes(bytes);
  EXPECT_EQ(s.windowX, 0);
  EXPECT_EQ(s.windowY, 7);

  const int h = FileOpen('i', Path());
  std::int64_t pos = 0;
  std::string key = "x";
  std::string value = "y";
  ReadSettingsEntry(h, static_cast<std::int64_t>(bytes.size()), pos, key, value);
  EXPECT_EQ(pos, static_cast<std::int64_t>(bad.size()) + 1);
  EXPECT_EQ(key, "");
  EXPECT_EQ(value, "");
  ReadSettingsEntry(h, static_cast<std::int64_t>(bytes.size()), pos, key, value);
  EXPECT_EQ(key, "window_y");
  EXPECT_EQ(value, "7");
  EXPECT_EQ(pos, static_cast<std::int64_t>(bytes.size()));
  // A key length past the end moves one byte past the header.
  pos = 0;
  ReadSettingsEntry(h, 10, pos, key, value);
  EXPECT_EQ(pos, 9);
  EXPECT_EQ(key, "");
  FileClose(h);
}

TEST_F(SettingsFile, TruncatedLastEntryIsIgnored) {
  Bytes bytes = Join({Entry("window_x", "10"), Entry("window_y", "12345")});
  bytes.resize(bytes.size() - 2);
  const Settings s = LoadBytes(bytes);
  EXPECT_EQ(s.windowX, 10);
  EXPECT_EQ(s.windowY, 0);
}

TEST_F(SettingsFile, EveryKeySurvivesARoundTrip) {
  Settings s;
  std::int32_t n = -3;
  for (std::int32_t* f : {&s.windowX, &s.windowY, &s.windowWide, &s.windowHigh, &s.calendarX, &s.calendarY,
                          &s.calendarWide, &s.calendarHigh, &s.calPrintSize, &s.calPrintLm, &s.calPrintRm,
                          &s.calPrintTm, &s.calPrintBm, &s.eventPrintSize, &s.eventPrintLm, &s.eventPrintRm,
                          &s.eventPrintTm}) {
    *f = n;
    n = n * -3 + 1;  // distinct values of both signs
  }
  s.eventPrintBm = std::numeric_limits<std::int32_t>::min();
  std::uint8_t b = 1;
  for (std::uint8_t* f : {&s.windowFlag, &s.wallpaperFlag, &s.wallpaperColor, &s.measureMode, &s.weightMode}) {
    *f = b;
    b = static_cast<std::uint8_t>(b * 3 + 100);
  }
  s.wallpaperFile = std::string(511, 'w');
  s.calPrintDevice = "Office \xE9 Printer";
  s.calPrintFont = std::string(79, 'F');
  s.eventPrintDevice = "PDF";
  s.eventPrintFont = "Liberation Sans";
  std::string blob;
  for (int i = 0; i < 700; ++i) blob.push_back(static_cast<char>(i * 37));
  s.calendarDevmode = blob;
  s.eventDevmode = std::string("\x31\xD4\x00", 3);
  s.categories = std::string(1023, '|');

  RecordingHost host;
  ASSERT_TRUE(SaveSettings(s, Path(), host));
  Settings back;
  LoadSettings(back, Path());
  EXPECT_EQ(back, s);
  // And saving what was read gives the same bytes again.
  const Bytes first = test::ReadAll(Path());
  ASSERT_TRUE(SaveSettings(back, Path(), host));
  EXPECT_EQ(test::ReadAll(Path()), first);
  EXPECT_EQ(test::ReadAll(Path()).size(), EncodeSettings(s).size());
}

TEST_F(SettingsFile, SaveIntoAFolderThatCannotExistReports) {
  test::WriteAll(dir_.File("file.txt"), {'x'});
  const std::string path = dir_.File("file.txt/config20.dat");
  RecordingHost host;
  EXPECT_FALSE(SaveSettings(Settings{}, path, host));
  ASSERT_EQ(host.errors.size(), 1u);
  const std::string prefix = "Could not save settings to " + path + "|";
  EXPECT_EQ(host.errors[0].substr(0, prefix.size()), prefix);
  EXPECT_GT(host.errors[0].size(), prefix.size());
  EXPECT_EQ(test::ReadAll(dir_.File("file.txt")), Bytes{'x'});
}

// A write that fails part-way (here: the file-size limit, which holds for
// root too) must leave the previous file whole and no temporary file behind.
TEST_F(SettingsFile, FailedWriteKeepsTheOldFile) {
  Settings old;
  old.windowWide = 1111;
  RecordingHost host;
  ASSERT_TRUE(SaveSettings(old, Path(), host));
  const Bytes before = test::ReadAll(Path());

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tight = saved;
  tight.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  Settings changed;
  changed.windowWide = 2222;
  const bool saved_ok = SaveSettings(changed, Path(), host);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(saved_ok);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0].rfind("Could not save settings to " + Path() + "|", 0), 0u);
  EXPECT_EQ(test::ReadAll(Path()), before);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path())) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace kal
