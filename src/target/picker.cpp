#include "target/picker.h"

#include <cstdint>
#include <span>
#include <string>

#include "target/cursor_images.h"
#include "target/delivery.h"

namespace lyricsub {
namespace {

using enum Control;

constexpr int kFlashPeriodMs = 200;
constexpr int kPickPauseMs = 100;
constexpr char kGreeting[] = "字幕准备中.....";

Bytes bytes_of(std::span<const std::uint8_t> image) { return Bytes(image.begin(), image.end()); }

void click(App& app) {
  app.desktop.mouse_button(true);
  app.desktop.mouse_button(false);
}

}  // namespace

void picker_pressed(App& app) {
  ProgramState& s = app.state;
  if (s.picking) return;  // the pick's own clicks, or a press while it runs
  s.focus_handle = 0;
  s.target_handle = 0;
  s.target_thread = 0;
  s.target_process = 0;
  s.dragging = 1;
  app.ui.set_pointer(图片框2, bytes_of(cross_hair_cursor()));
  app.ui.set_picture(图片框2, {});
  app.ui.process_pending_events();
  // A quick click may have been released (and picked) while events ran:
  // taking the capture and starting the flash now would never be undone.
  if (s.dragging != 1) return;
  app.ui.set_capture(图片框2);
  app.ui.set_timer_period(时钟_闪烁, kFlashPeriodMs);
}

void picker_moved(App& /*app*/) {}

void picker_released(App& app) {
  ProgramState& s = app.state;
  if (s.dragging != 1) return;
  app.ui.set_timer_period(时钟_闪烁, 0);
  app.ui.hide_highlight();
  app.ui.release_capture();
  s.dragging = 0;
  app.ui.set_pointer(图片框2, bytes_of(hand_cursor()));
  app.ui.set_picture(图片框2, bytes_of(cross_hair_cursor()));
  pick(app);
}

void wait_with_events(App& app, int ms) {
  if (ms <= 0) return;
  const std::uint32_t start = app.clock.tick_count();
  // Unsigned difference: correct across the counter's wrap-around.
  while (app.clock.tick_count() - start <= static_cast<std::uint32_t>(ms))
    app.ui.process_pending_events();
}

Handle find_focused_edit_control(App& app) {
  Desktop& desktop = app.desktop;
  ProgramState& s = app.state;
  const Handle foreground = desktop.foreground_window();
  const std::uint32_t thread = desktop.window_thread_process(foreground).thread;
  const std::uint32_t self = desktop.current_thread();
  const bool attached = desktop.attach_thread_input(thread, self, true);
  const Handle focused = desktop.focus();
  // The join is only needed to read the focus; kept, it would tie this
  // program's keyboard state to the other program's.
  if (attached) desktop.attach_thread_input(thread, self, false);
  if (!is_target_class(read_class_name(desktop, focused))) return s.focus_handle;
  // This program's own boxes (a release over its own window, or over the
  // picker itself) are never a target.
  const ThreadProcess owner = desktop.window_thread_process(focused);
  if (owner.thread == 0 || owner.thread == self) return s.focus_handle;
  s.focus_handle = focused;
  s.target_thread = owner.thread;
  s.target_process = owner.process;
  return s.focus_handle;
}

void pick(App& app) {
  ProgramState& s = app.state;
  ScopedFlag picking(s.picking);
  click(app);
  wait_with_events(app, kPickPauseMs);
  click(app);
  wait_with_events(app, kPickPauseMs);
  s.target_handle = find_focused_edit_control(app);
  app.ui.set_text(编辑框3, std::to_string(s.target_handle));

  wait_for_earlier_enter(app, s.target_handle);
  const Handle target = live_target(app);
  const bool taken = replace_content(app, target, kGreeting);
  wait_with_events(app, kPickPauseMs);
  const bool still_live = taken && live_target(app) == target;
  post_key_press(app, still_live ? target : 0, kEnterKey, kFullKeyPress);
}

}  // namespace lyricsub
