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

// Runs a shell command and returns its exit status; standard output goes to `out`.
int RunCommand(const std::string& command, std::string* out = nullptr);

}  // namespace kal::test
