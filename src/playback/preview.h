// Plays a lyrics file the way the program does, against the fake platform
// and a fake target, over a simulated clock: what lyricsub-preview prints and
// what the tests check whole files with. Header only, since it needs the fake
// platform, which the program itself does not link.
#pragma once

#include <string>
#include <vector>

#include "app/shell.h"
#include "lyrics/load.h"
#include "platform/fake/fake_platform.h"
#include "playback/playback.h"

namespace lyricsub::preview {

struct Delivery {
  Text clock;  // the clock box when the line went out (MM:SS.hh)
  Text text;   // what the target received, code page 936
  friend bool operator==(const Delivery&, const Delivery&) = default;
};

// Fills the table from the file's bytes exactly as loading a file does,
// presses play and runs timer messages until playback ends. The messages come
// a simulated second apart, each running the hundred ticks due by then, as a
// late timer message does in the program.
inline std::vector<Delivery> play(const Bytes& file) {
  constexpr Handle kTarget = 0x4242;
  constexpr int kMessagePeriodMs = 1000;
  FakePlatform fake;
  App app{fake.platform()};
  start_up(app);
  fake.desktop.windows.push_back(
      FakeWindow{.handle = kTarget, .class_name = "Edit", .owner = {2, 3}});
  app.state.target_handle = kTarget;
  app.state.target_thread = 2;
  app.state.target_process = 3;
  const Text path = "C:\\lyrics\\preview.lrc";
  fake.files.files[path] = file;
  app.ui.table_clear();
  fill_lyrics_table(app, path);

  // Deliveries are read from the call log: each replacement of the target's
  // content, with the clock text written last before it.
  const std::string clock_prefix = std::string("set_text ") + control_name(Control::编辑框1) + " ";
  const std::string replace_prefix = "EM_REPLACESEL " + std::to_string(kTarget) + " 1 ";
  std::vector<Delivery> out;
  Text clock = app.ui.text(Control::编辑框1);
  const auto collect = [&] {
    for (const std::string& line : fake.log) {
      if (line.starts_with(clock_prefix)) clock = line.substr(clock_prefix.size());
      if (line.starts_with(replace_prefix))
        out.push_back({clock, line.substr(replace_prefix.size())});
    }
    fake.log.clear();
  };
  fake.log.clear();
  app.raise(Control::按钮1, Event::clicked, {});
  while (fake.ui.timer_period(Control::时钟1) > 0) {
    fake.clock.advance_ms(kMessagePeriodMs);
    app.raise(Control::时钟1, Event::tick, {});
    collect();
  }
  return out;
}

}  // namespace lyricsub::preview
