// The file chooser: its list on a made-up disk, and the dialog driven end to
// end by input scripts on the headless backend.
#include "ui/file_chooser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "store/text1252.h"
#include "ui/message_dialog.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;
using test::Xy;

// An in-memory disk: folders with their names, drives that may not be ready.
struct FakeFolders : FolderService {
  std::vector<Volume> volumes;
  std::map<std::string, std::vector<FolderItem>> tree;
  std::set<std::string> notReady;
  std::vector<std::string> deleted;
  std::vector<std::string> made;

  std::vector<Volume> Volumes() override { return volumes; }
  bool Ready(const std::string& root) override { return notReady.count(root) == 0; }
  bool List(const std::string& folder, std::vector<FolderItem>& out) override {
    const auto it = tree.find(folder);
    if (it == tree.end()) return false;
    out.insert(out.end(), it->second.begin(), it->second.end());
    return true;
  }
  std::int64_t FileSize(const std::string&) override { return 1234; }
  bool DeleteFile(const std::string& path) override {
    deleted.push_back(path);
    const std::size_t slash = path.rfind('/');
    auto& items = tree[path.substr(0, slash + 1)];
    std::erase_if(items, [&](const FolderItem& i) { return i.name == path.substr(slash + 1); });
    return true;
  }
  bool MakeFolder(const std::string& folder) override {
    made.push_back(folder);
    const std::size_t slash = folder.rfind('/', folder.size() - 2);
    tree[folder.substr(0, slash + 1)].push_back({folder.substr(slash + 1, folder.size() - slash - 2), true});
    tree[folder];
    return true;
  }
};

FakeFolders Disk() {
  FakeFolders d;
  d.volumes = {{"/", VolumeKind::kFixed, "System"},
               {"/home/u/", VolumeKind::kFixed, "Home"},
               {"/media/u/STICK/", VolumeKind::kRemovable, "STICK"},
               {"/mnt/nas/", VolumeKind::kNetwork, ""}};
  d.notReady = {"/media/u/STICK/"};
  d.tree["/"] = {{"home", true}};
  d.tree["/home/u/"] = {{"data", true}};
  d.tree["/home/u/data/"] = {{"zeta.txt", false}, {"Alpha", true}, {"README.TXT", false}, {"beta", true}};
  d.tree["/home/u/data/Alpha/"] = {{"event10.dat", false}};
  for (int i = 0; i < 30; ++i) d.tree["/home/u/big/"].push_back({"f" + std::string(i < 10 ? "0" : "") + std::to_string(i), false});
  return d;
}

std::vector<std::string> Shown(const std::vector<ChooserEntry>& entries) {
  std::vector<std::string> out;
  for (const ChooserEntry& e : entries) out.push_back(e.display);
  return out;
}

TEST(FileChooserList, DrivesNestTheFolderUnderItsOwnDrive) {
  FakeFolders disk = Disk();
  const auto drives = LetterDrives(disk.volumes);
  struct Case {
    std::string folder;
    std::vector<std::string> shown;
  };
  const std::vector<Case> cases = {
      {"/home/u/data/",
       {"Drive C:    (System)", "Drive D:    (Home)", "..", "Alpha", "beta", "Readme.txt", "zeta.txt",
        "Drive E:    (Removable Disk)", "Drive F:    (Network Drive)"}},
      // A drive's root has no parent entry.
      {"/home/u/", {"Drive C:    (System)", "Drive D:    (Home)", "data", "Drive E:    (Removable Disk)",
                    "Drive F:    (Network Drive)"}},
      {"/", {"Drive C:    (System)", "home", "Drive D:    (Home)", "Drive E:    (Removable Disk)",
             "Drive F:    (Network Drive)"}},
      // A drive that is not ready lists nothing of itself; a folder that cannot be listed only its parent.
      {"/media/u/STICK/x/", {"Drive C:    (System)", "Drive D:    (Home)", "Drive E:    (Removable Disk)", "..",
                             "Drive F:    (Network Drive)"}},
      {"/home/u/gone/", {"Drive C:    (System)", "Drive D:    (Home)", "..", "Drive E:    (Removable Disk)",
                         "Drive F:    (Network Drive)"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(ListChooserFolder(disk, drives, c.folder)), c.shown) << c.folder;
}

TEST(FileChooserList, NamesAndDriveTexts) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"README.TXT", "Readme.txt"}, {"ReadMe.TXT", "ReadMe.TXT"}, {"2024", "2024"},
      {"\xC3\x84PFEL.DAT", "\xC4pfel.dat"},  // UTF-8 on disk, Windows-1252 on screen
      {"", ""}};
  for (const auto& [stored, shown] : names) EXPECT_EQ(DisplayName(stored), shown) << stored;

  const std::vector<std::pair<ChooserDrive, std::string>> drives = {
      {{'A', {"/", VolumeKind::kNetwork, "x"}}, "Drive A:    (Floppy Disk)"},
      {{'C', {"/", VolumeKind::kFixed, ""}}, "Drive C:    "},
      {{'D', {"/", VolumeKind::kOptical, "Disc"}}, "Drive D:    (CD-ROM)"},
      {{'E', {"/", VolumeKind::kOther, "x"}}, "Drive E:    "},
  };
  for (const auto& [drive, text] : drives) EXPECT_EQ(DriveDisplayText(drive), text);
  EXPECT_EQ(ParentFolder("/home/u/data/"), "/home/u/");
  EXPECT_EQ(ParentFolder("/"), "/");
}

