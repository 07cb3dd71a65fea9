#include "import/ical_dialog.h"

#include "import/ical_import.h"
#include "ui/message_dialog.h"
#include "ui/ui_host.h"

namespace kal {

bool ImportIcsWithDialogs(UiContext& ui, EventStore& s, const CategoryTable& categories, const UnitModes& units,
                          const std::string& path) {
  UiHost host(ui);
  const IcsImportResult result = ImportIcsFile(s, categories, units, path, host);
  MessageDialog(ui, IcsImportMessage(result, path), "OK");
  return result.records > 0 && result.error.empty();
}

}  // namespace kal
