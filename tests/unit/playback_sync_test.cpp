// Line synchronisation: which rows a clock text delivers, and how.
#include <gtest/gtest.h>

#include "playback_fixture.h"

namespace lyricsub {
namespace {

using enum Control;

struct SyncCase {
  const char* name;
  std::vector<std::string> lines;
  const char* clock;
  std::string sent;  // what the target sent: each line and "\n"
  int current;       // the current row afterwards (-1: none)
};

TEST_F(PlaybackTest, SynchroniseCases) {
  const SyncCase cases[] = {
      {"one tag", {"[00:12.34]Hello"}, "00:12.34", "Hello\n", 0},
      {"other time", {"[00:12.34]Hello"}, "00:12.35", "", -1},
      {"first of two tags", {"[00:12.34][01:05.00]Refrain"}, "00:12.34", "Refrain\n", 0},
      {"second of two tags", {"[00:12.34][01:05.00]Refrain"}, "01:05.00", "Refrain\n", 0},
      {"same time, upper first",
       {"[00:01.00]up", "[00:02.00]x", "[00:01.00]down"},
       "00:01.00",
       "up\ndown\n",
       2},
      {"nothing after the tag: current, not sent",
       {"[00:01.00]a", "[00:12.34]"},
       "00:12.34",
       "",
       1},
      {"a bracket after the tag is text", {"[00:12.34]]Hi"}, "00:12.34", "]Hi\n", 0},
      {"a later bracket stays", {"[00:12.34]Hello]World"}, "00:12.34", "Hello]World\n", 0},
      {"three decimals", {"[01:23.456]x"}, "01:23.45", "x\n", 0},
      {"no fraction", {"[01:23]x"}, "01:23.00", "x\n", 0},
      {"metadata never",
       {"[ti:Song title]", "[offset:+200]", "[Chorus] Singer: la"},
       "00:00.00",
       "",
       -1},
      {"metadata tags before the time", {"[offset:500][00:00.50]y"}, "00:00.50", "y\n", 0},
      {"word marks removed", {"[00:02.00]<00:02.00>Hel<00:02.50>lo"}, "00:02.00", "Hello\n", 0},
      {"only word marks: current, not sent", {"[00:02.00]<00:02.00>"}, "00:02.00", "", 0},
      {"spaces before the tag", {"  [00:03.00]z"}, "00:03.00", "z\n", 0},
      {"minutes above ten", {"[123:45.67]long"}, "123:45.67", "long\n", 0},
      {"clock box holding no time", {"[00:12.34]Hello"}, "garbage", "", -1},
      {"GBK text", {"[00:01.00]你好"}, "00:01.00", "你好\n", 0},
  };
  for (const SyncCase& c : cases) {
    SCOPED_TRACE(c.name);
    fake.ui.table_clear();
    fake.desktop.received.clear();
    for (const std::string& line : c.lines) {
      const int row = fake.ui.table_append_row();
      fake.ui.table_set(row, 1, line);
    }
    fake.ui.set_text(编辑框1, c.clock);
    synchronise(app);
    EXPECT_EQ(sent(), c.sent);
    EXPECT_EQ(fake.ui.table_current, c.current);
  }
}

TEST_F(PlaybackTest, DeliveryGoesThroughTheLyricBoxAndEnter) {
  load({"[00:01.00]line"});
  fake.ui.set_text(编辑框1, "00:01.00");
  fake.log.clear();
  synchronise(app);
  const std::vector<std::string> expected{
      "table_set_current 0",  std::string("set_text ") + control_name(编辑框歌词) + " line",
      "EM_SETSEL 4242 0 -1",  "EM_REPLACESEL 4242 1 line",
      "WM_KEYDOWN 4242 13 0", "WM_KEYUP 4242 13 0",
  };
  std::vector<std::string> calls;
  for (const std::string& l : fake.log)
    if (!l.starts_with("GetWindowThreadProcessId") && !l.starts_with("GetClassName") &&
        !l.starts_with("WM_GETTEXTLENGTH"))
      calls.push_back(l);
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(lyric_box(), "line");
}

TEST_F(PlaybackTest, SynchroniseWithoutTargetStillMovesTheRowAndTheLyricBox) {
  app.state.target_handle = 0;
  load({"[00:01.00]line"});
  fake.ui.set_text(编辑框1, "00:01.00");
  synchronise(app);
  EXPECT_EQ(fake.ui.table_current, 0);
  EXPECT_EQ(lyric_box(), "line");
  EXPECT_EQ(count("EM_"), 0);
  EXPECT_EQ(count("WM_KEY"), 0);
}

TEST_F(PlaybackTest, SynchroniseOnAnEmptyTableDoesNothing) {
  fake.ui.set_text(编辑框1, "00:00.00");
  fake.log.clear();
  synchronise(app);
  EXPECT_TRUE(fake.log.empty());
}

}  // namespace
}  // namespace lyricsub
