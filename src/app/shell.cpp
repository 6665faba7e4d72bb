#include "app/shell.h"

#include <cstdlib>

#include "app/windows.h"

namespace lyricsub {
namespace {

ProgramState* g_exiting_state = nullptr;

void run_exit_routine() {
  if (g_exiting_state != nullptr) exit_routine(*g_exiting_state);
}

}  // namespace

void start_up(App& app) {
  app.state.hovered_rect = std::make_unique<Rect>();
  if (g_exiting_state == nullptr) std::atexit(run_exit_routine);
  g_exiting_state = &app.state;
  load_window(main_window_definition(), app.builder, app);
}

void main_window_created(App& app) {
  // The skin engine is not used; the manifest's visual styles give the look.
  app.ui.register_drop_target(Control::拖放对象1, Control::超级列表框1);
  load_window(highlight_window_definition(), app.builder, app);
}

void main_window_will_be_destroyed(App& app) { app.ui.end_program(0); }

void exit_routine(ProgramState& state) {
  state.end_tag.clear();
  state.end_tag.shrink_to_fit();
  state.hovered_rect.reset();
}

void forget_exit_routine(const ProgramState& state) {
  if (g_exiting_state == &state) g_exiting_state = nullptr;
}

void toggle_on_top(App& app) {
  // The box changes its mark only when the click completes, so this reads
  // the state before the click.
  const bool was_checked = app.ui.checked(Control::选择框1);
  app.ui.set_always_on_top(!was_checked);
}

}  // namespace lyricsub
