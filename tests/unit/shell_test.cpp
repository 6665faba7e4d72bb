// The application shell: start-up, the loader, timers, the on-top box.
#include "app/shell.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/windows.h"
#include "platform/fake/fake_platform.h"

namespace lyricsub {
namespace {

using enum Control;

struct ShellTest : ::testing::Test {
  FakePlatform fake;
  App app{fake.platform()};

  // The log lines that start with prefix, in order.
  std::vector<std::string> calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& line : fake.log)
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
  }
  std::ptrdiff_t position(const std::string& line) const {
    const auto it = std::find(fake.log.begin(), fake.log.end(), line);
    return it == fake.log.end() ? -1 : it - fake.log.begin();
  }
};

TEST_F(ShellTest, StartUpBuildsMainWindowThenPreparesItThenShowsIt) {
  start_up(app);
  ASSERT_NE(app.state.hovered_rect, nullptr);
  EXPECT_EQ(*app.state.hovered_rect, Rect{});

  // The created event runs after every control exists and before the main
  // window is shown; it registers the drop target and loads the highlight
  // window, which stays hidden.
  const auto last_main_control = position("show_control 分组框1");
  const auto drop = position("register_drop_target 拖放对象1 超级列表框1");
  const auto highlight = position("create_window highlight_window");
  const auto shown = position("show_window main_window");
  ASSERT_GE(last_main_control, 0);
  EXPECT_LT(last_main_control, drop);
  EXPECT_LT(drop, highlight);
  EXPECT_LT(highlight, shown);
  EXPECT_EQ(position("show_window highlight_window"), -1);
  EXPECT_FALSE(fake.ui.highlight_visible());
  EXPECT_EQ(app.state.flash_colour, 255u);

  EXPECT_TRUE(fake.ui.always_on_top);
  EXPECT_TRUE(fake.ui.checked(选择框1));
  EXPECT_EQ(fake.ui.text(编辑框1), "00:00.00");
  EXPECT_EQ(fake.ui.text(按钮1), "播放字幕");
  EXPECT_EQ(app.state.target_handle, 0);
  EXPECT_EQ(fake.ui.timer_period(时钟1), 0);
  EXPECT_EQ(fake.ui.timer_period(时钟_闪烁), 0);
  EXPECT_TRUE(calls("start_timer").empty());
}

TEST_F(ShellTest, LoaderCreatesContainersFirstAndStacksByListOrder) {
  load_window(main_window_definition(), fake.ui, app);

  // Group boxes exist before the controls placed in them.
  EXPECT_LT(position("create_control 分组框5 in main_window"),
            position("create_control 选择框1 in 分组框5"));
  EXPECT_LT(position("create_control 分组框1 in main_window"),
            position("create_control 按钮1 in 分组框1"));

  // Among controls of one container, each lies below the one listed before it.
  const std::vector<std::string> expected_group1{
      "stack_below 编辑框MP3 按钮3",
      "stack_below 按钮1 编辑框MP3",
      "stack_below 编辑框1 按钮1",
      "stack_below 标签1 编辑框1",
  };
  std::vector<std::string> group1;
  for (const std::string& line : calls("stack_below"))
    for (const std::string& e : expected_group1)
      if (line == e) group1.push_back(line);
  EXPECT_EQ(group1, expected_group1);
  EXPECT_GE(position("stack_below 超文本浏览框1 图片框1"), 0);
  EXPECT_GE(position("stack_below 分组框5 分组框6"), 0);
  EXPECT_GE(position("stack_below 标签5 选择框1"), 0);

  // The lyric box stays hidden; timers and the drop object are never shown.
  EXPECT_FALSE(fake.ui.controls[static_cast<int>(编辑框歌词)].visible);
  EXPECT_EQ(fake.ui.text(编辑框歌词), "歌词准备中。。。。");
  EXPECT_EQ(position("show_control 时钟1"), -1);
  EXPECT_EQ(position("show_control 拖放对象1"), -1);
  EXPECT_TRUE(fake.ui.controls[static_cast<int>(超级列表框1)].visible);
  EXPECT_EQ(fake.ui.controls[static_cast<int>(超级列表框1)].container, 分组框2);
}

TEST_F(ShellTest, TimerPeriodRules) {
  struct Case {
    int set;
    const char* logged;  // nullptr: nothing reaches the platform
  };
  const Case cases[] = {
      {10, "start_timer 时钟1 10"},
      {10, nullptr},  // same period: a running timer is not restarted
      {20, "start_timer 时钟1 20"},
      {-5, "stop_timer 时钟1"},  // negative counts as 0
      {0, nullptr},
      {-1, nullptr},
  };
  for (const Case& c : cases) {
    fake.log.clear();
    fake.ui.set_timer_period(时钟1, c.set);
    if (c.logged == nullptr)
      EXPECT_TRUE(fake.log.empty()) << "set " << c.set;
    else
      EXPECT_EQ(fake.log, std::vector<std::string>{c.logged}) << "set " << c.set;
  }
  EXPECT_EQ(fake.ui.timer_period(时钟1), 0);
}

TEST_F(ShellTest, ToggleOnTopReadsTheStateBeforeTheClick) {
  start_up(app);
  // Checked before the press: the window stops being top-most.
  app.raise(选择框1, Event::left_down, {});
  EXPECT_FALSE(fake.ui.always_on_top);
  // The box flips when the click completes; the next press restores.
  fake.ui.controls[static_cast<int>(选择框1)].checked = false;
  app.raise(选择框1, Event::left_down, {});
  EXPECT_TRUE(fake.ui.always_on_top);
  // A keyboard toggle raises no left_down, so nothing changes.
  fake.ui.controls[static_cast<int>(选择框1)].checked = true;
  EXPECT_TRUE(fake.ui.always_on_top);
}

TEST_F(ShellTest, ClosingEndsWithExitCodeZeroAndExitRoutineReleases) {
  start_up(app);
  app.state.end_tag = "03:00.00";
  fake.ui.set_timer_period(时钟1, 10);
  app.raise(main_window, Event::will_be_destroyed, {});
  EXPECT_EQ(fake.ui.exit_code, 0);
  exit_routine(app.state);
  EXPECT_TRUE(app.state.end_tag.empty());
  EXPECT_EQ(app.state.hovered_rect, nullptr);
}

}  // namespace
}  // namespace lyricsub
