// The blinking frame around the window under the mouse while picking.
#pragma once

#include "app/app.h"

namespace lyricsub {

void highlight_window_created(App& app);
void flash_tick(App& app);
// Left button released over the flash canvas; answers false.
bool flash_canvas_released(App& app);

}  // namespace lyricsub
