// A recording fake of the whole platform. Unit tests and the preview tool run
// the real handlers against it: it keeps the controls' contents in memory,
// simulates time, and logs every call in order so tests can check sequences.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/clock.h"
#include "platform/definitions.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/ui.h"

namespace lyricsub {

// Calls in order, one line each, such as "set_text 编辑框3 0".
using CallLog = std::vector<std::string>;

class FakeClock final : public Clock {
 public:
  explicit FakeClock(CallLog& log) : log_(log) {}
  std::uint32_t tick_count() override;
  std::int64_t now_us() override;

  void advance_us(std::int64_t us) { now += us; }
  void advance_ms(std::int64_t ms) { now += ms * 1000; }
  std::int64_t now = 0;  // microseconds
  // tick_count() is logged as "tick_count" when set (Wait with events).
  bool log_tick_count = false;
  void set_fine_timers(bool on) override { fine_timers = on; }
  bool fine_timers = false;  // what set_fine_timers last asked for

 private:
  CallLog& log_;
};

class FakeUi final : public Ui, public WindowBuilder {
 public:
  explicit FakeUi(CallLog& log, FakeClock& clock) : log_(log), clock_(clock) {}

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
  int list_selection() override;
  void list_set_redraw(bool on) override;
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

  // What the controls hold.
  struct ControlState {
    bool created = false;
    bool visible = false;
    Control container = Control::main_window;
    Text text;
    bool checked = false;
    Box box;
    Bytes picture;
    Bytes pointer;
  };
  std::array<ControlState, kControlCount> controls{};
  bool always_on_top = false;
  Colour highlight_colour = 0;
  std::optional<Control> capture;
  std::vector<std::pair<Text, Text>> list;  // shown text, data
  int list_selected = -1;
  std::vector<std::array<Text, 2>> table;
  int table_current = -1;
  bool table_redraw = true;
  bool list_redraw = true;
  std::vector<std::pair<Text, Text>> message_boxes;  // text, caption
  std::vector<Text> browse_results;                  // answered in order; empty when used up
  std::optional<int> exit_code;
  // Runs inside process_pending_events, standing for events waiting in the
  // queue. Each call also advances the clock by pump_advance_us.
  std::function<void()> on_pending_events;
  std::int64_t pump_advance_us = 1000;
  bool quit_posted = false;
  // Handles the fake hands out: 1000 + control number.
  static Handle handle_of(Control c) { return 1000 + static_cast<int>(c); }

 protected:
  void start_timer(Control timer, int ms) override;
  void stop_timer(Control timer) override;

 private:
  ControlState& at(Control c) { return controls[static_cast<int>(c)]; }
  void record(const std::string& line) { log_.push_back(line); }
  CallLog& log_;
  FakeClock& clock_;
};

// Another program's window as FakeDesktop sees it.
struct FakeWindow {
  Handle handle = 0;
  Handle parent = 0;
  Rect rect;
  bool visible = true;
  Text class_name;
  ThreadProcess owner;
  Text content;       // what an edit control holds
  bool hung = false;  // sends time out
  // A top-level pop-up's owner: GetParent answers it instead of parent, while
  // siblings are still those with the same parent.
  Handle owner_window = 0;
};

class FakeDesktop final : public Desktop {
 public:
  explicit FakeDesktop(CallLog& log) : log_(log) {}

  bool send_set_selection(Handle target, int start, int end) override;
  bool send_replace_selection(Handle target, bool undoable, const Text& text) override;
  std::optional<int> send_get_text_length(Handle target) override;
  void post_key(Handle target, KeyMessage message, int key_code, int lparam) override;
  void mouse_button(bool down) override;
  Point cursor_pos() override;
  Handle foreground_window() override;
  ThreadProcess window_thread_process(Handle window) override;
  std::uint32_t current_thread() override;
  bool attach_thread_input(std::uint32_t attach, std::uint32_t to, bool on) override;
  Handle focus() override;
  void class_name(Handle window, char* buffer, int max) override;
  Handle window_from_point(Point p) override;
  Handle parent(Handle window) override;
  Handle next_sibling(Handle window) override;
  Rect window_rect(Handle window) override;
  bool is_visible(Handle window) override;
  bool is_window(Handle window) override;
  Bytes snapshot(Handle window) override;

  // The desktop: windows in z-order, top first, per parent.
  std::vector<FakeWindow> windows;
  FakeWindow* find(Handle h);
  Point cursor;
  Handle foreground = 0;
  Handle focused = 0;
  Handle from_point = 0;  // what window_from_point answers
  std::uint32_t this_thread = 1;
  // Keys delivered to each target, in order: "text" then "\n" per Enter.
  std::map<Handle, std::string> received;
  // When set, posted keys wait in the targets' queues until take_posted_keys,
  // as a real target takes them only when it next handles its messages (after
  // any sent ones).
  bool hold_posted_keys = false;
  void take_posted_keys();

 private:
  void record(const std::string& line) { log_.push_back(line); }
  void take_key(Handle target, KeyMessage message, int key_code);
  struct PostedKey {
    Handle target;
    KeyMessage message;
    int key_code;
  };
  std::vector<PostedKey> held_keys_;
  CallLog& log_;
};

class FakeFiles final : public Files {
 public:
  explicit FakeFiles(CallLog& log) : log_(log) {}
  std::optional<Bytes> read_file(const Text& path) override;
  std::unique_ptr<DirectoryEnumeration> enumerate(const Text& pattern) override;
  std::optional<FolderIdentity> folder_identity(const Text& path) override;

  std::map<Text, Bytes> files;  // by full path

 private:
  CallLog& log_;
};

// Everything wired together, as tests and the preview use it.
struct FakePlatform {
  CallLog log;
  FakeClock clock{log};
  FakeUi ui{log, clock};
  FakeDesktop desktop{log};
  FakeFiles files{log};
  Platform platform() { return Platform{ui, ui, desktop, files, clock}; }
};

}  // namespace lyricsub
