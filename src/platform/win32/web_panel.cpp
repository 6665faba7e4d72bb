// The web panel: a child window that hosts the system's web browser control
// (CLSID_WebBrowser) in place. The host implements the least OLE asks of a
// container: a client site, an in-place site and an in-place frame. The site
// object lives as long as the host window holds it and the control holds
// references to it; the window gives its reference back at WM_DESTROY.
#include "platform/win32/web_panel.h"

#include <exdisp.h>
#include <ole2.h>
#include <oleidl.h>

#include <new>

namespace lyricsub::win32 {
namespace {

constexpr wchar_t kHostClass[] = L"lyricsub.web_panel";
constexpr UINT_PTR kZoomTimer = 1;
constexpr UINT kZoomRetryMs = 200;
constexpr int kZoomAttempts = 50;   // Ten seconds; the local page is far quicker.
constexpr int kMediumTextSize = 2;  // The middle of the five text sizes 0..4.

class Site;

// The in-place frame is a separate COM object, so its IOleWindow can name the
// top-level window while the site's names the host. It shares the site's
// reference count.
class Frame final : public IOleInPlaceFrame {
 public:
  explicit Frame(Site& site) : site_(site) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceUIWindow: no tool space to lend.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  // IOleInPlaceFrame: no menus, status bar or accelerators of ours.
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  Site& site_;
};

class Site final : public IOleClientSite, public IOleInPlaceSite {
 public:
  explicit Site(HWND host) : host_(host), frame_(*this) {}
  Site(const Site&) = delete;
  Site& operator=(const Site&) = delete;

  HWND host() const { return host_; }

  // Creates the control, activates it in place inside the host and opens url.
  bool open(const wchar_t* url);
  void resize(const RECT& client);
  // Sets the text size once a document exists; true when done or hopeless.
  bool try_zoom();
  // Deactivates and lets go of the control.
  void close();

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = host_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT position) override {
    if (position != nullptr && in_place_ != nullptr) in_place_->SetObjectRects(position, position);
    return S_OK;
  }

 private:
  ~Site() = default;  // Only Release deletes.

  HWND host_;
  Frame frame_;
  LONG references_ = 1;  // The host window's reference.
  IOleObject* object_ = nullptr;
  IOleInPlaceObject* in_place_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  int zoom_attempts_ = 0;
};

STDMETHODIMP Frame::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
      iid == IID_IOleInPlaceFrame) {
    *out = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) Frame::AddRef() { return site_.AddRef(); }
STDMETHODIMP_(ULONG) Frame::Release() { return site_.Release(); }

STDMETHODIMP Frame::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = GetAncestor(site_.host(), GA_ROOT);
  return S_OK;
}

STDMETHODIMP Site::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *out = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    *out = static_cast<IOleInPlaceSite*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP Site::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                    LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
      info == nullptr)
    return E_POINTER;
  *frame = &frame_;
  frame_.AddRef();
  *document = nullptr;
  GetClientRect(host_, position);
  *clip = *position;
  // cb is filled in by the caller.
  info->fMDIApp = FALSE;
  info->hwndFrame = GetAncestor(host_, GA_ROOT);
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

bool Site::open(const wchar_t* url) {
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object_))))
    return false;
  if (FAILED(object_->SetClientSite(this))) return false;
  OleSetContainedObject(object_, TRUE);

  RECT client;
  GetClientRect(host_, &client);
  if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, host_, &client)))
    return false;
  if (FAILED(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&in_place_))))
    return false;
  in_place_->SetObjectRects(&client, &client);
  if (FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))))
    return false;

  // Online, and script and error dialogs are left to the control.
  browser_->put_Offline(VARIANT_FALSE);
  browser_->put_Silent(VARIANT_FALSE);

  BSTR address = SysAllocString(url);
  if (address == nullptr) return false;
  VARIANT none;
  VariantInit(&none);
  const HRESULT navigated = browser_->Navigate(address, &none, &none, &none, &none);
  SysFreeString(address);
  if (FAILED(navigated)) return false;

  if (!try_zoom()) SetTimer(host_, kZoomTimer, kZoomRetryMs, nullptr);
  return true;
}

void Site::resize(const RECT& client) {
  if (in_place_ != nullptr) in_place_->SetObjectRects(&client, &client);
}

bool Site::try_zoom() {
  if (browser_ == nullptr || ++zoom_attempts_ > kZoomAttempts) return true;
  // The zoom command needs a document; before that it fails.
  READYSTATE state = READYSTATE_UNINITIALIZED;
  if (FAILED(browser_->get_ReadyState(&state)) || state < READYSTATE_INTERACTIVE) return false;
  VARIANT size;
  VariantInit(&size);
  size.vt = VT_I4;
  size.lVal = kMediumTextSize;
  return SUCCEEDED(browser_->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &size, nullptr));
}

void Site::close() {
  KillTimer(host_, kZoomTimer);
  if (browser_ != nullptr) {
    browser_->Stop();
    browser_->Release();
    browser_ = nullptr;
  }
  if (in_place_ != nullptr) {
    in_place_->InPlaceDeactivate();
    in_place_->Release();
    in_place_ = nullptr;
  }
  if (object_ != nullptr) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_->Release();
    object_ = nullptr;
  }
}

Site* site_of(HWND host) { return reinterpret_cast<Site*>(GetWindowLongPtrW(host, GWLP_USERDATA)); }

LRESULT CALLBACK host_proc(HWND host, UINT msg, WPARAM wparam, LPARAM lparam) {
  Site* site = site_of(host);
  switch (msg) {
    case WM_SIZE:
      if (site != nullptr) {
        const RECT client{0, 0, LOWORD(lparam), HIWORD(lparam)};
        site->resize(client);
      }
      return 0;
    case WM_TIMER:
      if (wparam == kZoomTimer && site != nullptr && site->try_zoom()) KillTimer(host, kZoomTimer);
      return 0;
    case WM_SETFOCUS:
      // A Tab stop on the host hands the keyboard on to the control's window.
      if (HWND control = GetWindow(host, GW_CHILD)) SetFocus(control);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // The control paints the whole area.
    case WM_DESTROY:
      if (site != nullptr) {
        SetWindowLongPtrW(host, GWLP_USERDATA, 0);
        site->close();
        site->Release();
      }
      return 0;
    default:
      return DefWindowProcW(host, msg, wparam, lparam);
  }
}

bool register_host_class(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = host_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kHostClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND create_web_panel(HWND parent, const RECT& box, const wchar_t* url) {
  if (parent == nullptr || url == nullptr) return nullptr;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!register_host_class(instance)) return nullptr;
  HWND host = CreateWindowExW(
      0, kHostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
      box.left, box.top, box.right - box.left, box.bottom - box.top, parent, nullptr, instance,
      nullptr);
  if (host == nullptr) return nullptr;

  Site* site = new (std::nothrow) Site(host);
  if (site == nullptr) {
    DestroyWindow(host);
    return nullptr;
  }
  SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(site));
  if (!site->open(url)) {
    DestroyWindow(host);  // WM_DESTROY lets go of whatever was made.
    return nullptr;
  }
  return host;
}

}  // namespace lyricsub::win32
