#include "screens/event_editor.h"

#include <algorithm>
#include <string>

#include "calendar/dates.h"
#include "calendar/repeat.h"
#include "screens/application.h"
#include "screens/category_drop_down.h"
#include "screens/editor_boxes.h"
#include "store/event_record.h"
#include "store/event_store.h"
#include "ui/controls.h"
#include "ui/input_state.h"
#include "ui/message_dialog.h"
#include "ui/popup_list.h"
#include "ui/text_area.h"
#include "ui/ui_host.h"

namespace kal {

namespace {

constexpr int kTimeItems = 289;
constexpr int kMaxVisibleLines = 15;
constexpr int kPanelWidth = 640;
constexpr int kTextWidth = 600;
constexpr int kEdgeInset = 20;
constexpr int kLabelGap = 30;  // between a label's right end and its box
constexpr int kBoxGap = 10;    // between a box and the next label
constexpr int kRowGap = 25;
constexpr int kButtonHeight = 25;
constexpr int kCheckBoxRoom = 16;
constexpr int kNoTime = 99;
// A time written as hour * 100 + minute at or above this is no time at all.
constexpr int kNoTimeValue = 2400;

// The description may use what the work record leaves after the fixed part
// of a generic event; one more byte is the text area's terminator.
constexpr std::int32_t kDescriptionCapacity = static_cast<std::int32_t>(kWorkRecordSize - rec::kGenericFixed) + 1;

constexpr Colour kTitleColour = Rgb(0, 0, 96);

// num / den to the nearest integer, exact halves to the even neighbour (den > 0).
int RoundHalfEven(int num, int den) {
  int q = num / den;
  int r = num % den;
  if (r < 0) {
    r += den;
    --q;
  }
  if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
  return q;
}

int TimeValue(int hour, int minute) { return hour * 100 + minute; }

std::string ItemTimeCaption(int hour, int minute) {
  std::string caption = FormatTime(0, hour, minute);
  if (hour == 0 && minute == 0) caption += " (Midnight)";
  if (hour == 12 && minute == 0) caption += " (Noon)";
  return caption;
}

// The minute of the day item `item` (1-288) of a picker stands for.
int ItemMinuteOfDay(int which, int item, int startHour, int startMinute) {
  const int first = which == 0 ? 6 * 60 : (startHour * 60 + startMinute) % 1440;
  return (first + 5 * (item - 1)) % 1440;
}

class Editor {
 public:
  Editor(Application& app, UiContext& ui, Host& host) : app_(app), ui_(ui), host_(host), wr_(app.events.workRecord) {}

  std::int32_t Run(std::int32_t recordOffset);

 private:
  std::int32_t WorkByte(std::uint32_t off) const { return static_cast<std::int32_t>(Byte(wr_, off)); }
  std::string Title() const {
    const Ymd d = UnpackDate(Long(wr_, rec::kDate));
    return LongDateText(d.year, d.month, d.day);
  }

  void NormaliseOnOpening();
  void LoadDescription();
  void StoreDescription();
  void DrawAll();
  void DrawLabel(int rightX, const Rect& row, std::string_view text);
  void DrawValueBox(const Rect& box, Colour back, Colour textColour, const std::string& caption);
  void DrawCategory();
  void DrawTimes();
  void DrawRepeat();
  void DrawHoliday(int full);
  void DrawButtons();
  void DrawDescription(int caretVisible);
  void PresentBox(const Rect& box) {
    ui_.gfx.PresentRect(box.left - 4, box.top - 4, box.Width() + 8, box.Height() + 8);
  }
  bool Validate();
  void OpenContextMenu(int x, int y);
  void CaretPoint(int& x, int& y);

