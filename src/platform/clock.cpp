#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace kal {

namespace {

class OsClock : public Clock {
 public:
  LocalDateTime Now() const override {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
  std::uint64_t TickMs() const override {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
  }
};

}  // namespace

Clock& SystemClock() {
  static OsClock clock;
  return clock;
}

}  // namespace kal
