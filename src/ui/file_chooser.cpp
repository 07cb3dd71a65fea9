#include "ui/file_chooser.h"

#include <algorithm>

#include "platform/encoding.h"
#include "platform/key_codes.h"
#include "store/host.h"
#include "store/text1252.h"
#include "ui/controls.h"
#include "ui/edit_field.h"
#include "ui/images.h"
#include "ui/message_dialog.h"
#include "ui/scroll_bar.h"

namespace kal {

namespace {

constexpr int kBoxWidth = 600;
constexpr int kBoxHeight = 500;
constexpr int kListHeight = 325;
constexpr std::int32_t kNameMaxLength = 79;
constexpr std::int32_t kRightButton = 2;

// a / 2 to the nearest integer, a half going to the even neighbour.
int Half(int a) {
  const int q = a >= 0 ? a / 2 : -((-a + 1) / 2);
  if (a - 2 * q == 0) return q;
  return (q % 2 == 0) ? q : q + 1;
}

std::string Trimmed(const std::string& s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string EndSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

struct Geometry {
  int left, right, top, bottom;
  int rows;
  int listLeft, listRight, listTop, listBottom;
  int fieldX1, fieldX2, fieldY1, fieldY2;
  int buttonsTop, buttonsBottom;
};

class Chooser {
 public:
  Chooser(UiContext& ui, FolderService& folders, std::string_view title, std::string& folder, std::string& fileName)
      : ui_(ui), gfx_(ui.gfx), p_(ui.program), in_(ui.program.input), folders_(folders), title_(title),
        folder_(folder), fileName_(fileName) {}

  void Run(std::int32_t& result);

 private:
  void Lay();
  void List();
  bool ScrollIntoView();
  void TakeSelection();
  void OpenSelection();
  void DrawRows();
  void DrawBar(std::int32_t state);
  void DrawName(int caret);
  void FullDraw();
  void Present();
  void Redraw();
  bool InList(int x, int y) const;
  void MoveRepeated(std::int32_t key, bool (Chooser::*step)());
  bool StepUp();
  bool StepDown();
  bool StepPageUp();
  bool StepPageDown();
  void MouseInList();
  void NewFolder();
  void SelectByName(const std::string& name);
  void SelectParentEntry();
  int Count() const { return static_cast<int>(entries_.size()); }
  const ChooserEntry* Selected() const { return selected_ < Count() ? &entries_[selected_] : nullptr; }
  bool DriveReady(char letter, bool warn);
  std::string StoredName(const std::string& shown) const;

  UiContext& ui_;
  Gfx& gfx_;
  Program& p_;
  InputState& in_;
  FolderService& folders_;
  std::string title_;
  std::string& folder_;    // as stored, ends in '/'
  std::string& fileName_;  // while open: Windows-1252, as shown
  std::vector<ChooserDrive> drives_;
  std::vector<ChooserEntry> entries_;
  int selected_ = 0;
  int top_ = 0;
  Geometry g_{};
  EditFieldRecord field_;
  std::int32_t seenPhase_ = 1;
  bool accepted_ = false;
};

void Chooser::Lay() {
  const int lh = std::max(1, gfx_.lineHeight);
  g_.left = p_.CentreX - kBoxWidth / 2;
  g_.right = g_.left + kBoxWidth;
  g_.top = Half(p_.ClientHeight) - kBoxHeight / 2 + Half(p_.HeaderHeight);
  g_.bottom = g_.top + kBoxHeight;
  g_.rows = kListHeight / lh;
  g_.listLeft = g_.left + 15;
  g_.listRight = g_.right - 15;
  g_.listTop = g_.top + 70;
  g_.listBottom = g_.listTop + lh * g_.rows - 1;
  const int labelW = gfx_.text != nullptr ? gfx_.text->Measure(gfx_.SmallBoldFont, "File Name:").width : 0;
  g_.fieldX1 = g_.left + 20 + labelW;
  g_.fieldX2 = g_.right - 15;
  g_.fieldY1 = g_.listBottom + 20;
  g_.fieldY2 = g_.fieldY1 + lh;
  g_.buttonsTop = g_.bottom - 40;
  g_.buttonsBottom = g_.bottom - 15;
}

bool Chooser::DriveReady(char letter, bool warn) {
  for (const ChooserDrive& d : drives_) {
    if (d.letter != letter) continue;
    if (folders_.Ready(d.volume.root)) return true;
    if (warn) MessageDialog(ui_, std::string("Drive ") + letter + ": Not Ready", "OK");
    return false;
  }
  return true;  // a folder outside every drive is simply listed
}

void Chooser::List() {
  entries_ = ListChooserFolder(folders_, drives_, folder_);
  top_ = 0;
  // The selection keeps its index, held within the new list.
  selected_ = std::max(0, std::min(selected_, Count() - 1));
}

bool Chooser::ScrollIntoView() {
  const int old = top_;
  if (top_ > selected_) {
    top_ = selected_;
  } else if (top_ + g_.rows - 1 < selected_) {
    top_ = selected_ - g_.rows + 1;
  }
  return top_ != old;
}

void Chooser::TakeSelection() {
  const ChooserEntry* e = Selected();
  fileName_ = (e != nullptr && e->kind == kChooserFile) ? e->display : std::string();
  field_.text = fileName_.substr(0, static_cast<std::size_t>(kNameMaxLength));
  const int at = EditFieldPositionAt(gfx_, field_.text, field_.x2 - field_.x1 - 6);
  field_.caret = field_.selStart = field_.selEnd = at;
}

void Chooser::OpenSelection() {
  const ChooserEntry* e = Selected();
  if (e == nullptr || !DriveReady(e->letter, true)) return;
  const ChooserEntry entry = *e;
  switch (entry.kind) {
    case kChooserDrive:
      for (const ChooserDrive& d : drives_) {
        if (d.letter == entry.letter) folder_ = d.volume.root;
      }
      List();
      for (int i = 0; i < Count(); ++i) {
        if (entries_[i].kind == kChooserDrive && entries_[i].letter == entry.letter) {
          selected_ = i;
          break;
        }
      }
      break;
    case kChooserParent:
      folder_ = ParentFolder(folder_);
      List();
      SelectParentEntry();
      break;
    case kChooserFolder:
      folder_ += entry.name + "/";
      List();
      SelectParentEntry();
      break;
    case kChooserFile:
      return;
  }
  ScrollIntoView();
}

void Chooser::SelectParentEntry() {
  for (int i = 0; i < Count(); ++i) {
    if (entries_[i].kind == kChooserParent) {
      selected_ = i;
      return;
    }
  }
}

void Chooser::SelectByName(const std::string& name) {
  const std::string wanted = ToUpper1252(name);
  for (int i = 0; i < Count(); ++i) {
    if (ToUpper1252(entries_[i].display) == wanted) {
      selected_ = i;
      break;
    }
  }
  ScrollIntoView();
}

void Chooser::DrawRows() {
  if (gfx_.surface == nullptr) return;
  Surface& s = *gfx_.surface;
  const int lh = std::max(1, gfx_.lineHeight);
  const int textH = gfx_.text != nullptr ? gfx_.text->Measure(gfx_.EditFont, "$ygHT|").height : lh;
  const int x1 = g_.listLeft;
  const int x2 = g_.listRight - 17;
  const Rect oldClip = s.clip();
  for (int r = 0; r < g_.rows; ++r) {
    const int i = top_ + r;
    const int y = g_.listTop + r * lh;
    const bool marked = i == selected_;
    FillBox(s, marked ? ColourNavy : ColourWhite, x1, y, x2, y + lh - 1);
    if (i >= Count()) continue;
    const ChooserEntry& e = entries_[i];
    const char* image = "FILE_ICON";
    int imageX = x1 + 22;
    if (e.kind == kChooserDrive) {
      image = "DRIVE_ICON";
      imageX = x1 + 2;
    } else if (e.kind == kChooserParent) {
      image = "UPFOLDER_ICON";
      imageX = x1 + 12;
    } else if (e.kind == kChooserFolder) {
      image = "FOLDER_ICON";
    }
    s.SetClipRect(Rect{x1, y, x2 + 1, y + lh}.Intersect(oldClip));
    const Image* picture = FindImage(image);
    const int imageH = picture != nullptr ? picture->pixels.height() : 0;
    const int centre = y + lh / 2;
    gfx_.DrawResourceImage(image, ImageKindBitmap, s, imageX, centre - imageH / 2, AlignLeft);
    gfx_.DrawTextAligned(s, imageX + 20, centre - textH / 2, AlignLeft, marked ? ColourWhite : ColourBlack,
                         gfx_.EditFont, e.display);
    s.SetClipRect(oldClip);
  }
}

void Chooser::DrawBar(std::int32_t state) {
  DrawScrollBar(gfx_, g_.listRight - 16, g_.listTop, g_.listRight, g_.listBottom, g_.rows, Count(), top_, state);
}

void Chooser::DrawName(int caret) { DrawEditField(gfx_, 0, field_, caret); }

void Chooser::Present() {
  gfx_.PresentRect(g_.left - 20, g_.top - 20, kBoxWidth + 40, kBoxHeight + 40);
}

void Chooser::Redraw() {
  DrawRows();
  DrawBar(ScrollIdle);
  DrawName(in_.caretPhase);
  Present();
}

void Chooser::FullDraw() {
  if (gfx_.surface == nullptr) return;
  Surface& s = *gfx_.surface;
  gfx_.DrawPanel(g_.left, g_.top, g_.right, g_.bottom);
  const FontDescription titleFont{"MS Sans Serif", 20, 700, false};
  gfx_.DrawTextAligned(s, p_.CentreX, g_.top + 7, AlignCentre, ColourBlack, titleFont, title_);
  gfx_.DrawSunkenBox(g_.listLeft, g_.listTop, g_.listRight, g_.listBottom, ColourWhite);
  gfx_.DrawSunkenBox(g_.listLeft, g_.top + 40, g_.listRight, g_.top + 58, ColourWhite);
  gfx_.DrawTextAligned(s, g_.left + 13, g_.listBottom + 25, AlignLeft, ColourBlack, gfx_.SmallBoldFont, "File Name:");
  DrawPushButton(gfx_, 0, g_.listLeft, g_.buttonsTop, g_.listLeft + 80, g_.buttonsBottom, "New Folder", 0);
  DrawPushButton(gfx_, 0, p_.CentreX - 60, g_.buttonsTop, p_.CentreX, g_.buttonsBottom, "OK", 0);
  DrawPushButton(gfx_, 0, p_.CentreX, g_.buttonsTop, p_.CentreX + 60, g_.buttonsBottom, "Cancel", 0);
  const Rect oldClip = s.clip();
  s.SetClipRect(Rect{g_.listLeft, g_.top + 40, g_.listRight + 1, g_.top + 59}.Intersect(oldClip));
  gfx_.DrawTextAligned(s, g_.listLeft + 2, g_.top + 41, AlignLeft, ColourBlack, gfx_.SmallBoldFont,
                       Utf8ToCp1252(folder_));
  s.SetClipRect(oldClip);
  DrawEditField(gfx_, 1, field_, in_.caretPhase);
  DrawRows();
  DrawBar(ScrollIdle);
  Present();
}

bool Chooser::InList(int x, int y) const {
  return x >= g_.listLeft && x <= g_.listRight - 17 && y >= g_.listTop && y <= g_.listBottom;
}

bool Chooser::StepUp() {
  if (selected_ > 0) --selected_;
  if (top_ > selected_) --top_;
  TakeSelection();
  return true;
}

bool Chooser::StepDown() {
  if (selected_ < Count() - 1) ++selected_;
  if (top_ + g_.rows <= selected_) ++top_;
  TakeSelection();
  return true;
}

bool Chooser::StepPageUp() {
  selected_ = std::max(0, top_ - g_.rows);
  top_ = selected_;
  return true;
}

bool Chooser::StepPageDown() {
  selected_ = std::max(0, std::min(Count() - 1, top_ + 2 * g_.rows - 1));
  top_ = std::max(0, selected_ - g_.rows + 1);
  TakeSelection();
  return true;
}

// A key held down repeats after 300 ms, then every 25 ms.
void Chooser::MoveRepeated(std::int32_t key, bool (Chooser::*step)()) {
  (this->*step)();
  Redraw();
  DelayUnlessInput(p_, 1);
  while (in_.quitRequested == 0 && (in_.lastKey == key || in_.mouseButton != 0)) {
    (this->*step)();
    Redraw();
    DelayUnlessInput(p_, 0);
  }
}

void Chooser::MouseInList() {
  const int before = selected_;
  const int lh = std::max(1, gfx_.lineHeight);
  std::int32_t held = 0;
  while (in_.mouseButton != 0 && in_.quitRequested == 0) {
    held |= in_.mouseButton;
    const int row = (in_.mouseY - g_.listTop) >= 0 ? (in_.mouseY - g_.listTop) / lh : -1;
    const int now = std::max(0, std::min(Count() - 1, top_ + row));
    if (now != selected_) {
      selected_ = now;
      if (selected_ < top_) top_ = selected_;
      if (selected_ > top_ + g_.rows - 1) top_ = selected_ - g_.rows + 1;
      TakeSelection();
      Redraw();
      DrawName(1);
    }
    PumpMessages(p_, 1);
  }
  if (in_.quitRequested != 0) return;
  const ChooserEntry* e = Selected();
  if (held == kRightButton && !fileName_.empty() && e != nullptr && e->kind == kChooserFile) {
    const std::string path = folder_ + e->name;
    const std::int64_t size = folders_.FileSize(path);
    MemBuffer scratch;
    std::int32_t answer = 0;
    MessageDialog(ui_, scratch, LiteralDialogText(fileName_) + "|" + std::to_string(std::max<std::int64_t>(size, 0)) +
                                    " Bytes",
                  "", 2, "Delete|OK", 0, answer);
    if (answer == 1) {
      folders_.DeleteFile(path);
      selected_ = std::max(0, selected_ - 1);
      List();
      TakeSelection();
      FullDraw();
    }
    return;
  }
  if (selected_ == before) {
    const std::string remembered = folder_ + fileName_;
    if (Trimmed(fileName_).empty()) {
      fileName_.clear();
      OpenSelection();
    }
    FullDraw();
    fileName_ = field_.text;
    if (!fileName_.empty() && folder_ + fileName_ == remembered) accepted_ = true;
  }
}

void Chooser::NewFolder() {
  MemBuffer transfer;
  AllocDialogTransferBuffer(transfer);
  std::int32_t answer = 0;
  MessageDialog(ui_, transfer, "Add New Folder To|" + LiteralDialogText(Utf8ToCp1252(folder_)), "", 1, "OK|Cancel",
                50, answer);
  std::string name;
  GetZText(transfer, EditFieldTextOffset, name);
  name = Trimmed(name);
  if (answer != 1 || name.empty()) return;
  folders_.MakeFolder(folder_ + Cp1252ToUtf8(name) + "/");
  List();
  SelectByName(name);
  TakeSelection();
  FullDraw();
}

std::string Chooser::StoredName(const std::string& shown) const {
  const ChooserEntry* e = Selected();
  // The list shows "README.TXT" as "Readme.txt"; the file keeps its own name.
  if (e != nullptr && e->kind == kChooserFile && e->display == shown) return e->name;
  return Cp1252ToUtf8(shown);
}

void Chooser::Run(std::int32_t& result) {
  const std::string initialFolder = folder_;
  const std::string initialName = fileName_;
  folder_ = EndSlash(folder_);
  const std::int32_t previousModal = p_.ModalActive;
  p_.ModalActive = 1;
  Lay();
  const Surface saved = gfx_.SaveScreen();
  drives_ = LetterDrives(folders_.Volumes());
  top_ = 0;
  selected_ = 0;
  List();
  field_.x1 = g_.fieldX1;
  field_.y1 = g_.fieldY1;
  field_.x2 = g_.fieldX2;
  field_.y2 = g_.fieldY2;
  field_.maxLength = kNameMaxLength;
  field_.backColour = ColourWhite;
  field_.textColour = ColourBlack;
  fileName_.clear();
  StartCaretTimer(p_);
  in_.caretPhase = 1;
  seenPhase_ = 1;
  FullDraw();

  const auto restartCaret = [&] {
    StartCaretTimer(p_);
    in_.caretPhase = 1;
  };
  const auto giveBack = [&] {
    folder_ = initialFolder;
    fileName_ = initialName;
  };
  bool done = false;
  std::int32_t requestedScreen = 0;
  while (!done && in_.quitRequested == 0) {
    RunFrameInput(ui_, 1, requestedScreen);
    if (in_.quitRequested != 0) break;
    if (in_.mouseButton != 0 &&
        TrackScrollBar(ui_, g_.listRight - 16, g_.listTop, g_.listRight, g_.listBottom, g_.rows, Count(), top_,
                       [&](int t, std::int32_t state) {
                         top_ = t;
                         DrawRows();
                         DrawBar(state);
                         Present();
                       })) {
      DrawBar(ScrollIdle);
      Present();
      continue;
    }
    int changed = 0;
    EditFieldInput(ui_, field_, changed);
    const std::int32_t key = in_.lastKey;
    const bool any = Count() > 0;
    if (in_.lastChar == CharEnter) {
      fileName_ = field_.text;
      if (!Trimmed(fileName_).empty()) {
        result = 1;
        done = true;
      } else {
        fileName_.clear();
        OpenSelection();
        FullDraw();
      }
    } else if (key == KeyUp && any) {
      if (ScrollIntoView()) Redraw();
      MoveRepeated(key, &Chooser::StepUp);
    } else if (key == KeyDown && any) {
      if (ScrollIntoView()) Redraw();
      MoveRepeated(key, &Chooser::StepDown);
    } else if (in_.wheelLines != 0) {
      if (in_.wheelLines > 0) {
        top_ = std::max(0, top_ - in_.wheelLines);
      } else if (Count() > g_.rows) {
        top_ = std::max(0, std::min(Count() - g_.rows, top_ - in_.wheelLines));
      }
      Redraw();
    } else if (key == KeyPageUp && any) {
      MoveRepeated(key, &Chooser::StepPageUp);
    } else if (key == KeyPageDown && any) {
      MoveRepeated(key, &Chooser::StepPageDown);
    } else if (key == KeyHome && any) {
      selected_ = 0;
      top_ = 0;
      TakeSelection();
      Redraw();
    } else if (key == KeyEnd && any) {
      selected_ = std::max(0, Count() - 1);
      top_ = std::max(0, selected_ - g_.rows + 1);
      TakeSelection();
      Redraw();
    } else if (in_.mouseButton != 0 && any && InList(in_.mouseX, in_.mouseY)) {
      MouseInList();
      restartCaret();
      if (accepted_) {
        result = 1;
        done = true;
      }
    } else if (ButtonClicked(ui_, g_.listLeft, g_.buttonsTop, g_.listLeft + 80, g_.buttonsBottom, "New Folder", 0) !=
               0) {
      NewFolder();
      restartCaret();
    } else if (ButtonClicked(ui_, p_.CentreX - 60, g_.buttonsTop, p_.CentreX, g_.buttonsBottom, "OK", 0) != 0) {
      if (!any) {
        giveBack();
        result = 0;
      } else {
        fileName_ = field_.text;
        result = 1;
      }
      done = true;
    } else if (ButtonClicked(ui_, p_.CentreX, g_.buttonsTop, p_.CentreX + 60, g_.buttonsBottom, "Cancel", 0) != 0) {
      giveBack();
      result = 0;
      done = true;
    }
    if (done) break;
    if (changed == -1) restartCaret();
    if (in_.caretPhase != seenPhase_ || changed == -1) {
      seenPhase_ = in_.caretPhase;
      DrawName(in_.caretPhase);
      gfx_.PresentRect(field_.x1 - 2, field_.y1 - 2, field_.x2 - field_.x1 + 4, field_.y2 - field_.y1 + 4);
    }
  }
  if (done && result == 1) {
    std::string name = StoredName(fileName_);
    // A typed path names its own folder.
    if (name.rfind("~/", 0) == 0) {
      const ChooserDrive* home = drives_.size() > 1 ? &drives_[1] : nullptr;
      if (home != nullptr) name = home->volume.root + name.substr(2);
    }
    if (!name.empty() && name.front() == '/') {
      const std::size_t slash = name.rfind('/');
      folder_ = name.substr(0, slash + 1);
      name = name.substr(slash + 1);
    }
    fileName_ = name;
  }
  StopCaretTimer(p_);
  gfx_.RestoreScreen(saved, 0, 0, p_.ClientWidth, p_.ClientHeight);
  gfx_.PresentRect(0, 0, p_.ClientWidth, p_.ClientHeight);
  WaitInputRelease(p_);
  p_.ModalActive = previousModal;
}

}  // namespace

void FileChooser(UiContext& ui, std::string_view title, std::string& folder, std::string& fileName,
                 std::int32_t& result, FolderService& folders) {
  Chooser(ui, folders, title, folder, fileName).Run(result);
}

std::optional<std::string> ChooseFile(UiContext& ui, std::string_view title, const std::string& startFolder,
                                      FolderService& folders) {
  std::string folder = startFolder;
  std::string name;
  std::int32_t result = 0;
  FileChooser(ui, title, folder, name, result, folders);
  if (result != 1) return std::nullopt;
  return folder + name;
}


std::string ChooserEntry::SortText() const {
  std::string t;
  t += letter;
  t += static_cast<char>(kind);
  t += display;
  return t;
}

std::vector<ChooserDrive> LetterDrives(const std::vector<Volume>& volumes) {
  std::vector<ChooserDrive> drives;
  char letter = 'C';
  for (const Volume& v : volumes) {
    if (letter > 'Z') break;
    drives.push_back({letter++, v});
  }
  return drives;
}

std::string DriveDisplayText(const ChooserDrive& drive) {
  std::string t = std::string("Drive ") + drive.letter + ":    ";
  if (drive.letter == 'A' || drive.letter == 'B') return t + "(Floppy Disk)";
  switch (drive.volume.kind) {
    case VolumeKind::kFixed:
      // Appended piece by piece: GCC 12 at -O3 misreads a joined literal as an overlap.
      if (!drive.volume.label.empty()) {
        t += '(';
        t += Utf8ToCp1252(drive.volume.label);
        t += ')';
      }
      break;
    case VolumeKind::kRemovable: t += "(Removable Disk)"; break;
    case VolumeKind::kNetwork: t += "(Network Drive)"; break;
    case VolumeKind::kOptical: t += "(CD-ROM)"; break;
    case VolumeKind::kOther: break;
  }
  return t;
}

std::string DisplayName(std::string_view storedName) {
  std::string shown = Utf8ToCp1252(storedName);
  if (shown.empty() || ToUpper1252(shown) != shown) return shown;
  return shown.substr(0, 1) + ToLower1252(std::string_view(shown).substr(1));
}

const ChooserDrive* DriveOf(const std::vector<ChooserDrive>& drives, const std::string& folder) {
  const ChooserDrive* best = nullptr;
  for (const ChooserDrive& d : drives) {
    const std::string& root = d.volume.root;
    if (folder.compare(0, root.size(), root) == 0 && (best == nullptr || root.size() > best->volume.root.size())) {
      best = &d;
    }
  }
  return best;
}

std::string ParentFolder(const std::string& folder) {
  if (folder.size() < 2) return folder;
  const std::size_t slash = folder.rfind('/', folder.size() - 2);
  return slash == std::string::npos ? folder : folder.substr(0, slash + 1);
}

void ShellSortEntries(std::vector<ChooserEntry>& entries) {
  const int count = static_cast<int>(entries.size());
  std::vector<std::string> keys;
  keys.reserve(entries.size());
  for (const ChooserEntry& e : entries) keys.push_back(ToUpper1252(e.SortText()));
  const auto greater = [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) {
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
  };
  for (int gap = count / 2; gap > 0; gap /= 2) {
    for (int i = 1; i <= count - gap; ++i) {
      for (int j = i; j > 0; j -= gap) {
        if (!greater(keys[j - 1], keys[j - 1 + gap])) break;
        std::swap(keys[j - 1], keys[j - 1 + gap]);
        std::swap(entries[j - 1], entries[j - 1 + gap]);
      }
    }
  }
}

std::vector<ChooserEntry> ListChooserFolder(FolderService& folders, const std::vector<ChooserDrive>& drives,
                                            const std::string& folder) {
  std::vector<ChooserEntry> entries;
  for (const ChooserDrive& d : drives) entries.push_back({d.letter, kChooserDrive, DriveDisplayText(d), {}});
  const ChooserDrive* own = DriveOf(drives, folder);
  const char letter = own != nullptr ? own->letter : '@';
  const bool atRoot = own != nullptr ? folder == own->volume.root : folder == "/";
  if (!atRoot) entries.push_back({letter, kChooserParent, "..", {}});
  if (own == nullptr || folders.Ready(own->volume.root)) {
    std::vector<FolderItem> items;
    folders.List(folder, items);
    for (const FolderItem& item : items) {
      entries.push_back({letter, item.folder ? kChooserFolder : kChooserFile, DisplayName(item.name), item.name});
    }
  }
  ShellSortEntries(entries);
  return entries;
}

}  // namespace kal
