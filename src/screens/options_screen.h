// The options screen (screen 3): the desktop-calendar switch, style and
// position, the category names, the two imports and the display units; and
// the dialog that moves the records marked in the event list into another
// category.
//
// Everything works on the Application's settings, category table and event
// store; every change is saved at once. The screen keeps no state of its own
// between visits: its controls are rebuilt from the layout and the settings
// whenever they are drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/event_store.h"
#include "ui/controls.h"

namespace kal {

struct Application;

struct OptionsControls {
  ControlRecord wallpaperSwitch;  // check box
  ControlRecord wallpaperStyle;   // choice field
  ControlRecord editCategories;   // push buttons
  ControlRecord importOld;
  ControlRecord importHealth;
  ControlRecord importIcal;
  ControlRecord weightUnit;  // choice fields
  ControlRecord lengthUnit;
};

// The controls as the layout places them, captioned from the settings.
OptionsControls MakeOptionsControls(Application& app);

// "Show weights in pounds" (0), "Show weights in kg" (1), empty otherwise.
std::string WeightUnitCaption(std::int32_t mode);
// "Show measurements in inches" (0), "Show measurements in cm" (1), empty otherwise.
std::string LengthUnitCaption(std::int32_t mode);

// The screen loop; returns when another screen is chosen or the program quits.
void OptionsScreen(Application& app);

// Opens "Edit Category Descriptions" preloaded with the twelve names; "Save"
// stores them in the "categories" setting, saves the settings and rebuilds
// the category table. True when saved. A "|" typed into a name is stored as
// kCategoryNameBar, since "|" separates the names in the setting.
inline constexpr char kCategoryNameBar = '\xA6';  // broken bar in Windows-1252
bool EditCategoryDescriptions(Application& app);

// Drags the desktop-calendar box of the preview while a mouse button is held,
// kept inside the preview, then stores its place and size in the settings
// (not saved).
void DragCalendarBox(Application& app);

// Sets the category of every live record among `offsets` whose selection
// mark is set; returns how many were changed. Nothing is saved.
int SetCategoryOfMarked(EventStore& store, const std::vector<std::uint32_t>& offsets, int category);

// Where the parts of the "Move Selected Items To This Category" dialog lie.
// The category field's right and bottom are its last pixels, as for every
// choice field.
struct MoveCategoryDialogLayout {
  Rect panel;
  int titleTop = 0;
  int labelLeft = 0;
  Rect field;
  Rect save;
  Rect cancel;
};
MoveCategoryDialogLayout LayOutMoveCategoryDialog(Application& app);

// The "Move Selected Items To This Category" dialog over the event list's
// result list. On "Save" the marked records get the chosen category and the
// event file is saved; the caller then rebuilds its list (the offsets are no
// longer valid), scrolls to the top and redraws. True when saved.
bool MoveSelectedToCategory(Application& app, const std::vector<std::uint32_t>& resultList);

}  // namespace kal
