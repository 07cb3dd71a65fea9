#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

std::string ErrorText(int err) { return std::strerror(err); }

// What stands at a path, for messages that must say why it cannot be used.
const char* KindName(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a regular file";
}

std::string NotRegularMessage(const std::string& path, mode_t mode) {
  const std::string kind = KindName(mode);
  return path + " is " + kind + (kind.rfind("a ", 0) == 0 ? ", not a file" : "");
}

// The path with every symbolic link of its last component followed: the file
// a rename must replace so that the link keeps working. A dangling link gives
// the path it points to. Empty (with errno set) when the links loop.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    // Not a link (EINVAL), or nothing there to follow: the path is the file.
    if (n < 0) return path;
    target[n] = '\0';
    path = target[0] == '/' ? std::string(target) : WithSlash(FolderOf(path)) + target;
  }
  errno = ELOOP;
  return std::string();
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
  target_ = FollowLinks(path_);
  if (target_.empty()) {
    Fail("cannot follow the links of " + path_, errno);
    return;
  }
  struct stat old {};
  const bool replacing = ::stat(target_.c_str(), &old) == 0;
  if (replacing && !S_ISREG(old.st_mode)) {
    Fail(NotRegularMessage(target_, old.st_mode), 0);
    return;
  }
  std::random_device rd;
  for (int attempt = 0; attempt < 8 && fd_ < 0; ++attempt) {
    tempPath_ = target_ + kTempFileMarker + std::to_string(::getpid()) + "." + std::to_string(rd() % 1000000000u);
    Fd fd(::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
      if (errno == EEXIST) continue;
      Fail("cannot create " + tempPath_, errno);
      return;
    }
    // A cleaner may have taken the file for a leftover between the open and
    // the lock; then it is gone from the folder and another name is tried.
    struct stat mine {};
    struct stat named {};
    if (::flock(fd.get(), LOCK_EX) != 0 || ::fstat(fd.get(), &mine) != 0 ||
        ::lstat(tempPath_.c_str(), &named) != 0 || !SameFile(mine, named)) {
      continue;
    }
    if (replacing) {
      // Ownership can only be kept by a privileged process; the mode always.
      if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
        // Not ours to give away: the file simply becomes ours.
      }
      ::fchmod(fd.get(), old.st_mode & 07777);
    }
    fd_ = fd.release();
  }
  if (fd_ < 0 && ok()) Fail("cannot create a temporary file beside " + target_, errno);
  buffer_.reserve(1 << 16);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ >= 0) {
    if (!committed_) ::unlink(tempPath_.c_str());
    ::close(fd_);
  }
}

void AtomicFileWriter::Fail(const std::string& what, int err) {
  if (error_.empty()) error_ = what + (err != 0 ? ": " + ErrorText(err) : std::string());
}

void AtomicFileWriter::WriteOut(const char* data, std::size_t size) {
  std::size_t done = 0;
  while (ok() && done < size) {
    const ssize_t n = ::write(fd_, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write " + tempPath_, errno);
    } else if (n == 0) {
      Fail("cannot write " + tempPath_, ENOSPC);
    } else {
      done += static_cast<std::size_t>(n);
    }
  }
}

void AtomicFileWriter::Flush() {
  WriteOut(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void AtomicFileWriter::Write(const void* data, std::size_t size) {
  if (!ok() || size == 0) return;
  if (buffer_.size() + size > buffer_.capacity()) Flush();
  if (size >= buffer_.capacity()) {
    // A block as large as the buffer goes out as it is, without a copy.
    WriteOut(static_cast<const char*>(data), size);
    return;
  }
  buffer_.append(static_cast<const char*>(data), size);
}

bool AtomicFileWriter::Commit() {
  if (!ok()) return false;
  Flush();
  if (ok() && ::fsync(fd_) != 0) Fail("cannot flush " + tempPath_ + " to disk", errno);
  if (!ok()) return false;
  // What stands at the target now is checked again: a folder or a pipe put
  // there since the start must not be replaced by a file.
  struct stat now {};
  if (::stat(target_.c_str(), &now) == 0 && !S_ISREG(now.st_mode)) {
    Fail(NotRegularMessage(target_, now.st_mode), 0);
    return false;
  }
  if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
    Fail("cannot replace " + target_, errno);
    return false;
  }
  committed_ = true;
  // Closing drops the lock; the file is already under its final name.
  ::close(fd_);
  fd_ = -1;
  // Make the rename itself durable; a failure here no longer endangers the data.
  const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

std::vector<std::string> RemoveLeftoverTempFiles(const std::string& folder) {
  std::vector<std::string> removed;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find(kTempFileMarker) == std::string::npos) continue;
    const std::string path = entry.path().string();
    Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat held {};
    if (fd.get() < 0 || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode)) continue;
    // A writer holds its lock from the moment it created the file until the
    // rename; a lock we can take means the writer is gone.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || !SameFile(held, named)) continue;
    if (::unlink(path.c_str()) == 0) removed.push_back(name);
  }
  return removed;
}

