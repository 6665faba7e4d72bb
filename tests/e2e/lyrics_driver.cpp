// lyrics_driver: drives the folder dialog and the lyrics controls of another
// process from outside, for the end-to-end tests of lyrics loading and the
// folder scan. A console program; answers are "key=value" lines (UTF-8).
//
//   dialog TIMEOUT_MS            waits for a visible folder dialog (a dialog
//                                with a tree view); its handle, title, texts
//   tree DIALOG [DEPTH]          the dialog's tree items, expanding as it goes
//   select DIALOG PATH           expands the tree view down to PATH
//                                ("C:\a\b": a drive, then folder names) with
//                                TVM_EXPAND and selects it with TVM_SELECTITEM
//   item-center WINDOW ID INDEX  screen centre of a list box entry
//   count-wait WINDOW ID list|table N TIMEOUT_MS [press DIALOG BUTTON_ID | click X Y]
//                                does the action, then polls the control's
//                                entry/row count every 2 ms until it reaches
//                                N and the program answers again; prints the
//                                milliseconds from the action
//
// WINDOW and DIALOG are 0xHANDLE or a window class name. Exit status 0 on
// success, 1 when something was not found or timed out, 2 on usage errors.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "e2e_win32.h"

namespace {

constexpr UINT kSendTimeoutMs = 10000;

std::string utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

void write_raw(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}
void line(const std::string& key, const std::string& value) { write_raw(key + "=" + value + "\n"); }
void line(const std::string& key, const std::wstring& value) { line(key, utf8(value)); }
void line(const std::string& key, long long value) { line(key, std::to_string(value)); }
std::string hex(HWND window) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
  return buffer;
}
int fail(const std::string& why) {
  write_raw("error=" + why + "\n");
  return 1;
}

HWND find_window(const wchar_t* name) {
  if (name[0] == L'0' && (name[1] == L'x' || name[1] == L'X'))
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::wcstoull(name, nullptr, 16)));
  return FindWindowW(name, nullptr);
}

using e2e::find_control;

std::wstring class_of(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

struct ClassSearch {
  const wchar_t* class_name;
  HWND found;
};
BOOL CALLBACK match_class(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ClassSearch*>(param);
  if (class_of(child) != search->class_name) return TRUE;
  search->found = child;
  return FALSE;
}
HWND find_child_of_class(HWND window, const wchar_t* class_name) {
  ClassSearch search{class_name, nullptr};
  EnumChildWindows(window, match_class, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, kSendTimeoutMs, &result);
  return static_cast<LRESULT>(result);
}

// Memory in the process that owns a window, for messages that carry pointers.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_ != nullptr)
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ok() const { return address_ != nullptr; }
  char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool write(std::size_t offset, const void* data, std::size_t n) const {
    return WriteProcessMemory(process_, at(offset), data, n, nullptr) != FALSE;
  }
  bool read(std::size_t offset, void* data, std::size_t n) const {
    return ReadProcessMemory(process_, at(offset), data, n, nullptr) != FALSE;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

// ---- the folder dialog's tree view ----------------------------------------

std::wstring item_text(HWND tree, HTREEITEM item) {
  constexpr int kChars = 520;
  RemoteBuffer remote(tree, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
  if (!remote.ok()) return {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_HANDLE;
  tv.hItem = item;
  tv.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(TVITEMW)));
  tv.cchTextMax = kChars;
  const wchar_t empty = 0;
  remote.write(0, &tv, sizeof tv);
  remote.write(sizeof(TVITEMW), &empty, sizeof empty);
  send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at(0)));
  std::wstring text(kChars, L'\0');
  remote.read(sizeof(TVITEMW), text.data(), kChars * sizeof(wchar_t));
  text.resize(std::wcslen(text.c_str()));
  return text;
}

