#include <gtest/gtest.h>

#include <cstdlib>

#include <map>

#include "calendar/event_list.h"
#include "print/print_pages.h"
#include "print/print_setup_dialog.h"
#include "store/categories.h"
#include "support/record_builder.h"
#include "support/recording_host.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

using test::Packed;

// A print service with fixed answers, counting what it was asked.
class FakePrinters : public PrinterSystem {
 public:
  std::vector<std::string> names{"Office", "Upstairs"};
  std::map<std::string, PrinterPage> pages{{"Office", PaperPage(8500, 11000, 600)},
                                           {"Upstairs", PaperPage(8268, 11693, 300)}};
  std::vector<std::string> Printers(std::string&) override { return names; }
  std::string DefaultPrinter() override { return names.empty() ? "" : names[0]; }
  std::string DefaultOptions(const std::string& printer) override { return "media=default-of-" + printer; }
  bool QueryPage(const std::string& printer, const std::string&, PrinterPage& page, std::string& error) override {
    auto it = pages.find(printer);
    if (it == pages.end()) {
      error = "unreachable";
      return false;
    }
    page = it->second;
    return true;
  }
  bool Submit(const std::string&, const std::string&, const std::string&, const std::string&,
              std::string&) override {
    return true;
  }
  std::vector<std::string> FontFamilies() override { return {"Arial", "DejaVu Sans", "Liberation Serif"}; }
};

// Keeps every text drawn, with the page it is on.
class RecordingCanvas : public PageCanvas {
 public:
  struct Line {
    int page, x, y, align;
    std::string text;
  };
  std::vector<Line> lines;
  int started = 0, ended = 0;
  Rect clip{0, 0, 100000, 100000};

  bool StartPage() override { return ++started, true; }
  bool EndPage() override { return ++ended, true; }
  void Fill(Colour, int, int, int, int) override {}
  void Frame(Colour, int, int, int, int, int) override {}
  void Text(int x, int y, int align, Colour, const FontDescription&, std::string_view line) override {
    lines.push_back(Line{started, x, y, align, std::string(line)});
  }
  void SetClip(const Rect& r) override { clip = r; }
  Rect Clip() const override { return clip; }
  TextRenderer& Measurer() override { return test::SharedTextRenderer(); }

  bool Has(const std::string& text) const {
    for (const Line& l : lines)
      if (l.text == text) return true;
    return false;
  }
};

PrintSettings Settings12pt(int margin) {
  PrintSettings p;
  p.printer = "Office";
  p.font = "Arial";
  p.size = 12;
  p.left = p.right = p.top = p.bottom = margin;
  return p;
}

TEST(PrintArithmetic, MarginsStayOnThePaperWithTwoInchesPrinted) {
  struct Case {
    int pageW, pageH;
    std::int32_t left, right, top, bottom;
    std::int32_t wantLeft, wantRight, wantTop, wantBottom;
  } cases[] = {
      {8500, 11000, 7000, 500, 500, 500, 6500, 0, 500, 500},     // beyond the paper: near margin gives way
      {8500, 11000, 500, 500, 500, 500, 500, 500, 500, 500},     // room enough: unchanged
      {8500, 11000, 3000, 5000, 0, 0, 3000, 3500, 0, 0},         // the far margin shrinks first
      {8500, 11000, -250, -1, 10000, 0, 0, 0, 9000, 0},          // negative to 0; top beyond the sheet
      {8500, 11000, 0, 0, 2000, 7000, 0, 0, 2000, 7000},         // exactly two inches left: kept
  };
  for (const Case& c : cases) {
    PrintSettings p;
    p.left = c.left, p.right = c.right, p.top = c.top, p.bottom = c.bottom;
    PageMetrics m;
    m.pageW = c.pageW, m.pageH = c.pageH;
    ClampMargins(p, m);
    EXPECT_EQ((std::vector<int>{p.left, p.right, p.top, p.bottom}),
              (std::vector<int>{c.wantLeft, c.wantRight, c.wantTop, c.wantBottom}))
        << c.left << " " << c.right << " " << c.top << " " << c.bottom;
  }
}

