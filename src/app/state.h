// The program state: the module-wide variables every handler shares.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/types.h"

namespace lyricsub {

struct ProgramState {
  std::int32_t dragging = 0;           // 1 while the picker is dragged
  Handle focus_handle = 0;             // last focused control of an accepted class
  Handle target_handle = 0;            // the edit control that receives the lyrics
  std::int32_t hundredths = 0;         // clock
  std::int32_t seconds = 0;            // clock
  std::int32_t minutes = 0;            // clock
  Text end_tag;                        // clock text at which playback ends
  std::int32_t key_code = 0;           // last key handed to the key poster
  std::int32_t key_mode = 0;           // 0: one full key press
  Colour flash_colour = 0;             // colour of the highlight frame
  Handle hovered_handle = 0;           // window under the mouse at the last flash tick
  std::unique_ptr<Rect> hovered_rect;  // its screen rectangle; allocated at start-up

  // --- Target integration ----------------------------------------------------
  // Owner of target_handle when it was picked: a handle whose owner differs
  // has been reused by another window and receives nothing.
  std::uint32_t target_thread = 0;
  std::uint32_t target_process = 0;
  // True while a delivery is running, including its wait for the target to
  // take an earlier Enter (which processes pending events): the playback tick
  // must not start another delivery inside it.
  bool in_delivery = false;
  // The last Enter posted, and when (Clock::now_us): a delivery that follows
  // it closely waits until the target has taken it.
  Handle last_enter_target = 0;
  std::int64_t last_enter_us = 0;
  // True while a pick runs: its own clicks must not start another drag.
  bool picking = false;

  // --- Playback --------------------------------------------------------------
  // Clock::now_us at the play click that started playback: each timer message
  // runs the ticks due since then.
  std::int64_t playback_started_us = 0;
  // Counts play clicks, so a tick can tell that a click handled while it
  // delivered (delivery may process pending events) stopped its playback.
  std::uint32_t play_clicks = 0;
  // True while a timer message runs its ticks: no tick may run inside another.
  bool in_playback_tick = false;
  // Each row's line and times as synchronisation last read them: a row whose
  // line is unchanged is not parsed again.
  struct TimedRow {
    Text line;
    std::vector<std::int32_t> times;  // hundredths
  };
  std::vector<TimedRow> timed_rows;
  // True while timed_rows holds the table as it is: the table changes only
  // when events are handled, so the rows are read once per timer message and
  // again after anything that may process events (a delivery).
  bool timed_rows_current = false;
};

}  // namespace lyricsub
