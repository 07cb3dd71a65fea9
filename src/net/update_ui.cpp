#include "net/update_ui.h"

#include "ui/input_state.h"
#include "ui/message_dialog.h"

namespace kal {

int DialogUpdateUi::Ask(const std::string& message, const std::string& buttons) {
  return MessageDialog(ui_, message, buttons);
}

bool DialogUpdateUi::Progress(const std::string& label, std::uint64_t done, std::uint64_t total) {
  auto all = static_cast<std::int64_t>(total);
  ShowProgress(ui_.gfx, panel_, "", label, static_cast<std::int64_t>(done), all);
  // The window keeps answering during the download, and closing it stops the download.
  PumpMessages(ui_.program, 0);
  return ui_.program.input.quitRequested == 0;
}

void DialogUpdateUi::ProgressDone() {
  if (panel_.lastPercent < 0) return;
  CloseProgress(ui_.gfx, panel_);
  ui_.gfx.PresentRect(0, 0, ui_.program.ClientWidth, ui_.program.ClientHeight);
}

void DialogUpdateUi::OpenPage(const std::string& address) {
  if (openPage_) openPage_(address);
}

void DialogUpdateUi::RequestQuit() { ui_.program.input.quitRequested = 1; }

}  // namespace kal
