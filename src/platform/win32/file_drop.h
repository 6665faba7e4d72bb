// An OLE drop target that takes dropped files (CF_HDROP) only.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/types.h"

namespace lyricsub::win32 {

// Makes area accept dropped files. on_files receives the full paths as one
// text: the single path for one file, otherwise every path followed by
// "\r\n". OLE must be initialised on this thread. False when registering
// failed.
bool register_file_drop(HWND area, std::function<void(const Text& paths)> on_files);

}  // namespace lyricsub::win32