  Application& app_;
  UiContext& ui_;
  Host& host_;
  MemBuffer& wr_;
  EventEditorLayout l_;
  std::string text_;
  TextAreaRecord area_;
  std::int32_t shownPhase_ = -1;
};

void Editor::NormaliseOnOpening() {
  const int start = TimeValue(WorkByte(rec::kStartHour), WorkByte(rec::kStartMinute));
  const int end = TimeValue(WorkByte(rec::kEndHour), WorkByte(rec::kEndMinute));
  if (start >= kNoTimeValue) {
    SetByte(wr_, rec::kStartHour, kNoTime);
    SetByte(wr_, rec::kStartMinute, 0);
    SetByte(wr_, rec::kEndHour, kNoTime);
    SetByte(wr_, rec::kEndMinute, 0);
  } else if (end >= kNoTimeValue) {
    SetByte(wr_, rec::kEndHour, kNoTime);
    SetByte(wr_, rec::kEndMinute, 0);
  }
}

void Editor::LoadDescription() {
  const std::int64_t length = Long(wr_, rec::kLength);
  std::int64_t n = std::max<std::int64_t>(0, length - static_cast<std::int64_t>(rec::kGenericFixed));
  // A damaged length must not read past the work record or overfill the area.
  n = std::min<std::int64_t>(n, static_cast<std::int64_t>(kWorkRecordSize - rec::kGenericFixed));
  GetBytes(wr_, rec::kGenericText, static_cast<std::size_t>(n), text_);
}

void Editor::StoreDescription() {
  const std::size_t n = std::min(text_.size(), static_cast<std::size_t>(kWorkRecordSize - rec::kGenericFixed));
  PutBytes(wr_, rec::kGenericText, std::string_view(text_).substr(0, n));
  const auto length = static_cast<std::int32_t>(rec::kGenericFixed + n);
  SetLong(wr_, rec::kLength, length);
  SetWord(wr_, static_cast<std::size_t>(length) - 2, static_cast<std::int32_t>(kEndMarker));
}

void Editor::DrawLabel(int rightX, const Rect& row, std::string_view text) {
  DrawEditorLabel(ui_.gfx, rightX, row, text);
}

void Editor::DrawValueBox(const Rect& box, Colour back, Colour textColour, const std::string& caption) {
  kal::DrawValueBox(ui_.gfx, box, back, textColour, caption);
}

void Editor::DrawCategory() { DrawCategoryBox(ui_.gfx, app_.categories, l_.categoryBox, WorkByte(rec::kCategory)); }

void Editor::DrawTimes() {
  DrawValueBox(l_.timeBox, ColourFieldBack, ColourFieldText,
               FormatTime(0, WorkByte(rec::kStartHour), WorkByte(rec::kStartMinute)));
  DrawValueBox(l_.endBox, ColourFieldBack, ColourFieldText,
               FormatTime(1, WorkByte(rec::kEndHour), WorkByte(rec::kEndMinute)));
}

void Editor::DrawRepeat() {
  const Ymd d = UnpackDate(Long(wr_, rec::kDate));
  DrawValueBox(l_.repeatBox, ColourFieldBack, ColourFieldText,
               RepeatModeLabel(WorkByte(rec::kRepeatMode), d.year, d.month, d.day));
}

void Editor::DrawHoliday(int full) {
  ControlRecord r;
  r.x1 = l_.holidayBox.left;
  r.y1 = l_.holidayBox.top;
  r.x2 = l_.holidayBox.right;
  r.y2 = l_.holidayBox.bottom - 1;
  r.colour = ColourLabelText;
  r.font = &ui_.gfx.LabelFont;
  r.align = AlignRight;
  r.text = "Legal Holiday";
  r.backColour = ColourFieldBack;
  DrawCheckBox(ui_.gfx, full, r, WorkByte(rec::kHoliday));
}

void Editor::DrawButtons() {
  DrawPushButton(ui_.gfx, 0, l_.save.left, l_.save.top, l_.save.right, l_.save.bottom, "Save", 0);
  DrawPushButton(ui_.gfx, 0, l_.saveAll.left, l_.saveAll.top, l_.saveAll.right, l_.saveAll.bottom, "Save All", 0);
  DrawPushButton(ui_.gfx, 0, l_.cancel.left, l_.cancel.top, l_.cancel.right, l_.cancel.bottom, "Cancel", 0);
}

void Editor::DrawDescription(int caretVisible) {
  DrawTextArea(ui_.gfx, text_, area_, caretVisible);
  shownPhase_ = caretVisible;
}

void Editor::DrawAll() {
  Gfx& gfx = ui_.gfx;
  const Rect& p = l_.panel;
  gfx.DrawPanel(p.left, p.top, p.right, p.bottom);
  gfx.DrawTextAligned(*gfx.surface, ui_.program.CentreX, l_.titleY, AlignCentre, kTitleColour, gfx.TitleFont, Title());
  DrawLabel(l_.categoryLabelX, l_.categoryBox, "Category:");
  DrawLabel(l_.timeLabelX, l_.timeBox, "Time:");
  DrawLabel(l_.endLabelX, l_.endBox, "Ends:");
  DrawLabel(l_.repeatLabelX, l_.repeatBox, "Repeat:");
  DrawCategory();
  DrawTimes();
  DrawRepeat();
  DrawHoliday(1);
  gfx.DrawSunkenBox(l_.description.left, l_.description.top, l_.description.right - 1, l_.description.bottom - 1,
                    ColourFieldBack);
  DrawDescription(1);
  DrawButtons();
  gfx.PresentRect(p.left, p.top, p.Width() + 10, p.Height() + 10);
}

bool Editor::Validate() {
  if (text_.empty()) {
    MessageDialog(ui_, EmptyDescriptionMessage, "OK");
    return false;
  }
  const int start = TimeValue(WorkByte(rec::kStartHour), WorkByte(rec::kStartMinute));
  const int end = TimeValue(WorkByte(rec::kEndHour), WorkByte(rec::kEndMinute));
  if (start < kNoTimeValue && end < kNoTimeValue && end < start) {
    return MessageDialog(ui_, StartAfterEndMessage, "OK|Cancel") == 1;
  }
  return true;
}

// Below the caret, where a keyboard-opened menu belongs.
void Editor::CaretPoint(int& x, int& y) {
  Gfx& gfx = ui_.gfx;
  const std::int32_t line = LineOfPosition(area_, area_.caret);
  const int row = std::clamp(line - area_.topLine, 0, std::max(0, area_.visibleRows - 1));
  const std::int32_t start = std::min(area_.lines[static_cast<std::size_t>(std::max(line, 0))], area_.caret);
  const std::string_view before =
      std::string_view(text_).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(area_.caret - start));
  const int width = gfx.text != nullptr ? gfx.text->Measure(gfx.EditFont, before).width : 0;
  x = area_.x1 + TextAreaTextIndent + std::min(width, area_.x2 - area_.x1);
  y = area_.y1 + (row + 1) * gfx.lineHeight;
}

void Editor::OpenContextMenu(int x, int y) {
  TextAreaMenu(ui_, host_, text_, area_, x, y);
  DrawDescription(1);
  PresentTextArea(ui_.gfx, area_);
}

std::int32_t Editor::Run(std::int32_t recordOffset) {
  Program& p = ui_.program;
  InputState& in = p.input;
  Gfx& gfx = ui_.gfx;
  EnsureWorkRecord(app_.events);
  const std::int32_t oldModal = p.ModalActive;
  p.ModalActive = 1;
  const Surface saved = gfx.SaveScreen();

  NormaliseOnOpening();
  const auto originalMode = static_cast<std::uint8_t>(WorkByte(rec::kRepeatMode));
  l_ = LayOutEventEditor(p, gfx);
  LoadDescription();
  OpenTextArea(gfx, text_, area_, l_.textArea.left, l_.textArea.top, l_.textArea.right, l_.textArea.bottom,
               kDescriptionCapacity, TextAreaMaxLines, l_.visibleLines);
  // The caret starts after the text, where typing usually continues.
  area_.caret = area_.length;
  area_.topLine = std::max(0, area_.lineCount - area_.visibleRows);
  DrawAll();
  StartCaretTimer(p);

  std::int32_t result = 0;
  while (result == 0) {
    std::int32_t requested = 0;
    RunFrameInput(ui_, 1, requested);
    if (in.quitRequested != 0) break;

    if (in.caretPhase != shownPhase_) {
      DrawDescription(in.caretPhase);
      PresentTextArea(gfx, area_);
    }
    const int ch = in.lastChar;
    const bool overText =
        in.mouseX >= area_.x1 && in.mouseX < area_.x2 && in.mouseY >= area_.y1 && in.mouseY < area_.y2;
    if (in.wheelLines != 0 && overText) {
      const std::int32_t top = std::clamp(area_.topLine - in.wheelLines * p.wheelScrollLines, 0,
                                          std::max(0, area_.lineCount - area_.visibleRows));
      in.wheelLines = 0;
      if (top != area_.topLine) {
        area_.topLine = top;
        DrawDescription(shownPhase_);
        PresentTextArea(gfx, area_);
      }
      continue;
    }

    const Rect& tb = l_.timeBox;
    const Rect& eb = l_.endBox;
    const Rect& rb = l_.repeatBox;
    const Rect& hb = l_.holidayBox;
    const Rect& cb = l_.categoryBox;
    if (ch == 9 || MouseDownIn(in, tb.left, tb.top, tb.right, tb.bottom) != 0) {
      in.lastChar = 0;
      if (TimePicker(app_, ui_, 0, tb.left, tb.bottom + 2)) {
        DrawTimes();
        PresentBox(tb);
        PresentBox(eb);
      }
    } else if (MouseDownIn(in, eb.left, eb.top, eb.right, eb.bottom) != 0) {
      if (TimePicker(app_, ui_, 1, eb.left, eb.bottom + 2)) {
        DrawTimes();
        PresentBox(tb);
        PresentBox(eb);
      }
    } else if (MouseDownIn(in, rb.left, rb.top, rb.right, rb.bottom) != 0) {
      if (RepeatPicker(app_, ui_, rb.left, rb.bottom + 2)) {
        DrawRepeat();
        PresentBox(rb);
      }
    } else if (MouseDownIn(in, hb.left, hb.top, hb.right, hb.bottom) != 0) {
      SetByte(wr_, rec::kHoliday, (WorkByte(rec::kHoliday) + 1) & 1);
      DrawHoliday(0);
      PresentBox(hb);
      WaitInputRelease(p);
    } else if (MouseDownIn(in, cb.left, cb.top, cb.right, cb.bottom) != 0) {
      const int chosen = CategoryDropDown(ui_, app_.categories, cb.left, cb.bottom + 2,
                                          CategoryOfByte(WorkByte(rec::kCategory)));
      if (chosen >= 0 && chosen < kCategoryCount) {
        SetByte(wr_, rec::kCategory, chosen);
        DrawCategory();
        PresentBox(cb);
      }
    } else if (ch == 19 || ButtonClicked(ui_, l_.save.left, l_.save.top, l_.save.right, l_.save.bottom, "Save", 0)) {
      in.lastChar = 0;
      if (Validate()) result = EditorSaved;
    } else if (ButtonClicked(ui_, l_.saveAll.left, l_.saveAll.top, l_.saveAll.right, l_.saveAll.bottom, "Save All",
                             0)) {
      if (Validate()) result = EditorSavedAll;
    } else if (ButtonClicked(ui_, l_.cancel.left, l_.cancel.top, l_.cancel.right, l_.cancel.bottom, "Cancel", 0)) {
      result = EditorCancelled;
    } else if (((in.mouseButton & 2) != 0 && overText) || ch == 27) {
      in.lastChar = 0;
      int x = in.mouseX;
      int y = in.mouseY;
      if (ch == 27) CaretPoint(x, y);
      WaitInputRelease(p);
      OpenContextMenu(x, y);
    } else if (TextAreaScrollBar(ui_, text_, area_) || TextAreaMouse(ui_, text_, area_)) {
      shownPhase_ = -1;
    } else if (TextAreaKeys(ui_, host_, text_, area_)) {
      shownPhase_ = -1;
    } else {
      continue;
    }
    // Pickers and message dialogs stop the caret timer when they close.
    StartCaretTimer(p);
  }

  StopCaretTimer(p);
  if (result == 0) result = EditorCancelled;  // the window is closing: nothing is written
  if (result != EditorCancelled) {
    StoreDescription();
    const UnitModes units{app_.settings.weightMode, app_.settings.measureMode};
    if (recordOffset < 0) {
      NewEventGroup(app_.events, units, host_);
    } else if (result == EditorSavedAll) {
      if (WorkByte(rec::kRepeatMode) == originalMode) {
        SaveAllOccurrences(app_.events, units, host_);
      } else {
        ReplaceGroup(app_.events, units, host_);
      }
    } else {
      SaveOneOccurrence(app_.events, static_cast<std::uint32_t>(recordOffset), originalMode, units, host_);
    }
  }
  gfx.RestoreScreen(saved, 0, 0, p.ClientWidth, p.ClientHeight);
  gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
  p.ModalActive = oldModal;
  return result;
}

}  // namespace

