#include "print/print_setup_dialog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "store/mem_buffer.h"
#include "ui/controls.h"
#include "ui/file_chooser.h"
#include "ui/message_dialog.h"
#include "ui/popup_list.h"

namespace kal {

namespace {

constexpr int kDialogWidth = 550;
constexpr int kFieldCount = 7;
constexpr const char* kLabels[kFieldCount] = {"Printer:", "Font:", "Size:", "Top:", "Bottom:", "Left:", "Right:"};
constexpr char kHotLetters[kFieldCount] = {'P', 'F', 'S', 'T', 'B', 'L', 'R'};
enum Field { kPrinter, kFont, kSize, kTop, kBottom, kLeft, kRight };

bool IsPdf(const std::string& printer) { return printer == kSaveAsPdfPrinter; }

std::string TrimmedName(const std::string& s) {
  const auto a = s.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

}  // namespace

void ChoosePrinter(PrintSettings& print, PrintJobKind kind, const std::string& chosen, PrinterSystem& printers) {
  if (chosen == print.printer) return;
  print.printer = chosen;
  ApplyPrintDefaults(print, kind);
  print.deviceMode = IsPdf(chosen) ? std::string(kLetterOptions) : printers.DefaultOptions(chosen);
}

bool QueryPrinterPage(const PrintSettings& print, PrinterSystem& printers, PrinterPage& page, std::string& error) {
  if (IsPdf(print.printer)) {
    const bool a4 = print.deviceMode.find("a4") != std::string::npos;
    page = a4 ? PaperPage(8268, 11693, kPdfDpi) : PaperPage(8500, 11000, kPdfDpi);
    return true;
  }
  return printers.QueryPage(print.printer, print.deviceMode, page, error);
}

bool ApplyPageSetup(PrintSettings& print, PrinterSystem& printers, PageMetrics& metrics, std::string& error) {
  PrinterPage page;
  if (!QueryPrinterPage(print, printers, page, error)) return false;
  metrics = PageMetricsFrom(page);
  ClampMargins(print, metrics);
  return true;
}

SheetPreview PreviewSheet(int dialogLeft, int dialogTop, int dialogWidth, int lineHeight, const PageMetrics& m) {
  const int a = dialogWidth / 2 - 40;
  const int b = 7 * (20 + lineHeight) - 60;
  SheetPreview p;
  p.scale = std::max(1, static_cast<int>(std::nearbyint(std::max(static_cast<double>(m.pageW) / a,
                                                                  static_cast<double>(m.pageH) / b))));
  const int w = m.pageW / p.scale;
  const int h = m.pageH / p.scale;
  p.sheet.left = dialogLeft + a / 2 - w / 2 + 20;
  p.sheet.top = dialogTop + b / 2 + lineHeight + 40 - h / 2;
  p.sheet.right = p.sheet.left + w;
  p.sheet.bottom = p.sheet.top + h;
  return p;
}

namespace {

class Dialog {
 public:
  Dialog(UiContext& ui, PrintSetupEnv& env, PrintJobKind kind)
      : ui_(ui), g_(ui.gfx), env_(env), kind_(kind), print_(LoadPrintSettings(env.settings, kind)) {}

  PrintSetupOutcome Run() {
    Program& p = ui_.program;
    const Surface saved = g_.SaveScreen();
    const std::int32_t oldModal = p.ModalActive;
    p.ModalActive = 1;
    Open();
    std::int32_t requested = 0;
    while (p.input.quitRequested == 0 && !done_) {
      RunFrameInput(ui_, 1, requested);
      if (p.input.quitRequested != 0) break;
      Handle();
    }
    if (!done_) ReadBack();  // the window closed: nothing of this dialog is kept
    g_.RestoreScreen(saved, 0, 0, g_.clientWidth, g_.clientHeight);
    g_.PresentRect(0, 0, g_.clientWidth, g_.clientHeight);
    p.ModalActive = oldModal;
    return outcome_;
  }

