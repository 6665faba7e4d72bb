// Choosing a folder and listing the lyrics files below it.
#pragma once

#include "app/app.h"

namespace lyricsub {

// The browse button was clicked: empties the lyrics file list, asks for a
// folder, shows it in the folder box and lists every lyrics file below it.
void browse(App& app);

// Appends every lyrics file in folder and in the folders below it to the
// lyrics file list, depth first, each entry carrying the folder it was found
// in. Pending events are handled once per folder, so other handlers (a
// nested browse too) can run in between. Folders whose names begin with "."
// are skipped, and no folder is scanned twice, so folder links that lead
// back into the tree end there.
void scan_folder(App& app, const Text& folder);

}  // namespace lyricsub
