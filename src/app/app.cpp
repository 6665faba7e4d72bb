#include "app/app.h"

#include <span>

#include "app/shell.h"
#include "lyrics/load.h"
#include "lyrics/scan.h"
#include "playback/playback.h"
#include "target/highlight.h"
#include "target/picker.h"

namespace lyricsub {
namespace {

// A handler answers false to stop the control's own handling of a mouse
// message, true to let it go on.
using Handler = bool (*)(App& app, const Text& data);

struct Binding {
  Control source;
  Event event;
  Handler run;
};

template <void (*Run)(App&)>
bool plain(App& app, const Text& /*data*/) {
  Run(app);
  return true;
}

using enum Control;
using enum Event;

// No other event of either window or of any control runs behaviour.
constexpr Binding kEventTable[] = {
    {main_window, created, plain<main_window_created>},
    {main_window, will_be_destroyed, plain<main_window_will_be_destroyed>},
    {选择框1, left_down, plain<toggle_on_top>},
    {图片框2, left_down, plain<picker_pressed>},
    {图片框2, left_up, plain<picker_released>},
    {图片框2, mouse_move, plain<picker_moved>},
    {列表框1, selected, plain<load_selected_file>},
    {按钮3, clicked, plain<browse>},
    {按钮1, clicked, plain<play_clicked>},
    {时钟1, tick, plain<playback_timer_ticked>},
    {拖放对象1, files_received,
     [](App& app, const Text& paths) {
       load_dropped_files(app, paths);
       return true;
     }},
    {highlight_window, created, plain<highlight_window_created>},
    {时钟_闪烁, tick, plain<flash_tick>},
    {画板_闪烁数据, left_up, [](App& app, const Text&) { return flash_canvas_released(app); }},
};

}  // namespace

App::App(Platform platform)
    : ui(platform.ui),
      builder(platform.builder),
      desktop(platform.desktop),
      files(platform.files),
      clock(platform.clock) {}

App::~App() { forget_exit_routine(state); }

bool App::raise(Control source, Event event, const Text& data) {
  for (const Binding& b : kEventTable)
    if (b.source == source && b.event == event) return b.run(*this, data);
  return true;
}

}  // namespace lyricsub
