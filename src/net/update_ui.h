// The update offer's dialogs on the program's own drawn message boxes and
// progress panel. Lives for one offer; the UiContext must outlive it.
#pragma once

#include <functional>
#include <string>

#include "net/update.h"
#include "ui/progress_panel.h"
#include "ui/ui_context.h"

namespace kal {

class DialogUpdateUi : public UpdateUi {
 public:
  DialogUpdateUi(UiContext& ui, std::function<void(const std::string&)> openPage)
      : ui_(ui), openPage_(std::move(openPage)) {}
  int Ask(const std::string& message, const std::string& buttons) override;
  bool Progress(const std::string& label, std::uint64_t done, std::uint64_t total) override;
  void ProgressDone() override;
  void OpenPage(const std::string& address) override;
  void RequestQuit() override;

 private:
  UiContext& ui_;
  std::function<void(const std::string&)> openPage_;
  ProgressPanel panel_;
};

}  // namespace kal
