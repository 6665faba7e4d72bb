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
#include <windows.h>
// After windows.h, which they need.
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

void write_raw(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

std::vector<std::wstring> g_paths;
std::wstring g_text;
bool g_as_text = false;

HGLOBAL global_from(const void* data, std::size_t size) {
  HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (global == nullptr) return nullptr;
  void* p = GlobalLock(global);
  std::memcpy(p, data, size);
  GlobalUnlock(global);
  return global;
}

HGLOBAL drop_files() {
  std::wstring list;
  for (const std::wstring& path : g_paths) list += path + L'\0';
  list += L'\0';
  std::vector<char> bytes(sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* header = reinterpret_cast<DROPFILES*>(bytes.data());
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(bytes.data() + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  return global_from(bytes.data(), bytes.size());
}

CLIPFORMAT offered_format() { return g_as_text ? CF_UNICODETEXT : CF_HDROP; }

class DataObject final : public IDataObject {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives in main()

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->pUnkForRelease = nullptr;
    medium->hGlobal = g_as_text ? global_from(g_text.c_str(), (g_text.size() + 1) * sizeof(wchar_t))
                                : drop_files();
    return medium->hGlobal != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (format == nullptr) return E_INVALIDARG;
    if (format->cfFormat != offered_format() || (format->tymed & TYMED_HGLOBAL) == 0)
      return DV_E_FORMATETC;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format{offered_format(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &format, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  ULONG refs_ = 1;
};

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
    DataObject data;
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
