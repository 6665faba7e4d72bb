// probe: inspects and drives another process's windows from outside, for the
// end-to-end tests. A console program; every answer is a plain "key=value"
// line on stdout (texts as UTF-8), so shell scripts can grep and cut it.
//
// A window is named by its class ("lyricsub.main") or by a handle ("0x1a2b").
// A control is named by its window and its dialog id; controls inside group
// boxes are found too, since the search covers all descendants.
//
// Exit status: 0 when the command did what it says, 1 when the window or
// control was not found or a wait timed out, 2 on a usage error.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "e2e_win32.h"

namespace {

constexpr int kFound = 0;
constexpr int kNotFound = 1;
constexpr int kUsage = 2;
constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kPollMs = 10;

// ---- output ---------------------------------------------------------------

std::string utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

// Raw bytes to stdout: no C runtime text mode, no locale conversion.
void write_raw(const std::string& bytes) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Line breaks inside texts would break the one-line-per-key format.
std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out;
}

void line(const std::string& key, const std::string& value) { write_raw(key + "=" + value + "\n"); }
void line(const std::string& key, const std::wstring& value) { line(key, escaped(utf8(value))); }
void line(const std::string& key, long long value) { line(key, std::to_string(value)); }

std::string hex(std::uintptr_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
  return buffer;
}
std::string hex(HWND window) { return hex(reinterpret_cast<std::uintptr_t>(window)); }

void fail(const std::string& why) { write_raw("error=" + why + "\n"); }

// ---- arguments ------------------------------------------------------------

bool parse_number(const wchar_t* text, long long& value) {
  if (text == nullptr || *text == L'\0') return false;
  wchar_t* end = nullptr;
  value = std::wcstoll(text, &end, 0);
  return end != nullptr && *end == L'\0';
}

long long number_or(const wchar_t* text, long long fallback) {
  long long value = 0;
  return parse_number(text, value) ? value : fallback;
}

bool is_handle_text(const wchar_t* text) { return text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'); }

// ---- finding windows ------------------------------------------------------

HWND find_window(const wchar_t* name) {
  if (is_handle_text(name)) {
    long long value = 0;
    if (!parse_number(name, value)) return nullptr;
    HWND window = reinterpret_cast<HWND>(static_cast<std::intptr_t>(value));
    return IsWindow(window) ? window : nullptr;
  }
  return FindWindowW(name, nullptr);
}

using e2e::find_control;

// Finds the window of args[0] and, when want_control, the control of args[1].
// Prints why not and gives nullptr when either is missing.
HWND resolve(int argc, wchar_t** args, bool want_control) {
  if (argc < (want_control ? 2 : 1)) {
    fail("usage");
    return nullptr;
  }
  HWND window = find_window(args[0]);
  if (window == nullptr) {
    fail("no window " + utf8(args[0]));
    return nullptr;
  }
  if (!want_control) return window;
  long long id = 0;
  if (!parse_number(args[1], id)) {
    fail("bad control id " + utf8(args[1]));
    return nullptr;
  }
  HWND control = find_control(window, static_cast<int>(id));
  if (control == nullptr) fail("no control " + std::to_string(id));
  return control;
}

// ---- reading windows ------------------------------------------------------

std::wstring class_of(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, 256);
  return buffer;
}

// WM_GETTEXT is marshalled across processes by the system; bounded so a hung
// target cannot hang the probe.
std::wstring text_of(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
  return static_cast<LRESULT>(result);
}

