// The target picker: dragging the cross-hair onto another program's edit box.
#pragma once

#include "app/app.h"

namespace lyricsub {

void picker_pressed(App& app);
void picker_moved(App& app);
void picker_released(App& app);

}  // namespace lyricsub
