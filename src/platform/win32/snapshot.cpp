// Placeholder: filled in with the highlight frame.
#include "platform/win32/snapshot.h"

namespace lyricsub::win32 {

Bytes snapshot_window(HWND) { return {}; }

}  // namespace lyricsub::win32
