// The seam to the program's own windows and controls.
//
// Behaviour code calls these operations by control name; Win32Ui implements
// them with real windows, FakeUi records them for tests. Building the windows
// (the loader's primitives) is in builder.h.
#pragma once

#include <array>

#include "platform/controls.h"
#include "platform/types.h"

namespace lyricsub {

class Ui {
 public:
  virtual ~Ui() = default;

  // --- Main window ---------------------------------------------------------
  // true: top-most at once, not moved, resized or activated; false: not.
  virtual void set_always_on_top(bool on) = 0;

  // --- Highlight window ----------------------------------------------------
  virtual bool highlight_visible() = 0;
  virtual void show_highlight() = 0;
  virtual void hide_highlight() = 0;
  virtual void set_highlight_colour(Colour colour) = 0;
  // Outer rectangle in screen coordinates.
  virtual void move_highlight(Box screen) = 0;

  // --- Controls ------------------------------------------------------------
  // Edit box text, button caption, label caption.
  virtual void set_text(Control c, const Text& text) = 0;
  virtual Text text(Control c) = 0;
  // The check box's state at this moment.
  virtual bool checked(Control c) = 0;
  // Relative to the container's client area; repainted.
  virtual void move_control(Control c, Box box) = 0;
  virtual Handle handle(Control c) = 0;

  // Picker: picture from image (cursor/icon) file bytes; empty removes it.
  // Flash canvas: background picture from a bitmap (see Desktop::snapshot),
  // tiled from the top-left corner; empty removes it.
  virtual void set_picture(Control c, const Bytes& image) = 0;
  // Mouse pointer from cursor file bytes; takes effect at once, also while
  // the mouse rests over the control. Empty restores the definition's pointer.
  virtual void set_pointer(Control c, const Bytes& cursor) = 0;
  virtual void set_capture(Control c) = 0;
  virtual void release_capture() = 0;

  // --- Timers ----------------------------------------------------------------
  // Period in milliseconds. 0 or negative stops the timer; a positive value
  // starts it or restarts it with that period; the period it already has
  // changes nothing, so a running timer is not restarted.
  void set_timer_period(Control timer, int ms);
  [[nodiscard]] int timer_period(Control timer) const;

  // --- Lyrics file list (列表框1) --------------------------------------------
  // Each entry carries a hidden data text besides its shown text.
  virtual void list_clear() = 0;
  virtual int list_count() = 0;
  virtual void list_insert(int position, const Text& text, const Text& data) = 0;
  virtual Text list_text(int index) = 0;  // empty when index names no entry
  virtual Text list_data(int index) = 0;  // empty when index names no entry
  virtual int list_selection() = 0;       // -1 when nothing is selected
  // Suspends repainting of the list while many entries go in; resuming
  // repaints it. A platform that needs no help leaves it undone.
  virtual void list_set_redraw(bool /*on*/) {}

  // --- Lyrics table (超级列表框1) --------------------------------------------
  virtual void table_clear() = 0;
  virtual int table_append_row() = 0;  // returns the new row's number
  virtual void table_set(int row, int column, const Text& text) = 0;
  virtual Text table_text(int row, int column) = 0;
  virtual int table_count() = 0;
  // Selects row and gives it the focus mark without scrolling; negative
  // clears the selection.
  virtual void table_set_current(int row) = 0;
  // Suspends redrawing while a fill appends many rows; resuming repaints.
  virtual void table_set_redraw(bool on) = 0;

  // --- Dialogs and the message queue -----------------------------------------
  // Task-modal message box with one OK button and no owner.
  virtual void message_box(const Text& text, const Text& caption) = 0;
  // Folder dialog; the chosen folder's path, or empty when cancelled or when
  // the chosen item has no file-system path.
  virtual Text browse_folder(const Text& prompt) = 0;
  // Handles every message already waiting in this thread's queue. Returns
  // false when a quit message was met (left in the queue).
  virtual bool process_pending_events() = 0;

  // --- Program ---------------------------------------------------------------
  // Makes area's window the place where the drop object receives files.
  virtual void register_drop_target(Control drop_object, Control area) = 0;
  // Ends the process with this exit code; exit routines run.
  virtual void end_program(int exit_code) = 0;

 protected:
  virtual void start_timer(Control timer, int ms) = 0;
  virtual void stop_timer(Control timer) = 0;

 private:
  std::array<int, kControlCount> timer_periods_{};
};

}  // namespace lyricsub