TEST(FileChooserList, ShellSortOrdersByUpperCaseBytes) {
  std::mt19937 random(7);
  for (int n : {0, 1, 2, 5, 64, 301}) {
    std::vector<ChooserEntry> entries;
    for (int i = 0; i < n; ++i) {
      std::string text;
      for (int k = 0; k < 3; ++k) text += static_cast<char>("aBc\xE4\xC4z."[random() % 7]);
      entries.push_back({'D', static_cast<ChooserKind>(1 + random() % 4), text, {}});
    }
    ShellSortEntries(entries);
    for (std::size_t i = 1; i < entries.size(); ++i) {
      const std::string a = ToUpper1252(entries[i - 1].SortText());
      const std::string b = ToUpper1252(entries[i].SortText());
      // Bytes above 0x7F sort after letters.
      EXPECT_LE(std::string_view(a).compare(b), 0) << n << ": " << a << " before " << b;
    }
  }
}

// The dialog at 1024 x 768: rows 23 pixels high from y 229, buttons at y 630.
std::string Row(int i) { return Xy(300, 229 + 23 * i + 11); }
const std::string kOk = Xy(482, 630);
const std::string kCancel = Xy(542, 630);
const std::string kNewFolder = Xy(267, 630);

struct Outcome {
  std::int32_t result = 7;
  std::string folder = "/home/u/data/";
  std::string name = "given.dat";
  FakeFolders disk = Disk();
};

Outcome Choose(const std::string& script, const std::string& folder = "/home/u/data/") {
  Outcome r;
  r.folder = folder;
  UiFixture f("size 1024 768\n" + script);
  FileChooser(f.ui, "Select A File", r.folder, r.name, r.result, r.disk);
  return r;
}