TEST(PrintArithmetic, FontAndLineHeightsInPrinterPixels) {
  struct Case {
    int dpi, size, fh, lh;
  } cases[] = {{600, 12, 100, 120}, {300, 10, 42, 50}, {600, 10, 83, 100}, {72, 6, 6, 7}, {1200, 24, 400, 480}};
  for (const Case& c : cases) {
    const int fh = PrintFontHeight(c.dpi, c.size);
    EXPECT_EQ(fh, c.fh) << c.dpi << " dpi " << c.size << " pt";
    EXPECT_EQ(PrintLineHeight(fh), c.lh) << c.dpi << " dpi " << c.size << " pt";
  }
}

TEST(PrintArithmetic, PaperNamesAndPageMetrics) {
  struct Case {
    PrinterPage page;
    std::string text;
    int pen;
  } cases[] = {
      {PaperPage(8500, 11000, 600), "Letter - 8.50\" x 11.00\"", 6},
      {PaperPage(11000, 8500, 300), "Letter - 11.00\" x 8.50\"", 3},
      {PaperPage(8268, 11693, 600), "A4 - 8.27\" x 11.69\"", 6},
      {PaperPage(8500, 14000, 72), "Legal - 8.50\" x 14.00\"", 1},
      {PaperPage(4000, 6000, 600), "", 6},
  };
  for (const Case& c : cases) {
    const PageMetrics m = PageMetricsFrom(c.page);
    EXPECT_EQ(PaperText(m.pageW, m.pageH), c.text) << m.pageW << " x " << m.pageH;
    EXPECT_EQ(m.pen, c.pen);
  }
  EXPECT_EQ(MarginCaption(500), "0.50\" margin");
  EXPECT_EQ(MarginCaption(10750), "10.75\" margin");
}

TEST(PrintSetup, SamePrinterKeepsAndAnotherResetsTheJobSettings) {
  FakePrinters printers;
  struct Case {
    PrintJobKind kind;
    std::string chosen;
    PrintSettings want;
  } cases[] = {
      {PrintJobKind::kCalendar, "Office", PrintSettings{"Office", "Liberation Serif", 18, 100, 200, 300, 400, "mine"}},
      {PrintJobKind::kCalendar, "Upstairs",
       PrintSettings{"Upstairs", "Arial", 10, 500, 500, 500, 500, "media=default-of-Upstairs"}},
      {PrintJobKind::kEvents, "Upstairs",
       PrintSettings{"Upstairs", "Arial", 12, 1000, 1000, 1000, 1000, "media=default-of-Upstairs"}},
      {PrintJobKind::kEvents, kSaveAsPdfPrinter,
       PrintSettings{kSaveAsPdfPrinter, "Arial", 12, 1000, 1000, 1000, 1000, kLetterOptions}},
  };
  for (const Case& c : cases) {
    PrintSettings p{"Office", "Liberation Serif", 18, 100, 200, 300, 400, "mine"};
    ChoosePrinter(p, c.kind, c.chosen, printers);
    EXPECT_EQ(p, c.want) << c.chosen;
  }
}

TEST(PrintSetup, SettingsRoundTripPerJob) {
  Settings s;
  const PrintSettings cal{"Office", "Arial", 10, 1, 2, 3, 4, std::string("a\0b", 3)};
  const PrintSettings ev{"Upstairs", "DejaVu Sans", 14, 5, 6, 7, 8, "media=x"};
  StorePrintSettings(s, PrintJobKind::kCalendar, cal);
  StorePrintSettings(s, PrintJobKind::kEvents, ev);
  EXPECT_EQ(LoadPrintSettings(s, PrintJobKind::kCalendar), cal);
  EXPECT_EQ(LoadPrintSettings(s, PrintJobKind::kEvents), ev);
  EXPECT_EQ(s.calPrintLm, 1);
  EXPECT_EQ(s.eventPrintBm, 8);
}

struct PagingCase {
  int marked;
  int pages;
  int onLastPage;
};

