// The definitions of the program's two windows and the loader that builds a
// window from its definition.
#pragma once

#include "app/events.h"
#include "platform/definitions.h"

namespace lyricsub {

const WindowDef& main_window_definition();
const WindowDef& highlight_window_definition();

// Builds the window hidden, creates its controls (containers first), stacks
// them so that earlier list entries lie above later ones of the same
// container, shows the visible ones, raises the window's created event and
// finally shows the window if its definition marks it visible.
void load_window(const WindowDef& window, WindowBuilder& builder, EventSink& events);

}  // namespace lyricsub
