// Pixel copies of windows.
#pragma once

#include <windows.h>

#include "platform/types.h"

namespace lyricsub::win32 {

// The window's whole rectangle, frame included, as a packed DIB: a
// BITMAPINFOHEADER (32 bits per pixel, bottom-up, BI_RGB) followed by the
// pixels. Empty when window is not a window. Releases every GDI object.
Bytes snapshot_window(HWND window);

}  // namespace lyricsub::win32
