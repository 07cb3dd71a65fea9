#include "app/import_hooks.h"

#include <cstdlib>

#include "import/imports.h"
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
}

}  // namespace kal
