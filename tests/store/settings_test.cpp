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
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// An entry built byte by byte, independent of the code under test.
Bytes Entry(const std::string& key, const std::string& value, std::uint32_t valueLength = UINT32_MAX) {
  if (valueLength == UINT32_MAX) valueLength = static_cast<std::uint32_t>(value.size());
  Bytes e = {0x31, 0xD4, static_cast<std::uint8_t>(key.size() & 0xFF), static_cast<std::uint8_t>(key.size() >> 8)};
  for (int i = 0; i < 4; ++i) e.push_back(static_cast<std::uint8_t>(valueLength >> (8 * i)));
  e.insert(e.end(), key.begin(), key.end());
  e.insert(e.end(), value.begin(), value.end());
  return e;
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
  Settings Load(const Bytes& bytes) {
    test::WriteAll(Path(), bytes);
    Settings s;
    s.windowX = 99;  // loading must reset everything first
    s.categories = "stale";
    LoadSettings(s, Path());
    return s;
  }
  test::TempDir dir_;
  RecordingHost host;
};

TEST_F(SettingsFile, EveryKeyIsWrittenInOrderByteForByteAndReadBackExactly) {
  std::string blob;  // device-mode data: any bytes, zeros and markers included
  for (int i = 0; i < 700; ++i) blob.push_back(static_cast<char>(i * 37));
  const Settings s{-5, 7, 800, 600, 1, kMin, kMax, 3, 4, 5, 21, std::string(511, 'w'), 6, 255,
                   "Office \xE9 Printer", "Arial", 8, 1000, 9, 10, 11, blob, "PDF", std::string(79, 'F'), 12, 13, 14,
                   15, -16, std::string("\x31\xD4\x00", 3), std::string(1023, '|'), "", "", ""};
  ASSERT_TRUE(SaveSettings(s, Path(), host));
  EXPECT_TRUE(host.errors.empty());
  const Bytes expected = Join({
      Entry("window_x", "-5"), Entry("window_y", "7"), Entry("window_wide", "800"), Entry("window_high", "600"),
      Entry("window_flag", "1"), Entry("calendar_x", "-2147483648"), Entry("calendar_y", "2147483647"),
      Entry("calendar_wide", "3"), Entry("calendar_high", "4"), Entry("wallpaper_flag", "5"),
      Entry("wallpaper_color", "21"), Entry("wallpaper_file", std::string(511, 'w')), Entry("measure_mode", "6"),
      Entry("weight_mode", "255"), Entry("cal_print_device", "Office \xE9 Printer"), Entry("cal_print_font", "Arial"),
      Entry("cal_print_size", "8"), Entry("cal_print_lm", "1000"), Entry("cal_print_rm", "9"),
      Entry("cal_print_tm", "10"), Entry("cal_print_bm", "11"), Entry("calendar_devmode", blob),
      Entry("event_print_device", "PDF"), Entry("event_print_font", std::string(79, 'F')),
      Entry("event_print_size", "12"), Entry("event_print_lm", "13"), Entry("event_print_rm", "14"),
      Entry("event_print_tm", "15"), Entry("event_print_bm", "-16"), Entry("event_devmode", std::string("\x31\xD4\x00", 3)),
      Entry("categories", std::string(1023, '|')),
  });
  EXPECT_EQ(test::ReadAll(Path()), expected);
  // The first header spelled out: marker 31 D4, K = 8, V = 2.
  EXPECT_EQ(Bytes(expected.begin(), expected.begin() + 8), (Bytes{0x31, 0xD4, 8, 0, 2, 0, 0, 0}));
  EXPECT_EQ(Load(expected), s);

  // Our own keys follow, and only when set, so a file without them stays as it was.
  Settings own = s;
  own.updateCaFile = "/etc/ca.pem";
  ASSERT_TRUE(SaveSettings(own, Path(), host));
  EXPECT_EQ(test::ReadAll(Path()), Join({expected, Entry("update_ca_file", "/etc/ca.pem")}));
  own.updateServer = "https://u.example/k/";
  ASSERT_TRUE(SaveSettings(own, Path(), host));
  EXPECT_EQ(test::ReadAll(Path()),
            Join({expected, Entry("update_server", "https://u.example/k/"), Entry("update_ca_file", "/etc/ca.pem")}));
  own.wallpaperDesktop = "xfce";
  ASSERT_TRUE(SaveSettings(own, Path(), host));
  EXPECT_EQ(test::ReadAll(Path()),
            Join({expected, Entry("update_server", "https://u.example/k/"), Entry("update_ca_file", "/etc/ca.pem"),
                  Entry("wallpaper_desktop", "xfce")}));
  EXPECT_EQ(Load(test::ReadAll(Path())), own);

  // Texts are saved up to their first zero and their field size.
  Settings cut;
  cut.calPrintFont = std::string("Arial\0junk", 10);
  cut.eventPrintFont = std::string(200, 'f');
  ASSERT_TRUE(SaveSettings(cut, Path(), host));
  LoadSettings(cut, Path());
  EXPECT_EQ(cut.calPrintFont, "Arial");
  EXPECT_EQ(cut.eventPrintFont, std::string(79, 'f'));
}

