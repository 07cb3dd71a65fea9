#include "app/import_hooks.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "import/ical_dialog.h"
#include "import/imports.h"
#include "ui/file_chooser.h"
#include "screens/application.h"

namespace kal {

namespace {

ImportPlace PlaceOf(Application& app) {
  const char* home = std::getenv("HOME");
  return ImportPlace{app.ui, app.events, UnitModes{app.settings.weightMode, app.settings.measureMode},
                     home != nullptr ? home : "/", SystemFolders()};
}

}  // namespace

void InstallImportHooks(Application& app) {
  if (!app.hooks.importPreviousVersion) {
    app.hooks.importPreviousVersion = [&app] { ImportPreviousVersion(PlaceOf(app)); };
  }
  if (!app.hooks.importHealthDiary) {
    app.hooks.importHealthDiary = [&app] { ImportHealthDiary(PlaceOf(app)); };
  }
  if (!app.hooks.importIcalendar) {
    app.hooks.importIcalendar = [&app] {
      const ImportPlace place = PlaceOf(app);
      const std::optional<std::string> path = ChooseFile(app.ui, "Import iCalendar File", place.homeFolder);
      if (path) ImportIcsWithDialogs(app.ui, app.events, app.categories, place.units, *path);
    };
  }
  if (!app.hooks.chooseBrowser) {
    app.hooks.chooseBrowser = [&app] {
      return ChooseFile(app.ui, "Where is your web browser?", "/usr/bin/").value_or(std::string());
    };
  }
}

}  // namespace kal
