// A program with a fake target edit control, for the playback tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/shell.h"
#include "platform/fake/fake_platform.h"
#include "playback/playback.h"

namespace lyricsub {

struct Delivery {
  Text clock;  // the clock box when the line was delivered
  Text text;
  friend bool operator==(const Delivery&, const Delivery&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Delivery& d) {
    return out << d.clock << " " << d.text;
  }
};

struct PlaybackTest : ::testing::Test {
  static constexpr Handle kTarget = 4242;
  FakePlatform fake;
  App app{fake.platform()};

  PlaybackTest() {
    start_up(app);
    fake.desktop.windows.push_back(
        FakeWindow{.handle = kTarget, .class_name = "Edit", .owner = {7, 8}});
    app.state.target_handle = kTarget;
    app.state.target_thread = 7;
    app.state.target_process = 8;
  }

  // Replaces the table by these lines, column 0 roughly as the loader sets it
  // (playback reads only column 1).
  void load(std::initializer_list<std::string> lines) {
    fake.ui.table_clear();
    for (const std::string& line : lines) {
      const int row = fake.ui.table_append_row();
      fake.ui.table_set(row, 1, line);
      const auto open = line.find('[');
      const auto close = line.find(']', open);
      if (open != std::string::npos && close != std::string::npos)
        fake.ui.table_set(row, 0, line.substr(open + 1, close - open - 1));
    }
  }

  void click_play() { app.raise(Control::按钮1, Event::clicked, {}); }
  void timer_message() { app.raise(Control::时钟1, Event::tick, {}); }
  // n timer messages 10 ms apart: one tick each.
  void step(int n = 1) {
    for (int k = 0; k < n; ++k) {
      fake.clock.advance_ms(kTickPeriodMs);
      timer_message();
    }
  }
  // Timer messages 10 ms apart until the timer stops (at most max of them).
  void run_to_end(int max = 1'000'000) {
    for (int k = 0; k < max && playing(); ++k) step();
  }
  bool playing() const { return fake.ui.timer_period(Control::时钟1) > 0; }
  Text clock_box() { return fake.ui.text(Control::编辑框1); }
  Text lyric_box() { return fake.ui.text(Control::编辑框歌词); }
  Text caption() { return fake.ui.text(Control::按钮1); }
  std::int32_t clock_value() const {
    return app.state.minutes * 6000 + app.state.seconds * 100 + app.state.hundredths;
  }
  // Puts the clock at m:s.h as if the ticks up to it had run on time, so the
  // next step runs exactly one tick.
  void set_clock(int m, int s, int h) {
    app.state.minutes = m;
    app.state.seconds = s;
    app.state.hundredths = h;
    fake.clock.now = app.state.playback_started_us + clock_value() * 10'000LL;
  }

  // What reached the target, read from the call log: each replacement with
  // the clock box's text at that moment.
  std::vector<Delivery> deliveries() const {
    const std::string clock_prefix =
        std::string("set_text ") + control_name(Control::编辑框1) + " ";
    const std::string replace_prefix = "EM_REPLACESEL " + std::to_string(kTarget) + " 1 ";
    std::vector<Delivery> out;
    Text clock;
    for (const std::string& line : fake.log) {
      if (line.starts_with(clock_prefix)) clock = line.substr(clock_prefix.size());
      if (line.starts_with(replace_prefix))
        out.push_back({clock, line.substr(replace_prefix.size())});
    }
    return out;
  }
  // Lines the target sent (each followed by "\n").
  std::string sent() { return fake.desktop.received[kTarget]; }
  std::ptrdiff_t position(const std::string& line) const {
    const auto it = std::find(fake.log.begin(), fake.log.end(), line);
    return it == fake.log.end() ? -1 : it - fake.log.begin();
  }
  std::ptrdiff_t count(const std::string& prefix) const {
    return std::count_if(fake.log.begin(), fake.log.end(),
                         [&](const std::string& l) { return l.starts_with(prefix); });
  }
};

}  // namespace lyricsub