 private:
  void Open() {
    if (TrimmedName(print_.printer).empty() || print_.deviceMode.empty()) {
      std::string chosen = env_.printers.DefaultPrinter();
      if (chosen.empty()) chosen = print_.printer;
      if (!chosen.empty() && chosen != print_.printer) {
        print_.printer = chosen;
        print_.deviceMode = IsPdf(chosen) ? std::string(kLetterOptions) : env_.printers.DefaultOptions(chosen);
      }
      ApplyPrintDefaults(print_, kind_);
    }
    L_ = g_.lineHeight;
    h_ = 8 * (20 + L_) + 60;
    left_ = (g_.clientWidth - kDialogWidth) / 2;
    top_ = (g_.clientHeight - h_) / 2;
    x1_ = left_ + kDialogWidth / 2 + LabelWidth("Bottom: ") + 10;
    x2_ = left_ + kDialogWidth - 20;
    Setup();
    Draw();
  }

  int LabelWidth(std::string_view text) {
    g_.DrawTextAligned(*g_.surface, 0, 0, AlignMeasure, ColourBlack, g_.LabelFont, text);
    return g_.lastTextWidth;
  }

  bool HasPrinter() const { return !TrimmedName(print_.printer).empty(); }

  void Setup() {
    std::string error;
    havePage_ = HasPrinter() && ApplyPageSetup(print_, env_.printers, metrics_, error);
  }

  Rect FieldRect(int i) const {
    const int y = top_ + L_ + 25 + i * (L_ + 20);
    return Rect{x1_, y, x2_, y + L_};
  }

  std::string Caption(int i) const {
    switch (i) {
      case kPrinter: return print_.printer;
      case kFont: return print_.font;
      case kSize: return std::to_string(print_.size) + " Point";
      case kTop: return MarginCaption(print_.top);
      case kBottom: return MarginCaption(print_.bottom);
      case kLeft: return MarginCaption(print_.left);
      default: return MarginCaption(print_.right);
    }
  }

  ControlRecord FieldRecord(int i) const {
    const Rect r = FieldRect(i);
    ControlRecord c;
    c.x1 = r.left;
    c.y1 = r.top;
    c.x2 = r.right;
    c.y2 = r.bottom;
    c.text = Caption(i);
    c.backColour = ColourWhite;
    c.colour = ColourBlack;
    c.font = &g_.EditFont;
    c.setState(0);
    return c;
  }

  Rect OkRect() const {
    const int cx = g_.clientWidth / 2;
    const int y = FieldRect(kFieldCount - 1).bottom + 25;
    return Rect{cx - 60, y, cx, y + 25};
  }
  Rect CancelRect() const {
    const Rect ok = OkRect();
    return Rect{ok.right, ok.top, ok.right + 60, ok.bottom};
  }

  void Draw() {
    Surface& s = *g_.surface;
    g_.DrawPanel(left_, top_, left_ + kDialogWidth, top_ + h_);
    g_.DrawTextAligned(s, g_.clientWidth / 2, top_ + 10, AlignCentre, ColourBlack, g_.MessageFont,
                       PrintDialogTitle(kind_));
    for (int i = 0; i < kFieldCount; ++i) {
      const Rect r = FieldRect(i);
      g_.DrawFieldLabel(r.left, r.top, r.bottom, kLabels[i]);
      DrawChoiceField(g_, 1, 0, FieldRecord(i));
    }
    DrawPreview();
    const Rect ok = OkRect();
    const Rect cancel = CancelRect();
    DrawPushButton(g_, 0, ok.left, ok.top, ok.right, ok.bottom, "OK", -1);
    DrawPushButton(g_, 0, cancel.left, cancel.top, cancel.right, cancel.bottom, "Cancel", -1);
    g_.PresentRect(left_ - 10, top_ - 10, kDialogWidth + 20, h_ + 20);
  }

