#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/launch.h"

extern char** environ;

namespace kal {

namespace {

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

ProcessResult SystemProcessRunner::Run(const std::vector<std::string>& argv) {
  ProcessResult result;
  if (argv.empty()) {
    result.error = "no program named";
    return result;
  }
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    result.error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return result;
  }
  Fd readEnd{pipeFds[0]};
  Fd writeEnd{pipeFds[1]};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    result.error = "cannot run " + argv[0] + ": " + std::strerror(spawned);
    return result;
  }
  ::close(writeEnd.fd);
  writeEnd.fd = -1;
  result.started = true;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs_);
  bool timedOut = false;
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    pollfd p{readEnd.fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      timedOut = ready == 0;
      break;
    }
    const ssize_t n = ::read(readEnd.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const std::size_t room = kMaxProcessOutput - std::min(kMaxProcessOutput, result.output.size());
    result.output.append(buffer, std::min(room, static_cast<std::size_t>(n)));
  }
  if (timedOut) {
    ::kill(pid, SIGKILL);
    result.error = argv[0] + " did not finish in " + std::to_string(timeoutMs_) + " ms";
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!timedOut && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}

bool ProgramInPath(const std::string& name) { return !FindProgramInPath(name).empty(); }

}  // namespace kal
