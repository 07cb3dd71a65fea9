// Replays the saved fuzz inputs of the two import readers (fuzz/corpus).
#include <gtest/gtest.h>

#include <filesystem>

#include "import_targets.h"
#include "support/test_support.h"

namespace kal {
namespace {

TEST(ImportFuzzReplay, SavedInputs) {
  for (const auto& [folder, format] : {std::pair{"event10", 0}, std::pair{"corvit10", 1}}) {
    const auto dir = std::filesystem::path(KALENDRINA_SOURCE_DIR) / "fuzz" / "corpus" / folder;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      const auto bytes = test::ReadAll(entry.path().string());
      SCOPED_TRACE(entry.path().string());
      fuzz::ImportFile(format, bytes.data(), bytes.size());
      ++count;
    }
    EXPECT_GT(count, 0) << "no saved inputs in " << dir;
  }
}

}  // namespace
}  // namespace kal