EventEditorLayout LayOutEventEditor(const Program& program, Gfx& gfx) {
  EventEditorLayout l;
  const int lh = std::max(1, gfx.lineHeight);
  l.lineHeight = lh;
  const int room = RoundHalfEven(program.ClientHeight - program.HeaderHeight - 220, lh);
  l.visibleLines = std::clamp(room, 1, kMaxVisibleLines);
  const int height = lh * l.visibleLines + 3 * (kRowGap + lh) + 75;
  const int left = program.CentreX - kPanelWidth / 2;
  const int top = RoundHalfEven(program.ClientHeight - height + program.HeaderHeight, 2);
  l.panel = Rect{left, top, left + kPanelWidth, top + height};
  l.titleY = top + 10;

  auto width = [&](const FontDescription& font, std::string_view s) {
    return gfx.text != nullptr ? gfx.text->Measure(font, s).width : 0;
  };
  const int timeWidth = width(gfx.EditFont, "12:00 pm") + 30;
  const int row1 = top + lh + 30;
  const int right = l.panel.right - kEdgeInset;
  l.endBox = Rect{right - timeWidth, row1, right, row1 + lh};
  l.endLabelX = l.endBox.left - kLabelGap;
  const int timeRight = l.endLabelX - width(gfx.LabelFont, "Ends:") - kBoxGap;
  l.timeBox = Rect{timeRight - timeWidth, row1, timeRight, row1 + lh};
  l.timeLabelX = l.timeBox.left - kLabelGap;
  const int categoryLabelLeft = left + kEdgeInset;
  l.categoryLabelX = categoryLabelLeft + width(gfx.LabelFont, "Category:");
  const int categoryRight = l.timeLabelX - width(gfx.LabelFont, "Time:") - kBoxGap;
  l.categoryBox = Rect{l.categoryLabelX + kLabelGap, row1, categoryRight, row1 + lh};

  const int row2 = l.categoryBox.bottom + kRowGap;
  l.repeatBox = Rect{l.categoryBox.left, row2, l.timeBox.right, row2 + lh};
  l.repeatLabelX = l.repeatBox.left - kLabelGap;
  const int holidayLabelLeft = right - width(gfx.LabelFont, "Legal Holiday");
  l.holidayBox = Rect{holidayLabelLeft - kCheckBoxRoom, row2, right, row2 + lh};

  const int descTop = row2 + lh + kRowGap;
  // The sunken box runs from 20 inside the left edge to 36 inside the right
  // one; the scroll bar stands right of it, within the text width.
  l.description = Rect{left + kEdgeInset, descTop, left + kEdgeInset + kTextWidth - TextAreaScrollBarWidth + 1,
                       descTop + lh * l.visibleLines};
  l.textArea = Rect{l.description.left, descTop, l.description.right + TextAreaScrollBarWidth, l.description.bottom};

  const int buttonsTop = l.description.bottom + kRowGap;
  const int cx = program.CentreX;
  l.save = Rect{cx - 120, buttonsTop, cx - 40, buttonsTop + kButtonHeight};
  l.saveAll = Rect{cx - 40, buttonsTop, cx + 40, buttonsTop + kButtonHeight};
  l.cancel = Rect{cx + 40, buttonsTop, cx + 120, buttonsTop + kButtonHeight};
  return l;
}