namespace {

// Opens a whole-file read: the checks ReadWholeFile and MapWholeFile share.
// True with the file open in `fd` and its size in r.size; false with `r` the
// outcome to return.
bool OpenWholeFile(const std::string& path, std::uint64_t maxSize, Fd& fd, FileReadResult& r) {
  auto failed = [&r](ReadOutcome outcome, std::string message) {
    r.outcome = outcome;
    r.message = std::move(message);
    return false;
  };
  auto readError = [&] { return failed(ReadOutcome::kFailed, "cannot read " + path + ": " + ErrorText(errno)); };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? failed(ReadOutcome::kMissing, "") : readError();
  // A socket cannot even be opened, and a named pipe would wait for a writer.
  // What was opened is checked again: the name may have changed hands.
  if (!S_ISREG(st.st_mode)) return failed(ReadOutcome::kNotRegular, NotRegularMessage(path, st.st_mode));
  fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) return readError();
  if (!S_ISREG(st.st_mode)) return failed(ReadOutcome::kNotRegular, NotRegularMessage(path, st.st_mode));
  r.size = static_cast<std::uint64_t>(st.st_size);
  if (r.size > maxSize) {
    return failed(ReadOutcome::kTooLarge, "cannot read " + path + ": it holds " + std::to_string(r.size) +
                                              " bytes, more than the " + std::to_string(maxSize) + " this program can load");
  }
  return true;
}

}  // namespace

FileReadResult MapWholeFile(const std::string& path, std::uint64_t maxSize, std::uint8_t*& data) {
  data = nullptr;
  FileReadResult r;
  Fd fd(-1);
  if (!OpenWholeFile(path, maxSize, fd, r)) return r;
  if (r.size > 0) {
    // Populated at once, for the reader walks all of it straight away; mapped
    // for reading first, since populating a writable private mapping would
    // copy every page. Then writable: the caller may change its copy, page by
    // page, and the file never sees it.
    const auto length = static_cast<std::size_t>(r.size);
    void* block = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
    if (block != MAP_FAILED && ::mprotect(block, length, PROT_READ | PROT_WRITE) != 0) {
      const int error = errno;
      ::munmap(block, length);
      block = MAP_FAILED;
      errno = error;
    }
    if (block == MAP_FAILED) {
      r.outcome = ReadOutcome::kFailed;
      r.message = "cannot read " + path + ": " + ErrorText(errno);
      return r;
    }
    data = static_cast<std::uint8_t*>(block);
  }
  r.outcome = ReadOutcome::kRead;
  return r;
}

void UnmapFile(std::uint8_t* data, std::size_t size) {
  if (data != nullptr) ::munmap(data, size);
}

