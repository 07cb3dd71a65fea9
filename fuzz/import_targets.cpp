#include "import_targets.h"

#include "check.h"

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "import/corvit10.h"
#include "import/event10.h"
#include "store/categories.h"
#include "store/event_store.h"

namespace kal::fuzz {

namespace {

std::string ScratchEventFile() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("kalendrina-fuzz-import-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(d);
    return d;
  }();
  std::filesystem::remove(dir / "Event20.dat");
  return (dir / "Event20.dat").string();
}

}  // namespace

void ImportFile(int format, const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> before(data, data + size);
  EventStore s;
  s.eventFile = ScratchEventFile();
  Check(LoadEvents(s), "empty store did not load");
  const ImportBytes bytes(data, size);
  const ImportResult r =
      format == 0 ? AppendEvent10(s, bytes, nullptr) : AppendCorvit10(s, bytes, nullptr, kCategoryCount);
  Check(std::vector<std::uint8_t>(data, data + size) == before, "the input changed");
  Check(r.damage.bytes <= size, "more bytes skipped than read");
  std::uint32_t records = 0;
  std::uint32_t covered = 0;
  ForEachRecord(s, s.storeSize, [&](std::uint32_t off, std::uint32_t length) {
    const std::uint32_t kind = RecordKindAt(s, off);
    Check(kind >= kKindGeneric && kind <= kKindCholesterol, "a kind the imports do not write");
    Check(Byte(s.store, off + rec::kCategory) < kCategoryCount, "a category outside the table");
    covered += length;
    ++records;
  });
  Check(covered == s.storeSize, "an appended record is not well-formed");
  Check(records >= r.imported, "fewer records than imports");
  // What a load after the save would see: every appended record indexed.
  BuildEventIndex(s);
  Check(s.indexCount == records, "the index lost appended records");
}

}  // namespace kal::fuzz
