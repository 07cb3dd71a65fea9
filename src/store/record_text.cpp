#include "store/record_text.h"

#include <algorithm>

namespace kal {

std::string RecordText(const EventStore& s, std::uint32_t offset, std::uint32_t textOffset,
                       std::uint32_t fixedLength) {
  const std::int64_t length = Long(s.store, offset + std::size_t{rec::kLength});
  const std::int64_t count = length - fixedLength;
  if (count <= 0) return {};
  const std::uint64_t limit = std::min<std::uint64_t>(s.storeSize, s.store.size());
  const std::uint64_t start = std::uint64_t{offset} + textOffset;
  if (start >= limit) return {};
  const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(count), limit - start);
  return std::string(reinterpret_cast<const char*>(s.store.data()) + start, static_cast<std::size_t>(n));
}

}  // namespace kal
