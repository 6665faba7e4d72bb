#include "playback/playback.h"

#include <algorithm>
#include <optional>

#include "playback/lrc_times.h"
#include "target/delivery.h"

namespace lyricsub {
namespace {

using lrc::Hundredths;

constexpr char kPlayCaption[] = "播放字幕";
constexpr char kStopCaption[] = "停止播放";
constexpr char kLyricsPending[] = "歌词准备中。。。。";
constexpr char kSubtitlesPending[] = "字幕准备中。。。。";
constexpr char kEndMessage[] = "字幕完毕了";
constexpr char kEndCaption[] = "信息：";

// A clock without an end still stops here.
constexpr int kMinutesLimit = 10;
constexpr std::int64_t kTickUs = kTickPeriodMs * 1000;

Hundredths clock_value(const ProgramState& s) {
  return s.minutes * lrc::kHundredthsPerMinute + s.seconds * 100 + s.hundredths;
}

void reset_clock(ProgramState& s) {
  s.minutes = 0;
  s.seconds = 0;
  s.hundredths = 0;
}

bool timer_running(App& app) { return app.ui.timer_period(Control::时钟1) > 0; }

void stop_timer(App& app) {
  app.ui.set_timer_period(Control::时钟1, 0);
  app.clock.set_fine_timers(false);
}

// The latest time of any row, which is where playback ends.
std::optional<Hundredths> latest_time_in_table(App& app) {
  std::optional<Hundredths> latest;
  const int rows = app.ui.table_count();
  for (int row = 0; row < rows; ++row) {
    const std::optional<Hundredths> t = lrc::latest_time(app.ui.table_text(row, 1));
    if (t && (!latest || *t > *latest)) latest = t;
  }
  return latest;
}

void start_playback(App& app) {
  ProgramState& s = app.state;
  if (const std::optional<Hundredths> end = latest_time_in_table(app))
    s.end_tag = lrc::clock_text(*end);
  reset_clock(s);
  s.playback_started_us = app.clock.now_us();
  app.clock.set_fine_timers(true);
  app.ui.set_timer_period(Control::时钟1, kTickPeriodMs);
  app.ui.set_text(Control::按钮1, kStopCaption);
}

void stop_playback(App& app) {
  app.ui.set_text(Control::按钮1, kPlayCaption);
  reset_clock(app.state);
  stop_timer(app);
  app.ui.set_text(Control::编辑框歌词, kLyricsPending);
}

// The minutes limit never stops a clock whose end is still to come.
bool end_at_or_after(const ProgramState& s, Hundredths time) {
  const std::optional<Hundredths> end = lrc::parse_time(s.end_tag);
  return end && *end >= time;
}

void advance_clock(App& app) {
  ProgramState& s = app.state;
  if (s.hundredths < 99) {
    ++s.hundredths;
    return;
  }
  s.hundredths = 0;
  if (s.seconds < 59) {
    ++s.seconds;
    return;
  }
  s.seconds = 0;
  if (s.minutes >= kMinutesLimit &&
      !end_at_or_after(s, (s.minutes + 1) * lrc::kHundredthsPerMinute)) {
    stop_timer(app);  // minutes stays: the clock shows M:00.00 once more
    return;
  }
  ++s.minutes;
}

void show_clock(App& app, Hundredths time) {
  app.ui.set_text(Control::编辑框1, lrc::clock_text(time));
}

// Stops playback when the clock has met end_tag. True when it has: the
// closing message is then due.
bool end_reached(App& app) {
  if (lrc::clock_text(clock_value(app.state)) != app.state.end_tag) return false;
  stop_timer(app);
  app.ui.set_text(Control::编辑框歌词, kSubtitlesPending);
  return true;
}

// One tick: advance, show, synchronise, check for the end. True when the
// tick met the end.
bool run_tick(App& app) {
  const std::uint32_t click = app.state.play_clicks;
  if (clock_value(app.state) == 0) {
    // The first tick also delivers the lines at 00:00.00, before 00:00.01.
    show_clock(app, 0);
    synchronise(app);
    if (app.state.play_clicks != click) return false;
    if (end_reached(app)) return true;
  }
  advance_clock(app);
  show_clock(app, clock_value(app.state));
  synchronise(app);
  // A click handled during a delivery stopped (or restarted) this playback.
  if (app.state.play_clicks != click) return false;
  return end_reached(app);
}

// Brings timed_rows up to the table's contents, parsing only changed lines.
void read_table(App& app) {
  ProgramState& s = app.state;
  const int rows = app.ui.table_count();
  s.timed_rows.resize(static_cast<std::size_t>(std::max(rows, 0)));
  for (int row = 0; row < rows; ++row) {
    ProgramState::TimedRow& cached = s.timed_rows[static_cast<std::size_t>(row)];
    Text line = app.ui.table_text(row, 1);
    if (line == cached.line) continue;
    cached.times = lrc::times(line);
    cached.line = std::move(line);
  }
  s.timed_rows_current = true;
}

bool has_time(const ProgramState::TimedRow& row, Hundredths time) {
  return std::find(row.times.begin(), row.times.end(), time) != row.times.end();
}

Hundredths ticks_due(App& app) {
  const std::int64_t elapsed = app.clock.now_us() - app.state.playback_started_us;
  return elapsed <= 0 ? 0 : static_cast<Hundredths>(elapsed / kTickUs);
}

}  // namespace

void play_clicked(App& app) {
  ++app.state.play_clicks;
  if (app.ui.text(Control::按钮1) == kPlayCaption)
    start_playback(app);
  else
    stop_playback(app);
}

void playback_timer_ticked(App& app) {
  ProgramState& s = app.state;
  // Delivery may process pending events while it waits for the target; a
  // timer message met there runs nothing, and the next one catches up.
  if (s.in_playback_tick || s.in_delivery) return;
  bool ended = false;
  {
    ScopedFlag ticking(s.in_playback_tick);
    s.timed_rows_current = false;  // events handled since the last message may have loaded a file
    while (!ended && timer_running(app) && clock_value(s) < ticks_due(app)) ended = run_tick(app);
    s.timed_rows_current = false;
  }
  // Shown after the tick is over, so that a playback started again while the
  // box is open runs its ticks. The timer is already stopped.
  if (ended) app.ui.message_box(kEndMessage, kEndCaption);
}

void synchronise(App& app) {
  ProgramState& s = app.state;
  // Within a timer message the rows read at its first tick still hold.
  if (!s.in_playback_tick || !s.timed_rows_current) read_table(app);
  if (s.timed_rows.empty()) return;
  const std::optional<Hundredths> now = lrc::parse_time(app.ui.text(Control::编辑框1));
  if (!now) return;
  const std::uint32_t click = s.play_clicks;
  for (std::size_t row = 0; row < s.timed_rows.size(); ++row) {
    if (!has_time(s.timed_rows[row], *now)) continue;
    app.ui.table_set_current(static_cast<int>(row));
    const Text lyric = lrc::lyric_text(s.timed_rows[row].line);
    if (lyric.empty()) continue;
    // The lyric box holds the line last delivered; what goes out is read back.
    app.ui.set_text(Control::编辑框歌词, lyric);
    deliver_line(app, app.ui.text(Control::编辑框歌词));
    if (s.play_clicks != click) return;  // stopped while delivering
    // The delivery may have handled events, a load among them.
    read_table(app);
  }
}

}  // namespace lyricsub
