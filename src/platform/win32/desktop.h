// Other programs' windows, the mouse and the keyboard focus, through Win32.
#pragma once

#include "platform/desktop.h"

namespace lyricsub::win32 {

class Win32Desktop final : public Desktop {
 public:
  bool send_set_selection(Handle target, int start, int end) override;
  bool send_replace_selection(Handle target, bool undoable, const Text& text) override;
  std::optional<int> send_get_text_length(Handle target) override;
  void post_key(Handle target, KeyMessage message, int key_code, int lparam) override;
  void mouse_button(bool down) override;
  Point cursor_pos() override;
  Handle foreground_window() override;
  ThreadProcess window_thread_process(Handle window) override;
  std::uint32_t current_thread() override;
  bool attach_thread_input(std::uint32_t attach, std::uint32_t to, bool on) override;
  Handle focus() override;
  void class_name(Handle window, char* buffer, int max) override;
  Handle window_from_point(Point p) override;
  Handle parent(Handle window) override;
  Handle next_sibling(Handle window) override;
  Rect window_rect(Handle window) override;
  bool is_visible(Handle window) override;
  bool is_window(Handle window) override;
  Bytes snapshot(Handle window) override;
};

}  // namespace lyricsub::win32