std::vector<HTREEITEM> children(HWND tree, HTREEITEM item) {
  send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  std::vector<HTREEITEM> out;
  for (auto child = reinterpret_cast<HTREEITEM>(
           send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
       child != nullptr; child = reinterpret_cast<HTREEITEM>(send(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                                  reinterpret_cast<LPARAM>(child))))
    out.push_back(child);
  return out;
}

HTREEITEM root_item(HWND tree) {
  return reinterpret_cast<HTREEITEM>(send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

bool same_name(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A drive shows as "Label (C:)" or "C:\"; match either.
bool names_drive(const std::wstring& text, const std::wstring& drive) {
  return text.find(L"(" + drive + L")") != std::wstring::npos || same_name(text, drive + L"\\") ||
         same_name(text, drive);
}

void dump(HWND tree, HTREEITEM item, int depth, int max_depth) {
  line(std::string(static_cast<std::size_t>(depth) * 2, ' ') + "item", item_text(tree, item));
  if (depth >= max_depth) return;
  for (HTREEITEM child : children(tree, item)) dump(tree, child, depth + 1, max_depth);
}

HWND dialog_tree(const wchar_t* name) {
  HWND dialog = find_window(name);
  return dialog != nullptr ? find_child_of_class(dialog, WC_TREEVIEWW) : nullptr;
}

struct DialogSearch {
  HWND found;
};
BOOL CALLBACK match_dialog(HWND window, LPARAM param) {
  if (!IsWindowVisible(window) || class_of(window) != L"#32770") return TRUE;
  if (find_child_of_class(window, WC_TREEVIEWW) == nullptr) return TRUE;
  reinterpret_cast<DialogSearch*>(param)->found = window;
  return FALSE;
}

BOOL CALLBACK print_static(HWND child, LPARAM) {
  if (class_of(child) != L"Static") return TRUE;
  wchar_t text[512] = {};
  GetWindowTextW(child, text, 512);
  if (text[0] != 0) line("static", std::wstring(text));
  return TRUE;
}

int cmd_dialog(int argc, wchar_t** argv) {
  if (argc < 1) return 2;
  const DWORD timeout = static_cast<DWORD>(std::wcstoul(argv[0], nullptr, 10));
  const DWORD start = GetTickCount();
  DialogSearch search{nullptr};
  while (true) {
    EnumWindows(match_dialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) break;
    if (GetTickCount() - start > timeout) return fail("no folder dialog");
    Sleep(10);
  }
  wchar_t title[256] = {};
  GetWindowTextW(search.found, title, 256);
  line("dialog", hex(search.found));
  line("owner", hex(GetWindow(search.found, GW_OWNER)));
  line("title", std::wstring(title));
  line("tree", hex(find_child_of_class(search.found, WC_TREEVIEWW)));
  line("edit", hex(find_child_of_class(search.found, L"Edit")));
  EnumChildWindows(search.found, print_static, 0);
  return 0;
}

int cmd_tree(int argc, wchar_t** argv) {
  if (argc < 1) return 2;
  HWND tree = dialog_tree(argv[0]);
  if (tree == nullptr) return fail("no tree view");
  dump(tree, root_item(tree), 0, argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 2);
  return 0;
}

std::vector<std::wstring> path_parts(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (wchar_t c : path) {
    if (c == L'\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// Finds the drive below the root: under the root itself or one level down
// (the desktop holds "My Computer", which holds the drives).
HTREEITEM find_drive(HWND tree, const std::wstring& drive) {
  const std::vector<HTREEITEM> top = children(tree, root_item(tree));
  for (HTREEITEM item : top)
    if (names_drive(item_text(tree, item), drive)) return item;
  for (HTREEITEM item : top)
    for (HTREEITEM child : children(tree, item))
      if (names_drive(item_text(tree, child), drive)) return child;
  return nullptr;
}

int cmd_select(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  HWND tree = dialog_tree(argv[0]);
  if (tree == nullptr) return fail("no tree view");
  const std::vector<std::wstring> parts = path_parts(argv[1]);
  if (parts.empty()) return 2;
  HTREEITEM item = find_drive(tree, parts[0]);
  if (item == nullptr) return fail("no drive " + utf8(parts[0]));
  for (std::size_t i = 1; i < parts.size(); ++i) {
    HTREEITEM next = nullptr;
    for (HTREEITEM child : children(tree, item))
      if (same_name(item_text(tree, child), parts[i])) next = child;
    if (next == nullptr) return fail("no folder " + utf8(parts[i]));
    item = next;
  }
  send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  send(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  const auto selected = reinterpret_cast<HTREEITEM>(send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  line("selected", item_text(tree, selected));
  return selected == item ? 0 : fail("not selected");
}

// ---- the lyrics controls --------------------------------------------------

int cmd_item_center(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  HWND list =
      find_control(find_window(argv[0]), static_cast<int>(std::wcstol(argv[1], nullptr, 10)));
  if (list == nullptr) return fail("no list box");
  const int index = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
  const int top = static_cast<int>(send(list, LB_GETTOPINDEX));
  const int height = static_cast<int>(send(list, LB_GETITEMHEIGHT, 0));
  POINT p{20, (index - top) * height + height / 2};
  ClientToScreen(list, &p);
  line("center", std::to_string(p.x) + " " + std::to_string(p.y));
  return 0;
}

void click_at(int x, int y) {
  SetCursorPos(x, y);
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

long long now_us() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return counter.QuadPart * 1000000 / frequency.QuadPart;
}

int cmd_count_wait(int argc, wchar_t** argv) {
  if (argc < 5) return 2;
  HWND window = find_window(argv[0]);
  HWND control = find_control(window, static_cast<int>(std::wcstol(argv[1], nullptr, 10)));
  if (control == nullptr) return fail("no control");
  const bool table = std::wcscmp(argv[2], L"table") == 0;
  const LRESULT wanted = std::wcstol(argv[3], nullptr, 10);
  const long long timeout_us = std::wcstoll(argv[4], nullptr, 10) * 1000;
  const UINT count_message = table ? LVM_GETITEMCOUNT : LB_GETCOUNT;

  const long long start = now_us();
  if (argc >= 8 && std::wcscmp(argv[5], L"press") == 0) {
    HWND button =
        find_control(find_window(argv[6]), static_cast<int>(std::wcstol(argv[7], nullptr, 10)));
    if (button == nullptr) return fail("no button");
    PostMessageW(button, BM_CLICK, 0, 0);
  } else if (argc >= 8 && std::wcscmp(argv[5], L"click") == 0) {
    click_at(static_cast<int>(std::wcstol(argv[6], nullptr, 10)),
             static_cast<int>(std::wcstol(argv[7], nullptr, 10)));
  }
  LRESULT count = -1;
  while (true) {
    count = send(control, count_message);
    if (count == wanted) break;
    if (now_us() - start > timeout_us) {
      line("count", static_cast<long long>(count));
      return fail("timed out");
    }
    Sleep(2);
  }
  const long long reached = now_us();
  // The count is right once the last entry is in; the program is done when it
  // answers again (a fill answers only after its end).
  send(window, WM_NULL);
  const long long answered = now_us();
  line("count", static_cast<long long>(count));
  line("count_ms", (reached - start) / 1000);
  line("elapsed_ms", (answered - start) / 1000);
  return 0;
}

struct Command {
  const wchar_t* name;
  int (*run)(int, wchar_t**);
};
constexpr Command kCommands[] = {
    {L"dialog", cmd_dialog},         {L"tree", cmd_tree},
    {L"select", cmd_select},         {L"item-center", cmd_item_center},
    {L"count-wait", cmd_count_wait},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 2)
    for (const Command& command : kCommands)
      if (std::wcscmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
  write_raw("usage: lyrics_driver dialog|tree|select|item-center|count-wait ARGS\n");
  return 2;
}
