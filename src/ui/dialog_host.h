// The storage layer's Host answered with the program's own dialogs: failures
// become a message with "OK", questions a message with the caller's buttons.
//
// A DialogHost refers to a UiContext that its owner (start-up, or a test)
// keeps alive for as long as the host is used; user-interface thread only.
// Progress is left to the progress panel; this host only shows messages and
// keeps the window responsive.
#pragma once

#include <string>

#include "store/host.h"
#include "ui/ui_context.h"

namespace kal {

class DialogHost : public Host {
 public:
  explicit DialogHost(UiContext& ui) : ui_(ui) {}

  void PumpMessages() override;
  void ReportError(const std::string& message) override;
  // The chosen button; when the window closes before an answer, the last
  // button, which is always the cautious one.
  int Ask(const std::string& message, const std::string& buttons) override;

 private:
  UiContext& ui_;
};

}  // namespace kal
