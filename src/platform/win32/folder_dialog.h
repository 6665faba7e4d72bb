// The system's folder dialog.
#pragma once

#include <windows.h>

#include "platform/types.h"

namespace lyricsub::win32 {

// Shows the folder dialog owned by owner with prompt as its title, no root
// folder and an edit field; the chosen folder's path, or empty when cancelled
// or when the chosen item has no file-system path.
Text browse_for_folder(HWND owner, const Text& prompt);

}  // namespace lyricsub::win32
