// How readers of damaged files say what they dropped.
//
// The event file and the settings file are read by resynchronising readers:
// a stretch that is not a well-formed record or entry is skipped, and the
// reader goes on with the next good one. Each skipped stretch is reported
// once, with its length in bytes and the reason found at its first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kal {

class CorruptionReporter {
 public:
  virtual ~CorruptionReporter() = default;
  virtual void Corruption(std::size_t bytes, std::string_view reason) = 0;
};

// Adds up what was dropped; LogSummary writes one line to the error log when
// anything was, naming the file: "Damaged File: <file>, 12 bytes skipped in 1
// places (missing end marker)".
class CountingReporter : public CorruptionReporter {
 public:
  void Corruption(std::size_t bytes, std::string_view reason) override;
  void LogSummary(const std::string& file) const;

  std::uint64_t bytes = 0;
  std::uint32_t stretches = 0;
  std::string firstReason;
};

}  // namespace kal
