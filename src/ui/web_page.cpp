#include "ui/web_page.h"

#include "store/log.h"
#include "ui/message_dialog.h"

namespace kal {

namespace {

std::string Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string WithoutQuotes(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c != '"') out.push_back(c);
  }
  return out;
}

}  // namespace

std::string FindBrowser(Launcher& launcher) {
  std::string found = launcher.FindProgram("xdg-open");
  if (!found.empty()) return found;
  // $BROWSER is a colon-separated list of programs, best first.
  const std::string variable = launcher.Environment("BROWSER");
  std::string_view list = variable;
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    const std::string entry = Trimmed(list.substr(0, colon));
    if (!entry.empty()) {
      found = launcher.FindProgram(entry);
      if (!found.empty()) return found;
    }
    if (colon == std::string_view::npos) break;
    list.remove_prefix(colon + 1);
  }
  return std::string();
}

bool OpenWebPage(UiContext& ui, Launcher& launcher, std::string& browserPath, std::string_view address,
                 const BrowserChooser& chooseBrowser) {
  if (browserPath.empty()) browserPath = FindBrowser(launcher);
  if (browserPath.empty() && chooseBrowser) {
    const std::string chosen = chooseBrowser();
    if (!chosen.empty()) browserPath = launcher.FindProgram(chosen);
  }
  if (browserPath.empty()) {
    LogLine("Could not locate your web browser?");
    MessageDialog(ui, "Could not locate your web browser?", "OK");
    return false;
  }
  browserPath = WithoutQuotes(browserPath);
  const std::string target = Trimmed(WithoutQuotes(address));
  // A local file goes as it is: escaping would change its name. The program
  // gets it as its own argument, so no quoting is needed either.
  LaunchProgram(launcher, browserPath, !target.empty() && target[0] == '/' ? target : EscapeWebAddress(target));
  return true;
}

bool LaunchProgram(Launcher& launcher, const std::string& file, const std::string& parameters) {
  LogLine("Open Program (File): " + file);
  LogLine("Open Program (Parameter): " + parameters);
  LogLine("Shell Execute");
  const LaunchResult result = launcher.Start(file, parameters);
  const std::int64_t value = result.started ? 1 : 0;
  LogLine("Result: " + LogNumber(value));
  LogLine(result.started ? std::string("Open Program: Successful")
                         : "Open Program: " + std::to_string(value) + " - " + result.error);
  return result.started;
}

}  // namespace kal