TEST(PrintedEventList, AnEntryStartingJustAboveTheBottomStaysOnItsPage) {
  // 12 points at 600 dpi: each entry takes fh = 100 rows. One-inch margins on
  // a sheet 2835 thousandths high leave rows 600 to 1101, so entries start at
  // 600, 700 ... 1100 = bottom - 1 (still on the page) and 1200 starts anew.
  PageMetrics m;
  m.pageW = 8500;
  m.pageH = 2835;
  const PrintSettings p = Settings12pt(1000);
  ASSERT_EQ(PrintableRect(p, m).bottom, 1101);
  for (const PagingCase c : {PagingCase{6, 1, 6}, PagingCase{7, 2, 1}, PagingCase{12, 2, 6}, PagingCase{13, 3, 1}}) {
    EventStore store;
    std::vector<std::uint32_t> offsets;
    for (int i = 0; i < c.marked; ++i) {
      const std::uint32_t marked = test::AddGeneric(store, Packed(2024, 3, 1 + i), "Marked " + std::to_string(i));
      SetMarked(store, marked, true);
      offsets.push_back(marked);
      offsets.push_back(test::AddGeneric(store, Packed(2024, 3, 1 + i), "Not marked"));
    }
    CategoryTable categories;
    RecordingCanvas canvas;
    EXPECT_EQ(PrintEventListPages(canvas, m, p, PrintSource{&store, &categories, {}}, offsets), c.pages);
    EXPECT_EQ(canvas.started, c.pages);
    EXPECT_EQ(canvas.ended, c.pages);
    EXPECT_FALSE(canvas.Has("Not marked"));
    int last = 0, lastY = -1;
    for (const auto& l : canvas.lines) {
      if (l.page == c.pages && l.align == 0 && l.text.rfind("Marked", 0) == 0) ++last, lastY = std::max(lastY, l.y);
    }
    EXPECT_EQ(last, c.onLastPage) << c.marked << " marked";
    EXPECT_LT(lastY, 1101);
    EXPECT_TRUE(canvas.Has("1, 2024:"));
  }
}

TEST(PrintedCalendar, TitleLabelsAndEntriesOfTheSixWeeks) {
  struct Case {
    Ymd firstSunday;
    std::string title;
    std::vector<std::string> labels;
  } cases[] = {
      {{2024, 3, 3}, "Mar 3, 2024  to  Apr 13, 2024", {"Mar 3", "Mar 31", "Apr 1, 2024", "Apr 13"}},
      {{2024, 2, 25}, "Feb 25, 2024  to  Apr 6, 2024", {"Feb 25", "Feb 29", "Mar 1, 2024", "Mar 2", "Apr 6"}},
      {{2023, 12, 31}, "Dec 31, 2023  to  Feb 10, 2024", {"Dec 31", "Jan 1, 2024", "Feb 1, 2024"}},
  };
  for (const Case& c : cases) {
    EventStore store;
    test::AddGeneric(store, PackDate(c.firstSunday), "Dentist", 9, 30);
    BuildEventIndex(store);
    CategoryTable categories;
    BuildCategoryTable(categories, kDefaultCategories);
    const PrintSettings p = Settings12pt(500);
    const PageMetrics m = PageMetricsFrom(PaperPage(8500, 11000, 600));
    RecordingCanvas canvas;
    CalendarGrid grid;
    ASSERT_TRUE(PrintCalendarPage(canvas, m, p, PrintSource{&store, &categories, {}}, PackDate(c.firstSunday),
                                  Ymd{2024, 3, 5}, grid));
    EXPECT_EQ(canvas.started, 1);
    EXPECT_EQ(canvas.ended, 1);
    EXPECT_TRUE(canvas.Has(c.title)) << c.title;
    EXPECT_TRUE(canvas.Has("Printed Mar 5, 2024"));
    EXPECT_TRUE(canvas.Has("Wednesday"));
    for (const std::string& label : c.labels) EXPECT_TRUE(canvas.Has(label)) << label;
    EXPECT_TRUE(canvas.Has("Dentist")) << "the entry box's text, wrapped in the narrow cell";
    // The grid was measured in printer pixels, and the screen's font is back.
    EXPECT_EQ(grid.count() > 42 ? grid.items[1].top - grid.items[0].top : 0, PrintFontHeight(600, 12) + 6);
    EXPECT_EQ(EntryFont().height, kEntryLineHeight);
  }
}

