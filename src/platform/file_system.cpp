#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace kal {

namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
  std::random_device rd;
  tempPath_ = path_ + ".tmp" + std::to_string(rd() % 1000000);
  file_ = std::fopen(tempPath_.c_str(), "wb");
  if (file_ == nullptr) Fail("cannot create " + tempPath_);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_ != nullptr) std::fclose(file_);
  if (!committed_) std::remove(tempPath_.c_str());
}

void AtomicFileWriter::Fail(const std::string& what) {
  if (error_.empty()) {
    const int err = errno;
    error_ = what + (err != 0 ? std::string(": ") + std::strerror(err) : std::string());
  }
}

void AtomicFileWriter::Write(const void* data, std::size_t size) {
  if (!ok() || size == 0) return;
  errno = 0;
  if (std::fwrite(data, 1, size, file_) != size) Fail("cannot write " + tempPath_);
}

bool AtomicFileWriter::Commit() {
  if (!ok()) return false;
  errno = 0;
  if (std::fflush(file_) != 0) Fail("cannot write " + tempPath_);
  if (ok() && ::fsync(::fileno(file_)) != 0) Fail("cannot flush " + tempPath_ + " to disk");
  if (std::fclose(file_) != 0) Fail("cannot close " + tempPath_);
  file_ = nullptr;
  if (!ok()) return false;
  if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    Fail("cannot replace " + path_);
    return false;
  }
  committed_ = true;
  // Make the rename itself durable; a failure here no longer endangers the data.
  const int dir = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  return WithSlash(exe.parent_path().string());
}

std::string ResolveDataFolder(const std::string& override) {
  if (!override.empty()) return WithSlash(override);
  const std::string portable = ProgramFolder() + "kddata/";
  std::error_code ec;
  if (std::filesystem::is_directory(portable, ec)) return portable;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return WithSlash(xdg) + "kalendrina/";
  const char* home = std::getenv("HOME");
  return WithSlash(home != nullptr && home[0] != '\0' ? home : "/tmp") + ".local/share/kalendrina/";
}

bool MakePath(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

bool FolderWritable(const std::string& folder) {
  return ::access(folder.c_str(), R_OK | W_OK | X_OK) == 0;
}

bool FolderReadable(const std::string& folder) { return ::access(folder.c_str(), R_OK | X_OK) == 0; }

bool FileReadable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

}  // namespace kal
