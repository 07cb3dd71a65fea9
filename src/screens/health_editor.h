// The health editor: the modal panel in which a record of one of the five
// health kinds is created or changed. One shape serves all five; what
// differs (fields, columns, the "Activity:" box, "Manage", the messages)
// comes from the kind's table in health/health_records.h.
//
// The caller puts the record into the store's work record first (for a new
// record, PrepareWorkRecord with fresh ids) and passes its offset, or -1 for
// a new record. "Save" and "Manage" store the record through
// StoreHealthRecord, which saves (and re-predicts after a cycle), so every
// offset the caller held is stale afterwards. The editor runs its own loop:
// it saves the screen, sets ModalActive, and puts both back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "health/health_records.h"
#include "store/host.h"
#include "ui/gfx.h"
#include "ui/ui_context.h"

namespace kal {

struct Application;

// Results of HealthEditor.
inline constexpr std::int32_t HealthManaged = 1;
inline constexpr std::int32_t HealthSaved = 2;
inline constexpr std::int32_t HealthCancelled = 3;

// Where everything of the panel lies; boxes are half-open.
struct HealthEditorLayout {
  Rect panel;
  int titleY = 0;
  Rect categoryBox;
  int categoryLabelX = 0;     // right end of "Category:"
  std::vector<Rect> fields;   // in the kind's field order
  std::vector<int> labelX;    // right end of each field's label
  Rect activityBox;           // empty without one
  int activityLabelX = 0;
  Rect manage;                // empty without "Manage"
  Rect save;
  Rect cancel;
};
HealthEditorLayout LayOutHealthEditor(const Program& program, Gfx& gfx, const HealthKindSpec& spec);

// "Weight For March 01, 2024".
std::string HealthEditorTitle(const HealthKindSpec& spec, std::int32_t packedDate);

// What "Manage" opens once the record is stored: the kind's summary. Empty:
// nothing more is shown.
struct HealthEditorHooks {
  std::function<void(Application&, std::uint32_t kind)> openSummary;
};
HealthEditorHooks& HealthScreenHooks();

// Runs the editor on the work record (its kind picks the table). On return
// result is HealthManaged, HealthSaved or HealthCancelled (also when the
// window is closing: nothing is stored then). host reports a failed save.
void HealthEditor(Application& app, UiContext& ui, Host& host, std::int32_t recordOffset, std::int32_t& result);
// The same with the window's own host and the application's drawing and input.
void HealthEditor(Application& app, std::int32_t recordOffset, std::int32_t& result);

}  // namespace kal
