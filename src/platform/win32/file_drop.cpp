// The drop target of the lyrics table: takes dropped files (CF_HDROP) and
// nothing else.
#include "platform/win32/file_drop.h"

#include <ole2.h>
#include <shellapi.h>

#include <utility>

#include "platform/codepage.h"

namespace lyricsub::win32 {
namespace {

FORMATETC file_format() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool holds_files(IDataObject* data) {
  FORMATETC format = file_format();
  return data != nullptr && data->QueryGetData(&format) == S_OK;
}

Text dropped_path(HDROP drop, UINT index) {
  const UINT length = DragQueryFileW(drop, index, nullptr, 0);
  std::wstring path(length + 1, L'\0');
  DragQueryFileW(drop, index, path.data(), length + 1);
  path.resize(length);
  return cp936::from_utf16(
      std::u16string_view(reinterpret_cast<const char16_t*>(path.data()), length));
}

// One path as it is; several each followed by "\r\n".
Text dropped_paths(IDataObject* data) {
  FORMATETC format = file_format();
  STGMEDIUM medium{};
  if (data->GetData(&format, &medium) != S_OK) return {};
  Text joined;
  if (auto* drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 1) joined = dropped_path(drop, 0);
    for (UINT i = 0; count > 1 && i < count; ++i) joined += dropped_path(drop, i) + "\r\n";
    GlobalUnlock(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  return joined;
}

class FileDropTarget final : public IDropTarget {
 public:
  explicit FileDropTarget(std::function<void(const Text&)> on_files)
      : on_files_(std::move(on_files)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    files_ = holds_files(data);
    return answer(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    return answer(effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    files_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    if (effect == nullptr) return E_INVALIDARG;
    files_ = holds_files(data);
    answer(effect);
    files_ = false;
    if (*effect == DROPEFFECT_NONE) return S_OK;
    const Text paths = dropped_paths(data);
    if (paths.empty()) return S_OK;
    try {
      on_files_(paths);  // the file is loaded before the drop completes
    } catch (...) {
      // Nothing may escape into the drag source's loop.
    }
    return S_OK;
  }

 private:
  HRESULT answer(DWORD* effect) const {
    if (effect == nullptr) return E_INVALIDARG;
    *effect = files_ && (*effect & DROPEFFECT_COPY) != 0 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  LONG refs_ = 1;
  bool files_ = false;
  std::function<void(const Text&)> on_files_;
};

}  // namespace

bool register_file_drop(HWND area, std::function<void(const Text& paths)> on_files) {
  if (area == nullptr) return false;
  auto* target = new FileDropTarget(std::move(on_files));
  const bool ok = RegisterDragDrop(area, target) == S_OK;  // holds its own reference
  target->Release();
  return ok;
}

}  // namespace lyricsub::win32
