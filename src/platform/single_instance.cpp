#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

namespace kal {

namespace {

constexpr const char* kLockName = "Kalendrina In Use.dat";
constexpr const char* kSocketName = "Kalendrina In Use.sock";
constexpr const char* kShowRequest = "show";
constexpr std::size_t kMaxPending = 8;
constexpr std::size_t kMaxRequestBytes = 16;

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

bool IsAbsoluteFolder(const char* path) {
  struct stat st {};
  return path != nullptr && path[0] == '/' && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DefaultFolder(bool& privateFolder) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  privateFolder = false;
  if (IsAbsoluteFolder(runtime)) return WithSlash(runtime);
  privateFolder = true;
  const char* tmp = std::getenv("TMPDIR");
  const std::string base = IsAbsoluteFolder(tmp) ? WithSlash(tmp) : std::string("/tmp/");
  return base + "kalendrina-" + std::to_string(::getuid()) + "/";
}

std::uint64_t Fnv1a(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// The socket's address: its file when the path fits, else an abstract name
// that carries the user and a hash of the path, so every folder gets its own.
socklen_t SocketAddress(const std::string& path, sockaddr_un& addr, bool& isFile) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.size() < sizeof addr.sun_path) {
    isFile = true;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
  }
  isFile = false;
  char name[80];
  const int length = std::snprintf(name, sizeof name, "kalendrina-%u-%016llx", static_cast<unsigned>(::getuid()),
                                   static_cast<unsigned long long>(Fnv1a(path)));
  std::memcpy(addr.sun_path + 1, name, static_cast<std::size_t>(length));
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<std::size_t>(length));
}

bool PeerIsThisUser(int fd) {
  ucred cred{};
  socklen_t size = sizeof cred;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 && cred.uid == ::geteuid();
}

std::string Describe(const std::string& what) { return what + ": " + std::strerror(errno); }

constexpr std::size_t kMaxHolderBytes = 120;

// The holder record is read from a file anyone with access to the folder can
// write: only printable ASCII survives, so it cannot drive a terminal.
std::string PrintableAscii(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c >= 0x20 && c < 0x7F) out += c;
  }
  return out;
}

// "<pid> <kind>" as the holder wrote it, told as "<kind> (pid <pid>)".
std::string ReadHolder(int fd) {
  char buffer[kMaxHolderBytes];
  const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
  std::string_view line(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
  line = line.substr(0, line.find('\n'));
  const std::size_t space = line.find(' ');
  const std::string pid = PrintableAscii(line.substr(0, space));
  const std::string kind = space == std::string_view::npos ? std::string() : PrintableAscii(line.substr(space + 1));
  const bool pidIsNumber = !pid.empty() && pid.find_first_not_of("0123456789") == std::string::npos;
  if (!pidIsNumber || kind.empty()) return "another copy";
  return kind + " (pid " + pid + ")";
}

void WriteHolder(int fd, const std::string& kind) {
  const std::string line = std::to_string(::getpid()) + " " + PrintableAscii(kind.empty() ? "another copy" : kind) + "\n";
  // Only a courtesy for the refusal message of others: the lock holds whether or not this lands.
  if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, line.data(), line.size(), 0);
}

}  // namespace

SingleInstance::SingleInstance(std::string folder, std::string holderKind) : holderKind_(std::move(holderKind)) {
  if (folder.empty()) {
    folder_ = DefaultFolder(privateFolder_);
  } else {
    folder_ = WithSlash(std::move(folder));
  }
  lockPath_ = folder_ + kLockName;
  socketPath_ = folder_ + kSocketName;
}

SingleInstance::~SingleInstance() { Release(); }

bool SingleInstance::PrepareFolder() {
  std::string path = folder_;
  if (path.size() > 1) path.pop_back();  // lstat must see a link as a link
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT || ::mkdir(path.c_str(), 0700) != 0 || ::lstat(path.c_str(), &st) != 0) {
      error_ = Describe("cannot create " + folder_);
      return false;
    }
  }
  if (!S_ISDIR(st.st_mode)) {
    error_ = folder_ + " is not a folder";
    return false;
  }
  // The private folder in the shared temporary folder must really be ours
  // and closed to others, or another user could plant or hold the marker.
  if (privateFolder_ && (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)) {
    error_ = folder_ + " is not private to this user";
    return false;
  }
  return true;
}

