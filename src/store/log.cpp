#include "store/log.h"

#include <mutex>

#include "store/files.h"

namespace kal {

namespace {

struct LogState {
  std::mutex lock;
  std::string path;
};

LogState& State() {
  static LogState state;
  return state;
}

}  // namespace

void SetErrorLogFile(const std::string& path) {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.path = path;
}

std::string ErrorLogFile() {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.path;
}

void LogLine(std::string_view text) {
  LogState& s = State();
  // Held across the whole open-write-close, so two threads cannot both see a
  // missing log and have the second "o" truncate the first one's line.
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.path.empty()) return;
  const int handle = FileOpen(FileExists(s.path) ? 'a' : 'o', s.path);
  FileWriteText(handle, text, true);
  FileClose(handle);
}

void DeleteErrorLog() {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.path.empty()) RemoveFile(s.path);
}

std::string LogNumber(std::int64_t value) {
  // Not `" " + std::to_string(value)`: GCC 12 at -O3 warns of a false
  // -Wrestrict overlap for a literal joined to a temporary string.
  std::string text(value < 0 ? 0 : 1, ' ');
  text += std::to_string(value);
  return text;
}

}  // namespace kal
