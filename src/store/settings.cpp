#include "store/settings.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

#include "platform/file_system.h"
#include "store/files.h"
#include "store/log.h"

namespace kal {

namespace {

enum class FieldType { kInt32, kByte, kText, kBytes };

// One key of the file. Exactly one of the member pointers is set, matching
// the type; the table order is the order SaveSettings writes.
struct KeySpec {
  const char* key;
  FieldType type;
  std::int32_t Settings::*int32 = nullptr;
  std::uint8_t Settings::*byte = nullptr;
  std::string Settings::*text = nullptr;
  std::size_t fieldSize = 0;
};

constexpr KeySpec Int(const char* key, std::int32_t Settings::*m) { return {key, FieldType::kInt32, m, nullptr, nullptr, 0}; }
constexpr KeySpec Byte8(const char* key, std::uint8_t Settings::*m) { return {key, FieldType::kByte, nullptr, m, nullptr, 0}; }
constexpr KeySpec Text(const char* key, std::string Settings::*m, std::size_t size) {
  return {key, FieldType::kText, nullptr, nullptr, m, size};
}
constexpr KeySpec Bytes(const char* key, std::string Settings::*m) { return {key, FieldType::kBytes, nullptr, nullptr, m, 0}; }

constexpr KeySpec kKeys[] = {
    Int("window_x", &Settings::windowX),
    Int("window_y", &Settings::windowY),
    Int("window_wide", &Settings::windowWide),
    Int("window_high", &Settings::windowHigh),
    Byte8("window_flag", &Settings::windowFlag),
    Int("calendar_x", &Settings::calendarX),
    Int("calendar_y", &Settings::calendarY),
    Int("calendar_wide", &Settings::calendarWide),
    Int("calendar_high", &Settings::calendarHigh),
    Byte8("wallpaper_flag", &Settings::wallpaperFlag),
    Byte8("wallpaper_color", &Settings::wallpaperColor),
    Text("wallpaper_file", &Settings::wallpaperFile, kSettingsPathField),
    Byte8("measure_mode", &Settings::measureMode),
    Byte8("weight_mode", &Settings::weightMode),
    Text("cal_print_device", &Settings::calPrintDevice, kSettingsPathField),
    Text("cal_print_font", &Settings::calPrintFont, kSettingsFontField),
    Int("cal_print_size", &Settings::calPrintSize),
    Int("cal_print_lm", &Settings::calPrintLm),
    Int("cal_print_rm", &Settings::calPrintRm),
    Int("cal_print_tm", &Settings::calPrintTm),
    Int("cal_print_bm", &Settings::calPrintBm),
    Bytes("calendar_devmode", &Settings::calendarDevmode),
    Text("event_print_device", &Settings::eventPrintDevice, kSettingsPathField),
    Text("event_print_font", &Settings::eventPrintFont, kSettingsFontField),
    Int("event_print_size", &Settings::eventPrintSize),
    Int("event_print_lm", &Settings::eventPrintLm),
    Int("event_print_rm", &Settings::eventPrintRm),
    Int("event_print_tm", &Settings::eventPrintTm),
    Int("event_print_bm", &Settings::eventPrintBm),
    Bytes("event_devmode", &Settings::eventDevmode),
    Text("categories", &Settings::categories, kSettingsCategoriesField),
    // Keys of our own, written only when set: a file without them stays as it was.
    Text("update_server", &Settings::updateServer, kSettingsPathField),
    Text("update_ca_file", &Settings::updateCaFile, kSettingsPathField),
    Text("wallpaper_desktop", &Settings::wallpaperDesktop, kSettingsFontField),
};
constexpr std::size_t kFirstOwnKey = 31;
static_assert(std::string_view(kKeys[kFirstOwnKey].key) == "update_server");

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The leading number as a double, before rounding: blanks, an optional sign,
// digits with an optional fraction and exponent. Anything else ends it.
double LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  bool negativeExponent = false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) negativeExponent = text[j++] == '-';
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    } else {
      negativeExponent = false;
    }
  }
  double value = 0.0;
  const auto result = std::from_chars(text.data() + start, text.data() + i, value);
  if (result.ec == std::errc::result_out_of_range) {
    value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -value : value;
}

// Rounded to the nearest integer (halves to even) and held inside [lo, hi].
// The comparisons run in double, where hi may round up to a power of two; a
// value that reaches it is clamped before any conversion could overflow.
std::int64_t RoundClamped(double value, std::int64_t lo, std::int64_t hi) {
  if (std::isnan(value)) return 0;
  const double r = std::nearbyint(value);
  if (r <= static_cast<double>(lo)) return lo;
  if (r >= static_cast<double>(hi)) return hi;
  return static_cast<std::int64_t>(r);
}

void Store(Settings& s, const KeySpec& spec, const std::string& value) {
  switch (spec.type) {
    case FieldType::kInt32:
      s.*spec.int32 = SettingsNumber(value);
      break;
    case FieldType::kByte: {
      // Only the low 8 bits survive, as they would in a byte field: "-1"
      // reads as 255 and "300" as 44.
      const std::int64_t n = RoundClamped(LeadingNumber(value), std::numeric_limits<std::int64_t>::min(),
                                          std::numeric_limits<std::int64_t>::max());
      s.*spec.byte = static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) & 0xFFu);
      break;
    }
    case FieldType::kText:
      s.*spec.text = FitTextField(value, spec.fieldSize);
      break;
    case FieldType::kBytes:
      s.*spec.text = value;
      break;
  }
}

