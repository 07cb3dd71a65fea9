#include "store/corruption.h"

#include "store/log.h"

namespace kal {

void CountingReporter::Corruption(std::size_t dropped, std::string_view reason) {
  bytes += dropped;
  ++stretches;
  if (firstReason.empty()) firstReason = reason;
}

void CountingReporter::LogSummary(const std::string& file) const {
  if (stretches == 0) return;
  LogLine("Damaged File: " + file + "," + LogNumber(static_cast<std::int64_t>(bytes)) + " bytes skipped in" +
          LogNumber(stretches) + " places (" + firstReason + ")");
}

}  // namespace kal
