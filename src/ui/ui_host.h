// The Host of the storage and calendar logic when the program has its
// window: progress goes to the progress panel, failures and questions to the
// message dialog (DialogHost), and the message pump keeps the window alive
// during long work.
//
// A UiHost refers to the UiContext, which must outlive it, and owns the
// program's ProgressPanel. User-interface thread only.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/dialog_host.h"
#include "ui/progress_panel.h"
#include "ui/ui_context.h"

namespace kal {

class UiHost : public DialogHost {
 public:
  explicit UiHost(UiContext& ui) : DialogHost(ui), ui_(ui) {}

  // A new run: the next ShowProgress saves the screen and draws the panel.
  void StartProgress() override;
  // The caption is the panel's title; the bar has no label.
  void ShowProgress(std::string_view caption, std::uint32_t done, std::uint32_t total) override;
  // Puts the screen back and shows it, so no finished panel stays visible.
  void CloseProgress() override;

  ProgressPanel& panel() { return panel_; }
  UiContext& ui() { return ui_; }

 private:
  UiContext& ui_;
  ProgressPanel panel_;
};

}  // namespace kal
