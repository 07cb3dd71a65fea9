#include "store/files.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/file_system.h"

namespace kal {

namespace {

namespace fs = std::filesystem;

// One open file. Its own lock serialises the calls made on it; the FILE is
// closed when the last user lets go, so a close racing a read on another
// thread never pulls the stream from under it.
struct OpenFile {
  enum class LastOp { kNone, kRead, kWrite };

  OpenFile(std::FILE* f, bool r, bool w) : file(f), canRead(r), canWrite(w) {}
  ~OpenFile() { std::fclose(file); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  // C streams demand a positioning call between a write and a following read
  // (and the other way round); a no-op seek satisfies that.
  void Switch(LastOp next) {
    if (last != LastOp::kNone && last != next) std::fseek(file, 0, SEEK_CUR);
    last = next;
  }

  std::FILE* file;
  const bool canRead;
  const bool canWrite;
  LastOp last = LastOp::kNone;
  std::mutex lock;
};

struct FileTable {
  std::mutex lock;
  std::unordered_map<int, std::shared_ptr<OpenFile>> files;
  int nextHandle = 1;
};

FileTable& Table() {
  static FileTable table;
  return table;
}

std::shared_ptr<OpenFile> Find(int handle) {
  if (handle < 0) return nullptr;
  FileTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  const auto it = t.files.find(handle);
  return it == t.files.end() ? nullptr : it->second;
}

int Register(std::shared_ptr<OpenFile> file) {
  FileTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  // Handles are not reused soon, so a stale handle kept by mistake finds
  // nothing rather than somebody else's file.
  int handle = t.nextHandle;
  while (t.files.count(handle) != 0) handle = handle == INT32_MAX ? 1 : handle + 1;
  t.nextHandle = handle == INT32_MAX ? 1 : handle + 1;
  t.files.emplace(handle, std::move(file));
  return handle;
}

}  // namespace

int FileOpen(char mode, const std::string& path) {
  if (path.empty()) return -1;
  std::FILE* f = OpenRegularFile(path, mode);
  if (f == nullptr) return -1;
  return Register(std::make_shared<OpenFile>(f, mode == 'i' || mode == 'u', mode != 'i'));
}

void FileClose(int handle) {
  if (handle < 0) return;
  std::shared_ptr<OpenFile> file;
  {
    FileTable& t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto it = t.files.find(handle);
    if (it == t.files.end()) return;
    file = std::move(it->second);
    t.files.erase(it);
  }
  // `file` going out of scope closes the stream unless another thread is
  // still inside a call on it; that call then closes it.
}

std::int64_t FileSize(int handle) {
  const auto file = Find(handle);
  if (!file) return 0;
  std::lock_guard<std::mutex> guard(file->lock);
  if (file->last == OpenFile::LastOp::kWrite) std::fflush(file->file);
  const long here = std::ftell(file->file);
  if (here < 0 || std::fseek(file->file, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file->file);
  std::fseek(file->file, here, SEEK_SET);
  file->last = OpenFile::LastOp::kNone;
  return end < 0 ? 0 : static_cast<std::int64_t>(end);
}

void FileSeek(int handle, std::int64_t position) {
  if (position < 0) return;
  const auto file = Find(handle);
  if (!file) return;
  std::lock_guard<std::mutex> guard(file->lock);
  std::fseek(file->file, static_cast<long>(position), SEEK_SET);
  file->last = OpenFile::LastOp::kNone;
}

std::size_t FileRead(int handle, MemBuffer& buffer, std::size_t offset, std::size_t count) {
  if (count == 0 || !buffer.Holds(offset, count)) return 0;
  const auto file = Find(handle);
  if (!file || !file->canRead) return 0;
  std::lock_guard<std::mutex> guard(file->lock);
  file->Switch(OpenFile::LastOp::kRead);
  return std::fread(buffer.data() + offset, 1, count, file->file);
}

std::size_t FileWrite(int handle, const MemBuffer& buffer, std::size_t offset, std::size_t count) {
  if (count == 0 || !buffer.Holds(offset, count)) return 0;
  const auto file = Find(handle);
  if (!file || !file->canWrite) return 0;
  std::lock_guard<std::mutex> guard(file->lock);
  file->Switch(OpenFile::LastOp::kWrite);
  return std::fwrite(buffer.data() + offset, 1, count, file->file);
}

void FileWriteText(int handle, std::string_view text, bool newline) {
  const auto file = Find(handle);
  if (!file || !file->canWrite) return;
  std::lock_guard<std::mutex> guard(file->lock);
  file->Switch(OpenFile::LastOp::kWrite);
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), file->file);
  if (newline) std::fwrite("\r\n", 1, 2, file->file);
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

void ClearReadOnly(const std::string& path) {
  if (path.empty()) return;
  std::error_code ec;
  if (!fs::exists(path, ec)) return;
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
}

bool RemoveFile(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  const auto status = fs::symlink_status(path, ec);
  if (!fs::exists(status)) return true;
  if (fs::is_directory(status)) return false;
  fs::remove(path, ec);
  return !fs::exists(fs::symlink_status(path, ec));
}

}  // namespace kal