  void DrawPreview() {
    Surface& s = *g_.surface;
    const int a = kDialogWidth / 2 - 40;
    const int b = 7 * (20 + L_) - 60;
    const Rect well{left_ + 20, top_ + L_ + 40, left_ + 20 + a, top_ + L_ + 40 + b};
    g_.TileImage(g_.popupTexture, well.left, well.top, well.right, well.bottom);
    if (!HasPrinter() || !havePage_) {
      g_.DrawTextAligned(s, (well.left + well.right) / 2, (well.top + well.bottom - L_) / 2, AlignCentre,
                         ColourWhite, g_.SmallBoldFont,
                         HasPrinter() ? "The printer does not answer" : "Please select a printer");
      return;
    }
    const SheetPreview p = PreviewSheet(left_, top_, kDialogWidth, L_, metrics_);
    const Rect& sh = p.sheet;
    FillBox(s, ColourBlack, sh.left + 4, sh.top + 4, sh.right + 4, sh.bottom + 4);
    FillBox(s, ColourWhite, sh.left, sh.top, sh.right, sh.bottom);
    DrawBox(s, ColourBlack, 1, sh.left, sh.top, sh.right - 1, sh.bottom - 1);
    FillBox(s, Rgb(200, 200, 200), sh.left + print_.left / p.scale, sh.top + print_.top / p.scale,
            sh.right - print_.right / p.scale - 1, sh.bottom - print_.bottom / p.scale - 1);
    g_.DrawTextAligned(s, (sh.left + sh.right) / 2, sh.bottom + 10, AlignCentre, ColourBlack, g_.SmallFont,
                       PaperText(metrics_.pageW, metrics_.pageH));
  }

  void Say(const char* message) {
    MessageDialog(ui_, message, "OK");
    Draw();
  }

  // The field under the mouse or its letter, -1 for none.
  int Triggered() {
    const InputState& in = ui_.program.input;
    const int c = std::toupper(in.lastChar & 255);
    for (int i = 0; i < kFieldCount; ++i) {
      const Rect r = FieldRect(i);
      if (c == kHotLetters[i] || MouseDownIn(in, r.left, r.top, r.right + 1, r.bottom + 1) != 0) return i;
    }
    return -1;
  }

  // A pop-up list below a field; -1 when nothing was chosen.
  int ListBelow(int field, const PopupItems& items) {
    const Rect r = FieldRect(field);
    int chosen = -1;
    PopupList(ui_, items, r.left + 3, r.bottom + 8, r.Width() - 5, 0, items.size(), chosen);
    return ui_.program.input.quitRequested == 0 ? chosen : -1;
  }

  void Handle() {
    const int field = Triggered();
    if (field >= 0) {
      const ControlRecord rec = FieldRecord(field);
      DrawChoiceField(g_, 1, 1, rec);
      g_.PresentRect(rec.x1, rec.y1, rec.x2 - rec.x1 + 2, rec.y2 - rec.y1 + 2);
      switch (field) {
        case kPrinter: PrinterList(); break;
        case kFont: FontList(); break;
        case kSize: SizeList(); break;
        default: MarginList(field); break;
      }
      Draw();
      return;
    }
    const Rect ok = OkRect();
    const Rect cancel = CancelRect();
    if (ButtonClicked(ui_, ok.left, ok.top, ok.right, ok.bottom, "OK", -1) != 0) {
      if (!HasPrinter()) return Say("Please select a printer");
      if (TrimmedName(print_.font).empty()) return Say("Please select a font");
      if (IsPdf(print_.printer) && outcome_.pdfPath.empty() && !AskPdfFile()) return Draw();
      StorePrintSettings(env_.settings, kind_, print_);
      if (!env_.readOnly) SaveSettings(env_.settings, env_.settingsPath, env_.host);
      outcome_.result = 1;
      done_ = true;
    } else if (ButtonClicked(ui_, cancel.left, cancel.top, cancel.right, cancel.bottom, "Cancel", -1) != 0) {
      ReadBack();
      done_ = true;
    }
  }

