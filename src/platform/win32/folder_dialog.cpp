// Placeholder: filled in with the folder scan.
#include "platform/win32/folder_dialog.h"

namespace lyricsub::win32 {

Text browse_for_folder(HWND, const Text&) { return {}; }

}  // namespace lyricsub::win32
