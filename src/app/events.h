// Window and control events and the table that binds them to behaviour.
#pragma once

#include "platform/controls.h"
#include "platform/types.h"

namespace lyricsub {

enum class Event {
  created,            // a window, after its controls exist, before it is shown
  will_be_destroyed,  // a window
  left_down,
  left_up,
  mouse_move,
  selected,        // list box entry selected by the user
  clicked,         // push button
  tick,            // timer
  files_received,  // drop object: full paths, "\r\n" after each when several
};

// Receives events from the platform. Returns false to stop the control's own
// handling of a mouse message; true lets it go on.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual bool raise(Control source, Event event, const Text& data) = 0;
};

}  // namespace lyricsub
