#include "import/imports.h"

#include <chrono>
#include <filesystem>
#include <vector>

#include "calendar/sort_key.h"
#include "health/cycles.h"
#include "import/corvit10.h"
#include "import/event10.h"
#include "platform/encoding.h"
#include "platform/file_system.h"
#include "store/categories.h"
#include "store/host.h"
#include "store/log.h"
#include "ui/file_chooser.h"
#include "ui/message_dialog.h"
#include "ui/progress_panel.h"
#include "ui/ui_host.h"

namespace kal {

namespace {

// Larger files cannot be import files: every old record becomes up to 150.
constexpr std::uint64_t kMaxImportFile = 64u << 20;

struct Wording {
  const char* title;
  const char* notSelected;
  const char* folder;  // below the home folder
};

Wording WordingOf(ImportFormat format) {
  if (format == ImportFormat::kPreviousVersion) {
    return {"Select The Event10.dat Data File From Kalendrina 1.x", "Event10.dat Not Selected",
            "Kalendrina 1.1/kddata/"};
  }
  return {"Select The Corvit10.dat Data File From Corvitalis", "Corvit10.dat Not Selected", "Corvitalis/"};
}

std::string LowerAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

bool ReadImportFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  const FileReadResult r = ReadWholeFile(path, kMaxImportFile, [&](std::size_t n) {
    bytes.resize(n);
    return bytes.data();
  });
  if (r.outcome == ReadOutcome::kRead) return true;
  error = r.message.empty() ? "cannot read " + path : r.message;
  if (r.outcome == ReadOutcome::kTooLarge) error = path + " is too large for an import file";
  return false;
}

void RunImportDialog(const ImportPlace& place, ImportFormat format) {
  const Wording w = WordingOf(format);
  UiContext& ui = place.ui;
  const std::optional<std::string> chosen =
      ChooseFile(ui, w.title, ProposedImportFolder(format, place.homeFolder), place.folders);
  if (!chosen) return;
  const std::string name = chosen->substr(chosen->rfind('/') + 1);
  std::error_code ec;
  if (LowerAscii(name) != ImportFileName(format) || !std::filesystem::is_regular_file(*chosen, ec)) {
    MessageDialog(ui, w.notSelected, "OK");
    return;
  }
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!ReadImportFile(*chosen, bytes, error)) {
    MessageDialog(ui, LiteralDialogText(Utf8ToCp1252(error)), "OK");
    return;
  }
  UiHost host(ui);
  ProgressPanel& panel = host.panel();
  std::string lastTitle;
  std::string lastLabel;
  // The window is kept alive every 20 ms; a pass per record would let the
  // pump, not the import, take the time.
  auto lastPump = std::chrono::steady_clock::now();
  const ImportProgress progress = [&](std::string_view title, std::string_view label, std::uint64_t done,
                                      std::uint64_t total) {
    // Each pass of the walk is a run of the panel of its own.
    if (title != lastTitle || label != lastLabel) {
      if (!lastTitle.empty()) CloseProgress(ui.gfx, panel);
      panel.lastPercent = -1;
      lastTitle = title;
      lastLabel = label;
    }
    std::int64_t all = static_cast<std::int64_t>(total);
    ShowProgress(ui.gfx, panel, title, label, static_cast<std::int64_t>(done), all);
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPump >= std::chrono::milliseconds(20)) {
      host.PumpMessages();
      lastPump = now;
    }
  };
  const ImportOutcome outcome = ImportBytesInto(format, bytes, place.events, place.units, host, progress);
  if (!lastTitle.empty()) CloseProgress(ui.gfx, panel);
  ui.gfx.PresentRect(0, 0, ui.program.ClientWidth, ui.program.ClientHeight);
  const std::string damage = DamageMessage(outcome.result, Utf8ToCp1252(name));
  if (!damage.empty()) {
    outcome.result.damage.LogSummary(*chosen);
    MessageDialog(ui, damage, "OK");
  }
}

}  // namespace

const char* ImportFileName(ImportFormat format) {
  return format == ImportFormat::kPreviousVersion ? "event10.dat" : "corvit10.dat";
}

std::string ProposedImportFolder(ImportFormat format, const std::string& homeFolder) {
  std::string home = homeFolder;
  if (home.empty() || home.back() != '/') home += '/';
  const std::string usual = home + WordingOf(format).folder;
  std::error_code ec;
  if (std::filesystem::is_regular_file(usual + ImportFileName(format), ec)) return usual;
  return home;
}

ImportOutcome ImportBytesInto(ImportFormat format, ImportBytes bytes, EventStore& events, UnitModes units,
                              Host& host, const ImportProgress& progress) {
  ImportOutcome outcome;
  if (events.readOnly) {
    outcome.error = events.loadError;
    return outcome;
  }
  outcome.result = format == ImportFormat::kPreviousVersion
                       ? AppendEvent10(events, bytes, progress)
                       : AppendCorvit10(events, bytes, progress, kCategoryCount);
  const RecordSortKeys keys(units);
  bool saved = SaveEvents(events, keys, host);
  if (saved && format == ImportFormat::kHealthDiary) saved = PredictCycles(events, keys, host);
  if (!saved) outcome.error = "the imported events could not be saved";
  return outcome;
}

ImportOutcome ImportFile(ImportFormat format, const std::string& path, EventStore& events, UnitModes units,
                         Host& host) {
  std::vector<std::uint8_t> bytes;
  ImportOutcome outcome;
  if (!ReadImportFile(path, bytes, outcome.error)) return outcome;
  return ImportBytesInto(format, bytes, events, units, host, nullptr);
}

std::string DamageMessage(const ImportResult& result, const std::string& name) {
  if (result.damage.stretches == 0) return {};
  const std::string head = "Damaged File: " + LiteralDialogText(name) + "|";
  // Only a record cut short by the end of the file skips nothing.
  if (result.damage.bytes == 0) return head + "The Last Record Is Cut Short";
  return head + std::to_string(result.damage.bytes) + " Bytes Skipped";
}

void ImportPreviousVersion(const ImportPlace& place) { RunImportDialog(place, ImportFormat::kPreviousVersion); }
void ImportHealthDiary(const ImportPlace& place) { RunImportDialog(place, ImportFormat::kHealthDiary); }

}  // namespace kal
