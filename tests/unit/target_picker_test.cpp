// The target picker: press, release, the pick and its waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "target/cursor_images.h"
#include "target/delivery.h"
#include "target/picker.h"
#include "target_fixture.h"

namespace lyricsub {
namespace {

using enum Control;

struct PickerTest : TargetTest {
  static std::string size_of(std::span<const std::uint8_t> image) {
    return std::to_string(image.size());
  }

  // A press, then the release of the drag with a clean log.
  void drag_and_release() {
    picker_pressed(app);
    fake.log.clear();
    picker_released(app);
  }
};

TEST_F(PickerTest, PressClearsBothHandlesAndStartsTheDrag) {
  choose_box();
  picker_pressed(app);

  EXPECT_EQ(app.state.target_handle, 0);
  EXPECT_EQ(app.state.focus_handle, 0);
  EXPECT_EQ(app.state.dragging, 1);
  EXPECT_EQ(calls_with_waits(), (std::vector<std::string>{
                                    "set_pointer 图片框2 " + size_of(cross_hair_cursor()),
                                    "set_picture 图片框2 0",
                                    "wait",
                                    "set_capture 图片框2",
                                    "start_timer 时钟_闪烁 200",
                                }));
  // While the button is held, deliveries reach no window.
  deliver_line(app, "你好");
  EXPECT_TRUE(messages().empty());
}

TEST_F(PickerTest, PressWhileDraggingStartsOver) {
  picker_pressed(app);
  picker_pressed(app);
  EXPECT_EQ(app.state.dragging, 1);
  EXPECT_EQ(fake.ui.capture, 图片框2);
  EXPECT_EQ(fake.ui.timer_period(时钟_闪烁), 200);
}

TEST_F(PickerTest, ReleaseRunsThePickInOrder) {
  drag_and_release();

  EXPECT_EQ(calls_with_waits(),
            (std::vector<std::string>{
                "stop_timer 时钟_闪烁",
                "hide_highlight",
                "release_capture",
                "set_pointer 图片框2 " + size_of(hand_cursor()),
                "set_picture 图片框2 " + size_of(cross_hair_cursor()),
                "mouse_event LEFTDOWN",
                "mouse_event LEFTUP",
                "wait",
                "mouse_event LEFTDOWN",
                "mouse_event LEFTUP",
                "wait",
                "GetForegroundWindow",
                "GetWindowThreadProcessId 400",
                "GetCurrentThreadId",
                "AttachThreadInput 7 1 1",
                "GetFocus",
                "AttachThreadInput 7 1 0",  // the join is undone at once
                "GetClassName 500 255",
                "GetWindowThreadProcessId 500",  // the owner kept with the target
                "set_text 编辑框3 500",
                "GetWindowThreadProcessId 500",  // still the picked window?
                "GetClassName 500 255",
                "EM_SETSEL 500 0 -1",
                "EM_REPLACESEL 500 1 字幕准备中.....",
                "wait",
                "GetWindowThreadProcessId 500",
                "GetClassName 500 255",
                "WM_KEYDOWN 500 13 0",
                "WM_KEYUP 500 13 0",
            }));
  EXPECT_EQ(app.state.target_handle, kBox);
  EXPECT_EQ(app.state.focus_handle, kBox);
  EXPECT_EQ(app.state.target_thread, kOther.thread);
  EXPECT_EQ(app.state.target_process, kOther.process);
  EXPECT_EQ(app.state.dragging, 0);
  EXPECT_FALSE(app.state.picking);
  EXPECT_FALSE(fake.ui.capture.has_value());
  EXPECT_EQ(fake.ui.timer_period(时钟_闪烁), 0);
  EXPECT_EQ(fake.ui.text(编辑框3), "500");
  EXPECT_EQ(fake.desktop.received[kBox], "字幕准备中.....\n");
  EXPECT_EQ(app.state.key_code, 13);
  EXPECT_EQ(app.state.key_mode, 0);
}

TEST_F(PickerTest, PicksEnterComesAtLeast100msAfterTheGreeting) {
  picker_pressed(app);
  fake.desktop.hold_posted_keys = true;
  // Time moves only while events are processed: the greeting arrived at the
  // clock reading before the first pump that sees it.
  std::int64_t replaced_at = -1;
  fake.ui.on_pending_events = [&] {
    if (replaced_at < 0 && box().content == "字幕准备中.....")
      replaced_at = fake.clock.now - fake.ui.pump_advance_us;
  };
  picker_released(app);
  ASSERT_GE(replaced_at, 0);
  EXPECT_EQ(messages().back(), "WM_KEYUP 500 13 0");
  EXPECT_GT(fake.clock.now - replaced_at, 100'000);  // the Enter was posted just now
}

TEST_F(PickerTest, ReleaseWithoutDragChangesNothing) {
  choose_box();
  picker_released(app);
  EXPECT_TRUE(fake.log.empty());
  EXPECT_EQ(app.state.target_handle, kBox);

  drag_and_release();
  fake.log.clear();
  picker_released(app);  // a second release after the pick
  EXPECT_TRUE(fake.log.empty());
}

TEST_F(PickerTest, ClassFilter) {
  struct Case {
    const char* class_name;
    bool accepted;
  };
  const Case cases[] = {
      {"Edit", true},        {"RICHEDIT", true},     {"RichEDIT20W", true},  {"RichEdit20A", true},
      {"RichEdit20W", true}, {"RICHEDIT50W", true},  {"edit", false},        {"EDIT", false},
      {"RichEdit", false},   {"richedit20w", false}, {"RICHEDIT20W", false}, {"RichEdit50W", false},
      {"Edit ", false},      {"Button", false},      {"ListBox", false},     {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.class_name);
    box().class_name = c.class_name;
    fake.log.clear();
    drag_and_release();
    const Handle expected = c.accepted ? kBox : 0;
    EXPECT_EQ(app.state.target_handle, expected);
    EXPECT_EQ(fake.ui.text(编辑框3), std::to_string(expected));
    EXPECT_EQ(messages().empty(), !c.accepted);
  }
}

TEST_F(PickerTest, NoFocusOrFailedClassReadKeepsNoTarget) {
  for (Handle focused : {Handle{0}, Handle{777}}) {  // none; not a window
    SCOPED_TRACE(focused);
    fake.desktop.focused = focused;
    drag_and_release();
    EXPECT_EQ(app.state.target_handle, 0);
    EXPECT_EQ(fake.ui.text(编辑框3), "0");
    EXPECT_TRUE(messages().empty());
  }
}

TEST_F(PickerTest, FailedAttachIsNotUndone) {
  fake.desktop.foreground = 0;  // no foreground window: thread 0
  drag_and_release();
  const auto log = calls_with_waits();
  EXPECT_EQ(std::count(log.begin(), log.end(), "AttachThreadInput 0 1 1"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "AttachThreadInput 0 1 0"), 0);
}

TEST_F(PickerTest, PickOfAHungBoxPostsNoEnter) {
  box().hung = true;
  drag_and_release();
  EXPECT_EQ(fake.ui.text(编辑框3), "500");
  EXPECT_EQ(messages(), std::vector<std::string>{"EM_SETSEL 500 0 -1"});
}

// The release happens over this program's own window (here: the picker
// itself, a plain click). Its clicks arrive at the picker as a press and a
// release while the pick waits; its own edit box has the focus.
struct PlainClickTest : PickerTest {
  const Handle own_window = FakeUi::handle_of(main_window);
  const Handle own_box = FakeUi::handle_of(编辑框1);
  PlainClickTest() {
    const ThreadProcess self{kSelf, 90};
    fake.desktop.windows.push_back(
        {.handle = own_window, .class_name = "lyricsub.main", .owner = self});
    fake.desktop.windows.push_back(
        {.handle = own_box, .parent = own_window, .class_name = "Edit", .owner = self});
    fake.desktop.foreground = own_window;
    fake.desktop.focused = own_box;
  }
};

TEST_F(PlainClickTest, EndsWithNoTargetAndNoNestedPick) {
  bool clicks_sent = false;
  fake.ui.on_pending_events = [&] {
    if (!app.state.picking || clicks_sent) return;
    clicks_sent = true;
    app.raise(图片框2, Event::left_down, {});
    app.raise(图片框2, Event::left_up, {});
  };
  picker_pressed(app);
  picker_released(app);

  EXPECT_TRUE(clicks_sent);
  EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), "mouse_event LEFTDOWN"), 2);
  EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), "set_capture 图片框2"), 1);
  EXPECT_EQ(app.state.target_handle, 0);
  EXPECT_EQ(app.state.dragging, 0);
  EXPECT_FALSE(fake.ui.capture.has_value());
  EXPECT_EQ(fake.ui.timer_period(时钟_闪烁), 0);
  EXPECT_EQ(fake.ui.text(编辑框3), "0");
  EXPECT_TRUE(messages().empty());
}

