#include "ui/dialog_host.h"

#include "ui/input_state.h"
#include "ui/message_dialog.h"

namespace kal {

void DialogHost::PumpMessages() { kal::PumpMessages(ui_.program, 0); }

void DialogHost::ReportError(const std::string& message) { MessageDialog(ui_, message, "OK"); }

int DialogHost::Ask(const std::string& message, const std::string& buttons) {
  const std::int32_t chosen = MessageDialog(ui_, message, buttons);
  if (chosen > 0) return chosen;
  return static_cast<int>(SplitBars(buttons).size());
}

}  // namespace kal
