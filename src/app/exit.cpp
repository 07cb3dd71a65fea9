#include <string>

#include "app/run_steps.h"
#include "store/log.h"
#include "ui/controls.h"
#include "ui/input_state.h"

namespace kal {

void FreeBuffers(Application& app) {
  BufFree(app.DialogTransferBuffer);
  BufFree(app.scratchBuffer);
  BufFree(app.editorTextBuffer);
  BufFree(app.editorLineBuffer);
  BufFree(app.fontBuffers[0]);
  BufFree(app.fontBuffers[1]);
  BufFree(app.directoryBuffer);
  BufFree(app.events.workRecord);
}

void RunExitSequence(Application& app) {
  Program& p = app.program;
  LogLine("Exit Kill Wallpaper Timer");
  p.window->KillTimer(DayTimerId);
  p.window->KillTimer(CaretTimerId);
  SaveGeometry(app);
  app.gfx.backgroundTexture = Surface();
  app.gfx.popupTexture = Surface();
  LogLine("Exit Restore");
  if (app.hooks.restoreUserWallpaper) app.hooks.restoreUserWallpaper();
  BufFree(app.events.index);
  BufFree(app.events.store);
  app.events.indexCount = 0;
  app.events.storeSize = 0;
  BufFree(app.categories.records);
  app.categories.count = 0;
  LogLine("Program Cleanup");
  WaitInputRelease(p);
  FreeBuffers(app);
  // The update check may still be running: it gets at most a second.
  if (app.hooks.finishUpdate) app.hooks.finishUpdate();
}

}  // namespace kal
