// Loading a lyrics file into the lyrics table.
#pragma once

#include "app/app.h"

namespace lyricsub {

// An entry of the lyrics file list was selected.
void load_selected_file(App& app);
// Files were dropped onto the lyrics table.
void load_dropped_files(App& app, const Text& paths);

}  // namespace lyricsub
