// The wall clock and the tick counter, injectable so that tests and the
// headless backend can fix "today".
#pragma once

#include <cstdint>

namespace kal {

struct LocalDateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
  // Milliseconds from an arbitrary start; only differences matter.
  virtual std::uint64_t TickMs() const = 0;
};

// The operating system's local time.
Clock& SystemClock();

// A clock that stands still until told to move; used by tests and the headless backend.
class FixedClock : public Clock {
 public:
  explicit FixedClock(LocalDateTime now) : now_(now) {}
  LocalDateTime Now() const override { return now_; }
  std::uint64_t TickMs() const override { return tick_; }
  void Set(LocalDateTime now) { now_ = now; }
  void Advance(std::uint64_t ms) { tick_ += ms; }

 private:
  LocalDateTime now_;
  std::uint64_t tick_ = 0;
};

}  // namespace kal
