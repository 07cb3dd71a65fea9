#include "screens/health_editor.h"

#include <algorithm>

#include "calendar/dates.h"
#include "calendar/sort_key.h"
#include "health/encodings.h"
#include "platform/key_codes.h"
#include "screens/application.h"
#include "screens/category_drop_down.h"
#include "screens/editor_boxes.h"
#include "store/event_record.h"
#include "ui/controls.h"
#include "ui/edit_field.h"
#include "ui/input_state.h"
#include "ui/message_dialog.h"
#include "ui/popup_list.h"
#include "ui/ui_host.h"

namespace kal {

namespace {

constexpr int kEdgeInset = 20;
constexpr int kLabelGap = 10;   // between a label's right end and its box
constexpr int kColumnGap = 20;  // between the first column's boxes and the second's labels
constexpr int kRowGap = 12;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 25;
// Boxes of a two-column editor, and of a one-column one.
constexpr int kColumnFieldWidth = 200;
constexpr int kSingleFieldWidth = 300;
constexpr int kActivityLevels = 5;

constexpr Colour kTitleColour = Rgb(0, 0, 96);

int LabelWidth(Gfx& gfx, std::string_view text) {
  return gfx.text != nullptr ? gfx.text->Measure(gfx.LabelFont, text).width : 0;
}

UnitModes Units(const Application& app) { return UnitModes{app.settings.weightMode, app.settings.measureMode}; }

class Editor {
 public:
  Editor(Application& app, UiContext& ui, Host& host, const HealthKindSpec& spec)
      : app_(app), ui_(ui), host_(host), spec_(spec), wr_(app.events.workRecord) {}

  std::int32_t Run(std::int32_t recordOffset);

 private:
  int Category() const { return static_cast<int>(Byte(wr_, rec::kCategory)); }
  HealthForm Form() const {
    HealthForm form;
    for (const EditFieldRecord& f : fields_) form.push_back(f.text);
    return form;
  }
  void SetForm(const HealthForm& form) {
    for (std::size_t i = 0; i < fields_.size() && i < form.size(); ++i) {
      fields_[i].text = form[i];
      const auto end = static_cast<std::int32_t>(fields_[i].text.size());
      fields_[i].caret = fields_[i].selStart = fields_[i].selEnd = end;
    }
  }
  const Clock& ClockOf() const { return ui_.program.clock != nullptr ? *ui_.program.clock : SystemClock(); }

  void DrawAll();
  void DrawActivity();
  void PresentBox(const Rect& box) {
    ui_.gfx.PresentRect(box.left - 4, box.top - 4, box.Width() + 8, box.Height() + 8);
  }
  void ChooseCategory();
  void ChooseActivity();
  // Builds the record from the form; shows the refusal and returns false
  // when the record may not be stored yet.
  bool Accept(bool manage);

  Application& app_;
  UiContext& ui_;
  Host& host_;
  const HealthKindSpec& spec_;
  MemBuffer& wr_;
  HealthEditorLayout l_;
  std::vector<EditFieldRecord> fields_;
  std::size_t focus_ = 0;
};

void Editor::DrawActivity() {
  if (l_.activityBox.Empty()) return;
  DrawValueBox(ui_.gfx, l_.activityBox, ColourFieldBack, ColourFieldText,
               ActivityLevelLabel(static_cast<int>(Byte(wr_, rec::kActivity))));
}

void Editor::DrawAll() {
  Gfx& gfx = ui_.gfx;
  const Rect& p = l_.panel;
  gfx.DrawPanel(p.left, p.top, p.right, p.bottom);
  gfx.DrawTextAligned(*gfx.surface, ui_.program.CentreX, l_.titleY, AlignCentre, kTitleColour, gfx.TitleFont,
                      HealthEditorTitle(spec_, Long(wr_, rec::kDate)));
  DrawEditorLabel(gfx, l_.categoryLabelX, l_.categoryBox, "Category:");
  DrawCategoryBox(gfx, app_.categories, l_.categoryBox, Category());
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    DrawEditorLabel(gfx, l_.labelX[i], l_.fields[i], spec_.fields[i].label);
    DrawEditField(gfx, 1, fields_[i], i == focus_ ? 1 : 0);
  }
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    // A weight typed without a unit word is read in the unit of the moment: say which.
    if (spec_.fields[i].read != FieldRead::kWeight) continue;
    const Rect& f = l_.fields[i];
    gfx.DrawTextAligned(*gfx.surface, f.right + kLabelGap, f.top + 2, AlignLeft, ColourLabelText, gfx.LabelFont,
                        Units(app_).weightMode == 0 ? "pounds" : "kg");
  }
  if (!l_.activityBox.Empty()) {
    DrawEditorLabel(gfx, l_.activityLabelX, l_.activityBox, "Activity:");
    DrawActivity();
  }
  auto button = [&](const Rect& r, const char* caption) {
    if (!r.Empty()) DrawPushButton(gfx, 0, r.left, r.top, r.right, r.bottom, caption, 0);
  };
  button(l_.manage, "Manage");
  button(l_.save, "Save");
  button(l_.cancel, "Cancel");
  gfx.PresentRect(p.left, p.top, p.Width() + 10, p.Height() + 10);
}

