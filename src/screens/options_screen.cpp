#include "screens/options_screen.h"

#include <algorithm>

#include "calendar/sort_key.h"
#include "platform/key_codes.h"
#include "screens/application.h"
#include "screens/category_drop_down.h"
#include "screens/main_frame.h"
#include "screens/wallpaper_preview.h"
#include "ui/wallpaper_styles.h"
#include "store/event_record.h"
#include "ui/dialog_host.h"
#include "ui/input_state.h"
#include "ui/message_dialog.h"
#include "ui/popup_list.h"
#include "ui/ui_host.h"

namespace kal {

namespace {

constexpr const char* kMoveTitle = "Move Selected Items To This Category";
constexpr const char* kMoveLabel = "Category: ";

ControlRecord RecordAt(const Rect& r, std::string caption) {
  ControlRecord c;
  c.x1 = r.left;
  c.y1 = r.top;
  c.x2 = r.right;
  c.y2 = r.bottom;
  c.text = std::move(caption);
  c.setState(0);
  return c;
}

ControlRecord ChoiceField(const Rect& r, std::string caption, Gfx& gfx) {
  ControlRecord c = RecordAt(r, std::move(caption));
  c.colour = ColourFieldText;
  c.backColour = ColourFieldBack;
  // The longest caption, "Show measurements in inches", must fit the 250-pixel field.
  c.font = &gfx.SmallFont;
  return c;
}

bool Inside(const InputState& in, const Rect& r) {
  return in.mouseX >= r.left && in.mouseX < r.right && in.mouseY >= r.top && in.mouseY < r.bottom;
}

// Opens a pop-up list under a choice field, the field shown pressed while it
// is open; the chosen index, or -1.
int ChooseBelow(Application& app, const ControlRecord& field, const PopupItems& items) {
  DrawChoiceField(app.gfx, 0, 1, field);
  app.gfx.PresentRect(field.x1, field.y1, field.x2 - field.x1 + 1, field.y2 - field.y1 + 1);
  int selected = -1;
  PopupList(app.ui, items, field.x1 + 4, field.y2 + 7, (field.x2 - field.x1) - 5, 0, items.size(), selected);
  return selected;
}

void SaveOptions(Application& app) { SaveGeometry(app); }

void DrawCategoryField(Application& app, const ControlRecord& base, int category, std::int32_t arrowState) {
  ControlRecord field = base;
  field.text = CategoryName(app.categories, category);
  field.backColour = CategoryColour(app.categories, category);
  field.colour = CategoryTextColour(app.categories, category);
  DrawChoiceField(app.gfx, 0, arrowState, field);
  app.gfx.PresentRect(field.x1, field.y1, field.x2 - field.x1 + 2, field.y2 - field.y1 + 2);
}

}  // namespace

std::string WeightUnitCaption(std::int32_t mode) {
  return mode == 0 ? "Show weights in pounds" : mode == 1 ? "Show weights in kg" : "";
}

std::string LengthUnitCaption(std::int32_t mode) {
  return mode == 0 ? "Show measurements in inches" : mode == 1 ? "Show measurements in cm" : "";
}

OptionsControls MakeOptionsControls(Application& app) {
  const OptionsLayout& o = app.layout.options;
  Gfx& g = app.gfx;
  OptionsControls c;
  c.wallpaperSwitch = RecordAt(o.wallpaperSwitch, "Draw Calendar on Desktop Wallpaper");
  c.wallpaperSwitch.colour = ColourListText;
  c.wallpaperSwitch.backColour = ColourWhite;
  c.wallpaperSwitch.font = &g.LabelFont;
  c.wallpaperSwitch.align = AlignRight;
  c.wallpaperSwitch.setState(-1);  // the caption has no shadow
  c.wallpaperStyle = ChoiceField(o.wallpaperStyle, WallpaperStyleName(app.settings.wallpaperColor), g);
  c.editCategories = RecordAt(o.editCategories, "Edit Category Descriptions");
  c.editCategories.hotkey = 15;
  c.importOld = RecordAt(o.importOld, std::string("Import Events From ") + ProgramName + " 1.x");
  c.importOld.hotkey = 20;
  c.importHealth = RecordAt(o.importHealth, "Import Corvitalis Data");
  c.importHealth.hotkey = 8;
  c.importIcal = RecordAt(o.importIcal, "Import iCalendar File");
  c.importIcal.hotkey = 8;
  c.weightUnit = ChoiceField(o.weightUnit, WeightUnitCaption(app.settings.weightMode), g);
  c.lengthUnit = ChoiceField(o.lengthUnit, LengthUnitCaption(app.settings.measureMode), g);
  return c;
}

bool EditCategoryDescriptions(Application& app) {
  MemBuffer& transfer = app.DialogTransferBuffer;
  if (transfer.size() < kCategoryTableSize) return false;
  FillBytes(transfer, 0, transfer.size(), 0);
  MoveBytes(app.categories.records, 0, transfer, 0, kCategoryTableSize);
  std::string labels;
  for (int k = 1; k <= kCategoryCount; ++k) {
    if (k > 1) labels += '|';
    labels += std::to_string(k);
    labels += ':';
  }
  std::int32_t result = 0;
  MessageDialog(app.ui, transfer, "Edit Category Descriptions", labels, 1, "Save|Cancel", 130, result);
  if (result != 1 || app.program.input.quitRequested != 0) return false;
  std::string names;
  for (int k = 0; k < kCategoryCount; ++k) {
    std::string name;
    GetZText(transfer, kCategoryRecordSize * static_cast<std::size_t>(k) + kCategoryNameOffset, name);
    // "|" separates the names in the setting: one typed into a name would
    // shift every later name by one and lose the last. The broken bar looks
    // the same and is stored as itself.
    std::replace(name.begin(), name.end(), '|', kCategoryNameBar);
    if (k > 0) names += "|";
    names += name;
  }
  app.settings.categories = FitTextField(names, kSettingsCategoriesField);
  SaveOptions(app);
  BuildCategoryTable(app.categories, app.settings.categories);
  return true;
}

void DragCalendarBox(Application& app) {
  Program& p = app.program;
  InputState& in = p.input;
  OptionsLayout& o = app.layout.options;
  const int offsetX = in.mouseX - o.calendarBox.left;
  const int offsetY = in.mouseY - o.calendarBox.top;
  const int width = o.calendarBox.Width();
  const int height = o.calendarBox.Height();
  while (in.quitRequested == 0 && (in.mouseButton != 0 || in.lastChar != 0 || in.lastKey != 0)) {
    PumpMessages(p, 1);
    int left = in.mouseX - offsetX;
    int top = in.mouseY - offsetY;
    // When the box is larger than the preview, its top-left stays at the preview's.
    left = std::max(o.preview.left, std::min(left, o.preview.right - width));
    top = std::max(o.preview.top, std::min(top, o.preview.bottom - height));
    o.calendarBox = Rect{left, top, left + width, top + height};
    DrawWallpaperPreview(app, 0);
  }
  StoreCalendarBox(o, app.settings);
}

void OptionsScreen(Application& app) {
  Program& p = app.program;
  InputState& in = p.input;
  UiContext& ui = app.ui;
  Settings& settings = app.settings;
  RunScreenLoop(app, [&app] { DrawWallpaperPreview(app, 1); }, [&] {
    OptionsControls c = MakeOptionsControls(app);
    const OptionsLayout& o = app.layout.options;
    if (ButtonRecordClicked(ui, c.editCategories) != 0) {
      EditCategoryDescriptions(app);
      DrawWallpaperPreview(app, 1);
    } else if (ButtonRecordClicked(ui, c.importOld) != 0) {
      if (app.hooks.importPreviousVersion) {
        app.hooks.importPreviousVersion();
        DrawWallpaperPreview(app, 1);
      }
    } else if (ButtonRecordClicked(ui, c.importHealth) != 0) {
      if (app.hooks.importHealthDiary) {
        app.hooks.importHealthDiary();
        DrawWallpaperPreview(app, 1);
      }
    } else if (ButtonRecordClicked(ui, c.importIcal) != 0) {
      if (app.hooks.importIcalendar) {
        app.hooks.importIcalendar();
        DrawWallpaperPreview(app, 1);
      }
    } else if (in.mouseButton != 0 && settings.wallpaperFlag == 1 && Inside(in, o.calendarBox)) {
      DragCalendarBox(app);
      SaveOptions(app);
      if (app.hooks.wallpaperOptionsChanged) app.hooks.wallpaperOptionsChanged();
    } else if (in.mouseButton != 0 && Inside(in, o.wallpaperSwitch)) {
      settings.wallpaperFlag = static_cast<std::uint8_t>((settings.wallpaperFlag + 1) & 1);
      if (settings.wallpaperFlag == 1 && app.hooks.currentDesktopWallpaper) {
        // File names keep their letter case here: it tells files apart.
        settings.wallpaperFile = FitTextField(app.hooks.currentDesktopWallpaper(), kSettingsPathField);
      }
      SaveOptions(app);
      if (app.hooks.wallpaperOptionsChanged) app.hooks.wallpaperOptionsChanged();
      DrawWallpaperPreview(app, 0);
      WaitInputRelease(p);
    } else if (in.mouseButton != 0 && Inside(in, o.wallpaperStyle)) {
      PopupItems items;
      for (int i = 0; i < WallpaperStyleCount; ++i) items.Set(i, WallpaperStyleName(i));
      const int chosen = ChooseBelow(app, c.wallpaperStyle, items);
      if (chosen >= 0) {
        settings.wallpaperColor = static_cast<std::uint8_t>(chosen);
        SaveOptions(app);
        if (app.hooks.wallpaperOptionsChanged) app.hooks.wallpaperOptionsChanged();
      }
      DrawWallpaperPreview(app, 0);
    } else if (in.mouseButton != 0 && Inside(in, o.weightUnit)) {
      const int chosen = ChooseBelow(app, c.weightUnit, PopupItems{WeightUnitCaption(0), WeightUnitCaption(1)});
      if (chosen >= 0) {
        settings.weightMode = static_cast<std::uint8_t>(chosen);
        SaveOptions(app);
      }
      DrawWallpaperPreview(app, 0);
    } else if (in.mouseButton != 0 && Inside(in, o.lengthUnit)) {
      const int chosen = ChooseBelow(app, c.lengthUnit, PopupItems{LengthUnitCaption(0), LengthUnitCaption(1)});
      if (chosen >= 0) {
        settings.measureMode = static_cast<std::uint8_t>(chosen);
        SaveOptions(app);
      }
      DrawWallpaperPreview(app, 0);
    }
  });
}

int SetCategoryOfMarked(EventStore& store, const std::vector<std::uint32_t>& offsets, int category) {
  int changed = 0;
  for (const std::uint32_t offset : offsets) {
    if (offset + rec::kHeaderSize > store.storeSize) continue;
    if (RecordKindAt(store, offset) == 0) continue;
    if ((Byte(store.store, offset + rec::kMark) & 1) == 0) continue;
    SetByte(store.store, offset + rec::kCategory, category);
    ++changed;
  }
  return changed;
}

MoveCategoryDialogLayout LayOutMoveCategoryDialog(Application& app) {
  const Program& p = app.program;
  Gfx& g = app.gfx;
  const int lh = g.lineHeight;
  auto width = [&g](const FontDescription& font, std::string_view text) {
    return g.text != nullptr ? g.text->Measure(font, text).width : 0;
  };
  MoveCategoryDialogLayout l;
  const int boxW = 40 + width(g.MessageFont, kMoveTitle);
  const int boxH = 90 + 2 * lh;
  const int cx = p.CentreX;
  const int left = cx - boxW / 2;
  const int top = p.HeaderHeight + (p.ClientHeight - p.HeaderHeight - boxH) / 2;
  l.panel = Rect{left, top, left + boxW, top + boxH};
  l.titleTop = top + 15;
  l.labelLeft = left + 20;
  const int rowTop = top + 15 + lh + 10;
  l.field = Rect{l.labelLeft + width(g.LabelFont, kMoveLabel) + 6, rowTop, left + boxW - 20, rowTop + lh};
  l.save = Rect{cx - 80, top + boxH - 40, cx, top + boxH - 15};
  l.cancel = Rect{cx, top + boxH - 40, cx + 80, top + boxH - 15};
  return l;
}

bool MoveSelectedToCategory(Application& app, const std::vector<std::uint32_t>& resultList) {
  Program& p = app.program;
  InputState& in = p.input;
  Gfx& g = app.gfx;
  if (g.surface == nullptr) return false;
  Surface& s = *g.surface;
  const int lh = g.lineHeight;
  const MoveCategoryDialogLayout l = LayOutMoveCategoryDialog(app);
  const Rect& panel = l.panel;

  const Surface saved = g.SaveScreen();
  const std::int32_t wasModal = p.ModalActive;
  p.ModalActive = 1;

  g.DrawPanel(panel.left, panel.top, panel.right, panel.bottom);
  g.DrawTextAligned(s, p.CentreX, l.titleTop, AlignCentre, ColourMessageText, g.MessageFont, kMoveTitle);
  g.DrawTextAligned(s, 0, 0, AlignMeasure, ColourLabelText, g.LabelFont, kMoveLabel);
  g.DrawTextAligned(s, l.labelLeft, l.field.top + (lh - g.lastTextHeight) / 2, AlignLeft, ColourLabelText,
                    g.LabelFont, kMoveLabel);
  ControlRecord field;
  field.x1 = l.field.left;
  field.y1 = l.field.top;
  field.x2 = l.field.right;
  field.y2 = l.field.bottom;
  field.font = &g.EditFont;
  g.DrawSunkenBox(field.x1, field.y1, field.x2, field.y2, ColourFieldBack);
  const Rect& save = l.save;
  const Rect& cancel = l.cancel;
  DrawPushButton(g, 0, save.left, save.top, save.right, save.bottom, "Save", 0);
  DrawPushButton(g, 0, cancel.left, cancel.top, cancel.right, cancel.bottom, "Cancel", 0);
  int category = 0;
  DrawCategoryField(app, field, category, 0);
  g.PresentRect(panel.left, panel.top, panel.Width() + 12, panel.Height() + 12);

  int result = 0;
  std::int32_t requested = 0;
  while (in.quitRequested == 0) {
    RunFrameInput(app.ui, 1, requested);
    if (in.quitRequested != 0) break;
    if ((in.mouseButton != 0 && Inside(in, Rect{field.x1, field.y1, field.x2 + 1, field.y2 + 1})) ||
        in.lastChar == CharTab) {
      DrawCategoryField(app, field, category, 1);
      const int chosen = CategoryDropDown(app.ui, app.categories, field.x1, field.y2 + 2, category);
      if (chosen >= 0 && chosen < kCategoryCount) category = chosen;
      DrawCategoryField(app, field, category, 0);
      continue;
    }
    if (ButtonClicked(app.ui, save.left, save.top, save.right, save.bottom, "Save", 0) != 0) {
      result = 1;
      break;
    }
    if (ButtonClicked(app.ui, cancel.left, cancel.top, cancel.right, cancel.bottom, "Cancel", 0) != 0) {
      result = 2;
      break;
    }
  }

  g.RestoreScreen(saved, panel.left, panel.top, panel.Width() + 12, panel.Height() + 12);
  g.PresentRect(panel.left, panel.top, panel.Width() + 12, panel.Height() + 12);
  p.ModalActive = wasModal;
  if (result != 1) return false;
  SetCategoryOfMarked(app.events, resultList, category);
  UiHost host(app.ui);
  SaveEvents(app.events, RecordSortKeys(UnitModes{app.settings.weightMode, app.settings.measureMode}), host);
  return true;
}

}  // namespace kal
