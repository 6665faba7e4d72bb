// Messages to another program's edit control, the mouse and the keyboard
// focus, through Win32. Every send is bounded, so a hung target cannot freeze
// this program.
#include "platform/win32/desktop.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "platform/codepage.h"

namespace lyricsub::win32 {
namespace {

// Longest a target may take to handle one sent message.
constexpr UINT kSendTimeoutMs = 1000;

// Window handles carry 32 significant bits; widening sign-extends as
// LongToHandle does, narrowing truncates as HandleToLong does.
HWND to_hwnd(Handle h) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(h)); }
Handle to_handle(HWND w) { return static_cast<Handle>(reinterpret_cast<std::intptr_t>(w)); }

// SendMessageTimeoutW: the result when the target handled the message in
// time, nothing when the send failed, timed out or the target is hung.
std::optional<LRESULT> send_bounded(Handle target, UINT message, WPARAM wparam, LPARAM lparam) {
  if (target == 0) return std::nullopt;
  DWORD_PTR result = 0;
  const LRESULT ok = SendMessageTimeoutW(to_hwnd(target), message, wparam, lparam,
                                         SMTO_ABORTIFHUNG | SMTO_NORMAL, kSendTimeoutMs, &result);
  if (ok == 0) return std::nullopt;
  return static_cast<LRESULT>(result);
}

}  // namespace

bool Win32Desktop::send_set_selection(Handle target, int start, int end) {
  return send_bounded(target, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end))
      .has_value();
}

bool Win32Desktop::send_replace_selection(Handle target, bool undoable, const Text& text) {
  // The text ends at its first zero byte; sent as UTF-16 so that it arrives
  // intact whatever the system's code page.
  const std::u16string wide = cp936::to_utf16(Text(text.c_str()));
  return send_bounded(target, EM_REPLACESEL, undoable ? TRUE : FALSE,
                      reinterpret_cast<LPARAM>(wide.c_str()))
      .has_value();
}

std::optional<int> Win32Desktop::send_get_text_length(Handle target) {
  const std::optional<LRESULT> length = send_bounded(target, WM_GETTEXTLENGTH, 0, 0);
  if (!length) return std::nullopt;
  return static_cast<int>(*length);
}

void Win32Desktop::post_key(Handle target, KeyMessage message, int key_code, int lparam) {
  PostMessageW(to_hwnd(target), message == KeyMessage::down ? WM_KEYDOWN : WM_KEYUP,
               static_cast<WPARAM>(key_code), static_cast<LPARAM>(lparam));
}

void Win32Desktop::mouse_button(bool down) {
  mouse_event(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

Handle Win32Desktop::foreground_window() { return to_handle(GetForegroundWindow()); }

ThreadProcess Win32Desktop::window_thread_process(Handle window) {
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(to_hwnd(window), &process);
  if (thread == 0) return {};
  return {static_cast<std::uint32_t>(thread), static_cast<std::uint32_t>(process)};
}

std::uint32_t Win32Desktop::current_thread() { return GetCurrentThreadId(); }

bool Win32Desktop::attach_thread_input(std::uint32_t attach, std::uint32_t to, bool on) {
  return AttachThreadInput(attach, to, on ? TRUE : FALSE) != FALSE;
}

Handle Win32Desktop::focus() { return to_handle(GetFocus()); }

void Win32Desktop::class_name(Handle window, char* buffer, int max) {
  if (buffer == nullptr || max <= 0) return;
  wchar_t wide[256];
  const int length = GetClassNameW(to_hwnd(window), wide, 256);
  if (length <= 0) return;  // the buffer stays as it was
  // Class names are compared as code page 936 bytes.
  const Text name = cp936::from_utf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide),
                                                          static_cast<std::size_t>(length)));
  const std::size_t n = std::min(name.size(), static_cast<std::size_t>(max - 1));
  std::memcpy(buffer, name.data(), n);
  buffer[n] = '\0';
}

}  // namespace lyricsub::win32
