#include "lyrics/scan.h"

namespace lyricsub {

void browse(App& app) { app.ui.list_clear(); }

}  // namespace lyricsub
