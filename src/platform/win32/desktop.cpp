// Placeholder: filled in with the target integration.
#include "platform/win32/desktop.h"

#include <windows.h>

namespace lyricsub::win32 {

bool Win32Desktop::send_set_selection(Handle, int, int) { return false; }
bool Win32Desktop::send_replace_selection(Handle, bool, const Text&) { return false; }
std::optional<int> Win32Desktop::send_get_text_length(Handle) { return std::nullopt; }
void Win32Desktop::post_key(Handle, KeyMessage, int, int) {}
void Win32Desktop::mouse_button(bool) {}
Point Win32Desktop::cursor_pos() { return {}; }
Handle Win32Desktop::foreground_window() { return 0; }
ThreadProcess Win32Desktop::window_thread_process(Handle) { return {}; }
std::uint32_t Win32Desktop::current_thread() { return GetCurrentThreadId(); }
bool Win32Desktop::attach_thread_input(std::uint32_t, std::uint32_t, bool) { return false; }
Handle Win32Desktop::focus() { return 0; }
void Win32Desktop::class_name(Handle, char*, int) {}
Handle Win32Desktop::window_from_point(Point) { return 0; }
Handle Win32Desktop::parent(Handle) { return 0; }
Handle Win32Desktop::next_sibling(Handle) { return 0; }
Rect Win32Desktop::window_rect(Handle) { return {}; }
bool Win32Desktop::is_visible(Handle) { return false; }
bool Win32Desktop::is_window(Handle) { return false; }
Bytes Win32Desktop::snapshot(Handle) { return {}; }

}  // namespace lyricsub::win32
