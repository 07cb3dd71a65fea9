// Plugs printing into the calendar and events screens' "Print".
#pragma once

#include <functional>
#include <memory>

#include "platform/printers.h"

namespace kal {

// The printers come from `printers` (the system's CUPS printers unless a
// test gives its own).
void InstallPrintHooks(std::function<std::unique_ptr<PrinterSystem>()> printers = MakeCupsPrinters);

}  // namespace kal
