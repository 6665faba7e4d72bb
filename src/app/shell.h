// Start-up, the main window's created and will-be-destroyed events, the exit
// routine and the on-top box.
#pragma once

#include "app/app.h"

namespace lyricsub {

// Program entry: allocates the state, registers the exit routine and loads
// the main window. The caller then runs the message loop.
void start_up(App& app);
void main_window_created(App& app);
void main_window_will_be_destroyed(App& app);
// Releases end_tag and the hovered_rect block.
void exit_routine(ProgramState& state);
// The state is going away before the process ends (tests): the registered
// exit routine must no longer reach it.
void forget_exit_routine(const ProgramState& state);
// Left button pressed over the on-top box, before the box reacts.
void toggle_on_top(App& app);

}  // namespace lyricsub
