// The clock under a timer that ticks late and irregularly, as a 10 ms
// SetTimer does on Windows (every 15.625 ms, with jitter and stalls).
#include <gtest/gtest.h>

#include <random>

#include "playback/lrc_times.h"
#include "playback_fixture.h"

namespace lyricsub {
namespace {

constexpr std::int64_t kWindowsTimerUs = 15'625;
constexpr std::int64_t kTickUs = kTickPeriodMs * 1000;

TEST_F(PlaybackTest, ClockKeepsRealTimeUnderAJitteryTimerWithStalls) {
  // Ten minutes, a line every 49.97 s, the last at 09:59.99. Each line is met
  // by exactly one tick, so a skipped tick loses a line.
  std::vector<std::string> lines;
  std::vector<lrc::Hundredths> times;
  for (lrc::Hundredths t = 4'997; t < 60'000; t += 4'997) times.push_back(t);
  times.push_back(59'999);
  for (std::size_t k = 0; k < times.size(); ++k)
    lines.push_back("[" + lrc::clock_text(times[k]) + "]line " + std::to_string(k));
  fake.ui.table_clear();
  for (const std::string& line : lines) fake.ui.table_set(fake.ui.table_append_row(), 1, line);

  std::mt19937 random(20261211);
  std::uniform_int_distribution<std::int64_t> jitter(-3'000, 3'000);
  std::uniform_int_distribution<int> stall(0, 199);
  click_play();
  const std::int64_t start = fake.clock.now;
  std::int64_t max_lag_us = 0;
  int messages = 0;
  while (playing()) {
    std::int64_t wait = kWindowsTimerUs + jitter(random);
    if (stall(random) == 0) wait += 300'000;
    fake.clock.advance_us(wait);
    timer_message();
    ++messages;
    // After each message the clock shows the last hundredth that has begun.
    const std::int64_t real = fake.clock.now - start;
    const std::int64_t shown = std::int64_t{clock_value()} * kTickUs;
    ASSERT_LE(shown, real) << "ahead of real time at message " << messages;
    if (playing()) {
      ASSERT_LT(real - shown, kTickUs) << "behind at message " << messages;
    }
    max_lag_us = std::max(max_lag_us, real - shown);
    ASSERT_LT(real, std::int64_t{11} * 60'000'000) << "playback did not end";
  }
  EXPECT_EQ(clock_box(), "09:59.99");
  EXPECT_EQ(fake.ui.message_boxes.size(), 1u);

  // Every line exactly once, in order, at its own time.
  const std::vector<Delivery> got = deliveries();
  ASSERT_EQ(got.size(), times.size());
  for (std::size_t k = 0; k < times.size(); ++k) {
    EXPECT_EQ(got[k].clock, lrc::clock_text(times[k]));
    EXPECT_EQ(got[k].text, "line " + std::to_string(k));
  }
  RecordProperty("timer_messages", messages);
  RecordProperty("max_lag_us", static_cast<int>(max_lag_us));
}

}  // namespace
}  // namespace lyricsub
