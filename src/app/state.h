// The program state: the module-wide variables every handler shares.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/types.h"

namespace lyricsub {

struct ProgramState {
  std::int32_t dragging = 0;     // 1 while the picker is dragged
  Handle focus_handle = 0;       // last focused control of an accepted class
  Handle target_handle = 0;      // the edit control that receives the lyrics
  std::int32_t hundredths = 0;   // clock
  std::int32_t seconds = 0;      // clock
  std::int32_t minutes = 0;      // clock
  Text end_tag;                  // clock text at which playback ends
  std::int32_t key_code = 0;     // last key handed to the key poster
  std::int32_t key_mode = 0;     // 0: one full key press
  Colour flash_colour = 0;       // colour of the highlight frame
  Handle hovered_handle = 0;     // window under the mouse at the last flash tick
  std::unique_ptr<Rect> hovered_rect;  // its screen rectangle; allocated at start-up
};

}  // namespace lyricsub