std::string rect_text(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

std::string size_text(const RECT& r) {
  return std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
}

struct Flag {
  LONG_PTR bit;
  const char* name;
};

constexpr Flag kStyleFlags[] = {
    {WS_POPUP, "WS_POPUP"},         {WS_CHILD, "WS_CHILD"},
    {WS_VISIBLE, "WS_VISIBLE"},     {WS_DISABLED, "WS_DISABLED"},
    {WS_CLIPSIBLINGS, "WS_CLIPSIBLINGS"}, {WS_CLIPCHILDREN, "WS_CLIPCHILDREN"},
    {WS_BORDER, "WS_BORDER"},       {WS_DLGFRAME, "WS_DLGFRAME"},
    {WS_VSCROLL, "WS_VSCROLL"},     {WS_HSCROLL, "WS_HSCROLL"},
    {WS_SYSMENU, "WS_SYSMENU"},     {WS_THICKFRAME, "WS_THICKFRAME"},
    {WS_MINIMIZEBOX, "WS_MINIMIZEBOX"}, {WS_MAXIMIZEBOX, "WS_MAXIMIZEBOX"},
    {WS_TABSTOP, "WS_TABSTOP"},
};

constexpr Flag kExStyleFlags[] = {
    {WS_EX_DLGMODALFRAME, "WS_EX_DLGMODALFRAME"}, {WS_EX_TOPMOST, "WS_EX_TOPMOST"},
    {WS_EX_ACCEPTFILES, "WS_EX_ACCEPTFILES"},     {WS_EX_TRANSPARENT, "WS_EX_TRANSPARENT"},
    {WS_EX_TOOLWINDOW, "WS_EX_TOOLWINDOW"},       {WS_EX_WINDOWEDGE, "WS_EX_WINDOWEDGE"},
    {WS_EX_CLIENTEDGE, "WS_EX_CLIENTEDGE"},       {WS_EX_STATICEDGE, "WS_EX_STATICEDGE"},
    {WS_EX_APPWINDOW, "WS_EX_APPWINDOW"},         {WS_EX_LAYERED, "WS_EX_LAYERED"},
    {WS_EX_NOACTIVATE, "WS_EX_NOACTIVATE"},       {WS_EX_CONTROLPARENT, "WS_EX_CONTROLPARENT"},
};

template <std::size_t N>
std::string flag_names(LONG_PTR bits, const Flag (&flags)[N]) {
  std::string names;
  for (const Flag& flag : flags) {
    if ((bits & flag.bit) != flag.bit) continue;
    if (!names.empty()) names += ' ';
    names += flag.name;
  }
  return names;
}

// The shell gives a visible top-level window a taskbar button unless it is
// owned or a tool window; WS_EX_APPWINDOW forces one.
bool gets_taskbar_button(HWND window) {
  const LONG_PTR ex_style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (ex_style & WS_EX_APPWINDOW) return true;
  if (ex_style & WS_EX_TOOLWINDOW) return false;
  return GetWindow(window, GW_OWNER) == nullptr;
}

void print_geometry(HWND window) {
  RECT outer{};
  GetWindowRect(window, &outer);
  RECT client{};
  GetClientRect(window, &client);
  POINT client_origin{0, 0};
  ClientToScreen(window, &client_origin);
  line("rect", rect_text(outer));
  line("size", size_text(outer));
  line("center", std::to_string((outer.left + outer.right) / 2) + " " +
                     std::to_string((outer.top + outer.bottom) / 2));
  line("client", size_text(client));
  line("client_origin", std::to_string(client_origin.x) + " " + std::to_string(client_origin.y));
}

void print_styles(HWND window) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  const LONG_PTR ex_style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  line("style", hex(static_cast<std::uintptr_t>(style) & 0xffffffffu));
  line("style_names", flag_names(style, kStyleFlags));
  line("exstyle", hex(static_cast<std::uintptr_t>(ex_style) & 0xffffffffu));
  line("exstyle_names", flag_names(ex_style, kExStyleFlags));
  line("visible", IsWindowVisible(window) ? 1 : 0);
  line("enabled", IsWindowEnabled(window) ? 1 : 0);
}

int print_window(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HWND owner = GetWindow(window, GW_OWNER);
  line("hwnd", hex(window));
  line("class", class_of(window));
  line("title", text_of(window));
  line("pid", static_cast<long long>(pid));
  print_geometry(window);
  print_styles(window);
  line("topmost", (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
  line("owner", hex(owner));
  line("owner_class", owner ? class_of(owner) : std::wstring());
  line("taskbar", gets_taskbar_button(window) ? 1 : 0);
  line("foreground", GetForegroundWindow() == window ? 1 : 0);
  return kFound;
}

int print_control(HWND control) {
  HWND parent = GetParent(control);
  line("hwnd", hex(control));
  line("id", GetDlgCtrlID(control));
  line("class", class_of(control));
  line("parent_id", parent ? GetDlgCtrlID(parent) : 0);
  line("parent_class", parent ? class_of(parent) : std::wstring());
  RECT in_parent{};
  GetWindowRect(control, &in_parent);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&in_parent), 2);
  line("rect_in_parent", rect_text(in_parent));
  print_geometry(control);
  print_styles(control);
  line("text", text_of(control));
  return kFound;
}

