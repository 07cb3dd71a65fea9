#include "platform/memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace kal {

bool PreferLargePages(void* data, std::size_t size) {
  if (data == nullptr || size < kLargePageSize) return false;
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = (begin + size) / page * page;
  if (last <= first) return false;
  return ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE) == 0;
}

}  // namespace kal
