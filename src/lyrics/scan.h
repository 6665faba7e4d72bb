// Choosing a folder and listing the lyrics files below it.
#pragma once

#include "app/app.h"

namespace lyricsub {

// The browse button was clicked.
void browse(App& app);

}  // namespace lyricsub
