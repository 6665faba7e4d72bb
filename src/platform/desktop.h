// The seam to other programs' windows, the mouse and the keyboard focus.
//
// This is the only way behaviour code reaches outside the process. Handles
// are plain integers; nothing here keeps state between calls.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/types.h"

namespace lyricsub {

struct ThreadProcess {
  std::uint32_t thread = 0;
  std::uint32_t process = 0;
  friend bool operator==(const ThreadProcess&, const ThreadProcess&) = default;
};

enum class KeyMessage { down, up };  // WM_KEYDOWN, WM_KEYUP

class Desktop {
 public:
  virtual ~Desktop() = default;

  // --- Messages to an edit control ------------------------------------------
  // Synchronous sends, bounded in time: false when the send failed or timed
  // out (a hung or vanished target).
  virtual bool send_set_selection(Handle target, int start, int end) = 0;  // EM_SETSEL
  virtual bool send_replace_selection(Handle target, bool undoable,
                                      const Text& text) = 0;           // EM_REPLACESEL
  virtual std::optional<int> send_get_text_length(Handle target) = 0;  // WM_GETTEXTLENGTH
  // Posted; returns at once.
  virtual void post_key(Handle target, KeyMessage message, int key_code, int lparam) = 0;

  // --- Input and focus --------------------------------------------------------
  virtual void mouse_button(bool down) = 0;  // mouse_event, left button, no move
  virtual Point cursor_pos() = 0;
  virtual Handle foreground_window() = 0;
  virtual ThreadProcess window_thread_process(Handle window) = 0;  // zeros on failure
  virtual std::uint32_t current_thread() = 0;
  virtual bool attach_thread_input(std::uint32_t attach, std::uint32_t to, bool on) = 0;
  virtual Handle focus() = 0;
  // GetClassName into buffer (at most max bytes including the NUL); on
  // failure the buffer is left as it was.
  virtual void class_name(Handle window, char* buffer, int max) = 0;

  // --- Window geometry and pixels ------------------------------------------
  virtual Handle window_from_point(Point p) = 0;
  virtual Handle parent(Handle window) = 0;        // GetParent: owner for pop-ups
  virtual Handle next_sibling(Handle window) = 0;  // GetWindow(GW_HWNDNEXT)
  virtual Rect window_rect(Handle window) = 0;     // zeros on failure
  virtual bool is_visible(Handle window) = 0;
  virtual bool is_window(Handle window) = 0;
  // A pixel copy of the window's whole rectangle as a bitmap the flash canvas
  // can show; empty when the handle is not a window.
  virtual Bytes snapshot(Handle window) = 0;
};

}  // namespace lyricsub
