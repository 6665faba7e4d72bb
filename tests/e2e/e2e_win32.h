// Pieces the end-to-end helper programs share: finding a control of another
// program's window by id, and a data object for OLE drops of files or text.
#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// The descendant of window whose control id is id (controls may sit inside
// group boxes), or nullptr.
inline HWND find_control(HWND window, int id) {
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
  return search.found;
}

// What a drag carries: files as CF_HDROP (wide paths) or a text as
// CF_UNICODETEXT. Lives on the caller's stack for the length of the drag.
class DropData final : public IDataObject {
 public:
  static DropData files(std::vector<std::wstring> paths) { return DropData(std::move(paths), {}, false); }
  static DropData text(std::wstring text) { return DropData({}, std::move(text), true); }

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
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->pUnkForRelease = nullptr;
    medium->hGlobal = as_text_ ? global_from(text_.c_str(), (text_.size() + 1) * sizeof(wchar_t))
                               : drop_files();
    return medium->hGlobal != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (format == nullptr) return E_INVALIDARG;
    if (format->cfFormat != offered() || (format->tymed & TYMED_HGLOBAL) == 0) return DV_E_FORMATETC;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format{offered(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
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
  DropData(std::vector<std::wstring> paths, std::wstring text, bool as_text)
      : paths_(std::move(paths)), text_(std::move(text)), as_text_(as_text) {}

  CLIPFORMAT offered() const { return as_text_ ? CF_UNICODETEXT : CF_HDROP; }

  static HGLOBAL global_from(const void* data, std::size_t size) {
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (global == nullptr) return nullptr;
    std::memcpy(GlobalLock(global), data, size);
    GlobalUnlock(global);
    return global;
  }

  // A DROPFILES block: the wide paths, each ending in a NUL, and one more NUL.
  HGLOBAL drop_files() const {
    std::wstring list;
    for (const std::wstring& path : paths_) list += path + L'\0';
    list += L'\0';
    std::vector<char> bytes(sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* header = reinterpret_cast<DROPFILES*>(bytes.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(bytes.data() + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    return global_from(bytes.data(), bytes.size());
  }

  std::vector<std::wstring> paths_;
  std::wstring text_;
  bool as_text_;
  ULONG refs_ = 1;
};

}  // namespace e2e
