#include "ui/ui_host.h"

namespace kal {

void UiHost::StartProgress() { panel_.lastPercent = -1; }

void UiHost::ShowProgress(std::string_view caption, std::uint32_t done, std::uint32_t total) {
  std::int64_t all = total;
  kal::ShowProgress(ui_.gfx, panel_, caption, "", done, all);
}

void UiHost::CloseProgress() {
  if (!panel_.hasSavedScreen) return;
  kal::CloseProgress(ui_.gfx, panel_);
  const ProgressGeometry g = ProgressPanelGeometry(ui_.gfx.clientWidth, ui_.gfx.clientHeight);
  // The panel's shadow reaches 10 pixels beyond it.
  ui_.gfx.PresentRect(g.panel.left, g.panel.top, g.panel.right - g.panel.left + 10,
                      g.panel.bottom - g.panel.top + 10);
}

}  // namespace kal
