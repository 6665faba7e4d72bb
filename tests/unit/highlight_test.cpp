// The highlight frame: the window under the mouse, the frame's geometry and
// the flash tick's blinking.
#include "target/highlight.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"

namespace lyricsub {
namespace {

using enum Control;

FakeWindow window(Handle handle, Handle parent, Rect rect, bool visible = true) {
  FakeWindow w;
  w.handle = handle;
  w.parent = parent;
  w.rect = rect;
  w.visible = visible;
  return w;
}

FakeWindow owned_popup(Handle handle, Handle owner, Rect rect) {
  FakeWindow w = window(handle, 0, rect);
  w.owner_window = owner;
  return w;
}

struct UnderMouseCase {
  const char* name;
  std::vector<FakeWindow> windows;  // z-order per parent, top first
  Handle hit;                       // what the hit test finds
  Point cursor;
  Handle expected;
};

TEST(WindowUnderMouse, PrefersSmallerVisibleSiblingsBelowTheHitWindow) {
  constexpr Handle kMain = 1;
  const Rect group{0, 0, 400, 400};
  const Rect edit{10, 10, 110, 40};  // 3000 square pixels
  const std::vector<UnderMouseCase> cases{
      {"group box over a smaller control that contains the point",
       {window(kMain, 0, {0, 0, 1000, 1000}), window(10, kMain, group), window(11, kMain, edit)},
       10,
       {20, 20},
       11},
      {"the smaller control does not contain the point",
       {window(kMain, 0, {0, 0, 1000, 1000}), window(10, kMain, group), window(11, kMain, edit)},
       10,
       {200, 200},
       10},
      {"right and bottom edges are outside",
       {window(kMain, 0, {0, 0, 1000, 1000}), window(10, kMain, group), window(11, kMain, edit)},
       10,
       {110, 40},
       10},
      {"an invisible sibling is passed over, the walk goes on",
       {window(kMain, 0, {0, 0, 1000, 1000}), window(10, kMain, group),
        window(11, kMain, {15, 15, 25, 25}, false), window(12, kMain, edit)},
       10,
       {20, 20},
       12},
      {"equal areas: the one found first wins",
       {window(kMain, 0, {0, 0, 1000, 1000}), window(10, kMain, group), window(11, kMain, edit),
        window(12, kMain, {0, 0, 100, 30})},
       10,
       {20, 20},
       11},
      {"a later strictly smaller sibling beats an earlier one",
       {window(kMain, 0, {0, 0, 1000, 1000}), window(10, kMain, group), window(11, kMain, edit),
        window(12, kMain, {15, 15, 25, 25})},
       10,
       {20, 20},
       12},
      {"siblings above the hit window are never considered",
       {window(kMain, 0, {0, 0, 1000, 1000}), window(11, kMain, edit), window(10, kMain, group)},
       10,
       {20, 20},
       10},
      {"a larger sibling below does not win",
       {window(kMain, 0, {0, 0, 1000, 1000}), window(11, kMain, edit), window(10, kMain, group)},
       11,
       {20, 20},
       11},
      {"a top-level pop-up with another owner is not a sibling that counts",
       {window(kMain, 0, {0, 0, 1000, 1000}), window(2, 0, {0, 0, 1000, 1000}),
        owned_popup(20, kMain, {0, 0, 500, 500}), owned_popup(21, 2, {0, 0, 50, 50}),
        owned_popup(22, kMain, {0, 0, 100, 100})},
       20,
       {20, 20},
       22},
      {"an unowned top-level window is taken as it is",
       {window(2, 0, {0, 0, 1000, 1000}), window(3, 0, {0, 0, 50, 50})},
       2,
       {20, 20},
       2},
      {"no window under the mouse", {window(kMain, 0, {0, 0, 1000, 1000})}, 0, {20, 20}, 0},
  };

  for (const UnderMouseCase& c : cases) {
    SCOPED_TRACE(c.name);
    CallLog log;
    FakeDesktop desktop(log);
    desktop.windows = c.windows;
    desktop.from_point = c.hit;
    desktop.cursor = c.cursor;
    EXPECT_EQ(window_under_mouse(desktop), c.expected);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "GetCursorPos");
    EXPECT_EQ(log[1],
              "WindowFromPoint " + std::to_string(c.cursor.x) + " " + std::to_string(c.cursor.y));
  }
}

TEST(FrameGeometry, FramesTheWindowTwoPixelsWider) {
  const FrameGeometry g = frame_geometry({100, 200, 400, 260});
  EXPECT_EQ(g.window, (Box{98, 198, 304, 64}));
  EXPECT_EQ(g.canvas, (Box{2, 2, 300, 60}));

  // Off-screen and larger-than-screen windows are framed as they are.
  const FrameGeometry off = frame_geometry({-1, -50, 3000, 10});
  EXPECT_EQ(off.window, (Box{-3, -52, 3005, 64}));
  EXPECT_EQ(off.canvas, (Box{2, 2, 3001, 60}));
}

struct FlashTickTest : ::testing::Test {
  static constexpr Handle kMain = 1;
  static constexpr Handle kEdit = 11;
  static constexpr Handle kOther = 12;
  FakePlatform fake;
  App app{fake.platform()};

  FlashTickTest() {
    app.state.hovered_rect = std::make_unique<Rect>();
    app.state.flash_colour = 255;
    fake.desktop.windows = {window(kMain, 0, {0, 0, 1000, 1000}),
                            window(kEdit, kMain, {100, 200, 400, 260}),
                            window(kOther, kMain, {500, 500, 600, 550})};
    point_at(kEdit, {250, 230});
  }

  void point_at(Handle h, Point p) {
    fake.desktop.from_point = h;
    fake.desktop.cursor = p;
  }