// ---- commands -------------------------------------------------------------

using Command = int (*)(int argc, wchar_t** args);

int cmd_window(int argc, wchar_t** args) {
  HWND window = resolve(argc, args, false);
  return window ? print_window(window) : kNotFound;
}

int cmd_control(int argc, wchar_t** args) {
  HWND control = resolve(argc, args, true);
  return control ? print_control(control) : kNotFound;
}

int cmd_text(int argc, wchar_t** args) {
  HWND control = argc >= 2 ? resolve(argc, args, true) : resolve(argc, args, false);
  if (control == nullptr) return kNotFound;
  line("text", text_of(control));
  return kFound;
}

int cmd_checked(int argc, wchar_t** args) {
  HWND control = resolve(argc, args, true);
  if (control == nullptr) return kNotFound;
  line("checked", static_cast<long long>(send(control, BM_GETCHECK)));
  return kFound;
}

int cmd_listbox(int argc, wchar_t** args) {
  HWND list = resolve(argc, args, true);
  if (list == nullptr) return kNotFound;
  const int count = static_cast<int>(send(list, LB_GETCOUNT));
  line("count", count);
  line("selection", static_cast<long long>(static_cast<int>(send(list, LB_GETCURSEL))));
  line("item_height", static_cast<long long>(send(list, LB_GETITEMHEIGHT)));
  for (int i = 0; i < count; ++i) {
    const LRESULT length = send(list, LB_GETTEXTLEN, i);
    std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
    const LRESULT copied = send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    line("item[" + std::to_string(i) + "]", text);
  }
  return kFound;
}

// A block of memory inside the process that owns a window, for messages whose
// pointers the system does not marshal (the list view's).
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_ != nullptr) {
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ok() const { return address_ != nullptr; }
  char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool write(std::size_t offset, const void* data, std::size_t size) const {
    SIZE_T done = 0;
    return WriteProcessMemory(process_, at(offset), data, size, &done) && done == size;
  }
  bool read(std::size_t offset, void* data, std::size_t size) const {
    SIZE_T done = 0;
    return ReadProcessMemory(process_, at(offset), data, size, &done) && done == size;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

constexpr int kRemoteTextChars = 2048;

std::wstring read_remote_text(const RemoteBuffer& remote, std::size_t offset) {
  std::vector<wchar_t> text(kRemoteTextChars, L'\0');
  remote.read(offset, text.data(), text.size() * sizeof(wchar_t));
  text.back() = L'\0';
  return text.data();
}

std::wstring listview_cell(HWND list, const RemoteBuffer& remote, int row, int column) {
  const std::size_t text_offset = sizeof(LVITEMW);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = reinterpret_cast<LPWSTR>(remote.at(text_offset));
  item.cchTextMax = kRemoteTextChars;
  const wchar_t empty = L'\0';
  remote.write(text_offset, &empty, sizeof empty);
  remote.write(0, &item, sizeof item);
  send(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.at(0)));
  return read_remote_text(remote, text_offset);
}

struct Column {
  int width;
  int format;
  std::wstring title;
};

bool listview_column(HWND list, const RemoteBuffer& remote, int index, Column& column) {
  const std::size_t text_offset = sizeof(LVCOLUMNW);
  LVCOLUMNW query{};
  query.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_FMT;
  query.pszText = reinterpret_cast<LPWSTR>(remote.at(text_offset));
  query.cchTextMax = kRemoteTextChars;
  const wchar_t empty = L'\0';
  remote.write(text_offset, &empty, sizeof empty);
  remote.write(0, &query, sizeof query);
  if (!send(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(remote.at(0)))) return false;
  LVCOLUMNW answer{};
  remote.read(0, &answer, sizeof answer);
  column.width = answer.cx;
  column.format = answer.fmt;
  column.title = read_remote_text(remote, text_offset);
  return true;
}

int cmd_listview(int argc, wchar_t** args) {
  HWND list = resolve(argc, args, true);
  if (list == nullptr) return kNotFound;
  RemoteBuffer remote(list, sizeof(LVITEMW) + sizeof(LVCOLUMNW) + kRemoteTextChars * sizeof(wchar_t));
  if (!remote.ok()) {
    fail("cannot reach the list view's process");
    return kNotFound;
  }
  const int rows = static_cast<int>(send(list, LVM_GETITEMCOUNT));
  HWND header = reinterpret_cast<HWND>(send(list, LVM_GETHEADER));
  const int columns = header ? static_cast<int>(send(header, HDM_GETITEMCOUNT)) : 0;
  line("rows", rows);
  line("columns", columns);
  line("view_style", hex(static_cast<std::uintptr_t>(send(list, LVM_GETEXTENDEDLISTVIEWSTYLE))));
  line("top_index", static_cast<long long>(send(list, LVM_GETTOPINDEX)));
  for (int c = 0; c < columns; ++c) {
    Column column{};
    if (!listview_column(list, remote, c, column)) continue;
    const std::string key = "column[" + std::to_string(c) + "]";
    line(key + ".width", column.width);
    line(key + ".format", column.format);
    line(key + ".title", column.title);
  }
  std::string selected;
  int focused = -1;
  for (int r = 0; r < rows; ++r) {
    const LRESULT state = send(list, LVM_GETITEMSTATE, r, LVIS_SELECTED | LVIS_FOCUSED);
    if (state & LVIS_SELECTED) selected += (selected.empty() ? "" : " ") + std::to_string(r);
    if (state & LVIS_FOCUSED) focused = r;
  }
  line("selected", selected);
  line("focused", focused);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < (columns > 0 ? columns : 1); ++c) {
      line("cell[" + std::to_string(r) + "][" + std::to_string(c) + "]",
           listview_cell(list, remote, r, c));
    }
  }
  return kFound;
}

