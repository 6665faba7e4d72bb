// Placeholder: filled in with the target integration.
#include "platform/win32/desktop.h"

#include <windows.h>

namespace lyricsub::win32 {

bool Win32Desktop::send_set_selection(Handle, int, int) { return false; }
bool Win32Desktop::send_replace_selection(Handle, bool, const Text&) { return false; }
std::optional<int> Win32Desktop::send_get_text_length(Handle) { return std::nullopt; }
void Win32Desktop::post_key(Handle, KeyMessage, int, int) {}
void Win32Desktop::mouse_button(bool) {}
Handle Win32Desktop::foreground_window() { return 0; }
ThreadProcess Win32Desktop::window_thread_process(Handle) { return {}; }
std::uint32_t Win32Desktop::current_thread() { return GetCurrentThreadId(); }
bool Win32Desktop::attach_thread_input(std::uint32_t, std::uint32_t, bool) { return false; }
Handle Win32Desktop::focus() { return 0; }
void Win32Desktop::class_name(Handle, char*, int) {}

}  // namespace lyricsub::win32
