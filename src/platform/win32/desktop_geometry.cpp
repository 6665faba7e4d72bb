// Window geometry and pixels: what the highlight frame asks of other windows.
#include <windows.h>

#include <cstdint>

#include "platform/win32/desktop.h"
#include "platform/win32/snapshot.h"

namespace lyricsub::win32 {
namespace {

// Window handles carry 32 significant bits; widening sign-extends as
// LongToHandle does, narrowing truncates as HandleToLong does.
HWND to_hwnd(Handle h) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(h)); }
Handle to_handle(HWND w) { return static_cast<Handle>(reinterpret_cast<std::intptr_t>(w)); }

}  // namespace

Point Win32Desktop::cursor_pos() {
  POINT p{};
  if (!GetCursorPos(&p)) return {};
  return {static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y)};
}

Handle Win32Desktop::window_from_point(Point p) {
  return to_handle(WindowFromPoint(POINT{p.x, p.y}));
}

Handle Win32Desktop::parent(Handle window) { return to_handle(GetParent(to_hwnd(window))); }

Handle Win32Desktop::next_sibling(Handle window) {
  return to_handle(GetWindow(to_hwnd(window), GW_HWNDNEXT));
}

Rect Win32Desktop::window_rect(Handle window) {
  RECT r{};
  if (!GetWindowRect(to_hwnd(window), &r)) return {};
  return {static_cast<std::int32_t>(r.left), static_cast<std::int32_t>(r.top),
          static_cast<std::int32_t>(r.right), static_cast<std::int32_t>(r.bottom)};
}

bool Win32Desktop::is_visible(Handle window) { return IsWindowVisible(to_hwnd(window)) != FALSE; }

bool Win32Desktop::is_window(Handle window) { return IsWindow(to_hwnd(window)) != FALSE; }

Bytes Win32Desktop::snapshot(Handle window) { return snapshot_window(to_hwnd(window)); }

}  // namespace lyricsub::win32
