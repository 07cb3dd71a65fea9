// The two imports as the user runs them: pick the file in the file chooser,
// read it with a progress panel, append its records, save, and for the
// health diary predict the cycles anew. The command line runs the same
// import without the window (ImportFile).
//
// Nothing here writes the file that is read. The ImportPlace refers to the
// program's state, which its owner keeps alive for the call.
#pragma once

#include <cstdint>
#include <string>

#include "health/units.h"
#include "import/import_common.h"
#include "platform/volumes.h"
#include "store/event_store.h"
#include "store/host.h"
#include "ui/ui_context.h"

namespace kal {

enum class ImportFormat { kPreviousVersion, kHealthDiary };

// The import file's expected name ("event10.dat", "corvit10.dat").
const char* ImportFileName(ImportFormat format);

struct ImportPlace {
  UiContext& ui;
  EventStore& events;
  UnitModes units;
  std::string homeFolder;  // where the proposed folders are looked for
  FolderService& folders;
};

// The options screen's two buttons.
void ImportPreviousVersion(const ImportPlace& place);
void ImportHealthDiary(const ImportPlace& place);

// The folder the chooser opens in: the old program's usual folder below the
// home folder when the file is there, else the home folder.
std::string ProposedImportFolder(ImportFormat format, const std::string& homeFolder);

// Appends the file's records, saves and, for the health diary, predicts the
// cycles. The error is empty on success; a failed save is reported through
// the host and named in it.
struct ImportOutcome {
  ImportResult result;
  std::string error;
};
ImportOutcome ImportBytesInto(ImportFormat format, ImportBytes bytes, EventStore& events, UnitModes units,
                              Host& host, const ImportProgress& progress);

// Reads the file whole (any name) and imports it as ImportBytesInto does.
ImportOutcome ImportFile(ImportFormat format, const std::string& path, EventStore& events, UnitModes units,
                         Host& host);

// "Damaged File: <name>|12 Bytes Skipped" when anything was skipped, or
// "...|The Last Record Is Cut Short", else "".
std::string DamageMessage(const ImportResult& result, const std::string& name);

}  // namespace kal
