#include "app/print_hooks.h"

#include "print/print_job.h"
#include "screens/application.h"
#include "screens/calendar_screen.h"
#include "screens/event_list_screen.h"
#include "ui/ui_host.h"

namespace kal {

namespace {

PrintSource SourceOf(Application& app) {
  return PrintSource{&app.events, &app.categories, UnitModes{app.settings.weightMode, app.settings.measureMode}};
}

}  // namespace

void InstallPrintHooks(std::function<std::unique_ptr<PrinterSystem>()> printers) {
  CalendarScreenHooks().printCalendar = [printers](Application& app) {
    const std::unique_ptr<PrinterSystem> system = printers();
    UiHost host(app.ui);
    PrintSetupEnv env{*system, app.settings, app.ConfigFile, host, app.settingsReadOnly};
    PrintCalendarJob(app.ui, env, SourceOf(app), PackDate(app.dates.display), app.dates.today);
  };
  EventListScreenHooks().printEvents = [printers](Application& app, const std::vector<std::uint32_t>& marked) {
    const std::unique_ptr<PrinterSystem> system = printers();
    UiHost host(app.ui);
    PrintSetupEnv env{*system, app.settings, app.ConfigFile, host, app.settingsReadOnly};
    PrintEventListJob(app.ui, env, SourceOf(app), marked);
  };
}

}  // namespace kal
