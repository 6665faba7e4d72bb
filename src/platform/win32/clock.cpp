#include "platform/win32/clock.h"

#include <windows.h>

namespace lyricsub::win32 {

Win32Clock::Win32Clock() {
  LARGE_INTEGER f;
  if (QueryPerformanceFrequency(&f) && f.QuadPart > 0) frequency_ = f.QuadPart;
}

std::uint32_t Win32Clock::tick_count() { return GetTickCount(); }

std::int64_t Win32Clock::now_us() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  // Split to avoid overflow of c * 1e6 for large counters.
  const std::int64_t whole = c.QuadPart / frequency_;
  const std::int64_t part = c.QuadPart % frequency_;
  return whole * 1'000'000 + part * 1'000'000 / frequency_;
}

}  // namespace lyricsub::win32
