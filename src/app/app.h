// The running program: its state, the platform it talks to, and the event
// table that binds window events to handlers.
#pragma once

#include "app/events.h"
#include "app/state.h"
#include "platform/clock.h"
#include "platform/definitions.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/ui.h"

namespace lyricsub {

struct Platform {
  Ui& ui;
  WindowBuilder& builder;
  Desktop& desktop;
  Files& files;
  Clock& clock;
};

class App final : public EventSink {
 public:
  explicit App(Platform platform);
  ~App() override;
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  ProgramState state;
  Ui& ui;
  WindowBuilder& builder;
  Desktop& desktop;
  Files& files;
  Clock& clock;

  // Runs the handler the event table binds to (source, event), if any.
  bool raise(Control source, Event event, const Text& data) override;
};

}  // namespace lyricsub