TEST_F(PickerTest, QuickClickReleasedWhilePressRunsLeavesNoCaptureOrFlash) {
  bool released = false;
  fake.ui.on_pending_events = [&] {
    if (released) return;
    released = true;
    app.raise(图片框2, Event::left_up, {});  // already waiting in the queue
  };
  picker_pressed(app);

  EXPECT_TRUE(released);
  EXPECT_EQ(app.state.dragging, 0);
  EXPECT_FALSE(fake.ui.capture.has_value());
  EXPECT_EQ(fake.ui.timer_period(时钟_闪烁), 0);
  EXPECT_EQ(app.state.target_handle, kBox);  // the pick ran once
}

TEST_F(PickerTest, MouseMovesDoNothing) {
  picker_pressed(app);
  fake.log.clear();
  picker_moved(app);
  EXPECT_TRUE(fake.log.empty());
}

struct WaitCase {
  std::int64_t start_ms;
  int ms;
};

TEST_F(PickerTest, WaitWithEventsReturnsOnlyAfterTheTickCountPassesStartPlusMs) {
  const WaitCase cases[] = {
      {5'000, 100}, {5'000, 1}, {0xFFFFFFFFLL - 40, 100},  // the tick count wraps during the wait
  };
  for (const WaitCase& c : cases) {
    SCOPED_TRACE(c.start_ms);
    fake.clock.now = c.start_ms * 1000;
    const auto start = static_cast<std::uint32_t>(c.start_ms);
    std::uint32_t last_seen = start;
    fake.ui.on_pending_events = [&] { last_seen = fake.clock.tick_count(); };
    wait_with_events(app, c.ms);
    const std::uint32_t elapsed = fake.clock.tick_count() - start;
    EXPECT_GT(elapsed, static_cast<std::uint32_t>(c.ms));
    EXPECT_EQ(elapsed, static_cast<std::uint32_t>(c.ms) + 1);  // no pump more than needed
    EXPECT_EQ(last_seen - start, elapsed);
  }
}

TEST_F(PickerTest, WaitOfZeroOrLessReturnsAtOnce) {
  for (int ms : {0, -5}) {
    wait_with_events(app, ms);
    EXPECT_TRUE(fake.log.empty());
  }
}

}  // namespace
}  // namespace lyricsub
