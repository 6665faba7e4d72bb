#include "platform/ui.h"

#include <algorithm>

namespace lyricsub {

void Ui::set_timer_period(Control timer, int ms) {
  ms = std::max(ms, 0);
  int& current = timer_periods_[static_cast<int>(timer)];
  if (ms == current) return;
  current = ms;
  if (ms == 0)
    stop_timer(timer);
  else
    start_timer(timer, ms);
}

int Ui::timer_period(Control timer) const { return timer_periods_[static_cast<int>(timer)]; }

}  // namespace lyricsub