  void ReadBack() {
    if (env_.readOnly) {
      // Nothing was written, so the record in memory is still what was read.
      outcome_ = PrintSetupOutcome{};
      return;
    }
    LoadSettings(env_.settings, env_.settingsPath);
    outcome_ = PrintSetupOutcome{};
  }

  void PrinterList() {
    std::string error;
    std::vector<std::string> names = env_.printers.Printers(error);
    if (!error.empty()) {
      // The service is down, but a file can still be written.
      MessageDialog(ui_, "The print service does not answer:|" + error, "OK");
    } else if (names.empty()) {
      MessageDialog(ui_, "No printers found?", "OK");
    }
    names.emplace_back(kSaveAsPdfPrinter);
    PopupItems items;
    for (std::size_t i = 0; i < names.size(); ++i) items.Set(static_cast<int>(i), names[i]);
    const int chosen = ListBelow(kPrinter, items);
    if (chosen < 0) return;
    const std::string name = names[static_cast<std::size_t>(chosen)];
    if (IsPdf(name) && !AskPdfFile()) return;
    ChoosePrinter(print_, kind_, name, env_.printers);
    Setup();
  }

  bool AskPdfFile() {
    // The drawn chooser, starting where the last PDF went (else the home
    // folder) with its name, or "kalendrina.pdf".
    std::string folder;
    std::string name = "kalendrina.pdf";
    if (!outcome_.pdfPath.empty()) {
      const std::size_t slash = outcome_.pdfPath.rfind('/');
      if (slash != std::string::npos) folder = outcome_.pdfPath.substr(0, slash + 1);
      name = outcome_.pdfPath.substr(slash == std::string::npos ? 0 : slash + 1);
    }
    if (folder.empty()) {
      const char* home = std::getenv("HOME");
      folder = home != nullptr && home[0] == '/' ? home : "/";
    }
    std::int32_t result = 0;
    FileChooser(ui_, "Save as PDF", folder, name, result);
    if (result != 1 || TrimmedName(name).empty()) return false;
    outcome_.pdfPath = folder + TrimmedName(name);
    return true;
  }

  void FontList() {
    if (!HasPrinter()) return Say("Please Select A Printer First");
    const std::vector<std::string> families = env_.printers.FontFamilies();
    PopupItems items;
    for (std::size_t i = 0; i < families.size(); ++i) items.Set(static_cast<int>(i), families[i]);
    const int chosen = ListBelow(kFont, items);
    if (chosen >= 0) print_.font = families[static_cast<std::size_t>(chosen)];
  }

  void SizeList() {
    PopupItems items;
    for (int i = 0; i < 19; ++i) items.Set(i, std::to_string(6 + i) + " Point");
    const int chosen = ListBelow(kSize, items);
    if (chosen >= 0) print_.size = 6 + chosen;
  }

  void MarginList(int field) {
    if (!HasPrinter()) return Say("Please Select A Printer First");
    PopupItems items;
    int count = 0;
    for (int v = 0; v < 11000; v += 250) {
      char text[16];
      std::snprintf(text, sizeof text, "%.2f\"", v / 1000.0);
      items.Set(count++, text);
    }
    const int chosen = ListBelow(field, items);
    if (chosen < 0) return;
    std::int32_t* margin[] = {&print_.top, &print_.bottom, &print_.left, &print_.right};
    *margin[field - kTop] = chosen * 250;
    Setup();
  }

  UiContext& ui_;
  Gfx& g_;
  PrintSetupEnv& env_;
  PrintJobKind kind_;
  PrintSettings print_;
  PageMetrics metrics_;
  bool havePage_ = false;
  bool done_ = false;
  PrintSetupOutcome outcome_;
  int L_ = 23, h_ = 0, left_ = 0, top_ = 0, x1_ = 0, x2_ = 0;
};

}  // namespace

PrintSetupOutcome PrintSetupDialog(UiContext& ui, PrintSetupEnv& env, PrintJobKind kind) {
  return Dialog(ui, env, kind).Run();
}

}  // namespace kal
