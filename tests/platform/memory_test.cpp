#include "platform/memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kal {
namespace {

// The VmFlags line of the mapping that holds the address, from /proc/self/smaps.
std::string MappingFlags(const void* address) {
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  std::ifstream smaps("/proc/self/smaps");
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    std::uintptr_t start = 0, end = 0;
    char dash = 0;
    std::istringstream range(line);
    if (range >> std::hex >> start >> dash >> end && dash == '-') {
      inside = start <= at && at < end;
    } else if (inside && line.rfind("VmFlags:", 0) == 0) {
      return line + " ";
    }
  }
  return "";
}

// The event file's block must reach the kernel with the advice, or reading a
// large file pays a page fault per 4 KiB.
TEST(Memory, LargeBlocksAskForLargePages) {
  EXPECT_FALSE(PreferLargePages(nullptr, kLargePageSize));
  std::vector<std::uint8_t> small(64 * 1024);
  EXPECT_FALSE(PreferLargePages(small.data(), small.size()));

  const std::size_t size = 3 * kLargePageSize;
  void* block = std::malloc(size);
  ASSERT_NE(block, nullptr);
  if (!PreferLargePages(block, size)) {
    std::free(block);
    GTEST_SKIP() << "the kernel refuses huge-page advice (no transparent huge pages)";
  }
  const void* middle = static_cast<const std::uint8_t*>(block) + size / 2;
  EXPECT_NE(MappingFlags(middle).find(" hg "), std::string::npos) << MappingFlags(middle);
  std::free(block);
}

}  // namespace
}  // namespace kal
