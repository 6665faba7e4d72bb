// playback_driver: what the playback end-to-end test does to lyricsub from
// outside that the probe cannot: drop a file onto a window the way Explorer
// does, and click a button at a known moment.
//
//   playback_driver.exe drop PATH X Y
//     Drags the file PATH (CF_HDROP) to screen point X Y and drops it there
//     at once, through OLE drag and drop. Prints "effect=<DROPEFFECT>".
//   playback_driver.exe click WINDOW_CLASS ID
//     Sends BM_CLICK to the control ID of the top-level window of that class
//     and prints "before_us=<t> after_us=<t>": QueryPerformanceCounter in
//     microseconds just before the send and once the click has been handled,
//     comparable with target_app's log times.
//
// Exit status: 0 done, 1 failed, 2 usage.
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "e2e_win32.h"

namespace {

std::int64_t now_us() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return counter.QuadPart / frequency.QuadPart * 1'000'000 +
         counter.QuadPart % frequency.QuadPart * 1'000'000 / frequency.QuadPart;
}

// ---- drop -----------------------------------------------------------------

// Drops as soon as the drag has met its target once: no mouse button needed.
class DropAtOnce final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
      *out = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return ++asked_ >= 2 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  ULONG refs_ = 1;
  int asked_ = 0;
};

int drop(const wchar_t* path, int x, int y) {
  wchar_t full[MAX_PATH];
  if (GetFullPathNameW(path, MAX_PATH, full, nullptr) == 0) return 1;
  if (FAILED(OleInitialize(nullptr))) return 1;
  SetCursorPos(x, y);
  e2e::DropData data = e2e::DropData::files({full});
  DropAtOnce source;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT result = DoDragDrop(&data, &source, DROPEFFECT_COPY, &effect);
  std::printf("result=0x%08lx\neffect=%lu\n", static_cast<unsigned long>(result), effect);
  OleUninitialize();
  return result == DRAGDROP_S_DROP && effect != DROPEFFECT_NONE ? 0 : 1;
}

// ---- click ----------------------------------------------------------------

int click(const wchar_t* window_class, int id) {
  HWND window = FindWindowW(window_class, nullptr);
  if (window == nullptr) return 1;
  HWND button = e2e::find_control(window, id);
  if (button == nullptr) return 1;
  const std::int64_t before = now_us();
  DWORD_PTR answer = 0;
  const LRESULT sent =
      SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 10'000, &answer);
  const std::int64_t after = now_us();
  std::printf("before_us=%lld\nafter_us=%lld\n", static_cast<long long>(before),
              static_cast<long long>(after));
  return sent != 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wcscmp(argv[1], L"drop") == 0)
    return drop(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
  if (argc == 4 && std::wcscmp(argv[1], L"click") == 0) return click(argv[2], _wtoi(argv[3]));
  std::fputs("usage: playback_driver drop PATH X Y | click WINDOW_CLASS ID\n", stderr);
  return 2;
}
