#include "platform/launch.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace kal {

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

class PathLauncher : public Launcher {
 public:
  LaunchResult Start(const std::string& program, const std::string& argument) override {
    return SpawnDetached(program, argument);
  }
  std::string FindProgram(const std::string& name) override { return FindProgramInPath(name); }
  std::string Environment(const std::string& name) override {
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? value : std::string();
  }
};

}  // namespace

std::string FindProgramInPath(const std::string& name) {
  if (name.empty()) return std::string();
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const std::size_t colon = dirs.find(':');
    // Built by appending: GCC 12 at -O3 misreads a joined literal as an overlap.
    std::string candidate(dirs.substr(0, colon));
    if (candidate.empty()) candidate.push_back('.');
    candidate += '/';
    candidate += name;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) return std::string();
    dirs.remove_prefix(colon + 1);
  }
}

Launcher& SystemLauncher() {
  static PathLauncher launcher;
  return launcher;
}

LaunchResult SpawnDetached(const std::string& program, const std::string& argument) {
  LaunchResult result;
  result.program = program;
  std::vector<char> name(program.begin(), program.end());
  name.push_back('\0');
  std::vector<char> arg(argument.begin(), argument.end());
  arg.push_back('\0');
  // An empty argument means none.
  char* argv[] = {name.data(), argument.empty() ? nullptr : arg.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, name.data(), nullptr, nullptr, argv, environ);
  if (rc != 0) {
    result.error = std::strerror(rc);
    return result;
  }
  result.started = true;
  // The handler may run for a long time (a browser it started in the
  // foreground); the program must neither wait for it nor leave a zombie.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return result;
}

std::string EscapeWebAddress(std::string_view address) {
  static constexpr struct {
    char from;
    const char* to;
  } kTable[] = {{'%', "%25"}, {' ', "%20"}, {'<', "%3C"}, {'>', "%3E"}, {'#', "%23"},
                {'{', "%7B"}, {'}', "%7D"}, {'|', "%7C"}, {'\\', "%5C"}, {'^', "%5E"},
                {'~', "%7E"}, {'[', "%5B"}, {']', "%5D"}, {'`', "%60"}};
  // One pass per entry, in table order, as the replacements are specified;
  // "%" comes first so later escapes are not escaped again.
  std::string text(address);
  for (const auto& entry : kTable) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
      if (c == entry.from) {
        out += entry.to;
      } else {
        out.push_back(c);
      }
    }
    text = std::move(out);
  }
  return text;
}

}  // namespace kal
