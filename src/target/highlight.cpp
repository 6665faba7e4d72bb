#include "target/highlight.h"

namespace lyricsub {

void highlight_window_created(App& app) { app.state.flash_colour = 255; }
void flash_tick(App& /*app*/) {}
bool flash_canvas_released(App& /*app*/) { return false; }

}  // namespace lyricsub