TEST(FileChooserDialog, KeysAndMouseChooseAndNavigate) {
  struct Case {
    const char* what;
    std::string script;
    std::string start;
    std::int32_t result;
    std::string folder;
    std::string name;
  };
  const std::string data = "/home/u/data/";
  const std::vector<Case> cases = {
      {"Down onto a file fills the name; Enter gives the name as stored", "key Down\nkey Down\nkey Down\nkey Down\n"
       "key Down\nkey Enter\n", data, 1, data, "README.TXT"},
      {"Enter on a folder opens it and marks ..", "key Down\nkey Down\nkey Down\nkey Enter\nkey Down\nkey Enter\n",
       data, 1, data + "Alpha/", "event10.dat"},
      {"Enter on a drive opens its root on its own line", "key Down\nkey Enter\nkey Down\nkey Enter\ntype new.dat\n"
       "key Enter\n", data, 1, data, "new.dat"},
      {"one click marks, a second accepts", "click " + Row(6) + "\nclick " + Row(6) + "\n", data, 1, data,
       "zeta.txt"},
      {"two clicks open a folder", "click " + Row(3) + "\nclick " + Row(3) + "\nclick " + Row(3) + "\nclick " +
       Row(3) + "\n", data, 1, data + "Alpha/", "event10.dat"},
      {"a typed path names its folder", "type /tmp/x/event10.dat\nkey Enter\n", data, 1, "/tmp/x/", "event10.dat"},
      {"a drive that is not ready stays shut", "key End\nkey Up\nkey Enter\nkey Enter\nkey Home\nkey Down\n"
       "key Down\nkey Down\nkey Down\nkey Down\nkey Enter\n", data, 1, data, "README.TXT"},
      {"Page Down fills the name, Page Up leaves it", "key PageDown\nkey PageUp\nkey Enter\n", "/home/u/big/", 1,
       "/home/u/big/", "f24"},
      {"the wheel stops with the last entry on the last row", "wheel -100\nclick " + Row(0) + "\nclick " + Row(0) +
       "\n", "/home/u/big/", 1, "/home/u/big/", "f18"},
      {"and back up by the lines of two notches", "wheel -100\nwheel 2\nclick " + Row(0) + "\nclick " + Row(0) + "\n", "/home/u/big/", 1,
       "/home/u/big/", "f12"},
      {"Cancel gives back what came in", "key Down\nkey Down\nkey Down\nkey Enter\nclick " + kCancel + "\n", data,
       0, data, "given.dat"},
      {"OK takes the name field as it stands", "key Down\nkey Down\nkey Down\nkey Down\nkey Down\nclick " + kOk +
       "\n", data, 1, data, "README.TXT"},
      {"closing the window leaves the result alone", "key Down\n", data, 7, data, ""},
  };
  for (const Case& c : cases) {
    const Outcome r = Choose(c.script, c.start);
    EXPECT_EQ(r.result, c.result) << c.what;
    if (c.result != 7) {
      EXPECT_EQ(r.folder, c.folder) << c.what;
      EXPECT_EQ(r.name, c.name) << c.what;
    }
  }
}

TEST(FileChooserDialog, DeleteAndNewFolder) {
  UiFixture probe;
  const MessageDialogLayout l = LayoutMessageDialog(probe.ui, "Readme.txt|1234 Bytes", "", "Delete|OK", 0);
  const std::string deleteButton = Xy(l.buttonsLeft + 35, l.buttonsTop + 12);
  // Right-click a file, answer Enter: "OK" keeps it.
  Outcome kept = Choose("click " + Row(5) + "\nclick " + Row(5) + " right\nkey Enter\nclick " + kCancel + "\n");
  EXPECT_TRUE(kept.disk.deleted.empty());
  EXPECT_EQ(kept.result, 0);
  // "Delete" removes the file by its stored name, not by the name shown.
  Outcome gone = Choose("click " + Row(5) + "\nclick " + Row(5) + " right\nclick " + deleteButton + "\nkey Enter\n");
  EXPECT_EQ(gone.disk.deleted, std::vector<std::string>{"/home/u/data/README.TXT"});
  // After the deletion the selection moved up to "beta": Enter opens it.
  EXPECT_EQ(gone.folder, "/home/u/data/beta/");
  // A new folder is made and marked, so Enter opens it.
  Outcome made = Choose("click " + kNewFolder + "\ntype Reports\nkey Enter\nkey Enter\nclick " + kOk + "\n");
  EXPECT_EQ(made.disk.made, std::vector<std::string>{"/home/u/data/Reports/"});
  EXPECT_EQ(made.result, 1);
  EXPECT_EQ(made.folder, "/home/u/data/Reports/");
  EXPECT_EQ(made.name, "");
}

TEST(FileChooserDialog, OkOnAnEmptyListCancels) {
  Outcome r;
  r.disk.volumes.clear();
  r.disk.tree.erase("/");
  r.folder = "/";
  UiFixture f("size 1024 768\nclick " + kOk + "\n");
  FileChooser(f.ui, "Select A File", r.folder, r.name, r.result, r.disk);
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.name, "given.dat");
}

}  // namespace
}  // namespace kal
