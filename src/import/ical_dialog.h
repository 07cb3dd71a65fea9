// "Import iCalendar File" once the file is chosen: the import under the
// progress panel, then its closing message in the message dialog.
#pragma once

#include <string>

#include "health/units.h"
#include "store/categories.h"
#include "store/event_store.h"
#include "ui/ui_context.h"

namespace kal {

// True when records were added and saved.
bool ImportIcsWithDialogs(UiContext& ui, EventStore& s, const CategoryTable& categories, const UnitModes& units,
                          const std::string& path);

}  // namespace kal
