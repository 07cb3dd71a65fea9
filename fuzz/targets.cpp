#include "targets.h"

#include "check.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "calendar/entry_text.h"
#include "calendar/event_display_text.h"
#include "calendar/search.h"
#include "calendar/sort_key.h"
#include "store/event_store.h"
#include "store/settings.h"

namespace kal::fuzz {

namespace {

std::string Scratch(const char* name) {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("kalendrina-fuzz-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return (dir / name).string();
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::vector<char> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

void EventFile(const std::uint8_t* data, std::size_t size) {
  EventStore s;
  s.eventFile = Scratch("Event20.dat");
  Write(s.eventFile, data, size);
  LoadEvents(s);
  const UnitModes units[] = {{0, 0}, {1, 1}};
  const SearchTerms terms = ParseQuery("may -x /a /\"b c\"");
  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(s, i);
    for (const auto& u : units) {
      Check(EntryText(s, off, u).size() <= 170, "entry text longer than 170");
      (void)EventDisplayText(s, off, 170, u);
      (void)RecordMatches(s, off, terms, u);
      (void)RecordSortKey(s, off, u);
    }
  }
  Check(SaveEvents(s, RecordSortKeys(units[0]), SilentHost()), "save failed");
  std::uint32_t total = 0;
  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    const std::uint32_t off = IndexOffset(s, i);
    Check(off == total, "saved file has a gap");
    Check(RecordKindAt(s, off) != kKindDeleted, "saved file holds a deleted record");
    total += RecordLength(s, off);
  }
  Check(total == s.storeSize, "saved file has trailing bytes");
  const auto first = Read(s.eventFile);
  Check(SaveEvents(s, RecordSortKeys(units[0]), SilentHost()), "second save failed");
  Check(Read(s.eventFile) == first, "saving a saved file changed it");
}

void SettingsFile(const std::uint8_t* data, std::size_t size) {
  const std::string path = Scratch("config20.dat");
  Write(path, data, size);
  Settings loaded;
  LoadSettings(loaded, path);
  Check(SaveSettings(loaded, path, SilentHost()), "settings save failed");
  const auto first = Read(path);
  Settings again;
  LoadSettings(again, path);
  Check(again == loaded, "settings changed across a save");
  Check(SaveSettings(again, path, SilentHost()), "second settings save failed");
  Check(Read(path) == first, "second settings save wrote other bytes");
}

}  // namespace kal::fuzz
