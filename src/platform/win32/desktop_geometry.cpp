// Placeholder: filled in with the highlight frame.
#include <windows.h>

#include "platform/win32/desktop.h"
#include "platform/win32/snapshot.h"

namespace lyricsub::win32 {

Point Win32Desktop::cursor_pos() { return {}; }
Handle Win32Desktop::window_from_point(Point) { return 0; }
Handle Win32Desktop::parent(Handle) { return 0; }
Handle Win32Desktop::next_sibling(Handle) { return 0; }
Rect Win32Desktop::window_rect(Handle) { return {}; }
bool Win32Desktop::is_visible(Handle) { return false; }
bool Win32Desktop::is_window(Handle) { return false; }
Bytes Win32Desktop::snapshot(Handle) { return {}; }

}  // namespace lyricsub::win32
