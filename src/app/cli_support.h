// What the command-line commands share: their errors, their option parser
// and the loading of a data folder. Commands in files of their own
// (cli_<name>.cpp) use these so that every command refuses the same things
// in the same words.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
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

struct UsageError {
  std::string message;
};
struct DataError {
  std::string message;
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

// A dialog message as one line for standard error: its line breaks ("|")
// become spaces and the "|" that user text carried literally come back.
std::string OneLine(std::string message);
int ParseInt(const std::string& text, int low, int high, const std::string& what);
Ymd ParseDateOption(const std::string& text, const std::string& what);
// Resolves the data folder of --data (or the default) and checks that it can
// be used for reading or writing.
std::string DataFolderFor(const Options& options, bool forWriting);

// What the health reports read: the settings (units, category names) and the events.
struct FolderData {
  Settings settings;
  CategoryTable categories;
  EventStore store;
  UnitModes Units() const { return UnitModes{settings.weightMode, settings.measureMode}; }
};

void LoadFolderData(const std::string& folder, FolderData& data);
// Takes the data-folder lock or throws DataError saying who holds it.
void LockForWriting(SingleInstance& guard);

// Loads the event store of the data folder (--data, or the default) for
// writing under the data-folder lock, as "add" does, and runs `work` on it
// with the settings' units and a host that keeps the last error.
int WithLockedEvents(const Options& options, const char* holder,
                     const std::function<int(EventStore&, const UnitModes&, Host&)>& work);

// The command `import event10|corvit10 FILE` (app/cli_import.cpp).
int ImportCommand(const std::vector<std::string>& args, std::ostream& out);

// The command `print calendar|events OUT.pdf ...` (app/cli_print.cpp).
int PrintCommand(const std::vector<std::string>& args, std::ostream& out);

}  // namespace kal
