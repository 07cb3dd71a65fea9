// The steps of one run that RunProgram (startup.cpp) strings together: the
// main loop (main_loop.cpp) and the exit sequence (exit.cpp).
#pragma once

#include "platform/single_instance.h"
#include "platform/window.h"
#include "screens/application.h"

namespace kal {

// Runs the screen that CurrentScreen names until the program quits; later
// starts that ask this copy to show itself are passed on to the window meanwhile.
void RunMainLoop(Application& app, SingleInstance& instance, WindowBackend& window);

// Stops the timers, saves the geometry, frees the store and the buffers.
void RunExitSequence(Application& app);
// Frees the working buffers of the run (also when start-up stops early).
void FreeBuffers(Application& app);

}  // namespace kal
