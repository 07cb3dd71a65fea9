// The settings record and its file, "config20.dat" in the data folder.
//
// The file is a sequence of entries with no header, integers little-endian:
//   marker 0xD431 (2) | key length K (2) | value length V (4) | key (K) | value (V)
// Numbers are stored as decimal text, texts up to their first zero byte, the
// two printer device-mode blobs as raw bytes. Unknown keys are skipped and
// missing keys keep their defaults, so older and newer files load alike.
//
// The Settings record is owned by the program state and lives for the whole
// run; every change is saved at once by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/corruption.h"
#include "store/host.h"

namespace kal {

inline constexpr std::uint16_t kSettingsMarker = 0xD431;
inline constexpr std::size_t kSettingsHeaderSize = 8;

// Sizes of the fixed text fields; a field holds at most size - 1 characters.
inline constexpr std::size_t kSettingsPathField = 512;
inline constexpr std::size_t kSettingsFontField = 80;
inline constexpr std::size_t kSettingsCategoriesField = 1024;

inline constexpr const char* kDefaultCategories =
    "Miscellaneous|Recycling|Pay Days|Doctor Appointments|Meetings|Anniversaries|Holidays|Birthdays|"
    "Vacations|Business|John Doe|Jane Doe";

// Field by field in the order the file is written; the comment is the key.
struct Settings {
  std::int32_t windowX = 0;       // window_x
  std::int32_t windowY = 0;       // window_y
  std::int32_t windowWide = 0;    // window_wide (below 775: not set)
  std::int32_t windowHigh = 0;    // window_high (below 575: not set)
  std::uint8_t windowFlag = 0;    // window_flag (1: maximised)
  std::int32_t calendarX = 0;     // calendar_x
  std::int32_t calendarY = 0;     // calendar_y
  std::int32_t calendarWide = 0;  // calendar_wide
  std::int32_t calendarHigh = 0;  // calendar_high
  std::uint8_t wallpaperFlag = 0;   // wallpaper_flag
  std::uint8_t wallpaperColor = 0;  // wallpaper_color (style 0-21)
  std::string wallpaperFile;        // wallpaper_file (text 512)
  std::uint8_t measureMode = 0;     // measure_mode (0 inches, else cm)
  std::uint8_t weightMode = 0;      // weight_mode (0 pounds, else kg)
  std::string calPrintDevice;       // cal_print_device (text 512)
  std::string calPrintFont;         // cal_print_font (text 80)
  std::int32_t calPrintSize = 0;    // cal_print_size
  std::int32_t calPrintLm = 0;      // cal_print_lm
  std::int32_t calPrintRm = 0;      // cal_print_rm
  std::int32_t calPrintTm = 0;      // cal_print_tm
  std::int32_t calPrintBm = 0;      // cal_print_bm
  std::string calendarDevmode;      // calendar_devmode (raw bytes)
  std::string eventPrintDevice;     // event_print_device (text 512)
  std::string eventPrintFont;       // event_print_font (text 80)
  std::int32_t eventPrintSize = 0;  // event_print_size
  std::int32_t eventPrintLm = 0;    // event_print_lm
  std::int32_t eventPrintRm = 0;    // event_print_rm
  std::int32_t eventPrintTm = 0;    // event_print_tm
  std::int32_t eventPrintBm = 0;    // event_print_bm
  std::string eventDevmode;         // event_devmode (raw bytes)
  std::string categories = kDefaultCategories;  // categories (text 1024)
  // Ours, written only when not empty:
  std::string updateServer;  // update_server (text 512): https:// address of the update folder; empty: no checking
  std::string updateCaFile;  // update_ca_file (text 512): PEM file of the CAs trusted for it; empty: the system's
  // wallpaper_desktop (text 80): where the wallpaper is set, "gnome", "cinnamon",
  // "mate", "xfce", "kde", "x11" or "none"; empty: as the session looks.
  std::string wallpaperDesktop;

  bool operator==(const Settings&) const = default;
};

// The text a fixed field of fieldSize bytes keeps: up to the first zero byte,
// at most fieldSize - 1 characters.
std::string FitTextField(std::string_view text, std::size_t fieldSize);

// The leading decimal number of a text ("12abc" gives 12, "" gives 0),
// rounded to the nearest integer, halves to even, and held to the 32-bit range.
std::int32_t SettingsNumber(std::string_view text);

// The largest settings file read; the printer blobs are a few kilobytes.
inline constexpr std::uint64_t kMaxSettingsFileSize = 16u << 20;

// Resets the record to its defaults and reads the file. A missing file is
// created empty (when the folder allows it) and gives the defaults. Damaged
// stretches are skipped byte by byte and go to the reporter, or, without one,
// as one summary line to the error log; a truncated last entry is ignored;
// when a key occurs twice the later entry wins. Returns false, with the
// defaults in place and *error saying why, when the file is there but could
// not be read whole (a folder, pipe or device in its place, a read error, a
// size beyond kMaxSettingsFileSize); a save would then replace what was not
// read.
bool LoadSettings(Settings& settings, const std::string& path, std::string* error = nullptr,
                  CorruptionReporter* reporter = nullptr);

// Reads the entry at `position` of a file image and advances the position
// past it; returns nullptr. When the bytes there are not a whole entry, key
// and value are empty, the position has moved on by one byte from where it
// was, and the reason is returned.
const char* ReadSettingsEntry(std::string_view image, std::size_t& position, std::string& key, std::string& value);

// Appends one entry (header, key, value) to a file image.
void WriteSettingsEntry(std::string& image, std::string_view key, std::string_view value);
// The whole file image: every key, in file order.
std::string EncodeSettings(const Settings& settings);

// Writes every key to a new file beside the old one and renames it over it,
// so a failure leaves the old file as it was. On failure the record is kept,
// "Could not save settings to <path>|<reason>" goes to host.ReportError and
// false is returned.
bool SaveSettings(const Settings& settings, const std::string& path, Host& host);

}  // namespace kal