TEST_F(SettingsFile, MissingEmptyAndPartialFiles) {
  Settings s;
  s.windowWide = 1;
  LoadSettings(s, Path());
  EXPECT_EQ(s, Settings{});
  EXPECT_EQ(s.categories, kDefaultCategories);
  // The missing file was created empty, as the reader opens it in mode 'i'.
  EXPECT_EQ(std::filesystem::file_size(Path()), 0u);
  // A folder that cannot hold the file: defaults, and nothing else happens.
  test::WriteAll(dir_.File("file.txt"), {'x'});
  s.windowWide = 1;
  LoadSettings(s, dir_.File("file.txt/config20.dat"));
  EXPECT_EQ(s, Settings{});
  s.windowWide = 800;
  EXPECT_EQ(Load(Entry("window_wide", "800")), s);
}

TEST_F(SettingsFile, NumbersTakeTheLeadingDecimalRounded) {
  const Settings s = Load(Join({
      Entry("window_x", "12abc"), Entry("window_y", ""), Entry("window_wide", "2.5"), Entry("window_high", "3.5"),
      Entry("calendar_x", "-7.6px"), Entry("calendar_y", "abc12"), Entry("calendar_wide", "99999999999"),
      Entry("calendar_high", "-1e3"),
      // 8-bit settings keep the low 8 bits.
      Entry("window_flag", "-1"), Entry("wallpaper_flag", "300"), Entry("wallpaper_color", "21.4"),
  }));
  EXPECT_EQ((std::vector<std::int32_t>{s.windowX, s.windowY, s.windowWide, s.windowHigh, s.calendarX, s.calendarY,
                                       s.calendarWide, s.calendarHigh, s.windowFlag, s.wallpaperFlag, s.wallpaperColor}),
            (std::vector<std::int32_t>{12, 0, 2, 4, -8, 0, kMax, -1000, 255, 44, 21}));
  const std::vector<std::pair<const char*, std::int32_t>> rows = {
      {" +42 ", 42}, {"1e", 1}, {".", 0}, {"-", 0}, {"-2147483648", kMin}, {"1e999", kMax}, {"5e-999", 0}};
  for (const auto& [text, value] : rows) EXPECT_EQ(SettingsNumber(text), value) << text;
}

TEST_F(SettingsFile, KeysMatchExactlyLaterDuplicatesWinAndTextsAreCutToTheirField) {
  const Settings s = Load(Join({
      Entry("window_x", "1"), Entry("Window_X", "2"), Entry("window_x ", "3"), Entry("unknown", "4"),
      Entry("categories", "first"), Entry("window_x", "5"), Entry("categories", std::string(2000, 'c')),
      Entry("wallpaper_file", std::string("/a.bmp\0/b.bmp", 13)), Entry("cal_print_device", std::string(600, 'd')),
      Entry("event_devmode", std::string(3000, '\0')),  // device-mode data is taken whole
  }));
  EXPECT_EQ(s.windowX, 5);
  EXPECT_EQ(s.categories, std::string(1023, 'c'));
  EXPECT_EQ(s.wallpaperFile, "/a.bmp");
  EXPECT_EQ(s.calPrintDevice, std::string(511, 'd'));
  EXPECT_EQ(s.eventDevmode, std::string(3000, '\0'));
}

TEST_F(SettingsFile, DamageIsSkippedAndReadingResumes) {
  // Junk with marker halves, window_x claiming 1000 value bytes, a stray byte,
  // good entries, and a truncated last one.
  const Bytes bad = Entry("window_x", "", 1000);
  Bytes cut = Entry("calendar_x", "12345");
  cut.resize(cut.size() - 2);
  const Bytes bytes = Join({{0x00, 0x31, 0x07, 0xD4}, bad, {0xEE}, Entry("window_y", "7"), {0xD4},
                            Entry("window_high", "600"), cut});
  const Settings s = Load(bytes);
  EXPECT_EQ((std::vector<std::int32_t>{s.windowX, s.windowY, s.windowHigh, s.calendarX}),
            (std::vector<std::int32_t>{0, 7, 600, 0}));

  // An unusable entry is left one byte past where it began, with the reason.
  const std::string image(bytes.begin(), bytes.end());
  std::size_t pos = 4;
  std::string key = "x";
  std::string value = "y";
  EXPECT_STREQ(ReadSettingsEntry(image, pos, key, value), "value runs past the end");
  EXPECT_EQ(pos, 5u);
  EXPECT_EQ(key + value, "");
  pos = 4;
  EXPECT_STREQ(ReadSettingsEntry(image.substr(0, 14), pos, key, value), "key runs past the end");
  EXPECT_EQ(pos, 5u);
}