void Editor::ChooseCategory() {
  const Rect& cb = l_.categoryBox;
  const int chosen = CategoryDropDown(ui_, app_.categories, cb.left, cb.bottom + 2, Category());
  if (chosen < 0 || chosen >= kCategoryCount || chosen == Category()) return;
  SetByte(wr_, rec::kCategory, chosen);
  HealthForm form = Form();
  ApplyPersonDefaults(app_.events, wr_, spec_, form);
  SetForm(form);
  DrawAll();
}

void Editor::ChooseActivity() {
  PopupItems items;
  for (int i = 0; i < kActivityLevels; ++i) items.Set(i, ActivityLevelLabel(i));
  int chosen = std::clamp(static_cast<int>(Byte(wr_, rec::kActivity)), 0, kActivityLevels - 1);
  const Rect& b = l_.activityBox;
  PopupList(ui_, items, b.left, b.top, b.Width(), 0, kActivityLevels, chosen);
  if (chosen < 0 || chosen >= kActivityLevels || ui_.program.input.quitRequested != 0) return;
  SetByte(wr_, rec::kActivity, chosen);
  DrawActivity();
  PresentBox(b);
}

bool Editor::Accept(bool manage) {
  const BuildFlags flags = BuildHealthRecord(wr_, spec_, Form(), Units(app_), ClockOf());
  const char* refusal = RefusalMessage(spec_, flags, manage);
  if (refusal == nullptr) return true;
  MessageDialog(ui_, refusal, "OK");
  DrawAll();
  return false;
}