bool SingleInstance::Acquire() {
  if (lockFd_ >= 0) return true;
  heldByOtherCopy_ = false;
  error_.clear();
  holder_.clear();
  if (!PrepareFolder()) return false;
  // A copy that is just exiting removes the file while it still holds the
  // lock; if we locked that removed file, try again with the new one.
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      error_ = Describe("cannot open " + lockPath_);
      return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK) {
        heldByOtherCopy_ = true;
        holder_ = ReadHolder(fd);
      } else {
        error_ = Describe("cannot lock " + lockPath_);
      }
      ::close(fd);
      return false;
    }
    struct stat held {}, named {};
    if (::fstat(fd, &held) == 0 && ::stat(lockPath_.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      lockFd_ = fd;
      WriteHolder(fd, holderKind_);
      Listen();
      return true;
    }
    ::close(fd);
  }
  error_ = "the lock file " + lockPath_ + " keeps changing";
  return false;
}

void SingleInstance::Listen() {
  sockaddr_un addr{};
  bool isFile = false;
  const socklen_t length = SocketAddress(socketPath_, addr, isFile);
  // Holding the lock means nobody else listens here: a socket file still
  // present was left by a copy that crashed.
  if (isFile) ::unlink(socketPath_.c_str());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error_ = Describe("cannot create the show socket");
    return;
  }
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), length) != 0) {
    error_ = Describe("cannot bind " + socketPath_);
    ::close(fd);
    return;
  }
  socketFileMade_ = isFile;
  // Nobody can connect before listen(), so tightening the mode here leaves no
  // window in which another user could reach the socket.
  if ((isFile && ::chmod(socketPath_.c_str(), 0600) != 0) || ::listen(fd, static_cast<int>(kMaxPending)) != 0) {
    error_ = Describe("cannot listen on " + socketPath_);
    ::close(fd);
    return;
  }
  listenFd_ = fd;
}

bool SingleInstance::AskRunningCopyToShow() {
  sockaddr_un addr{};
  bool isFile = false;
  const socklen_t length = SocketAddress(socketPath_, addr, isFile);
  // Non-blocking, so that a running copy that hangs cannot hang this start too.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool sent = false;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), length) == 0) {
    const std::size_t size = std::strlen(kShowRequest);
    sent = ::send(fd, kShowRequest, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
  }
  ::close(fd);
  return sent;
}

bool SingleInstance::PollShowRequest() {
  if (listenFd_ < 0) return false;
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) break;  // EAGAIN: nobody else waiting
    if (!PeerIsThisUser(fd)) {
      ::close(fd);
      continue;
    }
    if (pending_.size() >= kMaxPending) {
      ::close(pending_.front().fd);
      pending_.erase(pending_.begin());
    }
    pending_.push_back(Pending{fd, {}});
  }

  bool show = false;
  const std::string request = kShowRequest;
  for (std::size_t i = 0; i < pending_.size();) {
    Pending& p = pending_[i];
    bool done = false;
    char buffer[kMaxRequestBytes];
    const ssize_t n = ::recv(p.fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      p.received.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      done = true;  // closed or broken before a whole request arrived
    }
    if (p.received.size() >= request.size()) {
      show = show || p.received.compare(0, request.size(), request) == 0;
      done = true;
    }
    if (done) {
      ::close(p.fd);
      pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  return show;
}

void SingleInstance::Release() {
  for (const Pending& p : pending_) ::close(p.fd);
  pending_.clear();
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    listenFd_ = -1;
  }
  if (lockFd_ < 0) return;
  if (socketFileMade_) ::unlink(socketPath_.c_str());
  socketFileMade_ = false;
  // Removed while still locked, so a new start never locks a file that is
  // about to vanish without noticing (Acquire checks the name again).
  ::unlink(lockPath_.c_str());
  ::close(lockFd_);
  lockFd_ = -1;
}

}  // namespace kal
