// Replays the saved fuzz inputs (fuzz/corpus) through the fuzz checks, so
// every input that once found a fault stays a test in the normal build.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"
#include "targets.h"

namespace kal {
namespace {

void ReplayFolder(const char* name, void (*target)(const std::uint8_t*, std::size_t)) {
  const auto folder = std::filesystem::path(KALENDRINA_SOURCE_DIR) / "fuzz" / "corpus" / name;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const auto bytes = test::ReadAll(entry.path().string());
    SCOPED_TRACE(entry.path().string());
    target(bytes.data(), bytes.size());
    ++count;
  }
  EXPECT_GT(count, 0) << "no saved inputs in " << folder;
}

TEST(FuzzReplay, EventFileInputs) { ReplayFolder("event_file", &fuzz::EventFile); }
TEST(FuzzReplay, SettingsInputs) { ReplayFolder("settings", &fuzz::SettingsFile); }
TEST(FuzzReplay, IcalInputs) { ReplayFolder("ical", &fuzz::IcalImport); }

}  // namespace
}  // namespace kal
