// The play button and the playback timer.
#pragma once

#include "app/app.h"

namespace lyricsub {

void play_clicked(App& app);
void playback_timer_ticked(App& app);

}  // namespace lyricsub
