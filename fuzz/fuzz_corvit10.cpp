#include "import_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kal::fuzz::ImportFile(1, data, size);
  return 0;
}
