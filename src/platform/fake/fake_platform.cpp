#include "platform/fake/fake_platform.h"

#include <algorithm>
#include <cstring>

namespace lyricsub {
namespace {

std::string name(Control c) { return control_name(c); }

}  // namespace

// --- FakeClock ---------------------------------------------------------------

std::uint32_t FakeClock::tick_count() {
  if (log_tick_count) log_.push_back("tick_count");
  return static_cast<std::uint32_t>(now / 1000);
}

std::int64_t FakeClock::now_us() { return now; }

// --- FakeUi ------------------------------------------------------------------

void FakeUi::set_always_on_top(bool on) {
  always_on_top = on;
  record(std::string("set_always_on_top ") + (on ? "1" : "0"));
}

bool FakeUi::highlight_visible() { return at(Control::highlight_window).visible; }

void FakeUi::show_highlight() {
  at(Control::highlight_window).visible = true;
  record("show_highlight");
}

void FakeUi::hide_highlight() {
  at(Control::highlight_window).visible = false;
  record("hide_highlight");
}

void FakeUi::set_highlight_colour(Colour colour) {
  highlight_colour = colour;
  record("set_highlight_colour " + std::to_string(colour));
}

void FakeUi::move_highlight(Box b) {
  at(Control::highlight_window).box = b;
  record("move_highlight " + std::to_string(b.left) + " " + std::to_string(b.top) + " " +
         std::to_string(b.width) + " " + std::to_string(b.height));
}

void FakeUi::set_text(Control c, const Text& text) {
  at(c).text = text;
  record("set_text " + name(c) + " " + text);
}

Text FakeUi::text(Control c) { return at(c).text; }

bool FakeUi::checked(Control c) { return at(c).checked; }

void FakeUi::move_control(Control c, Box b) {
  at(c).box = b;
  record("move_control " + name(c) + " " + std::to_string(b.left) + " " + std::to_string(b.top) +
         " " + std::to_string(b.width) + " " + std::to_string(b.height));
}

Handle FakeUi::handle(Control c) { return handle_of(c); }

void FakeUi::set_picture(Control c, const Bytes& image) {
  at(c).picture = image;
  record("set_picture " + name(c) + " " + std::to_string(image.size()));
}

void FakeUi::set_pointer(Control c, const Bytes& cursor) {
  at(c).pointer = cursor;
  record("set_pointer " + name(c) + " " + std::to_string(cursor.size()));
}

void FakeUi::set_capture(Control c) {
  capture = c;
  record("set_capture " + name(c));
}

void FakeUi::release_capture() {
  capture.reset();
  record("release_capture");
}

void FakeUi::start_timer(Control timer, int ms) {
  record("start_timer " + name(timer) + " " + std::to_string(ms));
}

void FakeUi::stop_timer(Control timer) { record("stop_timer " + name(timer)); }

void FakeUi::list_clear() {
  list.clear();
  list_selected = -1;
  record("list_clear");
}

int FakeUi::list_count() { return static_cast<int>(list.size()); }

void FakeUi::list_insert(int position, const Text& text, const Text& data) {
  position = std::clamp(position, 0, list_count());
  list.insert(list.begin() + position, {text, data});
  record("list_insert " + std::to_string(position) + " " + text);
}

Text FakeUi::list_text(int index) {
  return index >= 0 && index < list_count() ? list[index].first : Text{};
}

Text FakeUi::list_data(int index) {
  return index >= 0 && index < list_count() ? list[index].second : Text{};
}

int FakeUi::list_selection() { return list_selected; }

void FakeUi::list_set_redraw(bool on) {
  list_redraw = on;
  record(std::string("list_set_redraw ") + (on ? "1" : "0"));
}

void FakeUi::table_clear() {
  table.clear();
  table_current = -1;
  record("table_clear");
}

int FakeUi::table_append_row() {
  table.push_back({});
  return table_count() - 1;
}

void FakeUi::table_set(int row, int column, const Text& text) {
  if (row >= 0 && row < table_count() && (column == 0 || column == 1)) table[row][column] = text;
}

Text FakeUi::table_text(int row, int column) {
  if (row >= 0 && row < table_count() && (column == 0 || column == 1)) return table[row][column];
  return {};
}

int FakeUi::table_count() { return static_cast<int>(table.size()); }

void FakeUi::table_set_current(int row) {
  table_current = row >= 0 && row < table_count() ? row : -1;
  record("table_set_current " + std::to_string(row));
}

void FakeUi::table_set_redraw(bool on) {
  table_redraw = on;
  record(std::string("table_set_redraw ") + (on ? "1" : "0"));
}

void FakeUi::message_box(const Text& text, const Text& caption) {
  message_boxes.emplace_back(text, caption);
  record("message_box " + text + " " + caption);
}

Text FakeUi::browse_folder(const Text& prompt) {
  record("browse_folder " + prompt);
  if (browse_results.empty()) return {};
  Text result = browse_results.front();
  browse_results.erase(browse_results.begin());
  return result;
}

bool FakeUi::process_pending_events() {
  record("process_pending_events");
  clock_.advance_us(pump_advance_us);
  if (on_pending_events) on_pending_events();
  return !quit_posted;
}

void FakeUi::register_drop_target(Control drop_object, Control area) {
  record("register_drop_target " + name(drop_object) + " " + name(area));
}

void FakeUi::end_program(int code) {
  exit_code = code;
  record("end_program " + std::to_string(code));
}

void FakeUi::create_window(const WindowDef& window) {
  ControlState& w = at(window.name);
  w.created = true;
  w.box = window.box;
  w.text = window.title;
  if (window.always_on_top) always_on_top = true;
  record("create_window " + name(window.name));
}

void FakeUi::create_control(const WindowDef& /*window*/, const ControlDef& c) {
  ControlState& s = at(c.name);
  s.created = true;
  s.container = c.container;
  s.text = c.text;
  s.checked = c.checked;
  s.box = c.box;
  record("create_control " + name(c.name) + " in " + name(c.container));
}

void FakeUi::stack_below(Control control, Control above) {
  record("stack_below " + name(control) + " " + name(above));
}

void FakeUi::show_control(Control control) {
  at(control).visible = true;
  record("show_control " + name(control));
}

void FakeUi::show_window(Control window) {
  at(window).visible = true;
  record("show_window " + name(window));
}

// --- FakeDesktop -------------------------------------------------------------

FakeWindow* FakeDesktop::find(Handle h) {
  for (FakeWindow& w : windows)
    if (w.handle == h && h != 0) return &w;
  return nullptr;
}

bool FakeDesktop::send_set_selection(Handle target, int start, int end) {
  record("EM_SETSEL " + std::to_string(target) + " " + std::to_string(start) + " " +
         std::to_string(end));
  const FakeWindow* w = find(target);
  return w != nullptr && !w->hung;
}

bool FakeDesktop::send_replace_selection(Handle target, bool undoable, const Text& text) {
  record("EM_REPLACESEL " + std::to_string(target) + " " + (undoable ? "1 " : "0 ") + text);
  FakeWindow* w = find(target);
  if (w == nullptr || w->hung) return false;
  w->content = text;
  return true;
}

std::optional<int> FakeDesktop::send_get_text_length(Handle target) {
  record("WM_GETTEXTLENGTH " + std::to_string(target));
  const FakeWindow* w = find(target);
  if (w == nullptr || w->hung) return std::nullopt;
  return static_cast<int>(w->content.size());
}

void FakeDesktop::post_key(Handle target, KeyMessage message, int key_code, int lparam) {
  record(std::string(message == KeyMessage::down ? "WM_KEYDOWN " : "WM_KEYUP ") +
         std::to_string(target) + " " + std::to_string(key_code) + " " + std::to_string(lparam));
  if (hold_posted_keys) {
    held_keys_.push_back({target, message, key_code});
    return;
  }
  take_key(target, message, key_code);
}

void FakeDesktop::take_posted_keys() {
  const std::vector<PostedKey> keys = std::move(held_keys_);
  held_keys_.clear();
  for (const PostedKey& k : keys) take_key(k.target, k.message, k.key_code);
}

void FakeDesktop::take_key(Handle target, KeyMessage message, int key_code) {
  FakeWindow* w = find(target);
  if (w != nullptr && message == KeyMessage::down && key_code == 13) {
    received[target] += w->content + "\n";
    w->content.clear();  // a chat box sends its line and clears itself
  }
}

void FakeDesktop::mouse_button(bool down) {
  record(down ? "mouse_event LEFTDOWN" : "mouse_event LEFTUP");
}

Point FakeDesktop::cursor_pos() {
  record("GetCursorPos");
  return cursor;
}

Handle FakeDesktop::foreground_window() {
  record("GetForegroundWindow");
  return foreground;
}

ThreadProcess FakeDesktop::window_thread_process(Handle window) {
  record("GetWindowThreadProcessId " + std::to_string(window));
  const FakeWindow* w = find(window);
  return w != nullptr ? w->owner : ThreadProcess{};
}

std::uint32_t FakeDesktop::current_thread() {
  record("GetCurrentThreadId");
  return this_thread;
}

bool FakeDesktop::attach_thread_input(std::uint32_t attach, std::uint32_t to, bool on) {
  record("AttachThreadInput " + std::to_string(attach) + " " + std::to_string(to) + " " +
         (on ? "1" : "0"));
  return attach != to && attach != 0;
}

Handle FakeDesktop::focus() {
  record("GetFocus");
  return focused;
}

void FakeDesktop::class_name(Handle window, char* buffer, int max) {
  record("GetClassName " + std::to_string(window) + " " + std::to_string(max));
  const FakeWindow* w = find(window);
  if (w == nullptr || max <= 0) return;
  const std::size_t n = std::min(w->class_name.size(), static_cast<std::size_t>(max - 1));
  std::memcpy(buffer, w->class_name.data(), n);
  buffer[n] = '\0';
}

Handle FakeDesktop::window_from_point(Point p) {
  record("WindowFromPoint " + std::to_string(p.x) + " " + std::to_string(p.y));
  return from_point;
}

Handle FakeDesktop::parent(Handle window) {
  const FakeWindow* w = find(window);
  if (w == nullptr) return 0;
  return w->owner_window != 0 ? w->owner_window : w->parent;
}

Handle FakeDesktop::next_sibling(Handle window) {
  const FakeWindow* w = find(window);
  if (w == nullptr) return 0;
  bool after = false;
  for (const FakeWindow& s : windows) {
    if (after && s.parent == w->parent) return s.handle;
    if (&s == w) after = true;
  }
  return 0;
}

Rect FakeDesktop::window_rect(Handle window) {
  const FakeWindow* w = find(window);
  return w != nullptr ? w->rect : Rect{};
}

bool FakeDesktop::is_visible(Handle window) {
  const FakeWindow* w = find(window);
  return w != nullptr && w->visible;
}

bool FakeDesktop::is_window(Handle window) { return find(window) != nullptr; }

Bytes FakeDesktop::snapshot(Handle window) {
  record("snapshot " + std::to_string(window));
  const FakeWindow* w = find(window);
  if (w == nullptr) return {};
  return Bytes(static_cast<std::size_t>(std::max(0, w->rect.width() * w->rect.height())), 0);
}

// --- FakeFiles ---------------------------------------------------------------

std::optional<Bytes> FakeFiles::read_file(const Text& path) {
  log_.push_back("read_file " + path);
  const auto it = files.find(path);
  if (it == files.end()) return std::nullopt;
  return it->second;
}

namespace {

class NoEntries final : public DirectoryEnumeration {
 public:
  std::optional<DirectoryEntry> next() override { return std::nullopt; }
};

}  // namespace

std::unique_ptr<DirectoryEnumeration> FakeFiles::enumerate(const Text& pattern) {
  log_.push_back("enumerate " + pattern);
  return std::make_unique<NoEntries>();
}

std::optional<FolderIdentity> FakeFiles::folder_identity(const Text& /*path*/) {
  return std::nullopt;
}

}  // namespace lyricsub