FileReadResult ReadWholeFile(const std::string& path, std::uint64_t maxSize,
                             const std::function<std::uint8_t*(std::size_t)>& allocate) {
  FileReadResult r;
  auto failed = [&r](ReadOutcome outcome, std::string message) {
    r.outcome = outcome;
    r.message = std::move(message);
    return r;
  };
  auto readError = [&] { return failed(ReadOutcome::kFailed, "cannot read " + path + ": " + ErrorText(errno)); };
  Fd fd(-1);
  if (!OpenWholeFile(path, maxSize, fd, r)) return r;
  std::uint8_t* dst = nullptr;
  if (r.size > 0) {
    dst = allocate(static_cast<std::size_t>(r.size));
    if (dst == nullptr) {
      return failed(ReadOutcome::kFailed, "cannot read " + path + ": not enough memory for " + std::to_string(r.size) + " bytes");
    }
  }
  std::uint64_t done = 0;
  while (done < r.size) {
    const ssize_t n = ::read(fd.get(), dst + done, static_cast<std::size_t>(std::min<std::uint64_t>(r.size - done, 1u << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return readError();
    if (n == 0) {
      return failed(ReadOutcome::kFailed, "cannot read " + path + ": it ended after " + std::to_string(done) + " of " +
                                              std::to_string(r.size) + " bytes");
    }
    done += static_cast<std::uint64_t>(n);
  }
  char extra;
  ssize_t more;
  do {
    more = ::read(fd.get(), &extra, 1);
  } while (more < 0 && errno == EINTR);
  if (more < 0) return readError();
  if (more > 0) return failed(ReadOutcome::kFailed, "cannot read " + path + ": it grew while being read");
  r.outcome = ReadOutcome::kRead;
  return r;
}

std::FILE* OpenRegularFile(const std::string& path, char mode) {
  int flags = 0;
  const char* streamMode = nullptr;
  switch (mode) {
    case 'o': flags = O_WRONLY | O_CREAT | O_TRUNC; streamMode = "wb"; break;
    // Not O_APPEND: a seek before a write must place it, as for the other modes.
    case 'a': flags = O_WRONLY | O_CREAT; streamMode = "wb"; break;
    case 'i': flags = O_RDONLY; streamMode = "rb"; break;
    case 'u': flags = O_RDWR | O_CREAT; streamMode = "r+b"; break;
    default: return nullptr;
  }
  struct stat st {};
  // Checked before the open too: truncating or opening a pipe or device has
  // effects of its own.
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return nullptr;
  const int openFlags = flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  Fd fd(::open(path.c_str(), openFlags, 0600));
  if (fd.get() < 0 && mode == 'i' && errno == ENOENT) {
    // A missing file is created empty, without truncating one that appeared meanwhile.
    const Fd made(::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
    if (made.get() < 0) return nullptr;
    fd.reset(::open(path.c_str(), openFlags));
  }
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  const int status = ::fcntl(fd.get(), F_GETFL);
  if (status >= 0) ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK);
  std::FILE* f = ::fdopen(fd.get(), streamMode);
  if (f == nullptr) return nullptr;
  fd.release();
  if (mode == 'a') std::fseek(f, 0, SEEK_END);
  return f;
}

namespace {
std::string& ProgramFolderOverride() {
  static std::string folder;
  return folder;
}
}  // namespace

void SetProgramFolder(const std::string& folder) { ProgramFolderOverride() = folder.empty() ? "" : WithSlash(folder); }

std::string ProgramFolder() {
  if (!ProgramFolderOverride().empty()) return ProgramFolderOverride();
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

std::string MakePrivateFolder(const std::string& parent, const std::string& prefix) {
  std::string pattern = parent;
  if (!pattern.empty() && pattern.back() != '/') pattern.push_back('/');
  pattern += prefix + "XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return std::string();
  return pattern + "/";
}

bool MakePath(const std::string& folder) {
  std::string prefix;
  std::size_t from = 0;
  while (from <= folder.size()) {
    std::size_t slash = folder.find('/', from);
    if (slash == std::string::npos) slash = folder.size();
    prefix = folder.substr(0, slash);
    from = slash + 1;
    if (prefix.empty()) continue;
    // The folder holds a health diary: nobody but its owner reads it.
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) break;
  }
  std::error_code ec;
  return std::filesystem::is_directory(folder, ec);
}

bool FolderWritable(const std::string& folder) {
  return ::access(folder.c_str(), R_OK | W_OK | X_OK) == 0;
}

bool FolderReadable(const std::string& folder) { return ::access(folder.c_str(), R_OK | X_OK) == 0; }

bool FileReadable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

}  // namespace kal
