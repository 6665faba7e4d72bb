// The highlight frame's cost under load: a showing flash tick over a
// 1920 x 1080 window of another process (the snapshot dominates it), and the
// GDI objects the process holds after 1,000 ticks.
//
// Runs the real program's windows and the real flash tick; the hovered window
// belongs to a child copy of this program started with --target. Prints its
// figures, one line each.
//
//   highlight_bench.exe [TICKS]     (default 1000)
//
// Needs a screen of at least 1920 x 1080 (Xvfb -screen 0 1920x1200x24). Under
// Wine without a window manager, set Managed=N for this program (under
// HKCU\Software\Wine\AppDefaults\highlight_bench.exe\X11 Driver, as
// test_highlight.sh does for lyricsub.exe), or every hiding tick waits 2 s.
// GetGuiResources answers 0 under Wine 8, so the GDI objects are also counted
// from the handle table, calibrated by one bitmap made and deleted.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/shell.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "platform/win32/files.h"
#include "platform/win32/snapshot.h"
#include "platform/win32/ui.h"
#include "target/highlight.h"

namespace {

constexpr wchar_t kTargetClass[] = L"lyricsub.bench.target";
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
int g_ticks = 1000;

// ---- the hovered window, in a process of its own ----------------------------

LRESULT CALLBACK target_proc(HWND w, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    // Stripes, so the copy is not one flat colour.
    for (int x = 0; x < kWidth; x += 64) {
      RECT r{x, 0, x + 64, kHeight};
      HBRUSH b = CreateSolidBrush(RGB(x % 256, (x / 4) % 256, 200));
      FillRect(dc, &r, b);
      DeleteObject(b);
    }
    EndPaint(w, &ps);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(w, msg, wparam, lparam);
}

int run_target(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = target_proc;
  wc.hInstance = instance;
  wc.lpszClassName = kTargetClass;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, kTargetClass, L"bench target", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                           kHeight, nullptr, nullptr, instance, nullptr);
  if (w == nullptr) return 1;
  UpdateWindow(w);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}

// ---- measuring ----------------------------------------------------------------

// <chrono> does not build with the GBK execution character set; the
// performance counter is what it would use anyway.
LONGLONG now_ticks() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double ms_since(LONGLONG start) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(now_ticks() - start) * 1000.0 / static_cast<double>(f.QuadPart);
}

struct Summary {
  double median = 0, p95 = 0, max = 0, mean = 0;
};

Summary summarise(std::vector<double> samples) {
  Summary s;
  if (samples.empty()) return s;
  std::sort(samples.begin(), samples.end());
  s.median = samples[samples.size() / 2];
  s.p95 = samples[samples.size() * 95 / 100];
  s.max = samples.back();
  for (double v : samples) s.mean += v;
  s.mean /= static_cast<double>(samples.size());
  return s;
}

void print(const char* key, const Summary& s) {
  std::printf("%s_ms median=%.2f p95=%.2f max=%.2f mean=%.2f\n", key, s.median, s.p95, s.max,
              s.mean);
}

void pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// GetGuiResources is a stub answering 0 on some Wine versions; counting the
// live entries of the handle table by their low word is the fallback there.
DWORD gdi_objects_by_table() {
  DWORD n = 0;
  for (std::uintptr_t index = 1; index < 0x10000; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++n;
  return n;
}

struct GdiCount {
  DWORD reported;  // GetGuiResources
  DWORD table;     // live handle table entries
};

GdiCount gdi_count() {
  return {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi_objects_by_table()};
}

HWND wait_for_window(const wchar_t* cls) {
  for (int i = 0; i < 1000; ++i) {
    if (HWND w = FindWindowW(cls, nullptr); w != nullptr && IsWindowVisible(w)) return w;
    Sleep(10);
  }
  return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace lyricsub;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (argc > 1 && std::wstring(argv[1]) == L"--target") return run_target(instance);
  if (argc > 1) g_ticks = std::max(2, _wtoi(argv[1]));
  setvbuf(stdout, nullptr, _IONBF, 0);

  // The hovered window, in another process as it is when picking.
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring child = L"\"" + std::wstring(self) + L"\" --target";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, child.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    std::printf("error=cannot start the target process\n");
    return 1;
  }
  HWND target = wait_for_window(kTargetClass);
  if (target == nullptr) {
    std::printf("error=target window did not appear\n");
    return 1;
  }

  win32::Win32Ui ui(instance);
  win32::Win32Desktop desktop;
  win32::Win32Files files;
  win32::Win32Clock clock;
  App app(Platform{ui, ui, desktop, files, clock});
  ui.set_event_sink(app);
  start_up(app);
  pump();
  // The main window is always on top; keep it off the point the mouse rests on.
  HWND main = FindWindowW(win32::kMainWindowClass, nullptr);
  SetWindowPos(main, nullptr, kWidth + 200, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  pump();

  const POINT point{kWidth / 2, kHeight / 2};
  SetCursorPos(point.x, point.y);
  const Handle hovered = window_under_mouse(desktop);
  RECT r{};
  GetWindowRect(target, &r);
  std::printf("hovered=%d target=%d rect=%ld,%ld,%ld,%ld\n", hovered,
              static_cast<Handle>(reinterpret_cast<std::intptr_t>(target)), r.left, r.top, r.right,
              r.bottom);
  if (hovered != static_cast<Handle>(reinterpret_cast<std::intptr_t>(target))) {
    std::printf("error=the target is not under the mouse\n");
    return 1;
  }

  // The snapshot alone.
  std::vector<double> snapshot_ms;
  std::size_t bytes = 0;
  for (int i = 0; i < 50; ++i) {
    const auto start = now_ticks();
    bytes = win32::snapshot_window(target).size();
    snapshot_ms.push_back(ms_since(start));
  }
  std::printf("snapshot_bytes=%zu\n", bytes);
  print("snapshot", summarise(snapshot_ms));

  // Calibrate the table count: one more bitmap must show as one more object.
  {
    const GdiCount before = gdi_count();
    HBITMAP probe = CreateBitmap(4, 4, 1, 32, nullptr);
    const GdiCount with = gdi_count();
    DeleteObject(probe);
    std::printf("gdi_calibration reported=%lu->%lu table=%lu->%lu\n", before.reported,
                with.reported, before.table, with.table);
  }

  // Real ticks, with the painting between them as the message loop does it.
  // The frame covers the target while shown, so every other tick hides it.
  pump();
  const GdiCount before = gdi_count();
  std::vector<double> showing_ms, hiding_ms, paint_ms;
  int shown = 0;
  GdiCount after_ten{};
  for (int i = 0; i < g_ticks; ++i) {
    const bool was_visible = ui.highlight_visible();
    const auto start = now_ticks();
    flash_tick(app);
    (was_visible ? hiding_ms : showing_ms).push_back(ms_since(start));
    if (!was_visible && ui.highlight_visible()) ++shown;
    const auto paint_start = now_ticks();
    pump();
    if (!was_visible) paint_ms.push_back(ms_since(paint_start));
    if (i + 1 == 10) after_ten = gdi_count();
    if ((i + 1) % 100 == 0) std::fprintf(stderr, "progress=%d\n", i + 1);
  }
  ui.hide_highlight();
  pump();
  const GdiCount after = gdi_count();

  std::printf("ticks=%d shown=%d\n", g_ticks, shown);
  print("showing_tick", summarise(showing_ms));
  print("paint_after_showing_tick", summarise(paint_ms));
  print("hiding_tick", summarise(hiding_ms));
  std::printf("gdi_objects_before reported=%lu table=%lu\n", before.reported, before.table);
  std::printf("gdi_objects_after_10_ticks reported=%lu table=%lu\n", after_ten.reported,
              after_ten.table);
  std::printf("gdi_objects_after reported=%lu table=%lu\n", after.reported, after.table);

  PostMessageW(target, WM_CLOSE, 0, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}
