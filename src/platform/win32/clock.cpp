#include "platform/win32/clock.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <algorithm>

namespace lyricsub::win32 {

Win32Clock::Win32Clock() {
  LARGE_INTEGER f;
  if (QueryPerformanceFrequency(&f) && f.QuadPart > 0) frequency_ = f.QuadPart;
}

Win32Clock::~Win32Clock() { set_fine_timers(false); }

std::uint32_t Win32Clock::tick_count() { return GetTickCount(); }

std::int64_t Win32Clock::now_us() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  // Split to avoid overflow of c * 1e6 for large counters.
  const std::int64_t whole = c.QuadPart / frequency_;
  const std::int64_t part = c.QuadPart % frequency_;
  return whole * 1'000'000 + part * 1'000'000 / frequency_;
}

// The default system timer runs at 15.625 ms, so a 10 ms SetTimer fires every
// 15.6 ms. Playback keeps real time anyway (it runs the ticks that are due by
// now_us), but with the finest resolution (usually 1 ms) each line goes out
// within about 10 ms of its time instead of 16. Asked for only while playing:
// a finer resolution costs power.
void Win32Clock::set_fine_timers(bool on) {
  if (on == (fine_period_ms_ != 0)) return;
  if (!on) {
    timeEndPeriod(fine_period_ms_);
    fine_period_ms_ = 0;
    return;
  }
  TIMECAPS caps{};
  if (timeGetDevCaps(&caps, sizeof caps) != MMSYSERR_NOERROR) return;
  const unsigned period = std::max<unsigned>(caps.wPeriodMin, 1);
  if (timeBeginPeriod(period) == TIMERR_NOERROR) fine_period_ms_ = period;
}

}  // namespace lyricsub::win32
