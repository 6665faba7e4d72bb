#include "target/picker.h"

namespace lyricsub {

void picker_pressed(App& /*app*/) {}
void picker_moved(App& /*app*/) {}
void picker_released(App& /*app*/) {}

}  // namespace lyricsub