class Recorder : public CorruptionReporter {
 public:
  void Corruption(std::size_t bytes, std::string_view reason) override { dropped.emplace_back(bytes, reason); }
  std::vector<std::pair<std::size_t, std::string>> dropped;
};

TEST_F(SettingsFile, ReadingResumesOneBytePastTheStartOfADamagedEntry) {
  // Each damaged entry is directly followed by a good one that must be read.
  const Bytes hugeKey = {0x31, 0xD4, 0xFF, 0xFF, 0, 0, 0, 0};
  const Bytes hugeValue = Entry("window_x", "", 0x7FFFFFFF);
  struct Case {
    const char* name;
    Bytes file;
    std::int32_t windowY;
    std::vector<std::pair<std::size_t, std::string>> dropped;
  };
  const std::vector<Case> cases = {
      {"key length past the end", Join({hugeKey, Entry("window_y", "7")}), 7, {{8, "key runs past the end"}}},
      {"value length past the end", Join({hugeValue, Entry("window_y", "8")}), 8,
       {{hugeValue.size(), "value runs past the end"}}},
      {"stray byte, then a cut entry", Join({{0xEE}, Entry("window_y", "9"), {0x31, 0xD4, 1}}), 9,
       {{1, "missing entry marker"}, {3, "truncated entry"}}},
  };
  for (const Case& c : cases) {
    test::WriteAll(Path(), c.file);
    Settings s;
    Recorder recorder;
    EXPECT_TRUE(LoadSettings(s, Path(), nullptr, &recorder)) << c.name;
    EXPECT_EQ(s.windowX, 0) << c.name;
    EXPECT_EQ(s.windowY, c.windowY) << c.name;
    EXPECT_EQ(recorder.dropped, c.dropped) << c.name;
  }
}

TEST_F(SettingsFile, AnythingButARegularFileIsAnErrorAndNeverAWait) {
  using test::Occupant;
  const std::vector<std::pair<Occupant, std::string>> cases = {
      {Occupant::kNamedPipe, " is a named pipe, not a file"},
      {Occupant::kSocket, " is a socket, not a file"},
      {Occupant::kFolder, " is a folder, not a file"},
      {Occupant::kDevice, " is a device, not a file"},
      {Occupant::kSparse2GiB, ": it holds 2147483648 bytes, more than the 16777216 this program can load"},
  };
  for (const auto& [occupant, message] : cases) {
    test::TempDir folder;
    const std::string path = folder.File("config20.dat");
    const std::string name = test::Place(occupant, path);
    const std::string before = test::Describe(path);
    Settings s;
    s.windowX = 5;
    std::string error;
    EXPECT_FALSE(LoadSettings(s, path, &error)) << name;
    EXPECT_EQ(s, Settings{}) << name;
    EXPECT_EQ(error, (message[0] == ':' ? "cannot read " : "") + path + message) << name;
    // Nor does a save put a file in place of something that is not one (the
    // program stops saving a file it could not read; see settingsReadOnly).
    if (occupant != Occupant::kSparse2GiB) {
      EXPECT_FALSE(SaveSettings(Settings{}, path, host)) << name;
    }
    EXPECT_EQ(test::Describe(path), before) << name;
    EXPECT_EQ(test::Names(folder.path().string()), std::vector<std::string>{"config20.dat"}) << name;
  }
}

TEST_F(SettingsFile, FailedSaveReportsAndKeepsTheOldFile) {
  test::WriteAll(dir_.File("file.txt"), {'x'});
  const std::string noFolder = dir_.File("file.txt/config20.dat");
  EXPECT_FALSE(SaveSettings(Settings{}, noFolder, host));
  // A write that fails part-way (the file-size limit, which holds for root
  // too) must leave the previous file whole and no temporary file behind.
  Settings old;
  old.windowWide = 1111;
  ASSERT_TRUE(SaveSettings(old, Path(), host));
  const Bytes before = test::ReadAll(Path());
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tight = saved;
  tight.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  const bool savedOk = SaveSettings(Settings{}, Path(), host);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(savedOk);
  ASSERT_EQ(host.errors.size(), 2u);
  for (const auto& [error, path] : {std::pair{host.errors[0], noFolder}, std::pair{host.errors[1], Path()}}) {
    const std::string prefix = "Could not save settings to " + path + "|";
    EXPECT_EQ(error.substr(0, prefix.size()), prefix);
    EXPECT_GT(error.size(), prefix.size());  // the reason follows
  }
  EXPECT_EQ(test::ReadAll(dir_.File("file.txt")), Bytes{'x'});
  EXPECT_EQ(test::ReadAll(Path()), before);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path())) files += e.is_regular_file();
  EXPECT_EQ(files, 2);  // the old file and file.txt
}

}  // namespace
}  // namespace kal
