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
#include <ole2.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::int64_t now_us() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return counter.QuadPart / frequency.QuadPart * 1'000'000 +
         counter.QuadPart % frequency.QuadPart * 1'000'000 / frequency.QuadPart;
}

// ---- drop -----------------------------------------------------------------

FORMATETC hdrop_format() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// A DROPFILES block holding one wide path.
HGLOBAL make_hdrop(const std::wstring& path) {
  const SIZE_T size = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (block == nullptr) return nullptr;
  auto* files = static_cast<DROPFILES*>(GlobalLock(block));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::wmemcpy(reinterpret_cast<wchar_t*>(files + 1), path.c_str(), path.size());
  GlobalUnlock(block);
  return block;
}

class FileData final : public IDataObject {
 public:
  explicit FileData(std::wstring path) : path_(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the stack

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = make_hdrop(path_);
    medium->pUnkForRelease = nullptr;
    return medium->hGlobal != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format != nullptr && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL)
               ? S_OK
               : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format = hdrop_format();
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
  std::wstring path_;
  ULONG refs_ = 1;
};

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
  FileData data(full);
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
  // Controls may sit inside group boxes: search all descendants.
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (GetDlgCtrlID(child) != s->id) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return 1;
  const std::int64_t before = now_us();
  DWORD_PTR answer = 0;
  const LRESULT sent =
      SendMessageTimeoutW(search.found, BM_CLICK, 0, 0, SMTO_NORMAL, 10'000, &answer);
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
