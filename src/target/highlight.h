// The blinking frame around the window under the mouse while picking.
#pragma once

#include "app/app.h"
#include "platform/desktop.h"
#include "platform/types.h"

namespace lyricsub {

void highlight_window_created(App& app);
void flash_tick(App& app);
// Left button released over the flash canvas; answers false.
bool flash_canvas_released(App& app);

// The window the user points at: the window the hit test finds at the cursor,
// or a smaller visible sibling below it in the z-order that also contains the
// cursor (a control inside a larger group box). 0 when there is none.
Handle window_under_mouse(Desktop& desktop);

// Where the frame goes around a window whose screen rectangle is hovered: the
// highlight window two pixels larger on every side, and the flash canvas
// inside it, leaving that two-pixel band of background as the frame.
struct FrameGeometry {
  Box window;  // screen coordinates
  Box canvas;  // relative to the highlight window's client area
};
FrameGeometry frame_geometry(const Rect& hovered);

}  // namespace lyricsub
