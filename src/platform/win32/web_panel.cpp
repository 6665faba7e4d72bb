// Placeholder: filled in with the web panel.
#include "platform/win32/web_panel.h"

namespace lyricsub::win32 {

HWND create_web_panel(HWND, const RECT&, const wchar_t*) { return nullptr; }

}  // namespace lyricsub::win32
