// Time through Win32.
#pragma once

#include "platform/clock.h"

namespace lyricsub::win32 {

class Win32Clock final : public Clock {
 public:
  Win32Clock();
  ~Win32Clock() override;
  Win32Clock(const Win32Clock&) = delete;
  Win32Clock& operator=(const Win32Clock&) = delete;

  std::uint32_t tick_count() override;
  std::int64_t now_us() override;
  void set_fine_timers(bool on) override;

 private:
  std::int64_t frequency_ = 1;
  unsigned fine_period_ms_ = 0;  // the period asked for with timeBeginPeriod; 0: none
};

}  // namespace lyricsub::win32
