// The play button, the playback timer and line synchronisation.
//
// The clock counts hundredths of a second in the state's minutes, seconds and
// hundredths and advances by exactly one hundredth per tick. The timer `时钟1`
// runs with a 10 ms period, but systems deliver timer messages late and
// irregularly (every 15.6 ms on a default Windows), so each timer message
// runs as many whole ticks as are due by the real time elapsed since the play
// click: the clock never falls behind real time and never runs ahead of it.
#pragma once

#include "app/app.h"

namespace lyricsub {

inline constexpr int kTickPeriodMs = 10;

// `按钮1` clicked: starts playback when its caption reads "播放字幕",
// otherwise stops and resets it.
void play_clicked(App& app);

// A message of the playback timer `时钟1`: runs the ticks that are due.
void playback_timer_ticked(App& app);

// Delivers every row of the lyrics table one of whose times equals the time
// in the clock box `编辑框1`, in row order, each made the current row.
void synchronise(App& app);

}  // namespace lyricsub
