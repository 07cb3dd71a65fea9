// The message dialog end to end: scripts played on the headless backend,
// results and transfer-buffer contents checked after the modal loop returns.

#include "ui/message_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "ui/dialog_host.h"
#include "ui/edit_field.h"
#include "ui/images.h"
#include "ui_fixture.h"

namespace kal {
namespace {

using test::UiFixture;
using test::Xy;

std::string FieldText(const MemBuffer& transfer, int i) {
  std::string text;
  GetZText(transfer, 200 * static_cast<std::size_t>(i) + 40, text);
  return text;
}

struct Dialog {
  std::string message = "Do you want to delete this event|or all events in the group?||";
  std::string labels;
  std::int32_t enterResult = 1;
  std::string buttons = "Delete|Group|Cancel";
  std::int32_t fieldSpec = 0;
};

// The centre of button j (from 0).
std::string ButtonCentre(const MessageDialogLayout& l, int j) {
  return Xy(l.buttonsLeft + 70 * j + 35, l.buttonsTop + 12);
}

// Lays out the dialog, runs the script made from the layout, and returns the
// result (0 when the window closed first).
using ScriptOf = std::function<std::string(const MessageDialogLayout&)>;
std::int32_t RunDialog(const Dialog& d, const ScriptOf& script, MemBuffer* transfer = nullptr) {
  UiFixture probe;
  UiFixture f(script(LayoutMessageDialog(probe.ui, d.message, d.labels, d.buttons, d.fieldSpec)));
  MemBuffer own;
  if (transfer == nullptr) {
    AllocDialogTransferBuffer(own);
    transfer = &own;
  }
  std::int32_t result = 0;
  MessageDialog(f.ui, *transfer, d.message, d.labels, d.enterResult, d.buttons, d.fieldSpec, result);
  return result;
}

// The same with "@j" in the script standing for the centre of button j.
std::int32_t RunDialog(const Dialog& d, std::string script, MemBuffer* transfer = nullptr) {
  return RunDialog(
      d,
      [&](const MessageDialogLayout& l) {
        for (std::size_t at; (at = script.find('@')) != std::string::npos;)
          script.replace(at, 2, ButtonCentre(l, script[at + 1] - '0'));
        return script;
      },
      transfer);
}

TEST(MessageDialogLayout, WidthsHeightsAndPlaces) {
  UiFixture f;
  const int lh = f.gfx.lineHeight;
  ASSERT_EQ(lh, 23);
  // A short message with three buttons: the buttons set the width.
  MessageDialogLayout l = LayoutMessageDialog(f.ui, "Sure?", "", "Delete|Group|Cancel", 0);
  // Half of 93 is 46.5, which goes to the even 46.
  EXPECT_EQ(std::tuple(l.boxW, l.boxH, l.left, l.top, l.buttonsLeft, l.fieldCount),
            std::tuple(230, lh + 70, 512 - 115, 409 - 46, 512 - 105, 0));
  // A long line sets the width; a trailing bar adds an empty line.
  const std::string longLine = "A new version of Kalendrina is available for download right now";
  l = LayoutMessageDialog(f.ui, longLine + "|", "", "OK", 0);
  EXPECT_EQ(std::tuple(l.lines.size(), l.boxW, l.boxH),
            std::tuple(2u, f.gfx.text->Measure(f.gfx.MessageFont, longLine).width + 20, 2 * lh + 70));
  // No texts at all: no lines, one button without caption.
  l = LayoutMessageDialog(f.ui, "", "", "", 0);
  EXPECT_TRUE(l.lines.empty());
  EXPECT_EQ(l.captions, std::vector<std::string>{""});
  // Twelve preloaded fields of 30 characters.
  l = LayoutMessageDialog(f.ui, "Edit Category Descriptions", "1:|2:|3:|4:|5:|6:|7:|8:|9:|10:|11:|12:", "Save|Cancel",
                          130);
  EXPECT_EQ(std::tuple(l.preloaded, l.width, l.fieldCount, l.editW),
            std::tuple(true, 30, 12, f.TextWidth(std::string(31, 'M'))));
  EXPECT_EQ(std::tuple(l.fieldsTop, l.buttonsTop, l.boxH),
            std::tuple(l.top + 20 + lh, l.fieldsTop + 12 * (10 + lh) + 10, lh + 12 * (10 + lh) + 70));
  // One unlabelled field; 100 alone is only the preload flag.
  EXPECT_EQ(LayoutMessageDialog(f.ui, "Add New Folder To|/home", "", "OK|Cancel", 50).fieldCount, 1);
  EXPECT_EQ(LayoutMessageDialog(f.ui, "x", "", "OK", 100).fieldCount, 0);

  EXPECT_EQ(SplitBars("a||b|"), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_TRUE(SplitBars("").empty());
  EXPECT_EQ(SplitBars("|"), (std::vector<std::string>{"", ""}));
}

TEST(MessageDialogLayout, UserTextIsOneLineAndThePanelStaysInsideTheWindow) {
  UiFixture f;
  const Program& p = f.program;
  const std::string question = "Do you want to delete this event|or all events in the group?||";
  std::string manyLines, manyBars;
  for (int i = 0; i < 60; ++i) manyLines += "line|";
  for (int i = 0; i < 200; ++i) manyBars += "x|";
  const std::string wide(400, 'W');
  struct Case {
    std::string message;
    std::string labels;
    std::size_t lines;
    std::string last;  // the last line shown; "" when only its end matters
  } cases[] = {
      {question + LiteralDialogText("Rent|bills\r\nwater"), "", 4, "Rent|bills  water"},
      {question + LiteralDialogText(manyBars), "", 4, ""},
      {wide, "", 1, ""},
      {manyLines, "", 0, "..."},
      {manyLines, "1:|2:|3:|4:|5:|6:|7:|8:|9:|10:|11:|12:", 0, "..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.substr(0, 60));
    const MessageDialogLayout l =
        LayoutMessageDialog(f.ui, c.message, c.labels, "Delete|Group|Cancel", c.labels.empty() ? 0 : 130);
    ASSERT_FALSE(l.lines.empty());
    if (c.lines != 0) {
      EXPECT_EQ(l.lines.size(), c.lines);
    }
    if (!c.last.empty()) {
      EXPECT_EQ(l.lines.back(), c.last);
    }
    // Lines too wide for the window are cut and say so.
    for (const std::string& line : l.lines) {
      const int width = f.gfx.text->Measure(f.gfx.MessageFont, line).width;
      EXPECT_LE(width, p.ClientWidth - 40) << line;
      EXPECT_TRUE(width < p.ClientWidth / 2 || line.ends_with("...")) << line;
    }
    EXPECT_GE(l.left, 0);
    EXPECT_LE(l.left + l.boxW, p.ClientWidth);
    EXPECT_GE(l.top, p.HeaderHeight);
    EXPECT_LE(l.top + l.boxH, p.ClientHeight);
    EXPECT_LE(l.buttonsTop + 25, l.top + l.boxH);
  }
  // The literal bar does not split labels or captions either, and shows as "|".
  EXPECT_EQ(SplitBars("a|" + LiteralDialogText("b|c") + "|d"), (std::vector<std::string>{"a", "b|c", "d"}));
}

TEST(MessageDialog, ResultByClickHotKeyCtrlLetterAndEnter) {
  const Dialog choice;
  const Dialog enterTwo{choice.message, "", 2, "Delete|OK", 0}, alert{"No printers found?", "", 1, "OK", 0};
  const std::tuple<const Dialog*, const char*, std::int32_t> cases[] = {
      {&choice, "click @1\n", 2}, {&choice, "click @2 right\n", 3}, {&choice, "type g\n", 2},
      {&choice, "key C ctrl\n", 3}, {&choice, "key D ctrl\n", 1}, {&choice, "key Enter\n", 1},
      {&enterTwo, "key Enter\n", 2}, {&alert, "key Enter\n", 1}, {&alert, "type o\n", 1}, {&alert, "type O\n", 1},
      {&alert, "key O ctrl\n", 1}, {&alert, "click @0\n", 1},
      // Released outside is no click, nor are other letters and Escape; the
      // script then runs out and the window closes.
      {&alert, "press @0\nmove 5 5\nrelease 5 5\n", 0}, {&alert, "type x\nkey Escape\n", 0}};
  for (const auto& [dialog, script, expected] : cases) EXPECT_EQ(RunDialog(*dialog, script), expected) << script;
}

TEST(MessageDialog, CaretBlinksAndClosingTheWindowKeepsTheResultAndTheScreen) {
  UiFixture f("wait 300\nwait 300\nwait 300\nquit\n");
  FillBox(f.surface, Rgb(10, 200, 30), 300, 300, 700, 500);
  f.gfx.PresentRect(0, 0, 1024, 768);
  const Surface before = f.surface;
  const MessageDialogLayout l = LayoutMessageDialog(f.ui, "Text|", "Name:", "OK|Cancel", 20);
  f.program.ModalActive = 0;
  bool sawModal = false;
  std::vector<Colour> caret;
  f.ui.frameInput = [&](int wait, std::int32_t&) {
    sawModal = sawModal || f.program.ModalActive == 1;
    caret.push_back(f.window.image().At(l.labelX + l.labelW + 4, l.fieldsTop + 8));
    PumpMessages(f.program, wait);
  };
  MemBuffer transfer;
  AllocDialogTransferBuffer(transfer);
  std::int32_t result = 7;
  MessageDialog(f.ui, transfer, "Text|", "Name:", 1, "OK|Cancel", 20, result);
  EXPECT_EQ(result, 7);
  EXPECT_TRUE(sawModal);
  EXPECT_EQ(f.program.ModalActive, 0);
  EXPECT_FALSE(f.window.TimerRunning(CaretTimerId));
  EXPECT_EQ(f.surface.pixels(), before.pixels());
  EXPECT_EQ(f.window.image().pixels(), before.pixels());
  // The caret shows at once, then hides and shows again with every timer tick.
  ASSERT_GE(caret.size(), 4u);
  caret.resize(4);
  EXPECT_EQ(caret, (std::vector<Colour>{ColourFieldText, ColourFieldBack, ColourFieldText, ColourFieldBack}));
}

TEST(MessageDialog, PromptReturnsTheTypedTextThroughTheTransferBuffer) {
  const Dialog prompt{"Add New Folder To|/home/user", "", 1, "OK|Cancel", 50};
  MemBuffer transfer;
  AllocDialogTransferBuffer(transfer);
  PutZText(transfer, 40, "stale");
  // Letters go into the field, not to the hot keys; Enter in the only field is the Enter result.
  EXPECT_EQ(RunDialog(prompt, "type Cold Photos\nkey Left shift\nkey Left shift\ntype ld\nkey Enter\n", &transfer), 1);
  EXPECT_EQ(FieldText(transfer, 0), "Cold Photld");
  EXPECT_EQ(Long(transfer, 16), 50);  // maxLength
  EXPECT_EQ(Long(transfer, 20), 11);  // caret
  EXPECT_EQ(Long(transfer, 32), static_cast<std::int32_t>(ColourFieldBack));
  // Cancel also writes the field back; Escape only empties the field.
  EXPECT_EQ(RunDialog(prompt, "type abc\nkey Escape\ntype xy\nclick @1\n", &transfer), 2);
  EXPECT_EQ(FieldText(transfer, 0), "xy");
}

TEST(MessageDialog, EnterTabArrowsAndClicksMoveBetweenFields) {
  Dialog d{"Person", "First:|Last:", 1, "OK|Cancel", 20};
  MemBuffer transfer;
  AllocDialogTransferBuffer(transfer);
  // Enter in the first field moves on (it does not press "OK"); Enter in the last ends.
  EXPECT_EQ(RunDialog(d, "type Ann\nkey Enter\ntype Lee\nkey Enter\n", &transfer), 1);
  EXPECT_EQ(FieldText(transfer, 0), "Ann");
  EXPECT_EQ(FieldText(transfer, 1), "Lee");
  // Tab, Shift+Tab, Up and Down stop at the first and the last field.
  d.enterResult = 2;
  d.buttons = "Save|Cancel";
  EXPECT_EQ(RunDialog(d,
                      "key Up\ntype a\nkey Tab\ntype b\nkey Down\ntype c\nkey Tab shift\ntype d\n"
                      "key Tab shift\ntype e\nkey Down\nkey Enter\n",
                      &transfer),
            2);
  EXPECT_EQ(FieldText(transfer, 0), "ade");
  EXPECT_EQ(FieldText(transfer, 1), "bc");
  // A click in the gap below the second box focuses the second row.
  EXPECT_EQ(RunDialog(d,
                      [](const MessageDialogLayout& l) {
                        const int x = l.labelX + l.labelW + 30;
                        return "type one\nclick " + Xy(x, l.fieldsTop + 10 + 23 + 30) + "\ntype two\nclick " +
                               Xy(x, l.fieldsTop + 5) + "\ntype !\nclick " + ButtonCentre(l, 0) + "\n";
                      },
                      &transfer),
            1);
  EXPECT_EQ(FieldText(transfer, 0), "one!");
  EXPECT_EQ(FieldText(transfer, 1), "two");
}

TEST(MessageDialog, PreloadedFieldsEditAndReturnThroughTheTransferBuffer) {
  MemBuffer transfer;
  AllocDialogTransferBuffer(transfer);
  // What the category editor copies in: colours and names; the rest of the block is other data.
  FillBytes(transfer, 2400, 1600, 0x5A);
  auto name = [](int k) { return k == 10 ? std::string("John Doe") : "Category " + std::to_string(k + 1); };
  for (int k = 0; k < 12; ++k) {
    SetLong(transfer, 200 * k + 32, static_cast<std::int32_t>(Rgb(10 * k, 20, 30)));
    SetLong(transfer, 200 * k + 36, static_cast<std::int32_t>(Rgb(255, 255, k)));
    PutZText(transfer, 200 * k + 40, name(k));
  }
  Dialog d{"Edit Category Descriptions", "1:|2:|3:|4:|5:|6:|7:|8:|9:|10:|11:|12:", 1, "Save|Cancel", 130};
  // Field 0: the caret starts at the end. Field 10: replace the whole name. Field 11: Backspace.
  EXPECT_EQ(RunDialog(d,
                      [](const MessageDialogLayout& l) {
                        return "type !\nclick " + Xy(l.labelX + l.labelW + 40, l.fieldsTop + (10 + 23) * 10 + 8) +
                               "\nkey Home shift\ntype Jon Roe\nkey Down\nkey Backspace\nclick " +
                               ButtonCentre(l, 0) + "\n";
                      },
                      &transfer),
            1);
  for (int k = 0; k < 12; ++k) {
    const std::string want = k == 0 ? name(0) + "!" : k == 10 ? "Jon Roe" : k == 11 ? "Category 1" : name(k);
    EXPECT_EQ(FieldText(transfer, k), want);
    EXPECT_EQ(Long(transfer, 200 * k + 32), static_cast<std::int32_t>(Rgb(10 * k, 20, 30))) << k;
    EXPECT_EQ(Long(transfer, 200 * k + 36), static_cast<std::int32_t>(Rgb(255, 255, k))) << k;
    EXPECT_EQ(Long(transfer, 200 * k + 16), 30) << k;
  }
  for (std::size_t i = 2400; i < 4000; ++i) ASSERT_EQ(Byte(transfer, i), 0x5Au) << i;  // unused records

  // The preload flag without fields copies the whole block back unchanged.
  for (std::size_t i = 0; i < 4000; ++i) SetByte(transfer, i, static_cast<std::int32_t>(i * 7 % 251));
  EXPECT_EQ(RunDialog(Dialog{"Nothing to edit", "", 1, "OK", 100}, "type abc\nkey Enter\n", &transfer), 1);
  for (std::size_t i = 0; i < 4000; ++i) ASSERT_EQ(Byte(transfer, i), i * 7 % 251) << i;
}

// A prompt over a screen: two labelled fields, the first with a marked
// selection, the second with the caret, and three buttons; the picture is
// gallery-dialog.png.
TEST(MessageDialogGallery, TwoFieldsSelectionCaretThreeButtons) {
  test::TempDir temp;
  const std::string path = test::GalleryPath(temp, "gallery-dialog.png");
  UiFixture f("size 640 360\ntype Margaret Anne\nkey Left shift\nkey Left shift\nkey Left shift\nkey Left shift\n"
              "key Tab\ntype Whitfield\nscreenshot " + path + "\n");
  f.gfx.TileImage(FindImage(BackgroundImage)->pixels, 0, 0, 640, 360);
  FillBox(f.surface, Rgb(32, 48, 80), 0, 0, 639, 49);
  f.gfx.DrawTextAligned(f.surface, 16, 12, AlignLeft, ColourWhite, f.gfx.TitleFont, "Birthdays");
  MemBuffer transfer;
  AllocDialogTransferBuffer(transfer);
  std::int32_t result = 0;
  MessageDialog(f.ui, transfer, "Add a new contact|Both names appear in the birthday list.", "First name:|Last name:",
                1, "Save|Skip|Cancel", 24, result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(FieldText(transfer, 0), "Margaret Anne");
  EXPECT_EQ(FieldText(transfer, 1), "Whitfield");
  EXPECT_TRUE(f.window.errors().empty());
  EXPECT_FALSE(test::ReadAll(path).empty());
}

TEST(DialogHost, ReportsAndAsksThroughTheDialog) {
  UiFixture f("key Enter\ntype g\n");
  DialogHost host(f.ui);
  Host& h = host;
  h.ReportError("The event file could not be saved.");
  EXPECT_EQ(f.program.input.quitRequested, 0);  // Enter ended the alert, not the script
  EXPECT_EQ(h.Ask("Delete this event|or the group?", "Delete|Group|Cancel"), 2);
  EXPECT_EQ(h.Ask("Replace all?", "OK|Cancel"), 2);  // closed before an answer: the cautious last button
}

}  // namespace
}  // namespace kal
