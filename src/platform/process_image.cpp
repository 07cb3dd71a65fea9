#include "platform/process_image.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kal {

void* FindOwnSymbol(const char* symbol, std::string& error) {
  ::dlerror();
  void* address = ::dlsym(RTLD_DEFAULT, symbol);
  if (address == nullptr) {
    const char* reason = ::dlerror();
    error = reason != nullptr ? reason : std::string("no entry point ") + symbol;
  }
  return address;
}

std::string TakeEnvironment(const char* name) {
  const char* value = std::getenv(name);
  std::string taken = value != nullptr ? value : "";
  ::unsetenv(name);
  return taken;
}

void ReplaceProcess(const std::string& path, char* const* argv, const char* name, const std::string& value,
                    std::string& error) {
  if (::setenv(name, value.c_str(), 1) != 0) {
    error = std::strerror(errno);
    return;
  }
  ::execv(path.c_str(), argv);
  error = std::strerror(errno);
  ::unsetenv(name);
}

}  // namespace kal