BOOL CALLBACK print_child(HWND child, LPARAM) {
  RECT r{};
  GetWindowRect(child, &r);
  HWND parent = GetParent(child);
  write_raw("child id=" + std::to_string(GetDlgCtrlID(child)) +
            " parent_id=" + std::to_string(parent ? GetDlgCtrlID(parent) : 0) +
            " class=" + utf8(class_of(child)) +
            " visible=" + (IsWindowVisible(child) ? "1" : "0") + " rect=" + rect_text(r) +
            " text=" + escaped(utf8(text_of(child))) + "\n");
  return TRUE;
}

// Every descendant in Z order within each parent (topmost first).
int cmd_tree(int argc, wchar_t** args) {
  HWND window = resolve(argc, args, false);
  if (window == nullptr) return kNotFound;
  EnumChildWindows(window, print_child, 0);
  return kFound;
}

struct TopLevelSearch {
  DWORD pid;
};

BOOL CALLBACK print_top_level(HWND window, LPARAM context) {
  const DWORD wanted = reinterpret_cast<TopLevelSearch*>(context)->pid;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (wanted != 0 && pid != wanted) return TRUE;
  RECT r{};
  GetWindowRect(window, &r);
  write_raw("window hwnd=" + hex(window) + " pid=" + std::to_string(pid) +
            " class=" + utf8(class_of(window)) +
            " visible=" + (IsWindowVisible(window) ? "1" : "0") +
            " topmost=" + ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "1" : "0") +
            " owner=" + hex(GetWindow(window, GW_OWNER)) + " rect=" + rect_text(r) +
            " title=" + escaped(utf8(text_of(window))) + "\n");
  return TRUE;
}

// Top-level windows in Z order, optionally of one process only.
int cmd_windows(int argc, wchar_t** args) {
  TopLevelSearch search{static_cast<DWORD>(argc >= 1 ? number_or(args[0], 0) : 0)};
  EnumWindows(print_top_level, reinterpret_cast<LPARAM>(&search));
  return kFound;
}

// The colour on screen at a point, as 0xRRGGBB, or -1 when it cannot be read.
long long screen_pixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return -1;
  const COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  if (colour == CLR_INVALID) return -1;
  return (static_cast<long long>(GetRValue(colour)) << 16) | (GetGValue(colour) << 8) |
         GetBValue(colour);
}

// A control counts as painted once the pixel just inside its top-left corner
// is no longer black, the colour of the bare X screen (Xvfb -br).
bool painted(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  const long long colour = screen_pixel(r.left + 1, r.top + 1);
  return colour > 0;
}

long long epoch_ms() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr unsigned long long kUnixEpochTicks = 116444736000000000ULL;
  return static_cast<long long>((ticks - kUnixEpochTicks) / 10000);
}

struct WaitCondition {
  bool visible = false;
  int text_id = 0;     // this control's text is not empty
  int painted_id = 0;  // this control shows on screen
};

