#include "target/highlight.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

namespace lyricsub {
namespace {

constexpr Colour kFrameRed = 255;
constexpr int kFrameWidth = 2;

// Other programs may restack their windows while the walk runs; a bound keeps
// a z-order that turns into a cycle under our feet from hanging the tick.
constexpr int kMaxSiblingsWalked = 100000;

bool contains(const Rect& r, Point p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

std::int64_t area(const Rect& r) {
  return (std::int64_t{r.right} - r.left) * (std::int64_t{r.bottom} - r.top);
}

// Geometry from foreign rectangles must not overflow, however odd they are.
std::int32_t clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void highlight_window_created(App& app) { app.state.flash_colour = kFrameRed; }

Handle window_under_mouse(Desktop& desktop) {
  const Point point = desktop.cursor_pos();
  Handle best = desktop.window_from_point(point);
  if (best == 0) return 0;
  Rect best_rect = desktop.window_rect(best);
  const Handle parent = desktop.parent(best);
  if (parent == 0) return best;

  // Only siblings below the hit window count, and a later one must be
  // strictly smaller, so among equal areas the one found first stays.
  Handle s = best;
  for (int walked = 0; walked < kMaxSiblingsWalked; ++walked) {
    s = desktop.next_sibling(s);
    if (s == 0) break;
    const Rect r = desktop.window_rect(s);
    if (!contains(r, point) || desktop.parent(s) != parent || !desktop.is_visible(s)) continue;
    if (area(r) < area(best_rect)) {
      best_rect = r;
      best = s;
    }
  }
  return best;
}

FrameGeometry frame_geometry(const Rect& hovered) {
  const std::int64_t width = std::int64_t{hovered.right} - hovered.left;
  const std::int64_t height = std::int64_t{hovered.bottom} - hovered.top;
  return FrameGeometry{
      .window = {clamp32(std::int64_t{hovered.left} - kFrameWidth),
                 clamp32(std::int64_t{hovered.top} - kFrameWidth), clamp32(width + 2 * kFrameWidth),
                 clamp32(height + 2 * kFrameWidth)},
      .canvas = {kFrameWidth, kFrameWidth, clamp32(width), clamp32(height)},
  };
}

void flash_tick(App& app) {
  ProgramState& state = app.state;
  state.hovered_handle = window_under_mouse(app.desktop);
  if (state.hovered_handle <= 0) {
    app.ui.hide_highlight();
    return;
  }

  const Rect rect = app.desktop.window_rect(state.hovered_handle);
  if (state.hovered_rect == nullptr) state.hovered_rect = std::make_unique<Rect>();
  *state.hovered_rect = rect;

  // Every tick that finds a window flips the frame: on for one period, off
  // for the next.
  if (app.ui.highlight_visible()) {
    app.ui.hide_highlight();
    return;
  }

  app.ui.set_text(Control::编辑框2, std::to_string(state.hovered_handle));
  app.ui.set_highlight_colour(state.flash_colour);
  const FrameGeometry geometry = frame_geometry(rect);
  app.ui.move_highlight(geometry.window);
  app.ui.move_control(Control::画板_闪烁数据, geometry.canvas);
  // Taken while the frame is still hidden, so the picture never shows it.
  app.ui.set_picture(Control::画板_闪烁数据, app.desktop.snapshot(state.hovered_handle));
  app.ui.show_highlight();
}

bool flash_canvas_released(App& app) {
  app.ui.set_timer_period(Control::时钟_闪烁, 0);
  app.ui.hide_highlight();
  // The canvas's own handling of this release does not run.
  return false;
}

}  // namespace lyricsub