std::string TimePickerCaption(int which, int item, int startHour, int startMinute) {
  if (item <= 0) return which == 0 ? "All Day" : "No End";
  const int minuteOfDay = ItemMinuteOfDay(which, item, startHour, startMinute);
  return ItemTimeCaption(minuteOfDay / 60, minuteOfDay % 60);
}

void TimeFromCaption(std::string_view caption, std::int32_t& hour, std::int32_t& minute) {
  const std::size_t colon = caption.find(':');
  if (colon == std::string_view::npos) {
    hour = kNoTime;
    minute = 0;
    return;
  }
  auto number = [](std::string_view digits) {
    std::int32_t v = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') break;
      v = v * 10 + (c - '0');
    }
    return v;
  };
  hour = number(caption.substr(0, colon));
  minute = number(caption.substr(colon + 1, 2));
  const bool pm = caption.find("pm") != std::string_view::npos;
  if (pm && hour != 12) hour += 12;
  if (!pm && hour == 12) hour = 0;
}

bool TimePicker(Application& app, UiContext& ui, int which, int x, int y) {
  MemBuffer& wr = app.events.workRecord;
  const int startHour = static_cast<int>(Byte(wr, rec::kStartHour));
  const int startMinute = static_cast<int>(Byte(wr, rec::kStartMinute));
  if (which == 1 && startHour > 23) {
    MessageDialog(ui, EndWhileAllDayMessage, "OK");
    return false;
  }
  PopupItems items;
  for (int i = 0; i < kTimeItems; ++i) items.Set(i, TimePickerCaption(which, i, startHour, startMinute));

  // The list opens on the value the box shows (the item at or before it).
  const int hour = static_cast<int>(Byte(wr, which == 0 ? rec::kStartHour : rec::kEndHour));
  const int minute = static_cast<int>(Byte(wr, which == 0 ? rec::kStartMinute : rec::kEndMinute));
  int selected = 0;
  if (TimeValue(hour, minute) < kNoTimeValue && minute < 60) {
    const int first = ItemMinuteOfDay(which, 1, startHour, startMinute);
    selected = 1 + ((hour * 60 + minute - first + 1440) % 1440) / 5;
  }
  int chosen = std::min(selected, kTimeItems - 1);
  PopupList(ui, items, x, y, 0, 0, kTimeItems, chosen);
  // Closing the window leaves the value as it was; a cancel gives -1.
  if (chosen < 0 || ui.program.input.quitRequested != 0) return false;

  std::int32_t h = kNoTime;
  std::int32_t m = 0;
  if (chosen > 0) TimeFromCaption(items.Get(chosen), h, m);
  SetByte(wr, which == 0 ? rec::kStartHour : rec::kEndHour, h);
  SetByte(wr, which == 0 ? rec::kStartMinute : rec::kEndMinute, m);
  if (TimeValue(static_cast<int>(Byte(wr, rec::kStartHour)), static_cast<int>(Byte(wr, rec::kStartMinute))) >=
      kNoTimeValue) {
    // An all-day start takes the end with it.
    SetByte(wr, rec::kStartHour, kNoTime);
    SetByte(wr, rec::kStartMinute, 0);
    SetByte(wr, rec::kEndHour, kNoTime);
    SetByte(wr, rec::kEndMinute, 99);
  } else if (TimeValue(static_cast<int>(Byte(wr, rec::kEndHour)), static_cast<int>(Byte(wr, rec::kEndMinute))) >=
             kNoTimeValue) {
    SetByte(wr, rec::kEndHour, kNoTime);
    SetByte(wr, rec::kEndMinute, 0);
  }
  return true;
}

