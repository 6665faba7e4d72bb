// The system's folder dialog, modal to every window of the program.
#include "platform/win32/folder_dialog.h"

#include <shlobj.h>

#include <vector>

#include "platform/codepage.h"

namespace lyricsub::win32 {
namespace {

struct WindowState {
  HWND window;
  bool enabled;
};

BOOL CALLBACK remember_window(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<WindowState>*>(param)->push_back(
      {window, IsWindowEnabled(window) != FALSE});
  return TRUE;
}

// Disables every top-level window of this thread while it lives, then gives
// each its earlier enabled state back and makes the windows that were in the
// foreground and active so again.
class ThreadWindowsDisabled {
 public:
  ThreadWindowsDisabled() : foreground_(GetForegroundWindow()), active_(GetActiveWindow()) {
    EnumThreadWindows(GetCurrentThreadId(), remember_window, reinterpret_cast<LPARAM>(&windows_));
    for (const WindowState& w : windows_) EnableWindow(w.window, FALSE);
  }
  ~ThreadWindowsDisabled() {
    for (const WindowState& w : windows_)
      if (IsWindow(w.window)) EnableWindow(w.window, w.enabled ? TRUE : FALSE);
    if (foreground_ != nullptr && IsWindow(foreground_)) SetForegroundWindow(foreground_);
    if (active_ != nullptr && IsWindow(active_)) SetActiveWindow(active_);
  }
  ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
  ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

 private:
  HWND foreground_;
  HWND active_;
  std::vector<WindowState> windows_;
};

std::wstring wide(const Text& text) {
  const std::u16string w = cp936::to_utf16(text);
  return {w.begin(), w.end()};
}

}  // namespace

Text browse_for_folder(HWND owner, const Text& prompt) {
  const std::wstring title = wide(prompt);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;  // starts at the desktop
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_EDITBOX;

  PIDLIST_ABSOLUTE chosen = nullptr;
  {
    const ThreadWindowsDisabled disabled;
    chosen = SHBrowseForFolderW(&info);
  }
  if (chosen == nullptr) return {};  // cancelled
  wchar_t path[MAX_PATH] = {};
  const bool has_path = SHGetPathFromIDListW(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  if (!has_path) return {};
  return cp936::from_utf16(reinterpret_cast<const char16_t*>(path));
}

}  // namespace lyricsub::win32
