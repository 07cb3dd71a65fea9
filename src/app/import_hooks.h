// Plugs the two imports into the options screen's buttons.
#pragma once

namespace kal {

struct Application;

// Sets the import hooks that are not set yet (tests may set their own).
void InstallImportHooks(Application& app);

}  // namespace kal