bool RepeatPicker(Application& app, UiContext& ui, int x, int y) {
  MemBuffer& wr = app.events.workRecord;
  const Ymd d = UnpackDate(Long(wr, rec::kDate));
  PopupItems items;
  for (int code = 0; code < RepeatModeCount; ++code) items.Set(code, RepeatModeLabel(code, d.year, d.month, d.day));
  int chosen = std::min(static_cast<int>(Byte(wr, rec::kRepeatMode)), RepeatModeCount - 1);
  PopupList(ui, items, x, y, 0, 0, RepeatModeCount, chosen);
  if (chosen < 0 || ui.program.input.quitRequested != 0) return false;
  SetByte(wr, rec::kRepeatMode, chosen);
  return true;
}

void EventEditor(Application& app, UiContext& ui, Host& host, std::int32_t recordOffset, std::int32_t& result) {
  Editor editor(app, ui, host);
  result = editor.Run(recordOffset);
}

void EventEditor(Application& app, UiContext& ui, std::int32_t recordOffset, std::int32_t& result) {
  UiHost host(ui);
  EventEditor(app, ui, host, recordOffset, result);
}

void EventEditor(Application& app, std::int32_t recordOffset, std::int32_t& result) {
  UiContext ui{app.program, app.gfx, {}};
  EventEditor(app, ui, recordOffset, result);
}

}  // namespace kal