bool condition_holds(HWND window, const WaitCondition& want) {
  if (window == nullptr) return false;
  if (want.visible && !IsWindowVisible(window)) return false;
  if (want.text_id != 0) {
    HWND control = find_control(window, want.text_id);
    if (control == nullptr || text_of(control).empty()) return false;
  }
  if (want.painted_id != 0) {
    HWND control = find_control(window, want.painted_id);
    if (control == nullptr || !IsWindowVisible(control) || !painted(control)) return false;
  }
  return true;
}

// wait WINDOW [timeout_ms] [visible] [text=ID] [painted=ID]: until the window
// exists and every condition given holds. Polls every few ms, so the printed
// epoch time is close to the moment the conditions first held; the first line,
// printed at once, tells a caller that polling has begun.
int cmd_wait(int argc, wchar_t** args) {
  if (argc < 1) {
    fail("usage");
    return kUsage;
  }
  const DWORD timeout = static_cast<DWORD>(number_or(argc >= 2 ? args[1] : nullptr, 10000));
  WaitCondition want;
  for (int i = 2; i < argc; ++i) {
    if (std::wcscmp(args[i], L"visible") == 0) want.visible = true;
    if (std::wcsncmp(args[i], L"text=", 5) == 0) {
      want.text_id = static_cast<int>(number_or(args[i] + 5, 0));
    }
    if (std::wcsncmp(args[i], L"painted=", 8) == 0) {
      want.painted_id = static_cast<int>(number_or(args[i] + 8, 0));
    }
  }
  line("polling_since_epoch_ms", epoch_ms());
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = find_window(args[0]);
    if (condition_holds(window, want)) {
      line("hwnd", hex(window));
      line("waited_ms", static_cast<long long>(GetTickCount() - start));
      line("epoch_ms", epoch_ms());
      return kFound;
    }
    if (GetTickCount() - start >= timeout) {
      fail("timeout");
      return kNotFound;
    }
    Sleep(kPollMs);
  }
}

int cmd_wait_gone(int argc, wchar_t** args) {
  if (argc < 1) {
    fail("usage");
    return kUsage;
  }
  const DWORD timeout = static_cast<DWORD>(number_or(argc >= 2 ? args[1] : nullptr, 10000));
  const DWORD start = GetTickCount();
  while (find_window(args[0]) != nullptr) {
    if (GetTickCount() - start >= timeout) {
      fail("timeout");
      return kNotFound;
    }
    Sleep(kPollMs);
  }
  line("waited_ms", static_cast<long long>(GetTickCount() - start));
  return kFound;
}

// Posted, not sent: the window's process may end while handling it.
int cmd_close(int argc, wchar_t** args) {
  HWND window = resolve(argc, args, false);
  if (window == nullptr) return kNotFound;
  line("posted", PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 1 : 0);
  return kFound;
}

// send WINDOW ID|0 MESSAGE [WPARAM] [LPARAM]: numbers only (no pointers);
// ID 0 means the window itself. Prints the result.
int cmd_send(int argc, wchar_t** args) {
  if (argc < 3) {
    fail("usage");
    return kUsage;
  }
  HWND target = number_or(args[1], -1) == 0 ? resolve(argc, args, false) : resolve(argc, args, true);
  if (target == nullptr) return kNotFound;
  const UINT message = static_cast<UINT>(number_or(args[2], 0));
  const WPARAM wparam = static_cast<WPARAM>(number_or(argc >= 4 ? args[3] : nullptr, 0));
  const LPARAM lparam = static_cast<LPARAM>(number_or(argc >= 5 ? args[4] : nullptr, 0));
  DWORD_PTR result = 0;
  const BOOL done =
      SendMessageTimeoutW(target, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
  line("sent", done ? 1 : 0);
  line("result", static_cast<long long>(static_cast<LRESULT>(result)));
  return done ? kFound : kNotFound;
}

// post WINDOW ID|0 MESSAGE [WPARAM] [LPARAM]: like send, without waiting.
int cmd_post(int argc, wchar_t** args) {
  if (argc < 3) {
    fail("usage");
    return kUsage;
  }
  HWND target = number_or(args[1], -1) == 0 ? resolve(argc, args, false) : resolve(argc, args, true);
  if (target == nullptr) return kNotFound;
  const UINT message = static_cast<UINT>(number_or(args[2], 0));
  const WPARAM wparam = static_cast<WPARAM>(number_or(argc >= 4 ? args[3] : nullptr, 0));
  const LPARAM lparam = static_cast<LPARAM>(number_or(argc >= 5 ? args[4] : nullptr, 0));
  line("posted", PostMessageW(target, message, wparam, lparam) ? 1 : 0);
  return kFound;
}

// ping WINDOW [bound_ms]: does the window's thread answer within the bound?
int cmd_ping(int argc, wchar_t** args) {
  HWND window = resolve(argc, args, false);
  if (window == nullptr) return kNotFound;
  const UINT bound = static_cast<UINT>(number_or(argc >= 2 ? args[1] : nullptr, 1000));
  const DWORD start = GetTickCount();
  DWORD_PTR result = 0;
  const BOOL answered =
      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, bound, &result);
  line("responsive", answered ? 1 : 0);
  line("ms", static_cast<long long>(GetTickCount() - start));
  return answered ? kFound : kNotFound;
}