std::int32_t Editor::Run(std::int32_t recordOffset) {
  Program& p = ui_.program;
  InputState& in = p.input;
  Gfx& gfx = ui_.gfx;
  const std::int32_t oldModal = p.ModalActive;
  p.ModalActive = 1;
  const Surface saved = gfx.SaveScreen();

  l_ = LayOutHealthEditor(p, gfx, spec_);
  HealthForm form = FormFromRecord(wr_, spec_, Units(app_));
  if (recordOffset < 0) ApplyPersonDefaults(app_.events, wr_, spec_, form);
  for (std::size_t i = 0; i < spec_.fields.size(); ++i) {
    EditFieldRecord r;
    r.x1 = l_.fields[i].left;
    r.y1 = l_.fields[i].top;
    r.x2 = l_.fields[i].right;
    r.y2 = l_.fields[i].bottom;
    r.maxLength = kHealthFieldChars;
    fields_.push_back(r);
  }
  SetForm(form);
  DrawAll();
  WaitInputRelease(p);
  StartCaretTimer(p);
  in.caretPhase = 1;
  std::int32_t seenPhase = 1;

  std::int32_t result = 0;
  const std::size_t last = fields_.size() - 1;
  while (result == 0) {
    std::int32_t requested = 0;
    RunFrameInput(ui_, 1, requested);
    if (in.quitRequested != 0) break;
    const std::size_t previousFocus = focus_;
    int changed = 0;
    EditFieldInput(ui_, fields_[focus_], changed);

    if (in.mouseButton != 0) {
      for (std::size_t i = 0; i < fields_.size(); ++i) {
        const Rect& f = l_.fields[i];
        if (i != focus_ && in.mouseX >= f.left && in.mouseX < f.right && in.mouseY >= f.top && in.mouseY < f.bottom) {
          focus_ = i;
          break;
        }
      }
    }

    bool enterMovedFocus = false;
    bool save = false;
    if (in.lastKey == KeyUp || (in.lastChar == CharTab && in.shiftDown != 0)) {
      if (focus_ > 0) --focus_;
    } else if (in.lastKey == KeyDown || (in.lastChar == CharTab && in.shiftDown == 0)) {
      if (focus_ < last) ++focus_;
    } else if (in.lastChar == CharEnter) {
      in.lastChar = 0;
      if (focus_ == last) {
        save = true;
      } else {
        ++focus_;
        enterMovedFocus = true;
      }
    }

    const Rect& cb = l_.categoryBox;
    const Rect& ab = l_.activityBox;
    auto clicked = [&](const Rect& r, const char* caption) {
      return !r.Empty() && ButtonClicked(ui_, r.left, r.top, r.right, r.bottom, caption, 0) != 0;
    };
    // Pickers and message dialogs stop the caret timer when they close.
    bool modalRan = true;
    if (save) {
      if (Accept(false)) result = HealthSaved;
    } else if (enterMovedFocus) {
      modalRan = false;  // an Enter that moved to the next field presses nothing
    } else if (MouseDownIn(in, cb.left, cb.top, cb.right, cb.bottom) != 0) {
      ChooseCategory();
    } else if (!ab.Empty() && MouseDownIn(in, ab.left, ab.top, ab.right, ab.bottom) != 0) {
      ChooseActivity();
    } else if (clicked(l_.manage, "Manage")) {
      if (Accept(true)) result = HealthManaged;
    } else if (clicked(l_.save, "Save")) {
      if (Accept(false)) result = HealthSaved;
    } else if (clicked(l_.cancel, "Cancel")) {
      result = HealthCancelled;
    } else {
      modalRan = false;
    }
    if (result != 0) break;

    const bool moved = focus_ != previousFocus || changed == -1;
    if (moved || modalRan) {
      StartCaretTimer(p);
      in.caretPhase = 1;
    }
    if (moved || in.caretPhase != seenPhase) {
      if (previousFocus != focus_) {
        const auto end = static_cast<std::int32_t>(fields_[focus_].text.size());
        fields_[focus_].caret = fields_[focus_].selStart = fields_[focus_].selEnd = end;
        DrawEditField(gfx, 0, fields_[previousFocus], 0);
        PresentBox(l_.fields[previousFocus]);
      }
      DrawEditField(gfx, 0, fields_[focus_], in.caretPhase);
      PresentBox(l_.fields[focus_]);
      seenPhase = in.caretPhase;
    }
  }

  StopCaretTimer(p);
  if (result == 0) result = HealthCancelled;  // the window is closing: nothing is stored
  WaitInputRelease(p);
  gfx.RestoreScreen(saved, 0, 0, p.ClientWidth, p.ClientHeight);
  gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
  p.ModalActive = oldModal;
  if (result == HealthCancelled) return result;

  BuildHealthRecord(wr_, spec_, Form(), Units(app_), ClockOf());
  const bool stored = StoreHealthRecord(app_.events, recordOffset, RecordSortKeys(Units(app_)), host_);
  if (stored && result == HealthManaged && HealthScreenHooks().openSummary) {
    HealthScreenHooks().openSummary(app_, spec_.kind);
  }
  return result;
}

}  // namespace

HealthEditorHooks& HealthScreenHooks() {
  static HealthEditorHooks hooks;
  return hooks;
}

