// Playback: the preview of a typical song, the cost of one tick, and how far
// the clock falls behind real time under the Windows timer, ours against
// plain tick counting.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "app/shell.h"
#include "platform/fake/fake_platform.h"
#include "playback/lrc_times.h"
#include "playback/playback.h"
#include "playback/preview.h"

namespace lyricsub {
namespace {

// rows lines, evenly spread over length; CR LF line ends as on Windows.
std::string song(int rows, lrc::Hundredths length) {
  std::string file = "[ti:Benchmark]\r\n[ar:Nobody]\r\n";
  for (int k = 0; k < rows; ++k)
    file += "[" + lrc::clock_text(length * (k + 1) / rows) + "]第" + std::to_string(k) +
            "句 some words of a line\r\n";
  return file;
}

void BM_PreviewOfATypicalSong(benchmark::State& state) {
  const std::string file = song(60, 4 * lrc::kHundredthsPerMinute);
  const Bytes bytes(file.begin(), file.end());
  std::size_t delivered = 0;
  for (auto _ : state) delivered = preview::play(bytes).size();
  state.counters["lines"] = static_cast<double>(delivered);
}
BENCHMARK(BM_PreviewOfATypicalSong)->Unit(benchmark::kMillisecond);

// One timer message running one tick, with the table's rows spread over four
// minutes (most ticks deliver nothing, as in a song).
void BM_OneTick(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  FakePlatform fake;
  App app{fake.platform()};
  start_up(app);
  fake.desktop.windows.push_back(FakeWindow{.handle = 77, .class_name = "Edit", .owner = {2, 3}});
  app.state.target_handle = 77;
  app.state.target_thread = 2;
  app.state.target_process = 3;
  for (int k = 0; k < rows; ++k)
    fake.ui.table_set(fake.ui.table_append_row(), 1,
                      "[" + lrc::clock_text(4 * 6000 * (k + 1) / rows) + "]line " +
                          std::to_string(k) + " with some words");
  const auto restart = [&] {
    if (fake.ui.timer_period(Control::时钟1) > 0) app.raise(Control::按钮1, Event::clicked, {});
    app.raise(Control::按钮1, Event::clicked, {});
  };
  restart();
  for (auto _ : state) {
    fake.clock.advance_ms(kTickPeriodMs);
    app.raise(Control::时钟1, Event::tick, {});
    fake.log.clear();
    if (fake.ui.timer_period(Control::时钟1) == 0) {
      state.PauseTiming();
      restart();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_OneTick)->Arg(300)->Arg(5000)->Unit(benchmark::kMicrosecond);

// Ten minutes under a 10 ms SetTimer that fires every 15.625 ms: the largest
// lag of the clock behind real time seen after a timer message, for our clock
// and for a clock that counts one hundredth per message.
void BM_DriftOverTenMinutes(benchmark::State& state) {
  constexpr std::int64_t kMessageUs = 15'625;
  std::int64_t ours_max_lag = 0;         // just after a timer message
  std::int64_t ours_max_lag_before = 0;  // just before one: the worst a line waits
  std::int64_t counting_max_lag = 0;
  for (auto _ : state) {
    FakePlatform fake;
    App app{fake.platform()};
    start_up(app);
    fake.ui.table_set(fake.ui.table_append_row(), 1, "[10:00.00]last line");
    app.raise(Control::按钮1, Event::clicked, {});
    const std::int64_t start = fake.clock.now;
    std::int64_t counted = 0;
    const auto ours = [&]() -> std::int64_t {
      return (app.state.minutes * 6000LL + app.state.seconds * 100LL + app.state.hundredths) *
             10'000;
    };
    while (fake.ui.timer_period(Control::时钟1) > 0) {
      fake.clock.advance_us(kMessageUs);
      const std::int64_t real = fake.clock.now - start;
      ours_max_lag_before = std::max(ours_max_lag_before, real - ours());
      app.raise(Control::时钟1, Event::tick, {});
      fake.log.clear();
      ++counted;
      ours_max_lag = std::max(ours_max_lag, real - ours());
      // Plain counting reaches 10:00.00 only after 60,000 messages; its lag
      // when our song ends is its lag at that moment, and it only grows.
      counting_max_lag = std::max(counting_max_lag, real - counted * 10'000);
    }
  }
  state.counters["ours_max_lag_ms"] = static_cast<double>(ours_max_lag) / 1000.0;
  state.counters["ours_max_lag_before_msg_ms"] = static_cast<double>(ours_max_lag_before) / 1000.0;
  state.counters["counting_lag_at_10min_s"] = static_cast<double>(counting_max_lag) / 1e6;
  state.counters["counting_song_end_min"] = 60'000 * 15.625 / 1000.0 / 60.0;
}
BENCHMARK(BM_DriftOverTenMinutes)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lyricsub

BENCHMARK_MAIN();
