// The play button and the playback clock.
#include <gtest/gtest.h>

#include "playback_fixture.h"

namespace lyricsub {
namespace {

using enum Control;
using Deliveries = std::vector<Delivery>;

TEST_F(PlaybackTest, StartSetsTheEndAndStartsTheTimerClockBoxKeepsItsText) {
  load({"[ti:Song]", "[00:01.00]a", "[00:03.00][00:02.00]b", "[00:02.50]c", "[Chorus]"});
  fake.ui.set_text(编辑框1, "12:34.56");
  click_play();
  EXPECT_EQ(caption(), "停止播放");
  EXPECT_EQ(fake.ui.timer_period(时钟1), kTickPeriodMs);
  // The latest time of the table, not the bottom-most row's.
  EXPECT_EQ(app.state.end_tag, "00:03.00");
  EXPECT_EQ(clock_box(), "12:34.56");
  EXPECT_EQ(clock_value(), 0);
}

TEST_F(PlaybackTest, FirstTickShowsOneHundredthAndDeliversZeroLinesFirst) {
  load({"[00:00.01]second", "[00:00.00]first", "[00:00.02]third"});
  click_play();
  fake.clock.advance_us(9'999);
  timer_message();  // not yet due
  EXPECT_EQ(clock_value(), 0);
  EXPECT_TRUE(deliveries().empty());
  step();
  EXPECT_EQ(clock_box(), "00:00.01");
  EXPECT_EQ(deliveries(), (Deliveries{{"00:00.00", "first"}, {"00:00.01", "second"}}));
  step();
  EXPECT_EQ(sent(), "first\nsecond\nthird\n");
}

TEST_F(PlaybackTest, ClockCarries) {
  struct Case {
    int m, s, h;
    const char* next;
  };
  const Case cases[] = {
      {0, 0, 0, "00:00.01"},  {0, 0, 99, "00:01.00"},  {0, 59, 99, "01:00.00"},
      {3, 7, 44, "03:07.45"}, {9, 59, 99, "10:00.00"}, {10, 0, 5, "10:00.06"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.next);
    if (!playing()) click_play();
    set_clock(c.m, c.s, c.h);
    step();
    EXPECT_EQ(clock_box(), c.next);
    EXPECT_TRUE(playing());
  }
}

TEST_F(PlaybackTest, MinutesLimitStopsAClockWithoutEndSilently) {
  click_play();  // empty table: the end stays empty
  EXPECT_EQ(app.state.end_tag, "");
  set_clock(10, 59, 99);
  step();
  EXPECT_EQ(clock_box(), "10:00.00");  // shown once more, then stopped
  EXPECT_FALSE(playing());
  EXPECT_EQ(caption(), "停止播放");
  EXPECT_TRUE(fake.ui.message_boxes.empty());
}

TEST_F(PlaybackTest, MinutesLimitRunsInOneCatchUpAndStopsDeliveringTicks) {
  click_play();
  fake.clock.advance_ms(20 * 60'000);  // one very late timer message
  timer_message();
  EXPECT_EQ(clock_box(), "10:00.00");
  EXPECT_EQ(app.state.minutes, 10);
  EXPECT_FALSE(playing());
  // Ticks 00:00.00 (the first tick's zero) to 10:59.99, then the one that
  // stopped the timer, and not one after it.
  EXPECT_EQ(count(std::string("set_text ") + control_name(编辑框1) + " "), 66'001);
}

TEST_F(PlaybackTest, SongLongerThanTheMinutesLimitPlaysToItsEnd) {
  load({"[00:01.00]start", "[12:30.00]last"});
  click_play();
  set_clock(10, 59, 99);
  step();
  EXPECT_EQ(clock_box(), "11:00.00");
  set_clock(12, 29, 99);
  step();
  EXPECT_EQ(deliveries(), (Deliveries{{"12:30.00", "last"}}));
  EXPECT_FALSE(playing());
  EXPECT_EQ(fake.ui.message_boxes.size(), 1u);
}

TEST_F(PlaybackTest, StopResetsTheClockAndKeepsTheClockBox) {
  load({"[00:05.00]later"});
  click_play();
  step(150);
  EXPECT_EQ(clock_box(), "00:01.50");
  click_play();
  EXPECT_EQ(caption(), "播放字幕");
  EXPECT_FALSE(playing());
  EXPECT_EQ(clock_value(), 0);
  EXPECT_EQ(lyric_box(), "歌词准备中。。。。");
  EXPECT_EQ(clock_box(), "00:01.50");
  step(500);  // a late message of the stopped timer does nothing
  EXPECT_EQ(clock_box(), "00:01.50");
  EXPECT_TRUE(deliveries().empty());
}

TEST_F(PlaybackTest, EndAtTheLatestTimeThenStopThenRestartFromZero) {
  load({"[00:00.50]last", "[00:00.20]early"});
  click_play();
  run_to_end();
  EXPECT_EQ(deliveries(), (Deliveries{{"00:00.20", "early"}, {"00:00.50", "last"}}));
  EXPECT_EQ(clock_box(), "00:00.50");
  EXPECT_EQ(caption(), "停止播放");
  EXPECT_EQ(lyric_box(), "字幕准备中。。。。");
  ASSERT_EQ(fake.ui.message_boxes.size(), 1u);
  EXPECT_EQ(fake.ui.message_boxes[0], std::make_pair(Text("字幕完毕了"), Text("信息：")));
  // The last line goes out, then the timer stops, then the message shows.
  const auto last = position("EM_REPLACESEL 4242 1 last");
  const auto stopped = position(std::string("stop_timer ") + control_name(时钟1));
  const auto box = position("message_box 字幕完毕了 信息：");
  EXPECT_LT(last, stopped);
  EXPECT_LT(stopped, box);

  click_play();  // ended: a click stops
  EXPECT_EQ(caption(), "播放字幕");
  EXPECT_EQ(lyric_box(), "歌词准备中。。。。");
  EXPECT_FALSE(playing());
  click_play();  // and the next starts again from zero
  EXPECT_TRUE(playing());
  step();
  EXPECT_EQ(clock_box(), "00:00.01");
  run_to_end();
  EXPECT_EQ(sent(), "early\nlast\nearly\nlast\n");
  EXPECT_EQ(fake.ui.message_boxes.size(), 2u);
}

// The finer system timer costs power: asked for only while the clock runs.
TEST_F(PlaybackTest, FineTimersOnlyWhilePlaying) {
  load({"[00:00.05]a"});
  EXPECT_FALSE(fake.clock.fine_timers);
  click_play();
  EXPECT_TRUE(fake.clock.fine_timers);
  click_play();  // stop
  EXPECT_FALSE(fake.clock.fine_timers);
  click_play();
  run_to_end();  // the end
  EXPECT_FALSE(fake.clock.fine_timers);
  click_play();
  click_play();
  load({});
  app.state.end_tag.clear();
  set_clock(10, 59, 99);
  step();  // the minutes limit
  EXPECT_FALSE(playing());
  EXPECT_FALSE(fake.clock.fine_timers);
}

TEST_F(PlaybackTest, TableWithOnlyAZeroTimeEndsOnTheFirstTick) {
  load({"[ar:Someone]", "[00:00.00]only"});
  click_play();
  step();
  EXPECT_EQ(deliveries(), (Deliveries{{"00:00.00", "only"}}));
  EXPECT_FALSE(playing());
  EXPECT_EQ(clock_box(), "00:00.00");
  EXPECT_EQ(fake.ui.message_boxes.size(), 1u);
}

TEST_F(PlaybackTest, TableWithoutTimesKeepsThePreviousEnd) {
  load({"[00:00.30]a"});
  click_play();
  run_to_end();
  click_play();
  load({"[ti:No times here]", "words", "[00:1.20]"});
  click_play();
  EXPECT_EQ(app.state.end_tag, "00:00.30");
  run_to_end();
  EXPECT_EQ(clock_box(), "00:00.30");
  EXPECT_EQ(fake.ui.message_boxes.size(), 2u);
}

TEST_F(PlaybackTest, FractionFormsPlayAndEnd) {
  load({"[00:00.1]tenths", "[00:00.123]thousandths", "[00:01]whole", "[00:00.150][00:00.3]x"});
  click_play();
  EXPECT_EQ(app.state.end_tag, "00:01.00");
  run_to_end();
  EXPECT_EQ(deliveries(), (Deliveries{{"00:00.10", "tenths"},
                                      {"00:00.12", "thousandths"},
                                      {"00:00.15", "x"},
                                      {"00:00.30", "x"},
                                      {"00:01.00", "whole"}}));
  EXPECT_EQ(fake.ui.message_boxes.size(), 1u);
}

TEST_F(PlaybackTest, LoadingAnotherFileWhilePlayingKeepsTheClockAndTheEnd) {
  const auto drop = [&](const Text& path, const std::string& content) {
    fake.files.files[path] = Bytes(content.begin(), content.end());
    app.raise(拖放对象1, Event::files_received, path);
  };
  drop("C:\\first.lrc", "[00:00.50]a\r\n[00:03.00]end of first\r\n");
  click_play();
  step(100);
  drop("C:\\second.lrc", "[00:01.50]b\r\n[00:02.00]end of second\r\n");
  step(50);
  EXPECT_EQ(clock_box(), "00:01.50");
  EXPECT_EQ(app.state.end_tag, "00:03.00");
  run_to_end();
  EXPECT_EQ(deliveries(),
            (Deliveries{{"00:00.50", "a"}, {"00:01.50", "b"}, {"00:02.00", "end of second"}}));
  EXPECT_EQ(clock_box(), "00:03.00");
  EXPECT_EQ(fake.ui.message_boxes.size(), 1u);
}

// Delivery processes pending events while it waits for the target to take an
// earlier Enter; the events met there run inside the tick.
TEST_F(PlaybackTest, NoTickRunsInsideAnother) {
  load({"[00:00.10]one", "[00:00.10]two", "[00:00.11]three", "[00:01.00]later"});
  fake.desktop.hold_posted_keys = true;
  int nested = 0;
  fake.ui.on_pending_events = [&] {
    fake.clock.advance_ms(kTickPeriodMs);  // ticks fall due meanwhile
    const std::int32_t clock_before = clock_value();
    const auto replaced_before = count("EM_REPLACESEL");
    timer_message();
    EXPECT_EQ(clock_value(), clock_before);
    EXPECT_EQ(count("EM_REPLACESEL"), replaced_before);
    ++nested;
    fake.desktop.take_posted_keys();
  };
  click_play();
  step(11);
  EXPECT_GT(nested, 0);
  fake.desktop.take_posted_keys();
  EXPECT_EQ(sent(), "one\ntwo\nthree\n");
  // The ticks that fell due during the waits ran afterwards.
  EXPECT_EQ(clock_value(), static_cast<std::int32_t>(fake.clock.now / 10'000));
}

TEST_F(PlaybackTest, StopClickedDuringADeliveryEndsTheTick) {
  load({"[00:00.10]one", "[00:00.10]two", "[00:00.10]three", "[00:00.10]four"});
  fake.desktop.hold_posted_keys = true;
  fake.ui.on_pending_events = [&] {
    if (playing()) click_play();
    fake.desktop.take_posted_keys();
  };
  click_play();
  step(10);
  fake.desktop.take_posted_keys();
  // The stop came while "two" waited for the Enter of "one".
  EXPECT_EQ(sent(), "one\ntwo\n");
  EXPECT_FALSE(playing());
  EXPECT_EQ(caption(), "播放字幕");
  EXPECT_TRUE(fake.ui.message_boxes.empty());
  EXPECT_EQ(lyric_box(), "歌词准备中。。。。");
}

TEST_F(PlaybackTest, PlayAgainDuringADeliveryStartsAFreshPlayback) {
  load({"[00:00.10]one", "[00:00.10]two", "[00:00.10]three"});
  fake.desktop.hold_posted_keys = true;
  int clicks = 0;
  fake.ui.on_pending_events = [&] {
    if (clicks++ == 0) {
      click_play();  // stop
      click_play();  // start
    }
    fake.desktop.take_posted_keys();
  };
  click_play();
  step(10);
  EXPECT_TRUE(playing());
  EXPECT_EQ(clock_value(), 0);  // the interrupted tick ran no further
  run_to_end();
  fake.desktop.take_posted_keys();
  EXPECT_EQ(sent(), "one\ntwo\none\ntwo\nthree\n");
}

}  // namespace
}  // namespace lyricsub