std::string HealthEditorTitle(const HealthKindSpec& spec, std::int32_t packedDate) {
  const Ymd d = UnpackDate(packedDate);
  const std::string date = IsoDateText(packedDate);  // "YYYY-MM-DD": the year as four digits
  return std::string(spec.title) + MonthName(d.month) + " " + date.substr(date.size() - 2) + ", " +
         date.substr(0, date.size() - 6);
}

HealthEditorLayout LayOutHealthEditor(const Program& program, Gfx& gfx, const HealthKindSpec& spec) {
  HealthEditorLayout l;
  const int lh = std::max(1, gfx.lineHeight);
  const int pitch = lh + kRowGap;
  bool twoColumns = false;
  int rows = spec.hasActivity ? spec.activityRow + 1 : 0;
  int labelW[2] = {std::max(LabelWidth(gfx, "Category:"), spec.hasActivity ? LabelWidth(gfx, "Activity:") : 0), 0};
  for (const HealthField& f : spec.fields) {
    twoColumns = twoColumns || f.column == 1;
    rows = std::max(rows, f.row + 1);
    labelW[f.column] = std::max(labelW[f.column], LabelWidth(gfx, f.label));
  }
  const int fieldW = twoColumns ? kColumnFieldWidth : kSingleFieldWidth;
  // Boxes relative to the panel's left edge.
  const int box0 = kEdgeInset + labelW[0] + kLabelGap;
  const int label1 = box0 + fieldW + kColumnGap + labelW[1];
  const int box1 = label1 + kLabelGap;
  const int right = twoColumns ? box1 + fieldW : box0 + fieldW;
  const int width = right + kEdgeInset;
  const int fieldsTop = lh + 30 + pitch;  // below the title and the category row
  const int height = fieldsTop + rows * pitch + 10 + kButtonHeight + kEdgeInset;
  const int left = program.CentreX - width / 2;
  const int top = std::max(program.HeaderHeight, (program.ClientHeight - height + program.HeaderHeight) / 2);
  l.panel = Rect{left, top, left + width, top + height};
  l.titleY = top + 10;

  const int row0 = top + lh + 30;
  l.categoryLabelX = left + box0 - kLabelGap;
  l.categoryBox = Rect{left + box0, row0, left + box0 + fieldW, row0 + lh};
  for (const HealthField& f : spec.fields) {
    const int y = top + fieldsTop + f.row * pitch;
    const int x = left + (f.column == 0 ? box0 : box1);
    const int boxRight = f.wide ? left + right : x + fieldW;
    l.fields.push_back(Rect{x, y, boxRight, y + lh});
    l.labelX.push_back(x - kLabelGap);
  }
  if (spec.hasActivity) {
    const int y = top + fieldsTop + spec.activityRow * pitch;
    l.activityBox = Rect{left + box0, y, left + right, y + lh};
    l.activityLabelX = left + box0 - kLabelGap;
  }
  const int buttonsTop = top + fieldsTop + rows * pitch + 10;
  const int count = spec.hasManage ? 3 : 2;
  int x = program.CentreX - count * kButtonWidth / 2;
  auto place = [&](Rect& r) {
    r = Rect{x, buttonsTop, x + kButtonWidth, buttonsTop + kButtonHeight};
    x += kButtonWidth;
  };
  if (spec.hasManage) place(l.manage);
  place(l.save);
  place(l.cancel);
  return l;
}

void HealthEditor(Application& app, UiContext& ui, Host& host, std::int32_t recordOffset, std::int32_t& result) {
  EnsureWorkRecord(app.events);
  const HealthKindSpec* spec = HealthSpecOf(Byte(app.events.workRecord, rec::kKind));
  if (spec == nullptr) {
    result = HealthCancelled;
    return;
  }
  Editor editor(app, ui, host, *spec);
  result = editor.Run(recordOffset);
}

void HealthEditor(Application& app, std::int32_t recordOffset, std::int32_t& result) {
  UiHost host(app.ui);
  HealthEditor(app, app.ui, host, recordOffset, result);
}

}  // namespace kal
