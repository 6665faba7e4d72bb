#include "lyrics/load.h"

namespace lyricsub {

void load_selected_file(App& app) { app.ui.table_clear(); }

void load_dropped_files(App& app, const Text& /*paths*/) { app.ui.table_clear(); }

}  // namespace lyricsub
