#include "platform/module_loader.h"

#include <dlfcn.h>

namespace kal {

void* LoadModuleSymbol(const std::string& path, const char* symbol, std::string& error) {
  // RTLD_LOCAL: the module's own symbols stay out of the executable's way.
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* reason = ::dlerror();
    error = reason != nullptr ? reason : "cannot open " + path;
    return nullptr;
  }
  ::dlerror();
  void* address = ::dlsym(module, symbol);
  if (address == nullptr) {
    const char* reason = ::dlerror();
    error = reason != nullptr ? reason : path + " has no " + symbol;
  }
  return address;
}

}  // namespace kal
