#include "target/delivery.h"

#include <array>
#include <cstring>
#include <optional>

namespace lyricsub {
namespace {

// "Edit", "RICHEDIT" and "RichEDIT20W" have always been accepted; the others
// are the names the system's rich edit controls register. Case matters.
constexpr std::array<std::string_view, 6> kTargetClasses = {
    "Edit", "RICHEDIT", "RichEDIT20W", "RichEdit20A", "RichEdit20W", "RICHEDIT50W"};

}  // namespace

Text read_class_name(Desktop& desktop, Handle window) {
  std::array<char, 256> buffer;
  std::memset(buffer.data(), ' ', buffer.size() - 1);
  buffer.back() = '\0';
  desktop.class_name(window, buffer.data(), static_cast<int>(buffer.size() - 1));
  buffer.back() = '\0';
  return Text(buffer.data());
}

bool is_target_class(std::string_view class_name) {
  for (std::string_view accepted : kTargetClasses)
    if (class_name == accepted) return true;
  return false;
}

bool replace_content(App& app, Handle target, const Text& text) {
  if (target == 0) return false;
  if (!app.desktop.send_set_selection(target, 0, -1)) return false;
  return app.desktop.send_replace_selection(target, true, text);
}

void post_key_press(App& app, Handle target, int key_code, int key_mode) {
  app.state.key_code = key_code;
  app.state.key_mode = key_mode;
  if (target == 0) return;
  app.desktop.post_key(target, KeyMessage::down, app.state.key_code, 0);
  app.desktop.post_key(target, KeyMessage::up, app.state.key_code, 0);
  if (key_code == kEnterKey) {
    app.state.last_enter_target = target;
    app.state.last_enter_us = app.clock.now_us();
  }
}

Handle live_target(App& app) {
  const ProgramState& s = app.state;
  const Handle target = s.target_handle;
  if (target == 0 || s.target_thread == 0) return 0;
  if (!app.desktop.is_window(target)) return 0;
  if (app.desktop.window_thread_process(target) != ThreadProcess{s.target_thread, s.target_process})
    return 0;
  if (!is_target_class(read_class_name(app.desktop, target))) return 0;
  return target;
}

void wait_for_earlier_enter(App& app, Handle target) {
  if (target == 0 || target != app.state.last_enter_target) return;
  const std::int64_t start = app.clock.now_us();
  if (start - app.state.last_enter_us >= kEnterSettleUs) return;
  std::optional<int> first_length;
  for (;;) {
    const std::optional<int> length = app.desktop.send_get_text_length(target);
    if (!length || *length == 0) return;  // taken, or the target does not answer
    if (!first_length)
      first_length = length;
    else if (*length != *first_length)
      return;  // the Enter changed the content: taken
    if (app.clock.now_us() - start >= kEnterSettleUs) return;
    if (!app.ui.process_pending_events()) return;  // quitting
  }
}

void deliver_line(App& app, const Text& text) {
  ScopedFlag delivering(app.state.in_delivery);
  wait_for_earlier_enter(app, app.state.target_handle);
  const Handle target = live_target(app);
  const bool taken = replace_content(app, target, text);
  post_key_press(app, taken ? target : 0, kEnterKey, kFullKeyPress);
}

}  // namespace lyricsub
