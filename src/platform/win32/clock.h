// Time through Win32.
#pragma once

#include "platform/clock.h"

namespace lyricsub::win32 {

class Win32Clock final : public Clock {
 public:
  Win32Clock();
  std::uint32_t tick_count() override;
  std::int64_t now_us() override;

 private:
  std::int64_t frequency_ = 1;
};

}  // namespace lyricsub::win32