int cmd_resources(int argc, wchar_t** args) {
  HWND window = resolve(argc, args, false);
  if (window == nullptr) return kNotFound;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) {
    fail("cannot open process " + std::to_string(pid));
    return kNotFound;
  }
  line("pid", static_cast<long long>(pid));
  line("gdi_objects", static_cast<long long>(GetGuiResources(process, GR_GDIOBJECTS)));
  line("user_objects", static_cast<long long>(GetGuiResources(process, GR_USEROBJECTS)));
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory)) {
    line("private_bytes", static_cast<long long>(memory.PrivateUsage));
    line("working_set_bytes", static_cast<long long>(memory.WorkingSetSize));
    line("peak_working_set_bytes", static_cast<long long>(memory.PeakWorkingSetSize));
  }
  DWORD handles = 0;
  if (GetProcessHandleCount(process, &handles)) line("handles", static_cast<long long>(handles));
  CloseHandle(process);
  return kFound;
}

int cmd_screen(int, wchar_t**) {
  line("screen", std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " " +
                     std::to_string(GetSystemMetrics(SM_CYSCREEN)));
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  line("work_area", rect_text(work));
  line("ansi_code_page", static_cast<long long>(GetACP()));
  return kFound;
}

int cmd_foreground(int, wchar_t**) {
  HWND window = GetForegroundWindow();
  line("hwnd", hex(window));
  line("class", window ? class_of(window) : std::wstring());
  return window ? kFound : kNotFound;
}

// Makes the window the foreground window, so keys typed with xdotool reach it.
int cmd_activate(int argc, wchar_t** args) {
  HWND window = resolve(argc, args, false);
  if (window == nullptr) return kNotFound;
  line("activated", SetForegroundWindow(window) ? 1 : 0);
  return kFound;
}

// The keyboard focus and active window of the window's thread, found with
// GetGUIThreadInfo, which works across processes.
int cmd_focus(int argc, wchar_t** args) {
  HWND window = resolve(argc, args, false);
  if (window == nullptr) return kNotFound;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
    fail("GetGUIThreadInfo failed");
    return kNotFound;
  }
  line("focus", hex(info.hwndFocus));
  line("focus_id", info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
  line("focus_class", info.hwndFocus ? class_of(info.hwndFocus) : std::wstring());
  line("active", hex(info.hwndActive));
  line("capture", hex(info.hwndCapture));
  return kFound;
}

// pixel X Y: the screen colour at a point, as 0xRRGGBB.
int cmd_pixel(int argc, wchar_t** args) {
  if (argc < 2) {
    fail("usage");
    return kUsage;
  }
  const long long colour =
      screen_pixel(static_cast<int>(number_or(args[0], 0)), static_cast<int>(number_or(args[1], 0)));
  if (colour < 0) {
    fail("cannot read the screen");
    return kNotFound;
  }
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%06llx", colour);
  line("pixel", buffer);
  return kFound;
}

