// Makes sure only one copy of the program runs for a user, and lets a second
// start bring the running copy's window forward.
//
// The running copy holds an advisory lock (flock) on "Kalendrina In Use.dat"
// and listens on a local socket beside it ("Kalendrina In Use.sock", mode
// 0600; an abstract socket named after the user and the folder when that path
// is too long for a socket address). The lock dies with the process, so a
// file left behind by a crash is simply locked again by the next start.
//
// The folder is $XDG_RUNTIME_DIR, else the private folder "kalendrina-<uid>"
// (mode 0700) inside the temporary folder ($TMPDIR or /tmp): the shared
// temporary folder itself would let other users block or spoof the marker.
// Tests pass a folder of their own.
//
// The holder of the lock writes one line into the lock file, "<pid> <kind>",
// so that a start that finds the lock taken can say who holds it.
//
// One object per process side: the first copy calls Acquire and then
// PollShowRequest from its message pump; a second start whose Acquire failed
// calls AskRunningCopyToShow and exits. The object releases everything it
// holds (unlock, remove the lock file and the socket) when destroyed. Not
// thread-safe; every descriptor is close-on-exec, so programs started by the
// running copy do not inherit the lock.
#pragma once

#include <string>
#include <vector>

namespace kal {

class SingleInstance {
 public:
  // holderKind names this process in the lock file ("the desktop program").
  explicit SingleInstance(std::string folder = "", std::string holderKind = "");
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this object now holds the lock (also when it already did).
  // False when another copy holds it (HeldByOtherCopy) or the lock file
  // cannot be made (error() says why).
  bool Acquire();
  bool HeldByOtherCopy() const { return heldByOtherCopy_; }
  const std::string& error() const { return error_; }
  // After HeldByOtherCopy: who holds the lock, as "the desktop program (pid
  // 42)", or "another copy" when the holder left no readable record.
  const std::string& holder() const { return holder_; }

  // Second start: asks the copy holding the lock to show its window. False
  // when no copy listens.
  bool AskRunningCopyToShow();

  // First copy: never blocks; true when at least one "show" request arrived
  // since the last call.
  bool PollShowRequest();

  const std::string& folder() const { return folder_; }
  const std::string& lockPath() const { return lockPath_; }
  const std::string& socketPath() const { return socketPath_; }

 private:
  struct Pending {
    int fd = -1;
    std::string received;
  };
  bool PrepareFolder();
  void Listen();
  void Release();

  std::string folder_;
  std::string lockPath_;
  std::string socketPath_;
  std::string error_;
  std::string holderKind_;
  std::string holder_;
  bool privateFolder_ = false;  // our own folder inside the shared temporary folder
  bool heldByOtherCopy_ = false;
  int lockFd_ = -1;
  int listenFd_ = -1;
  bool socketFileMade_ = false;
  std::vector<Pending> pending_;
};

}  // namespace kal
