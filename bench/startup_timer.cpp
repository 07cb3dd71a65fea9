// How long the command line takes, whole process, from fork to exit: the
// figures a user waits for when a script calls `kalendrina` in a loop.
//
//   startup_timer path/to/kalendrina [runs [DATA_DIR]]   (bench/startup.sh runs it)
//
// Writes the benchmarks' 100,000-record event file to a temporary data folder,
// then starts /bin/true, `kalendrina --help` and `kalendrina list` for one day
// and for one month of it, round after round so that every command meets the
// same machine noise, and prints the median and the fastest run of each, the
// difference to /bin/true, and the limit each must stay under. With DATA_DIR
// the event file is written there and kept, for profiling.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_records.h"
#include "calendar/sort_key.h"
#include "store/event_store.h"

extern char** environ;

namespace {

struct Command {
  std::string label;
  std::vector<std::string> argv;
  double limitMs;  // 0: the baseline
  std::vector<double> times;
};

// One run with standard output discarded; the wall time in ms, or -1 when the
// command could not start or failed.
double RunOnce(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

std::size_t CountLines(const std::vector<std::string>& args) {
  std::string command;
  for (const std::string& a : args) command += "'" + a + "' ";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return 0;
  std::size_t lines = 0;
  for (int c; (c = std::fgetc(pipe)) != EOF;) lines += c == '\n';
  pclose(pipe);
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_timer path/to/kalendrina [runs [DATA_DIR]]\n");
    return 1;
  }
  const std::string exe = std::filesystem::absolute(argv[1]).string();
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;

  const bool keep = argc > 3;
  const std::filesystem::path dir =
      keep ? std::filesystem::path(argv[3])
           : std::filesystem::temp_directory_path() / ("kalendrina-startup-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  {
    kal::EventStore store;
    store.eventFile = (dir / "Event20.dat").string();
    kal::bench::FillStore(store);
    kal::SaveEvents(store, kal::RecordSortKeys(kal::UnitModes{}), kal::SilentHost());  // sorted, as the program keeps it
    std::printf("data: %u records, %u bytes\n", store.indexCount, store.storeSize);
  }
  const std::string data = dir.string();
  std::vector<Command> commands = {
      {"/bin/true", {"/bin/true"}, 0, {}},
      {"kalendrina --help", {exe, "--help"}, 2.0, {}},
      {"kalendrina list, one day", {exe, "list", "--from", "2024-05-08", "--to", "2024-05-08", "--data", data}, 5.0, {}},
      {"kalendrina list, one month", {exe, "list", "--from", "2024-05-01", "--to", "2024-05-31", "--data", data}, 5.0,
       {}},
  };
  std::printf("lines printed: one day %zu, one month %zu\n", CountLines(commands[2].argv), CountLines(commands[3].argv));

  for (int round = -10; round < runs; ++round) {  // ten rounds to warm the caches
    for (Command& c : commands) {
      const double ms = RunOnce(c.argv);
      if (ms < 0) {
        std::fprintf(stderr, "startup_timer: %s failed\n", c.label.c_str());
        if (!keep) std::filesystem::remove_all(dir);
        return 1;
      }
      if (round >= 0) c.times.push_back(ms);
    }
  }
  if (!keep) std::filesystem::remove_all(dir);

  const double base = Median(commands[0].times);
  std::printf("%d runs each, whole process (fork to exit)\n", runs);
  std::printf("%-28s %10s %10s %14s %8s\n", "command", "median ms", "min ms", "- /bin/true", "limit");
  bool over = false;
  for (const Command& c : commands) {
    const double median = Median(c.times);
    const double fastest = *std::min_element(c.times.begin(), c.times.end());
    if (c.limitMs == 0) {
      std::printf("%-28s %10.3f %10.3f\n", c.label.c_str(), median, fastest);
      continue;
    }
    const bool fits = median < c.limitMs;
    over = over || !fits;
    std::printf("%-28s %10.3f %10.3f %14.3f %8.1f%s\n", c.label.c_str(), median, fastest, median - base, c.limitMs,
                fits ? "" : "  ** over the limit **");
  }
  return over ? 2 : 0;
}
