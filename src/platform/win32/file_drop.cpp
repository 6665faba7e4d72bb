// Placeholder: filled in with lyrics loading.
#include "platform/win32/file_drop.h"

namespace lyricsub::win32 {

bool register_file_drop(HWND, std::function<void(const Text&)>) { return false; }

}  // namespace lyricsub::win32