// The dialog on the headless backend, with the stored calendar settings in
// a real settings file.
struct DialogRun {
  explicit DialogRun(const std::string& script) : ui("size 1024 768\n" + script) {
    PrintSettings p{"Office", "Arial", 10, 500, 500, 500, 500, "media=letter"};
    StorePrintSettings(settings, PrintJobKind::kCalendar, p);
    path = temp.File("config20.dat");
    test::RecordingHost saveHost;
    EXPECT_TRUE(SaveSettings(settings, path, saveHost));
  }
  PrintSetupOutcome Run() {
    test::RecordingHost host;
    PrintSetupEnv env{printers, settings, path, host};
    return PrintSetupDialog(ui.ui, env, PrintJobKind::kCalendar);
  }
  std::string StoredFont() {
    Settings s;
    LoadSettings(s, path);
    return s.calPrintFont;
  }
  test::TempDir temp;
  test::UiFixture ui;
  FakePrinters printers;
  Settings settings;
  std::string path;
};

TEST(PrintSetupDialog, CancelRestoresTheStoredFontAndOkSavesTheChosenOne) {
  struct Case {
    std::string script;
    int result;
    std::string font;
  } cases[] = {
      // The pop-up list waits for Enter's release, which a pause stands for.
      {"type f\ntype d\nkey Enter\nwait 50\ntype c\n", 2, "Arial"},        // font changed, then Cancel
      {"type f\ntype d\nkey Enter\nwait 50\ntype o\n", 1, "DejaVu Sans"},  // font changed, then OK
      {"type s\ntype 1\n", 2, "Arial"},                 // the window closes: nothing kept
  };
  for (const Case& c : cases) {
    DialogRun run(c.script);
    const PrintSetupOutcome outcome = run.Run();
    EXPECT_EQ(outcome.result, c.result) << c.script;
    EXPECT_EQ(run.settings.calPrintFont, c.font) << c.script;
    EXPECT_EQ(run.StoredFont(), c.font) << c.script;
    EXPECT_EQ(run.ui.program.ModalActive, 0);
  }
}

// "Save as PDF..." asks for the file in the drawn chooser, which starts in
// the home folder.
TEST(PrintSetupDialog, SaveAsPdfTakesTheFileFromTheChooser) {
  test::TempDir home;
  const char* before = std::getenv("HOME");
  const std::string saved = before != nullptr ? before : "";
  setenv("HOME", home.path().c_str(), 1);
  DialogRun run("type p\ntype s\nkey Enter\nwait 50\ntype trip.pdf\nkey Enter\nwait 50\ntype o\n");
  const PrintSetupOutcome outcome = run.Run();
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(run.settings.calPrintDevice, kSaveAsPdfPrinter);
  EXPECT_EQ(outcome.pdfPath, home.File("trip.pdf"));
  if (saved.empty()) {
    unsetenv("HOME");
  } else {
    setenv("HOME", saved.c_str(), 1);
  }
}

TEST(PrintSetupDialog, DrawsTheSheetWithItsPaperName) {
  DialogRun run("wait 10\n");
  Surface shown;
  run.ui.ui.frameInput = [&](int wait, std::int32_t&) {
    if (shown.width() == 0) shown = *run.ui.gfx.surface;  // the dialog as first drawn
    PumpMessages(run.ui.program, wait);
  };
  const PageMetrics m = PageMetricsFrom(PaperPage(8500, 11000, 600));
  const int left = (1024 - 550) / 2;
  const int top = (768 - (8 * (20 + run.ui.gfx.lineHeight) + 60)) / 2;
  const SheetPreview sheet = PreviewSheet(left, top, 550, run.ui.gfx.lineHeight, m);
  run.Run();
  ASSERT_GT(shown.width(), 0);
  // Inside the half-inch margins grey, on the margin white, the shadow black.
  const int inset = 500 / sheet.scale;
  EXPECT_EQ(shown.At(sheet.sheet.left + inset + 3, sheet.sheet.top + inset + 3), Rgb(200, 200, 200));
  EXPECT_EQ(shown.At(sheet.sheet.left + 2, sheet.sheet.top + inset + 3), ColourWhite);
  EXPECT_EQ(shown.At(sheet.sheet.right + 2, sheet.sheet.bottom + 2), ColourBlack);
}

}  // namespace
}  // namespace kal
