// Helpers shared by the tests: private temporary folders and whole-file I/O.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_script.h"

namespace kal::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Where a gallery test writes its picture: $KALENDRINA_GALLERY_DIR/<name>
// when set (the copies in docs/ come from there), else `temp`.
std::string GalleryPath(const TempDir& temp, const std::string& name);

// The commands of an input script that must parse.
std::vector<ScriptCommand> ParsedScript(std::string_view script);

// Things that can stand where a data file is expected. Each Place call puts
// one at the path (which must not exist yet) and returns a short name for
// failure messages.
enum class Occupant {
  kNamedPipe,     // opening it for reading would wait for a writer
  kSocket,        // cannot be opened at all
  kFolder,
  kDevice,        // a link to /dev/null
  kSparse2GiB,    // 2^31 bytes, one past what the event store holds
  kSparse4GiB,    // 2^32 bytes, which a 32-bit size reads as 0
  kSparse4GiB26,  // 2^32 + 26 bytes, which a 32-bit size reads as one record
};
std::string Place(Occupant what, const std::string& path);
// A description of what is at the path now (its type, and for files the size),
// without following a last symbolic link.
std::string Describe(const std::string& path);
// The names in the folder, sorted.
std::vector<std::string> Names(const std::string& folder);

// Runs a shell command and returns its exit status; standard output goes to `out`.
int RunCommand(const std::string& command, std::string* out = nullptr);

}  // namespace kal::test
