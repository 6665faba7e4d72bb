// The web panel: the system's web browser control hosted through OLE
// in-place activation.
#pragma once

#include <windows.h>

namespace lyricsub::win32 {

// Creates a child window of parent at box that hosts the web browser control
// and opens url (a file: URL beside the program). Returns the host window,
// or nullptr when the control cannot be created; the program goes on without
// it. OLE must be initialised on this thread.
HWND create_web_panel(HWND parent, const RECT& box, const wchar_t* url);

}  // namespace lyricsub::win32
