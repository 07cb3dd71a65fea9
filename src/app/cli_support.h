// What the command-line commands share: their errors, option parsing, the
// data folder and its lock, and loading the event file. Each command lives in
// app/cli.cpp or in a file app/cli_<command>.cpp of its own.
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "calendar/dates.h"
#include "health/units.h"
#include "platform/single_instance.h"
#include "store/categories.h"
#include "store/event_store.h"
#include "store/host.h"
#include "store/settings.h"

namespace kal {

// Thrown by the commands and turned by RunCommandLine into one line on
// standard error and the exit status kExitUsage or kExitData.
struct UsageError {
  std::string message;
};
struct DataError {
  std::string message;
};

// A dialog message as one line for standard error: its line breaks ("|")
// become spaces and the "|" that user text carried literally come back.
inline std::string OneLine(std::string message) {
  for (char& c : message) {
    if (c == '|') {
      c = ' ';
    } else if (c == LiteralBar) {
      c = '|';
    }
  }
  return message;
}

// Keeps the last error a save reported, for the one line the command prints.
class ErrorHost : public Host {
 public:
  void ReportError(const std::string& message) override { error_ = message; }
  std::string Line() const { return OneLine(error_.empty() ? "could not save events" : error_); }

 private:
  std::string error_;
};

// Collects "--name value" options and plain arguments. An option given twice
// is refused rather than letting the last one win silently, and so is a
// value that is empty or is itself one of the command's options: "--data ''"
// from an unset shell variable must not fall back to the user's own diary.
class Options {
 public:
  Options(const std::vector<std::string>& args, std::size_t first, const std::vector<std::string>& valued,
          const std::vector<std::string>& flags) {
    const auto known = [&](const std::string& name) {
      return std::find(valued.begin(), valued.end(), name) != valued.end() ||
             std::find(flags.begin(), flags.end(), name) != flags.end();
    };
    for (std::size_t i = first; i < args.size(); ++i) {
      const std::string& a = args[i];
      if (a.rfind("--", 0) == 0 && a.size() > 2) {
        if (!known(a)) throw UsageError{"unknown option " + a};
        if (values_.count(a) != 0) throw UsageError{"option " + a + " is given more than once"};
        if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
          values_[a] = "";
          continue;
        }
        if (i + 1 >= args.size() || args[i + 1].empty() || known(args[i + 1])) {
          throw UsageError{"option " + a + " needs a value"};
        }
        values_[a] = args[++i];
      } else {
        positional_.push_back(a);
      }
    }
  }
  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  std::optional<std::string> Get(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }
  const std::vector<std::string>& positional() const { return positional_; }

 private:
  std::map<std::string, std::string> values_;
  std::vector<std::string> positional_;
};


// What the health reports read: the settings (units, category names) and the events.
struct FolderData {
  Settings settings;
  CategoryTable categories;
  EventStore store;
  UnitModes Units() const { return UnitModes{settings.weightMode, settings.measureMode}; }
};

int ParseInt(const std::string& text, int low, int high, const std::string& what);
Ymd ParseDateOption(const std::string& text, const std::string& what);

// Resolves the data folder and checks that it can be used. A folder named with
// --data must exist for reading; for writing it is created only when its
// parent exists, so a mistyped path is refused instead of silently starting a
// new, empty diary somewhere. The default folder is created on first write.
std::string DataFolderFor(const Options& options, bool forWriting);
// Takes the data-folder lock or throws DataError saying who holds it.
void LockForWriting(SingleInstance& guard);

void LoadFolderData(const std::string& folder, FolderData& data);

}  // namespace kal
