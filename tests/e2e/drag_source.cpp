// drag_source: a small window that starts an OLE drag when the left button
// goes down on it, for the end-to-end tests of dropping onto the lyrics
// table. The pointer is then moved and released from outside (xdotool).
//
//   drag_source PATH...       drags the files as CF_HDROP
//   drag_source --text TEXT   drags a text (CF_UNICODETEXT) instead
//
// The window (class "lyricsub.drag_source") covers the screen rectangle
// 10,10 - 110,110. It prints "dragging=1" when the drag starts and, when the
// drag ends, "result=drop|cancel|error" and "effect=N" (the DROPEFFECT the
// target answered), then exits.
#include <string>
#include <vector>

#include "e2e_win32.h"

namespace {

void write_raw(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

std::vector<std::wstring> g_paths;
std::wstring g_text;
bool g_as_text = false;

class DropSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
      *out = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) == 0 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  ULONG refs_ = 1;
};

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_LBUTTONDOWN) {
    e2e::DropData data = g_as_text ? e2e::DropData::text(g_text) : e2e::DropData::files(g_paths);
    DropSource source;
    DWORD effect = DROPEFFECT_NONE;
    write_raw("dragging=1\n");
    const HRESULT hr =
        DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    write_raw(std::string("result=") +
              (hr == DRAGDROP_S_DROP     ? "drop"
               : hr == DRAGDROP_S_CANCEL ? "cancel"
                                         : "error") +
              "\neffect=" + std::to_string(effect) + "\n");
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--text" && i + 1 < argc) {
      g_as_text = true;
      g_text = argv[++i];
    } else {
      g_paths.emplace_back(argv[i]);
    }
  }
  if (OleInitialize(nullptr) != S_OK) return 1;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = window_proc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  window_class.lpszClassName = L"lyricsub.drag_source";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"lyricsub.drag_source",
                                L"drag source", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, nullptr,
                                nullptr, window_class.hInstance, nullptr);
  if (window == nullptr) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  OleUninitialize();
  return 0;
}
