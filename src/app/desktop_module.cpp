// The module's entry points (see desktop_module.h); built only into the module.
#include "app/desktop_module.h"

#include <cstdio>
#include <exception>

#include "app/startup.h"

namespace {

// Nothing may unwind across the C boundary into the executable.
template <typename Run>
int Guarded(Run run) {
  try {
    return run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kalendrina: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "kalendrina: unexpected failure\n");
  }
  return 2;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int kalendrina_run_desktop(const char* dataFolder,
                                                                              const char* commandLine) {
  return Guarded([&] { return kal::RunDesktop(dataFolder, commandLine); });
}

extern "C" __attribute__((visibility("default"))) int kalendrina_run_script(const char* scriptPath,
                                                                             const char* dataFolder) {
  return Guarded([&] { return kal::RunScript(scriptPath, dataFolder); });
}

