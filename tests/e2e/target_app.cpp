// target_app: a small chat-like program that the end-to-end tests deliver
// text to. It logs what its controls receive, with high-resolution times.
//
// Command line (stable; other tests rely on it):
//   target_app.exe LOG_FILE [--at X Y] [--keep]
//     LOG_FILE  appended to, one line per event, UTF-8, flushed at once.
//     --at X Y  screen position of the window (default 905 0: right of the
//               main window, which it must not cover).
//     --keep    Enter does not empty the box (a multi-line note's behaviour).
//
// The window (class "lyricsub.target_app", title "target_app", 420 x 260)
// holds, by dialog id:
//   101 "edit"    single-line Edit
//   102 "rich"    single-line RichEdit20W (riched20.dll)
//   103 "button"  push button
//   104 "list"    list box with three entries
// In the two boxes Enter works like a chat box's: the line is "sent" (logged)
// and the box emptied. The text is "sent" when the box handles WM_KEYDOWN of
// VK_RETURN, whether typed or posted.
//
// Hanging on request: post the message 0x8001 (WM_APP + 1) to the window;
// wParam is how long to stop handling messages in ms, 0 for ever:
//   probe post lyricsub.target_app 0 0x8001 0
// Hanging inside a send: post 0x8002 (WM_APP + 2) with wParam ms (0: for
// ever); the next EM_SETSEL that a box receives then stops the program for
// that long before it is handled, so the sender waits on a hung target.
//
// Log lines: "<time_us> <source> <EVENT> [arguments]", time_us from
// QueryPerformanceCounter in microseconds (comparable across processes of
// one machine), source "app" or a control's name, texts last on the line,
// with "\" "\n" "\r" written as "\\" "\n" "\r".
//   <t> app READY pid=<pid> window=<hwnd decimal>
//   <t> app CONTROL <name> hwnd=<decimal> id=<id> rect=<left>,<top>,<right>,<bottom> (screen)
//   <t> <name> EM_SETSEL <wParam> <lParam>          (signed decimal)
//   <t> <name> EM_REPLACESEL <wParam> <text>
//   <t> <name> WM_KEYDOWN <wParam> <lParam>
//   <t> <name> WM_KEYUP <wParam> <lParam>
//   <t> <name> FOCUS
//   <t> <name> SENT <text>                           (after the WM_KEYDOWN line)
//   <t> app ARMED <ms>                               (0x8002 received)
//   <t> app HANG <ms>
//   <t> app RESUMED
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kClassName[] = L"lyricsub.target_app";
constexpr UINT kHangMessage = WM_APP + 1;
constexpr UINT kHangInSendMessage = WM_APP + 2;
constexpr int kWidth = 420;
constexpr int kHeight = 260;

HANDLE g_log = INVALID_HANDLE_VALUE;
LARGE_INTEGER g_frequency{};
bool g_keep_text = false;
bool g_hang_armed = false;
WPARAM g_armed_ms = 0;

struct Box {
  const char* name;
  int id;
  HWND window = nullptr;
  WNDPROC original = nullptr;
};

Box g_controls[] = {{"edit", 101}, {"rich", 102}, {"button", 103}, {"list", 104}};

std::int64_t now_us() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  const std::int64_t f = g_frequency.QuadPart;
  return c.QuadPart / f * 1'000'000 + c.QuadPart % f * 1'000'000 / f;
}

std::string utf8(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n) - 1);
  return out;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

void log_line(const char* source, const std::string& rest) {
  const std::string line = std::to_string(now_us()) + " " + source + " " + rest + "\n";
  DWORD written = 0;
  WriteFile(g_log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string decimal(HWND window) {
  return std::to_string(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window)));
}

// Stops handling messages for ms milliseconds, 0 for ever.
void hang(WPARAM ms) {
  log_line("app", "HANG " + std::to_string(static_cast<unsigned long long>(ms)));
  Sleep(ms == 0 ? INFINITE : static_cast<DWORD>(ms));
  log_line("app", "RESUMED");
}

Box* box_of(HWND window) {
  for (Box& b : g_controls)
    if (b.window == window) return &b;
  return nullptr;
}

bool is_text_box(const Box& b) { return b.id == 101 || b.id == 102; }

