// The target picker: dragging the cross-hair `图片框2` onto another program's
// edit box chooses the target.
#pragma once

#include "app/app.h"

namespace lyricsub {

// Events of the picker. A press starts a drag (capture, flash timer); the
// release that ends it clicks twice at the release point and picks the
// focused edit control of the foreground program as the target. Presses
// while a pick runs (its own clicks among them) are ignored.
void picker_pressed(App& app);
void picker_moved(App& app);
void picker_released(App& app);

// Returns once the tick count has passed its start value by more than ms,
// processing pending events meanwhile; at once when ms <= 0.
void wait_with_events(App& app, int ms);

// Asks which control has the keyboard focus in the foreground program and
// keeps it in focus_handle (with its owner in target_thread/target_process)
// when its class is accepted and it belongs to another program. Returns
// focus_handle.
Handle find_focused_edit_control(App& app);

// The sequence after a release: click, wait, click, wait, find the focused
// edit control, show it in `编辑框3`, deliver "字幕准备中....." and Enter.
void pick(App& app);

}  // namespace lyricsub
