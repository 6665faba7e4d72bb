// The seam to time.
#pragma once

#include <cstdint>

namespace lyricsub {

class Clock {
 public:
  virtual ~Clock() = default;
  // Millisecond tick counter (GetTickCount); wraps around.
  virtual std::uint32_t tick_count() = 0;
  // Monotonic time in microseconds from an arbitrary origin, high resolution.
  virtual std::int64_t now_us() = 0;

  // While on, asks the system for its finest timer resolution, so periodic
  // timers tick close to their period (Windows: timeBeginPeriod). Balanced:
  // repeated calls with the same value change nothing.
  virtual void set_fine_timers(bool /*on*/) {}
};

}  // namespace lyricsub
