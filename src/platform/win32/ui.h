// The program's own windows and controls, built with Win32 from the window
// definitions. Texts cross this edge as code page 936 and are converted to
// UTF-16 here; every call uses the wide functions.
//
// Conventions that tools outside the process rely on (the end-to-end tests):
// - window classes kMainWindowClass and kHighlightWindowClass;
// - every control's id is kControlIdBase + its Control number;
// - the timers are window timers of their window with the same id.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "app/events.h"
#include "platform/definitions.h"
#include "platform/ui.h"

namespace lyricsub::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"lyricsub.main";
inline constexpr wchar_t kHighlightWindowClass[] = L"lyricsub.highlight";
inline constexpr int kControlIdBase = 100;

class Win32Ui final : public Ui, public WindowBuilder {
 public:
  explicit Win32Ui(HINSTANCE instance);
  ~Win32Ui() override;
  Win32Ui(const Win32Ui&) = delete;
  Win32Ui& operator=(const Win32Ui&) = delete;

  void set_event_sink(EventSink& sink);
  // Runs until the quit message; returns its exit code.
  int run_message_loop();

  // Ui
  void set_always_on_top(bool on) override;
  bool highlight_visible() override;
  void show_highlight() override;
  void hide_highlight() override;
  void set_highlight_colour(Colour colour) override;
  void move_highlight(Box screen) override;
  void set_text(Control c, const Text& text) override;
  Text text(Control c) override;
  bool checked(Control c) override;
  void move_control(Control c, Box box) override;
  Handle handle(Control c) override;
  void set_picture(Control c, const Bytes& image) override;
  void set_pointer(Control c, const Bytes& cursor) override;
  void set_capture(Control c) override;
  void release_capture() override;
  void list_clear() override;
  int list_count() override;
  void list_insert(int position, const Text& text, const Text& data) override;
  Text list_text(int index) override;
  Text list_data(int index) override;
  void list_set_redraw(bool on) override;
  int list_selection() override;
  void table_clear() override;
  int table_append_row() override;
  void table_set(int row, int column, const Text& text) override;
  Text table_text(int row, int column) override;
  int table_count() override;
  void table_set_current(int row) override;
  void table_set_redraw(bool on) override;
  void message_box(const Text& text, const Text& caption) override;
  Text browse_folder(const Text& prompt) override;
  bool process_pending_events() override;
  void register_drop_target(Control drop_object, Control area) override;
  void end_program(int exit_code) override;

  // WindowBuilder
  void create_window(const WindowDef& window) override;
  void create_control(const WindowDef& window, const ControlDef& control) override;
  void stack_below(Control control, Control above) override;
  void show_control(Control control) override;
  void show_window(Control window) override;

  struct Impl;  // window procedures reach the state through this

 protected:
  void start_timer(Control timer, int ms) override;
  void stop_timer(Control timer) override;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace lyricsub::win32
