// Reading times and lyric text from LRC lines.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "playback/lrc_times.h"

namespace lyricsub::lrc {
namespace {

struct TimeCase {
  const char* tag;
  std::optional<Hundredths> time;
};

TEST(LrcTimes, ParseTimeAcceptsTheFourFormsOnly) {
  const TimeCase cases[] = {
      {"00:12.34", 1234},
      {"01:23.456", 8345},  // thousandths truncated
      {"01:23.459", 8345},
      {"01:23", 8300},
      {"00:07.5", 750},  // tenths
      {"1:02.03", 6203},
      {"123:45.67", 123 * 6000 + 4567},
      {"0001:00.00", 6000},
      {"00:00.00", 0},
      {"00:59.99", 5999},
      {"999:59.99", 999 * 6000 + 5999},
      {"1000:00.00", std::nullopt},  // beyond the longest song we play
      {"99999999999999999999:00.00", std::nullopt},
      {"02:83.375", std::nullopt},  // seconds above 59
      {"00:60.00", std::nullopt},
      {"00:7.50", std::nullopt},  // seconds need two digits
      {"00:123.00", std::nullopt},
      {"00:08:50", std::nullopt},
      {"00:12.", std::nullopt},
      {"00:12.3456", std::nullopt},
      {":12.34", std::nullopt},
      {"00:12.34 ", std::nullopt},
      {" 00:12.34", std::nullopt},
      {"-1:00.00", std::nullopt},
      {"+1:00.00", std::nullopt},
      {"00.12.34", std::nullopt},
      {"ti:Song", std::nullopt},
      {"offset:500", std::nullopt},
      {"length:03:05", std::nullopt},
      {"", std::nullopt},
  };
  for (const TimeCase& c : cases) EXPECT_EQ(parse_time(c.tag), c.time) << c.tag;
}

TEST(LrcTimes, ClockTextPadsFieldsBelowTenOnly) {
  EXPECT_EQ(clock_text(0), "00:00.00");
  EXPECT_EQ(clock_text(1), "00:00.01");
  EXPECT_EQ(clock_text(3 * 6000 + 745), "03:07.45");
  EXPECT_EQ(clock_text(60000), "10:00.00");
  EXPECT_EQ(clock_text(123 * 6000 + 4567), "123:45.67");
  for (Hundredths t : {0, 99, 100, 5999, 6000, 59999, 60000, 742567})
    EXPECT_EQ(parse_time(clock_text(t)), t) << t;
}

struct LineCase {
  std::string line;
  std::vector<Hundredths> times;  // every time the line is delivered at
  std::string lyric;
};

TEST(LrcTimes, LeadingTagsGiveTimesAndText) {
  const LineCase cases[] = {
      {"[00:12.34]Hello", {1234}, "Hello"},
      {"[00:12.34][01:05.00]Refrain", {1234, 6500}, "Refrain"},
      {"[01:05.00][00:12.34]Refrain", {1234, 6500}, "Refrain"},
      {"  [00:09.00] [00:10.00]two tags", {900, 1000}, "two tags"},
      {"[00:12.34] Hello ", {1234}, " Hello "},  // text after the tag unchanged
      {"[00:12.34]Hello]World", {1234}, "Hello]World"},
      {"[00:12.34]]Hi", {1234}, "]Hi"},
      {"[00:12.34]", {1234}, ""},
      {"[00:12.34] ", {1234}, " "},
      {"[01:23.456][02:34.56][03:45.678]mixed", {8345, 15456, 22567}, "mixed"},
      {"[01:23]no fraction", {8300}, "no fraction"},
      {"[00:07.5]tenths", {750}, "tenths"},
      // Other leading tags are passed over; the text follows the last tag.
      {"[offset:500][00:01.00]after offset", {100}, "after offset"},
      {"[][00:01.00]x", {100}, "x"},
      {"[ti:Song title]", {}, ""},
      {"[Chorus] Singer: la la", {}, " Singer: la la"},
      {"[00:08:50]colon", {}, "colon"},
      {"[02:83.375]bad seconds", {}, "bad seconds"},
      // Tags inside the text are text.
      {"Hello [00:01.00]", {}, "Hello [00:01.00]"},
      {"x[00:01.00]y", {}, "x[00:01.00]y"},
      {"[00:12.00 no closing bracket", {}, "[00:12.00 no closing bracket"},
      {"[00:01.00]a[00:02.00]b", {100}, "a[00:02.00]b"},
      {"", {}, ""},
      {"Just words", {}, "Just words"},
      // Word-timing marks are removed, anything else in angle brackets stays.
      {"[00:01.00]<00:01.00>Hel<00:01.50>lo <00:02.0>world<00:02.345>", {100}, "Hello world"},
      {"[00:01.00]a <b> c<00:01>", {100}, "a <b> c"},
      {"[00:01.00]1 < 2 > 0", {100}, "1 < 2 > 0"},
      {"[00:01.00]<00:01.00>", {100}, ""},
      {"[00:01.00]<<00:01.00>>", {100}, "<>"},
      // Code page 936: 郵 is E0 5D, its second byte is "]"; 嘯 is 87 5B.
      {"[ti:\xE0\x5D]", {}, ""},
      {"[ti:\x87\x5B][00:03.00]\x87\x5B", {300}, "\x87\x5B"},
      {"[00:01.00]\xE0\x5D", {100}, "\xE0\x5D"},
      {"[00:01.00\xE0\x5D]x", {}, "x"},  // closed by the "]" after 郵, not a time
      {"[\xE0\x5D][00:02.00]\xC4\xE3\xBA\xC3", {200}, "\xC4\xE3\xBA\xC3"},
      {"[00:01.00]broken\xC4", {100}, "broken\xC4"},
      {"[00:01.00\xC4", {}, "[00:01.00\xC4"},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(lyric_text(c.line), c.lyric);
    std::optional<Hundredths> latest;
    for (Hundredths t : c.times) {
      EXPECT_TRUE(has_time(c.line, t)) << t;
      EXPECT_FALSE(has_time(c.line, t + 1)) << t + 1;
      if (!latest || t > *latest) latest = t;
    }
    EXPECT_EQ(latest_time(c.line), latest);
    if (c.times.empty()) {
      EXPECT_FALSE(has_time(c.line, 0));
    }
  }
}

}  // namespace
}  // namespace lyricsub::lrc