std::string ValueText(const Settings& s, const KeySpec& spec) {
  switch (spec.type) {
    case FieldType::kInt32:
      return std::to_string(s.*spec.int32);
    case FieldType::kByte:
      return std::to_string(static_cast<unsigned>(s.*spec.byte));
    case FieldType::kText:
      return FitTextField(s.*spec.text, spec.fieldSize);
    case FieldType::kBytes:
      return s.*spec.text;
  }
  return std::string();
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

}  // namespace

std::string FitTextField(std::string_view text, std::size_t fieldSize) {
  const std::size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  if (fieldSize == 0) return std::string();
  return std::string(text.substr(0, fieldSize - 1));
}

std::int32_t SettingsNumber(std::string_view text) {
  return static_cast<std::int32_t>(RoundClamped(LeadingNumber(text), std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max()));
}

const char* ReadSettingsEntry(std::string_view image, std::size_t& position, std::string& key, std::string& value) {
  key.clear();
  value.clear();
  const std::size_t start = position;
  const std::size_t size = image.size();
  // A damaged entry is left one byte past where it began, not past the part
  // read: a good entry may start inside a header whose lengths were garbage.
  auto skip = [&](const char* reason) {
    position = start + 1;
    return reason;
  };
  if (start >= size || size - start < kSettingsHeaderSize) return skip("truncated entry");
  const auto byteAt = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(image[i])); };
  if ((byteAt(start) | byteAt(start + 1) << 8) != kSettingsMarker) return skip("missing entry marker");
  const std::size_t keyLength = byteAt(start + 2) | byteAt(start + 3) << 8;
  const std::size_t valueLength =
      byteAt(start + 4) | byteAt(start + 5) << 8 | byteAt(start + 6) << 16 | static_cast<std::size_t>(byteAt(start + 7)) << 24;
  std::size_t p = start + kSettingsHeaderSize;
  if (keyLength > size - p) return skip("key runs past the end");
  const std::string_view k = image.substr(p, keyLength);
  p += keyLength;
  if (valueLength > size - p) return skip("value runs past the end");
  value.assign(image.substr(p, valueLength));
  key.assign(k);
  position = p + valueLength;
  return nullptr;
}

bool LoadSettings(Settings& settings, const std::string& path, std::string* error, CorruptionReporter* reporter) {
  settings = Settings{};
  if (error != nullptr) error->clear();
  std::string image;
  const FileReadResult read = ReadWholeFile(path, kMaxSettingsFileSize, [&image](std::size_t size) {
    image.resize(size);
    return reinterpret_cast<std::uint8_t*>(image.data());
  });
  if (read.outcome == ReadOutcome::kMissing) {
    // A missing file is created empty, as opening it for reading always did;
    // when the folder cannot be written the defaults simply stand.
    FileClose(FileOpen('i', path));
    return true;
  }
  if (read.outcome != ReadOutcome::kRead) {
    LogLine(read.message);
    if (error != nullptr) *error = read.message;
    return false;
  }
  CountingReporter counter;
  if (reporter == nullptr) reporter = &counter;
  std::size_t position = 0;
  std::size_t damageStart = 0;
  const char* damage = nullptr;
  std::string key;
  std::string value;
  while (position + kSettingsHeaderSize < image.size()) {
    const std::size_t start = position;
    const char* why = ReadSettingsEntry(image, position, key, value);
    if (why != nullptr) {
      if (damage == nullptr) {
        damage = why;
        damageStart = start;
      }
      continue;
    }
    if (damage != nullptr) reporter->Corruption(start - damageStart, damage);
    damage = nullptr;
    for (const KeySpec& spec : kKeys) {
      if (key == spec.key) {
        Store(settings, spec, value);
        break;
      }
    }
  }
  if (damage == nullptr && position < image.size()) {
    damage = "truncated entry";
    damageStart = position;
  }
  if (damage != nullptr) reporter->Corruption(image.size() - damageStart, damage);
  counter.LogSummary(path);
  return true;
}

void WriteSettingsEntry(std::string& image, std::string_view key, std::string_view value) {
  PutLittleEndian(image, kSettingsMarker, 2);
  PutLittleEndian(image, static_cast<std::uint32_t>(key.size()), 2);
  PutLittleEndian(image, static_cast<std::uint32_t>(value.size()), 4);
  image.append(key);
  image.append(value);
}

std::string EncodeSettings(const Settings& settings) {
  std::string image;
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    const std::string value = ValueText(settings, kKeys[i]);
    if (i >= kFirstOwnKey && value.empty()) continue;
    WriteSettingsEntry(image, kKeys[i].key, value);
  }
  return image;
}

bool SaveSettings(const Settings& settings, const std::string& path, Host& host) {
  if (path.empty()) {
    host.ReportError("Could not save settings to |no file name");
    return false;
  }
  ClearReadOnly(path);
  const std::string image = EncodeSettings(settings);
  AtomicFileWriter writer(path);
  writer.Write(image.data(), image.size());
  if (!writer.Commit()) {
    host.ReportError("Could not save settings to " + LiteralDialogText(path) + "|" + writer.error());
    return false;
  }
  return true;
}

}  // namespace kal
