// The file chooser: a modal dialog with the current folder, one list that
// shows every drive with the current folder's parent, folders and files
// nested under its own drive, a name field and "New Folder", "OK" and
// "Cancel".
//
// Folders are system paths ending in '/', file names are the names as the
// file system stores them (bytes, UTF-8 in practice); the list and the name
// field show them in the program's Windows-1252 text. The drives, listings,
// deletion and new folders come from a FolderService (platform/volumes.h),
// the real file system unless a test hands in another. The chooser runs its
// own loop on the program's input state, saves the screen and puts it back,
// and keeps nothing after it returns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/volumes.h"
#include "ui/ui_context.h"

namespace kal {

// Asks for a file. Returns folder + name of the accepted file (which need not
// exist: a typed name is accepted as it stands), or nothing when the user
// cancelled or the window is closing. startFolder need not end in '/'.
std::optional<std::string> ChooseFile(UiContext& ui, std::string_view title, const std::string& startFolder,
                                      FolderService& folders = SystemFolders());

// The dialog itself. folder and fileName go in as the place to show first
// and the name to give back on cancel; result becomes 1 when a name was
// accepted (folder and fileName then name it) and 0 when the user cancelled,
// and keeps the caller's value when the window closes.
void FileChooser(UiContext& ui, std::string_view title, std::string& folder, std::string& fileName,
                 std::int32_t& result, FolderService& folders = SystemFolders());

// The parts of the chooser that do not draw, for tests.
enum ChooserKind : char { kChooserDrive = 1, kChooserParent = 2, kChooserFolder = 3, kChooserFile = 4 };

struct ChooserDrive {
  char letter = 'C';
  Volume volume;
};

struct ChooserEntry {
  char letter = 0;       // the drive's letter, or the current folder's drive for the other kinds
  ChooserKind kind = kChooserFile;
  std::string display;   // Windows-1252
  std::string name;      // as stored, for folders and files
  std::string SortText() const;  // letter, kind, display: what the list is sorted by
};

// Letters from C on, one per volume (at most 24).
std::vector<ChooserDrive> LetterDrives(const std::vector<Volume>& volumes);
// "Drive C:    (label)" and the like.
std::string DriveDisplayText(const ChooserDrive& drive);
// A name in capitals only is shown with only its first letter in capitals.
std::string DisplayName(std::string_view storedName);
// The drive whose root is the longest start of the folder, or null.
const ChooserDrive* DriveOf(const std::vector<ChooserDrive>& drives, const std::string& folder);
// The folder up to and including its second-to-last '/'.
std::string ParentFolder(const std::string& folder);
// Ascending by SortText in upper case, compared byte by byte, with the
// chooser's Shell sort (equal texts keep no particular order).
void ShellSortEntries(std::vector<ChooserEntry>& entries);
// The drive lines, ".." below a drive's root, and the folder's contents when
// its drive is ready, sorted.
std::vector<ChooserEntry> ListChooserFolder(FolderService& folders, const std::vector<ChooserDrive>& drives,
                                            const std::string& folder);

}  // namespace kal