// zorder WINDOW top|bottom|topmost|notopmost: SetWindowPos without moving,
// sizing or activating, e.g. to put another window over the program's.
int cmd_zorder(int argc, wchar_t** args) {
  if (argc < 2) {
    fail("usage");
    return kUsage;
  }
  HWND window = resolve(argc, args, false);
  if (window == nullptr) return kNotFound;
  struct Place {
    const wchar_t* name;
    HWND after;
  };
  static const Place kPlaces[] = {{L"top", HWND_TOP},
                                  {L"bottom", HWND_BOTTOM},
                                  {L"topmost", HWND_TOPMOST},
                                  {L"notopmost", HWND_NOTOPMOST}};
  for (const Place& place : kPlaces) {
    if (std::wcscmp(args[1], place.name) != 0) continue;
    const BOOL done = SetWindowPos(window, place.after, 0, 0, 0, 0,
                                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    line("done", done ? 1 : 0);
    line("topmost", (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
    return done ? kFound : kNotFound;
  }
  fail("unknown place " + utf8(args[1]));
  return kUsage;
}

struct NamedCommand {
  const wchar_t* name;
  Command run;
  const char* help;
};

constexpr NamedCommand kCommands[] = {
    {L"window", cmd_window, "window WINDOW: geometry, styles, top-most, owner, taskbar button"},
    {L"control", cmd_control, "control WINDOW ID: a control's class, geometry, styles and text"},
    {L"text", cmd_text, "text WINDOW [ID]: the window's or control's text"},
    {L"checked", cmd_checked, "checked WINDOW ID: BM_GETCHECK of a check box"},
    {L"listbox", cmd_listbox, "listbox WINDOW ID: count, selection and items of a list box"},
    {L"listview", cmd_listview, "listview WINDOW ID: rows, columns, selection and cells"},
    {L"tree", cmd_tree, "tree WINDOW: every descendant control"},
    {L"windows", cmd_windows, "windows [PID]: top-level windows in Z order"},
    {L"wait", cmd_wait,
     "wait WINDOW [TIMEOUT_MS] [visible] [text=ID] [painted=ID]: until it exists and shows"},
    {L"wait-gone", cmd_wait_gone, "wait-gone WINDOW [TIMEOUT_MS]: until it no longer exists"},
    {L"close", cmd_close, "close WINDOW: post WM_SYSCOMMAND SC_CLOSE"},
    {L"send", cmd_send, "send WINDOW ID|0 MSG [WPARAM] [LPARAM]: SendMessageTimeout"},
    {L"post", cmd_post, "post WINDOW ID|0 MSG [WPARAM] [LPARAM]: PostMessage"},
    {L"ping", cmd_ping, "ping WINDOW [BOUND_MS]: WM_NULL round trip"},
    {L"resources", cmd_resources, "resources WINDOW: GDI/USER objects and memory of its process"},
    {L"screen", cmd_screen, "screen: primary screen size, work area, ANSI code page"},
    {L"foreground", cmd_foreground, "foreground: the foreground window"},
    {L"activate", cmd_activate, "activate WINDOW: SetForegroundWindow"},
    {L"zorder", cmd_zorder, "zorder WINDOW top|bottom|topmost|notopmost: SetWindowPos"},
    {L"focus", cmd_focus, "focus WINDOW: focused control and active window of its thread"},
    {L"pixel", cmd_pixel, "pixel X Y: screen colour at a point"},
};

int usage() {
  std::string text =
      "usage: probe COMMAND ARGS (WINDOW is a class name or 0xHANDLE)\n"
      "       probe multi COMMAND ARGS -- COMMAND ARGS ...: each answer after section=N\n";
  for (const NamedCommand& command : kCommands) text += std::string("  ") + command.help + "\n";
  write_raw(text);
  return kUsage;
}

int run_command(int argc, wchar_t** args) {
  for (const NamedCommand& command : kCommands) {
    if (std::wcscmp(args[0], command.name) == 0) return command.run(argc - 1, args + 1);
  }
  return usage();
}

// multi CMD ARGS -- CMD ARGS ...: several commands in one start of the probe
// (each start costs a Wine process). Every command's answer follows a line
// "section=N CMD", N counting from 0. Exit status: the worst of them.
int run_many(int argc, wchar_t** args) {
  int worst = kFound;
  int section = 0;
  int begin = 0;
  for (int i = 0; i <= argc; ++i) {
    if (i < argc && std::wcscmp(args[i], L"--") != 0) continue;
    if (i > begin) {
      line("section", std::to_string(section) + " " + utf8(args[begin]));
      const int status = run_command(i - begin, args + begin);
      if (status > worst) worst = status;
    }
    ++section;
    begin = i + 1;
  }
  return worst;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return usage();
  if (std::wcscmp(argv[1], L"multi") == 0) return run_many(argc - 2, argv + 2);
  return run_command(argc - 1, argv + 1);
}
