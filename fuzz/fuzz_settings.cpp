#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kal::fuzz::SettingsFile(data, size);
  return 0;
}