  // The log since the last call, without the hit test's own reads.
  std::vector<std::string> ui_calls() {
    std::vector<std::string> out;
    for (std::size_t i = seen_; i < fake.log.size(); ++i)
      if (fake.log[i] != "GetCursorPos" && fake.log[i].rfind("WindowFromPoint", 0) != 0)
        out.push_back(fake.log[i]);
    seen_ = fake.log.size();
    return out;
  }
  std::size_t seen_ = 0;
};

TEST_F(FlashTickTest, ShowingTickFramesTheWindowInOrderAndTheNextHidesIt) {
  flash_tick(app);
  const std::vector<std::string> shown{
      "set_text 编辑框2 11",
      "set_highlight_colour 255",
      "move_highlight 98 198 304 64",
      "move_control 画板_闪烁数据 2 2 300 60",
      "snapshot 11",
      "set_picture 画板_闪烁数据 18000",  // the fake's snapshot: one byte a pixel
      "show_highlight",
  };
  EXPECT_EQ(ui_calls(), shown);
  EXPECT_EQ(app.state.hovered_handle, kEdit);
  EXPECT_EQ(*app.state.hovered_rect, (Rect{100, 200, 400, 260}));
  EXPECT_TRUE(fake.ui.highlight_visible());

  // On for one period, off for the next, for as long as there is a window.
  for (int tick = 0; tick < 4; ++tick) {
    flash_tick(app);
    const bool on = tick % 2 == 1;
    EXPECT_EQ(fake.ui.highlight_visible(), on) << "tick " << tick;
    EXPECT_EQ(ui_calls(), on ? shown : std::vector<std::string>{"hide_highlight"})
        << "tick " << tick;
  }
}

TEST_F(FlashTickTest, HidingTickOverAnotherWindowKeepsTheShownHandle) {
  flash_tick(app);
  ASSERT_TRUE(fake.ui.highlight_visible());

  // Say the flash canvas itself is under the mouse now: the frame only hides.
  point_at(kOther, {550, 520});
  flash_tick(app);
  EXPECT_FALSE(fake.ui.highlight_visible());
  EXPECT_EQ(app.state.hovered_handle, kOther);
  EXPECT_EQ(*app.state.hovered_rect, (Rect{500, 500, 600, 550}));
  EXPECT_EQ(fake.ui.text(编辑框2), "11");
  EXPECT_EQ(fake.ui.controls[static_cast<int>(highlight_window)].box, (Box{98, 198, 304, 64}));
}

TEST_F(FlashTickTest, TickWithoutAWindowHidesTheFrameAndKeepsTheRectangle) {
  // A negative handle counts as none, as 0 does.
  for (const Handle none : {0, -5}) {
    SCOPED_TRACE(none);
    point_at(kEdit, {250, 230});
    if (!fake.ui.highlight_visible()) flash_tick(app);
    ASSERT_TRUE(fake.ui.highlight_visible());
    ui_calls();

    point_at(none, {5000, 5000});
    flash_tick(app);
    EXPECT_FALSE(fake.ui.highlight_visible());
    EXPECT_EQ(app.state.hovered_handle, none);
    EXPECT_EQ(*app.state.hovered_rect, (Rect{100, 200, 400, 260}));
    EXPECT_EQ(ui_calls(), std::vector<std::string>{"hide_highlight"});

    // Still nothing: stays hidden, never shown.
    flash_tick(app);
    EXPECT_FALSE(fake.ui.highlight_visible());
    EXPECT_EQ(ui_calls(), std::vector<std::string>{"hide_highlight"});
  }
}

TEST_F(FlashTickTest, VanishedWindowGivesAnEmptyPictureAndStillShows) {
  // The hit test found a window that is gone by the time it is measured.
  point_at(77, {250, 230});
  flash_tick(app);
  EXPECT_TRUE(fake.ui.highlight_visible());
  EXPECT_EQ(*app.state.hovered_rect, Rect{});
  EXPECT_TRUE(fake.ui.controls[static_cast<int>(画板_闪烁数据)].picture.empty());
  EXPECT_EQ(fake.ui.text(编辑框2), "77");
}

TEST_F(FlashTickTest, TickAfterTheRectangleWasReleasedDoesNotCrash) {
  app.state.hovered_rect.reset();  // the exit routine has run
  flash_tick(app);
  ASSERT_NE(app.state.hovered_rect, nullptr);
  EXPECT_EQ(*app.state.hovered_rect, (Rect{100, 200, 400, 260}));
}

TEST_F(FlashTickTest, ReleaseOverTheCanvasStopsTheFlashAndLeavesTheDrag) {
  app.state.dragging = 1;
  fake.ui.set_capture(图片框2);
  fake.ui.set_timer_period(时钟_闪烁, 200);
  flash_tick(app);
  ASSERT_TRUE(fake.ui.highlight_visible());
  ui_calls();

  EXPECT_FALSE(app.raise(画板_闪烁数据, Event::left_up, {}));
  EXPECT_EQ(ui_calls(), (std::vector<std::string>{"stop_timer 时钟_闪烁", "hide_highlight"}));
  EXPECT_EQ(fake.ui.timer_period(时钟_闪烁), 0);
  EXPECT_FALSE(fake.ui.highlight_visible());
  EXPECT_EQ(app.state.dragging, 1);
  EXPECT_EQ(fake.ui.capture, 图片框2);
}

TEST_F(FlashTickTest, CreatedEventMakesTheFrameRed) {
  app.state.flash_colour = 0;
  app.raise(highlight_window, Event::created, {});
  EXPECT_EQ(app.state.flash_colour, 255u);
}

}  // namespace
}  // namespace lyricsub
