#include "playback/playback.h"

namespace lyricsub {

void play_clicked(App& /*app*/) {}
void playback_timer_ticked(App& /*app*/) {}

}  // namespace lyricsub