// The box "sends" its line: logged, then emptied like a chat box.
void send_line(const Box& b) {
  const int length = GetWindowTextLengthW(b.window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(b.window, text.data(), length + 1);
  log_line(b.name, "SENT " + escaped(utf8(text.c_str())));
  if (!g_keep_text) SetWindowTextW(b.window, L"");
}

LRESULT CALLBACK control_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Box* b = box_of(window);
  if (b == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  const std::string w =
      std::to_string(static_cast<std::int64_t>(static_cast<std::intptr_t>(wparam)));
  const std::string l = std::to_string(static_cast<std::int64_t>(lparam));
  switch (message) {
    case EM_SETSEL:
      log_line(b->name, "EM_SETSEL " + std::to_string(static_cast<std::int32_t>(wparam)) + " " +
                            std::to_string(static_cast<std::int32_t>(lparam)));
      if (g_hang_armed) {
        g_hang_armed = false;
        hang(g_armed_ms);
      }
      break;
    case EM_REPLACESEL:
      log_line(b->name, "EM_REPLACESEL " + w + " " +
                            escaped(utf8(reinterpret_cast<const wchar_t*>(lparam))));
      break;
    case WM_KEYDOWN:
      log_line(b->name, "WM_KEYDOWN " + w + " " + l);
      if (wparam == VK_RETURN && is_text_box(*b)) {
        send_line(*b);
        return 0;
      }
      break;
    case WM_KEYUP:
      log_line(b->name, "WM_KEYUP " + w + " " + l);
      break;
    case WM_CHAR:
      if (wparam == L'\r' && is_text_box(*b)) return 0;  // no beep, no line break
      break;
    case WM_SETFOCUS:
      log_line(b->name, "FOCUS");
      break;
    default:
      break;
  }
  return CallWindowProcW(b->original, window, message, wparam, lparam);
}

LRESULT CALLBACK main_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kHangMessage:
      hang(wparam);
      return 0;
    case kHangInSendMessage:
      g_hang_armed = true;
      g_armed_ms = wparam;
      log_line("app", "ARMED " + std::to_string(static_cast<unsigned long long>(wparam)));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

HWND create_control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                    int x, int y, int w, int h) {
  return CreateWindowExW(id == 103 ? 0 : WS_EX_CLIENTEDGE, cls, text,
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: target_app LOG_FILE [--at X Y] [--keep]\n", stderr);
    return 2;
  }
  int x = 905;
  int y = 0;
  for (int i = 2; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--at") == 0 && i + 2 < argc) {
      x = _wtoi(argv[i + 1]);
      y = _wtoi(argv[i + 2]);
      i += 2;
    } else if (std::wcscmp(argv[i], L"--keep") == 0) {
      g_keep_text = true;
    }
  }
  QueryPerformanceFrequency(&g_frequency);
  g_log = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_log == INVALID_HANDLE_VALUE) {
    std::fputs("target_app: cannot open the log file\n", stderr);
    return 1;
  }
  if (LoadLibraryW(L"riched20.dll") == nullptr) log_line("app", "NO_RICHEDIT");

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = main_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, kClassName, L"target_app", WS_OVERLAPPEDWINDOW, x, y, kWidth,
                              kHeight, nullptr, nullptr, instance, nullptr);

  g_controls[0].window = create_control(main, L"Edit", L"", ES_AUTOHSCROLL, 101, 10, 10, 380, 26);
  g_controls[1].window =
      create_control(main, L"RichEdit20W", L"", ES_AUTOHSCROLL, 102, 10, 46, 380, 26);
  g_controls[2].window =
      create_control(main, L"Button", L"按钮", BS_PUSHBUTTON, 103, 10, 82, 120, 28);
  g_controls[3].window =
      create_control(main, L"ListBox", L"", LBS_NOTIFY | WS_VSCROLL, 104, 10, 120, 200, 90);
  for (const wchar_t* item : {L"第一项", L"第二项", L"第三项"})
    SendMessageW(g_controls[3].window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  for (Box& b : g_controls) {
    if (b.window == nullptr) continue;
    b.original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(b.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control_proc)));
  }
  ShowWindow(main, SW_SHOW);
  UpdateWindow(main);

  log_line("app",
           "READY pid=" + std::to_string(GetCurrentProcessId()) + " window=" + decimal(main));
  for (const Box& b : g_controls) {
    RECT r{};
    GetWindowRect(b.window, &r);
    log_line("app", std::string("CONTROL ") + b.name + " hwnd=" + decimal(b.window) +
                        " id=" + std::to_string(b.id) + " rect=" + std::to_string(r.left) + "," +
                        std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                        std::to_string(r.bottom));
  }

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  CloseHandle(g_log);
  return 0;
}
