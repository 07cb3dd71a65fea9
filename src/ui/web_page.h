// Opening web pages and local files in the user's web browser, and starting
// programs, with every step written to the error log.
//
// The browser is looked for once and remembered in the caller's browserPath
// (the program keeps one for the whole run): first the desktop's default
// handler ("xdg-open"), then the first program named in $BROWSER that exists,
// then, when a chooser is given, a program the user picks. When none is
// found the user is told so and nothing is remembered, so the next call
// searches again.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/launch.h"
#include "ui/ui_context.h"

namespace kal {

// Asks the user for the browser program; empty when the user gave none.
using BrowserChooser = std::function<std::string()>;

// Opens a web address (escaped first) or a local file name (starting with
// "/", passed as it is). Returns false when no browser was found.
bool OpenWebPage(UiContext& ui, Launcher& launcher, std::string& browserPath, std::string_view address,
                 const BrowserChooser& chooseBrowser = {});

// Starts `file` with `parameters` as its one argument and logs the outcome.
bool LaunchProgram(Launcher& launcher, const std::string& file, const std::string& parameters);

// The browser the search above finds without asking the user; empty when none.
std::string FindBrowser(Launcher& launcher);

}  // namespace kal
