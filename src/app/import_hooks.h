// Plugs the imports into the options screen's buttons (the two earlier
// formats and iCalendar), and the drawn file chooser into the search for a
// web browser.
#pragma once

namespace kal {

struct Application;

// Sets the import hooks that are not set yet (tests may set their own).
void InstallImportHooks(Application& app);

}  // namespace kal
