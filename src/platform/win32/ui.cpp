#include "platform/win32/ui.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/win32/file_drop.h"
#include "platform/win32/folder_dialog.h"
#include "platform/win32/web_panel.h"
#include "target/cursor_images.h"

namespace lyricsub::win32 {
namespace {

constexpr wchar_t kPictureClass[] = L"lyricsub.picture";
constexpr wchar_t kCanvasClass[] = L"lyricsub.canvas";
constexpr int kAppIconId = 1;

std::wstring wide(const Text& text) {
  const std::u16string w = cp936::to_utf16(text);
  return {w.begin(), w.end()};
}

Text narrow(const std::wstring& w) {
  return cp936::from_utf16(
      std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size()));
}

Handle to_handle(HWND hwnd) { return static_cast<Handle>(reinterpret_cast<std::intptr_t>(hwnd)); }

COLORREF resolve(Colour c) { return c == kFaceColour ? GetSysColor(COLOR_BTNFACE) : c; }

bool is_window_kind(Kind kind) { return kind != Kind::timer && kind != Kind::drop_object; }

// A cursor file (.cur) or icon file (.ico) holding one or more images: the
// offset and size of its first image and the hot spot of a cursor.
struct ImageEntry {
  std::size_t offset = 0;
  std::size_t size = 0;
  int width = 0;
  int height = 0;
  WORD hot_x = 0;
  WORD hot_y = 0;
};

bool first_image(const Bytes& file, ImageEntry& e) {
  if (file.size() < 22) return false;
  auto u16 = [&](std::size_t at) { return static_cast<WORD>(file[at] | file[at + 1] << 8); };
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16);
  };
  if (u16(0) != 0 || (u16(2) != 1 && u16(2) != 2) || u16(4) < 1) return false;
  e.width = file[6] == 0 ? 256 : file[6];
  e.height = file[7] == 0 ? 256 : file[7];
  e.hot_x = u16(10);
  e.hot_y = u16(12);
  e.size = u32(14);
  e.offset = u32(18);
  return e.offset < file.size() && e.size <= file.size() - e.offset && e.size > 0;
}

HICON icon_from_file(const Bytes& file) {
  ImageEntry e;
  if (!first_image(file, e)) return nullptr;
  return CreateIconFromResourceEx(const_cast<BYTE*>(file.data() + e.offset),
                                  static_cast<DWORD>(e.size), TRUE, 0x00030000, e.width, e.height,
                                  LR_DEFAULTCOLOR);
}

HCURSOR cursor_from_file(const Bytes& file) {
  ImageEntry e;
  if (!first_image(file, e)) return nullptr;
  // A cursor resource is the image preceded by its hot spot.
  std::vector<BYTE> resource(4 + e.size);
  resource[0] = LOBYTE(e.hot_x);
  resource[1] = HIBYTE(e.hot_x);
  resource[2] = LOBYTE(e.hot_y);
  resource[3] = HIBYTE(e.hot_y);
  std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(e.offset), e.size, resource.begin() + 4);
  return CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(resource.size()), FALSE,
                                  0x00030000, e.width, e.height, LR_DEFAULTCOLOR);
}

}  // namespace

struct Win32Ui::Impl {
  Win32Ui& ui;
  HINSTANCE instance;
  EventSink* sink = nullptr;
  std::array<HWND, kControlCount> hwnd{};
  std::array<const ControlDef*, kControlCount> def{};
  std::array<HBRUSH, kControlCount> brush{};  // background brushes we own
  std::array<HFONT, kControlCount> font{};    // fonts we own
  // Picture boxes: the picture shown and the pointer over them.
  std::array<HICON, kControlCount> picture{};
  std::array<HCURSOR, kControlCount> pointer{};
  std::array<HCURSOR, kControlCount> own_pointer{};  // made from bytes; destroyed by us
  Bytes canvas_picture;                              // packed DIB
  HBRUSH highlight_brush = nullptr;
  std::vector<Text> list_data;  // per entry of the lyrics file list
  std::array<HICON, 2> app_icon{};

  Impl(Win32Ui& owner, HINSTANCE inst) : ui(owner), instance(inst) {}

  HWND main() const { return hwnd[static_cast<int>(Control::main_window)]; }
  HWND of(Control c) const { return hwnd[static_cast<int>(c)]; }

  // The control a window belongs to, when it is one of ours.
  bool control_of(HWND w, Control& out) const {
    for (int i = 0; i < kControlCount; ++i)
      if (hwnd[i] == w && w != nullptr) {
        out = static_cast<Control>(i);
        return true;
      }
    return false;
  }

  bool raise(Control c, Event e, const Text& data = {}) {
    return sink == nullptr || sink->raise(c, e, data);
  }

  HBRUSH background_brush(Control c) {
    const ControlDef* d = def[static_cast<int>(c)];
    if (d == nullptr || d->background == kFaceColour) return GetSysColorBrush(COLOR_BTNFACE);
    HBRUSH& b = brush[static_cast<int>(c)];
    if (b == nullptr) b = CreateSolidBrush(d->background);
    return b;
  }

  // WM_CTLCOLOR*: the definition's text colour on its background.
  LRESULT control_colours(HDC dc, HWND control) {
    Control c;
    if (!control_of(control, c) || def[static_cast<int>(c)] == nullptr) {
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    const ControlDef& d = *def[static_cast<int>(c)];
    SetTextColor(dc, d.text_colour);
    SetBkColor(dc, resolve(d.background));
    return reinterpret_cast<LRESULT>(background_brush(c));
  }

  // Window timers carry their control's id.
  void timer_ticked(WPARAM id) {
    if (id >= static_cast<WPARAM>(kControlIdBase) &&
        id < static_cast<WPARAM>(kControlIdBase + kControlCount))
      raise(static_cast<Control>(id - kControlIdBase), Event::tick);
  }

  void on_command(WPARAM wparam, LPARAM lparam) {
    Control c;
    if (!control_of(reinterpret_cast<HWND>(lparam), c)) return;
    const int code = HIWORD(wparam);
    if (c == Control::按钮1 || c == Control::按钮3) {
      if (code == BN_CLICKED) raise(c, Event::clicked);
    } else if (c == Control::列表框1) {
      if (code == LBN_SELCHANGE) raise(c, Event::selected);
    }
  }

  void paint_picture_box(HWND w, Control c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT client;
    GetClientRect(w, &client);
    FillRect(dc, &client, background_brush(c));
    if (HICON icon = picture[static_cast<int>(c)]) {
      ICONINFO info{};
      int iw = 32, ih = 32;
      if (GetIconInfo(icon, &info)) {
        BITMAP bm{};
        if (GetObjectW(info.hbmMask, sizeof bm, &bm)) {
          iw = bm.bmWidth;
          ih = info.hbmColor != nullptr ? bm.bmHeight : bm.bmHeight / 2;
        }
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
      }
      int x = 0, y = 0;
      const ControlDef* d = def[static_cast<int>(c)];
      if (d != nullptr && d->placement == PicturePlacement::centred) {
        x = (client.right - iw) / 2;
        y = (client.bottom - ih) / 2;
      }
      DrawIconEx(dc, x, y, icon, iw, ih, 0, nullptr, DI_NORMAL);
    }
    EndPaint(w, &ps);
  }

  // The flash canvas: white, with its background picture tiled from the
  // top-left corner.
  void paint_canvas(HWND w, Control c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT client;
    GetClientRect(w, &client);
    FillRect(dc, &client, background_brush(c));
    if (canvas_picture.size() >= sizeof(BITMAPINFOHEADER)) {
      const auto* info = reinterpret_cast<const BITMAPINFO*>(canvas_picture.data());
      const BITMAPINFOHEADER& h = info->bmiHeader;
      const LONG bw = h.biWidth;
      const LONG bh = h.biHeight < 0 ? -h.biHeight : h.biHeight;
      const std::size_t stride = ((static_cast<std::size_t>(bw) * h.biBitCount + 31) / 32) * 4;
      const bool complete = h.biSize >= sizeof(BITMAPINFOHEADER) && bw > 0 && bh > 0 &&
                            h.biBitCount == 32 && h.biCompression == BI_RGB &&
                            canvas_picture.size() >= h.biSize + stride * bh;
      if (complete) {
        const void* bits = canvas_picture.data() + h.biSize;
        for (LONG y = 0; y < client.bottom; y += bh)
          for (LONG x = 0; x < client.right; x += bw)
            SetDIBitsToDevice(dc, x, y, bw, bh, 0, 0, 0, bh, bits, info, DIB_RGB_COLORS);
      }
    }
    EndPaint(w, &ps);
  }
};

namespace {

Win32Ui::Impl* g_ui = nullptr;  // one UI per process; window procedures reach it here

LRESULT CALLBACK main_proc(HWND w, UINT msg, WPARAM wparam, LPARAM lparam) {
  Win32Ui::Impl* ui = g_ui;
  if (ui != nullptr) {
    switch (msg) {
      case WM_COMMAND:
        // IDOK and IDCANCEL from the dialog manager (Enter, Escape) do nothing.
        if (lparam != 0) ui->on_command(wparam, lparam);
        return 0;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
        return ui->control_colours(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
      case WM_TIMER:
        ui->timer_ticked(wparam);
        return 0;
      case WM_DESTROY:
        if (w == ui->main()) ui->raise(Control::main_window, Event::will_be_destroyed);
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcW(w, msg, wparam, lparam);
}

LRESULT CALLBACK highlight_proc(HWND w, UINT msg, WPARAM wparam, LPARAM lparam) {
  Win32Ui::Impl* ui = g_ui;
  if (ui != nullptr) {
    switch (msg) {
      case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(w, &r);
        HBRUSH b =
            ui->highlight_brush != nullptr ? ui->highlight_brush : GetSysColorBrush(COLOR_BTNFACE);
        FillRect(reinterpret_cast<HDC>(wparam), &r, b);
        return 1;
      }
      case WM_TIMER:
        ui->timer_ticked(wparam);
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcW(w, msg, wparam, lparam);
}

// Picture boxes and the flash canvas: painted by us, mouse events raised.
LRESULT CALLBACK picture_proc(HWND w, UINT msg, WPARAM wparam, LPARAM lparam) {
  Win32Ui::Impl* ui = g_ui;
  Control c;
  if (ui == nullptr || !ui->control_of(w, c)) return DefWindowProcW(w, msg, wparam, lparam);
  switch (msg) {
    case WM_PAINT:
      if (c == Control::画板_闪烁数据)
        ui->paint_canvas(w, c);
      else
        ui->paint_picture_box(w, c);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && ui->pointer[static_cast<int>(c)] != nullptr) {
        SetCursor(ui->pointer[static_cast<int>(c)]);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      if (!ui->raise(c, Event::left_down)) return 0;
      break;
    case WM_LBUTTONUP:
      if (!ui->raise(c, Event::left_up)) return 0;
      break;
    case WM_MOUSEMOVE:
      if (!ui->raise(c, Event::mouse_move)) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcW(w, msg, wparam, lparam);
}

// Group boxes are real parents: what their children send to their parent
// goes on to the main window.
LRESULT CALLBACK group_subclass(HWND w, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                DWORD_PTR) {
  switch (msg) {
    case WM_ERASEBKGND: {
      // A group box draws only its frame; as a real parent it must also
      // fill the area its children leave uncovered.
      RECT r;
      GetClientRect(w, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (g_ui != nullptr) return SendMessageW(g_ui->main(), msg, wparam, lparam);
      break;
    default:
      break;
  }
  return DefSubclassProc(w, msg, wparam, lparam);
}

// The on-top box: its press is raised before the box reacts to it.
LRESULT CALLBACK check_box_subclass(HWND w, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                    DWORD_PTR) {
  if (msg == WM_LBUTTONDOWN && g_ui != nullptr) {
    if (!g_ui->raise(static_cast<Control>(id), Event::left_down)) return 0;
  }
  return DefSubclassProc(w, msg, wparam, lparam);
}

void register_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HICON icon,
                    HICON small_icon, HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hIconSm = small_icon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

std::wstring program_directory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring file_url(const std::wstring& path) {
  std::wstring url = L"file:///";
  for (wchar_t ch : path) url += ch == L'\\' ? L'/' : ch;
  return url;
}

}  // namespace

Win32Ui::Win32Ui(HINSTANCE instance) : impl_(std::make_unique<Impl>(*this, instance)) {
  g_ui = impl_.get();
  OleInitialize(nullptr);  // drop target and web panel
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  impl_->app_icon[0] =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  impl_->app_icon[1] = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconId),
                                                     IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), 0));
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  register_class(instance, kMainWindowClass, main_proc, impl_->app_icon[0], impl_->app_icon[1],
                 face);
  register_class(instance, kHighlightWindowClass, highlight_proc, impl_->app_icon[0],
                 impl_->app_icon[1], nullptr);
  register_class(instance, kPictureClass, picture_proc, nullptr, nullptr, nullptr);
  register_class(instance, kCanvasClass, picture_proc, nullptr, nullptr, nullptr);
}

Win32Ui::~Win32Ui() {
  for (HBRUSH b : impl_->brush)
    if (b) DeleteObject(b);
  for (HFONT f : impl_->font)
    if (f) DeleteObject(f);
  for (HICON i : impl_->picture)
    if (i) DestroyIcon(i);
  for (HCURSOR c : impl_->own_pointer)
    if (c) DestroyCursor(c);
  if (impl_->highlight_brush) DeleteObject(impl_->highlight_brush);
  g_ui = nullptr;
  OleUninitialize();
}

void Win32Ui::set_event_sink(EventSink& sink) { impl_->sink = &sink; }

int Win32Ui::run_message_loop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (impl_->main() != nullptr && IsDialogMessageW(impl_->main(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

// --- WindowBuilder ------------------------------------------------------------

void Win32Ui::create_window(const WindowDef& window) {
  Box b = window.box;
  if (window.centred) {
    b.left = (GetSystemMetrics(SM_CXSCREEN) - b.width) / 2;
    b.top = (GetSystemMetrics(SM_CYSCREEN) - b.height) / 2;
  }
  DWORD style = WS_CLIPCHILDREN;
  style |= window.framed ? (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU) : WS_POPUP;
  const DWORD ex_style = window.framed ? WS_EX_CONTROLPARENT : 0;
  const wchar_t* cls = window.owned_popup ? kHighlightWindowClass : kMainWindowClass;
  HWND owner = window.owned_popup ? impl_->main() : nullptr;
  HWND w = CreateWindowExW(ex_style, cls, wide(window.title).c_str(), style, b.left, b.top, b.width,
                           b.height, owner, nullptr, impl_->instance, nullptr);
  impl_->hwnd[static_cast<int>(window.name)] = w;
  if (w == nullptr) return;

  RECT r;
  GetWindowRect(w, &r);
  if (r.right - r.left != b.width || r.bottom - r.top != b.height)
    SetWindowPos(w, nullptr, 0, 0, b.width, b.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(impl_->app_icon[0]));
  SendMessageW(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(impl_->app_icon[1]));
  SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  if (window.always_on_top)
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Ui::create_control(const WindowDef& /*window*/, const ControlDef& c) {
  Impl& s = *impl_;
  const int index = static_cast<int>(c.name);
  s.def[index] = &c;
  if (!is_window_kind(c.kind)) return;

  HWND parent = s.of(c.container);
  if (parent == nullptr) return;
  const Box& b = c.box;
  const auto id = reinterpret_cast<HMENU>(static_cast<std::intptr_t>(kControlIdBase + index));

  if (c.kind == Kind::web_browser) {
    const std::wstring url = file_url(program_directory() + L"\\" + wide(c.page));
    const RECT box{b.left, b.top, b.left + b.width, b.top + b.height};
    HWND panel = create_web_panel(parent, box, url.c_str());
    if (panel != nullptr) {
      SetWindowLongPtrW(panel, GWLP_ID, kControlIdBase + index);
      ShowWindow(panel, SW_HIDE);
    }
    s.hwnd[index] = panel;
    return;
  }

  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (c.tab_stop ? WS_TABSTOP : 0);
  DWORD ex_style = 0;
  const wchar_t* cls = L"STATIC";
  switch (c.kind) {
    case Kind::group_box:
      cls = L"BUTTON";
      style |= BS_GROUPBOX;
      ex_style |= WS_EX_CONTROLPARENT;
      break;
    case Kind::label:
      style |= SS_NOPREFIX | SS_CENTERIMAGE |
               (c.align == Align::right    ? SS_RIGHT
                : c.align == Align::centre ? SS_CENTER
                                           : SS_LEFT);
      break;
    case Kind::edit_box:
      cls = L"EDIT";
      style |= ES_AUTOHSCROLL | (c.align == Align::centre  ? ES_CENTER
                                 : c.align == Align::right ? ES_RIGHT
                                                           : ES_LEFT);
      break;
    case Kind::push_button:
      cls = L"BUTTON";
      style |= BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
      break;
    case Kind::check_box:
      cls = L"BUTTON";
      style |= BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER;
      break;
    case Kind::list_box:
      cls = L"LISTBOX";
      style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
      break;
    case Kind::report_list:
      cls = WC_LISTVIEWW;
      style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
      break;
    case Kind::picture_box:
      cls = kPictureClass;
      break;
    case Kind::canvas:
      cls = kCanvasClass;
      break;
    default:
      break;
  }
  if (c.border == Border::single) style |= WS_BORDER;
  if (c.border == Border::sunken) ex_style |= WS_EX_CLIENTEDGE;

  HWND w = CreateWindowExW(ex_style, cls, wide(c.text).c_str(), style, b.left, b.top, b.width,
                           b.height, parent, id, s.instance, nullptr);
  s.hwnd[index] = w;
  if (w == nullptr) return;

  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (c.font != nullptr) {
    s.font[index] =
        CreateFontW(-c.font->height, 0, 0, 0, c.font->weight, FALSE, FALSE, FALSE,
                    static_cast<BYTE>(c.font->charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, wide(c.font->face).c_str());
    if (s.font[index] != nullptr) font = s.font[index];
  }
  SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  switch (c.kind) {
    case Kind::group_box:
      SetWindowSubclass(w, group_subclass, 0, 0);
      break;
    case Kind::edit_box:
      SendMessageW(w, EM_SETLIMITTEXT, 0, 0);
      break;
    case Kind::check_box:
      SendMessageW(w, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
      SetWindowSubclass(w, check_box_subclass, static_cast<UINT_PTR>(index), 0);
      break;
    case Kind::list_box: {
      const LRESULT standard = SendMessageW(w, LB_GETITEMHEIGHT, 0, 0);
      if (standard != LB_ERR) SendMessageW(w, LB_SETITEMHEIGHT, 0, standard + 1);
      break;
    }
    case Kind::report_list: {
      ListView_SetExtendedListViewStyle(w, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
      ListView_SetTextColor(w, resolve(c.text_colour));
      ListView_SetTextBkColor(w, resolve(c.background));
      ListView_SetBkColor(w, resolve(c.background));
      int column = 0;
      for (const Column& col : c.columns) {
        std::wstring title = wide(col.title);
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        lvc.fmt = LVCFMT_LEFT;
        lvc.cx = col.width;
        lvc.pszText = title.data();
        lvc.iSubItem = column;
        SendMessageW(w, LVM_INSERTCOLUMNW, column++, reinterpret_cast<LPARAM>(&lvc));
      }
      break;
    }
    case Kind::picture_box:
      if (c.picture == Picture::app_icon) {
        s.picture[index] = static_cast<HICON>(
            LoadImageW(s.instance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON, 16, 16, 0));
      } else if (c.picture == Picture::cross_hair) {
        const auto image = cross_hair_cursor();
        s.picture[index] = icon_from_file(Bytes(image.begin(), image.end()));
      }
      if (c.pointer == Pointer::hand) s.pointer[index] = LoadCursorW(nullptr, IDC_HAND);
      break;
    default:
      break;
  }
}

void Win32Ui::stack_below(Control control, Control above) {
  HWND w = impl_->of(control);
  HWND a = impl_->of(above);
  if (w != nullptr && a != nullptr)
    SetWindowPos(w, a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void Win32Ui::show_control(Control control) {
  if (HWND w = impl_->of(control)) ShowWindow(w, SW_SHOWNA);
}

void Win32Ui::show_window(Control window) {
  if (HWND w = impl_->of(window)) {
    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
  }
}

// --- Windows ------------------------------------------------------------------

void Win32Ui::set_always_on_top(bool on) {
  constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  HWND main = impl_->main();
  SetWindowPos(main, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
  if (!on || (GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) return;
  // Some window managers (Wine's among them) refuse top-most to a window
  // while its owned pop-up lies above it; detach the pop-up for the change.
  HWND owned = impl_->of(Control::highlight_window);
  if (owned == nullptr) return;
  SetWindowLongPtrW(owned, GWLP_HWNDPARENT, 0);
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace);
  SetWindowLongPtrW(owned, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(main));
}

bool Win32Ui::highlight_visible() {
  return IsWindowVisible(impl_->of(Control::highlight_window)) != FALSE;
}

void Win32Ui::show_highlight() { ShowWindow(impl_->of(Control::highlight_window), SW_SHOW); }

void Win32Ui::hide_highlight() { ShowWindow(impl_->of(Control::highlight_window), SW_HIDE); }

void Win32Ui::set_highlight_colour(Colour colour) {
  if (impl_->highlight_brush) DeleteObject(impl_->highlight_brush);
  impl_->highlight_brush = CreateSolidBrush(resolve(colour));
  InvalidateRect(impl_->of(Control::highlight_window), nullptr, TRUE);
}

void Win32Ui::move_highlight(Box b) {
  HWND w = impl_->of(Control::highlight_window);
  SetWindowPos(w, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(w, nullptr, TRUE);
}

// --- Controls -------------------------------------------------------------------

void Win32Ui::set_text(Control c, const Text& text) {
  if (HWND w = impl_->of(c)) SetWindowTextW(w, wide(text).c_str());
}

Text Win32Ui::text(Control c) {
  HWND w = impl_->of(c);
  if (w == nullptr) return {};
  const int length = GetWindowTextLengthW(w);
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int n = GetWindowTextW(w, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(std::max(n, 0)));
  return narrow(buffer);
}

bool Win32Ui::checked(Control c) {
  HWND w = impl_->of(c);
  return w != nullptr && SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Ui::move_control(Control c, Box b) {
  if (HWND w = impl_->of(c)) {
    SetWindowPos(w, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(w, nullptr, TRUE);
  }
}

Handle Win32Ui::handle(Control c) { return to_handle(impl_->of(c)); }

void Win32Ui::set_picture(Control c, const Bytes& image) {
  HWND w = impl_->of(c);
  if (c == Control::画板_闪烁数据) {
    impl_->canvas_picture = image;
  } else {
    HICON& current = impl_->picture[static_cast<int>(c)];
    if (current) DestroyIcon(current);
    current = image.empty() ? nullptr : icon_from_file(image);
  }
  if (w) InvalidateRect(w, nullptr, TRUE);
}

void Win32Ui::set_pointer(Control c, const Bytes& cursor) {
  const int index = static_cast<int>(c);
  HCURSOR& own = impl_->own_pointer[index];
  HCURSOR previous_own = own;
  own = cursor.empty() ? nullptr : cursor_from_file(cursor);
  const ControlDef* d = impl_->def[index];
  HCURSOR standard = d != nullptr && d->pointer == Pointer::hand ? LoadCursorW(nullptr, IDC_HAND)
                                                                 : LoadCursorW(nullptr, IDC_ARROW);
  impl_->pointer[index] = own != nullptr ? own : standard;

  // Take effect at once when the mouse rests over the control or it holds
  // the capture (no WM_SETCURSOR arrives then).
  HWND w = impl_->of(c);
  POINT p;
  if (w != nullptr && (GetCapture() == w || (GetCursorPos(&p) && WindowFromPoint(p) == w)))
    SetCursor(impl_->pointer[index]);
  if (previous_own) DestroyCursor(previous_own);
}

void Win32Ui::set_capture(Control c) {
  if (HWND w = impl_->of(c)) SetCapture(w);
}

void Win32Ui::release_capture() { ReleaseCapture(); }

// --- Timers ---------------------------------------------------------------------

namespace {
HWND timer_window(const Win32Ui::Impl& s, Control timer) {
  return timer == Control::时钟_闪烁 ? s.of(Control::highlight_window) : s.main();
}
}  // namespace

void Win32Ui::start_timer(Control timer, int ms) {
  SetTimer(timer_window(*impl_, timer),
           static_cast<UINT_PTR>(kControlIdBase + static_cast<int>(timer)), static_cast<UINT>(ms),
           nullptr);
}

void Win32Ui::stop_timer(Control timer) {
  KillTimer(timer_window(*impl_, timer),
            static_cast<UINT_PTR>(kControlIdBase + static_cast<int>(timer)));
}

// --- Lyrics file list -------------------------------------------------------------

namespace {
HWND list_window(const Win32Ui::Impl& s) { return s.of(Control::列表框1); }
}  // namespace

void Win32Ui::list_clear() {
  SendMessageW(list_window(*impl_), LB_RESETCONTENT, 0, 0);
  impl_->list_data.clear();
}

int Win32Ui::list_count() {
  const LRESULT n = SendMessageW(list_window(*impl_), LB_GETCOUNT, 0, 0);
  return n == LB_ERR ? 0 : static_cast<int>(n);
}

void Win32Ui::list_insert(int position, const Text& text, const Text& data) {
  const LRESULT at =
      SendMessageW(list_window(*impl_), LB_INSERTSTRING, static_cast<WPARAM>(position),
                   reinterpret_cast<LPARAM>(wide(text).c_str()));
  if (at < 0) return;
  auto& d = impl_->list_data;
  const auto index = std::min(static_cast<std::size_t>(at), d.size());
  d.insert(d.begin() + static_cast<std::ptrdiff_t>(index), data);
}

Text Win32Ui::list_text(int index) {
  HWND w = list_window(*impl_);
  const LRESULT length = SendMessageW(w, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (index < 0 || length == LB_ERR) return {};
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT n = SendMessageW(w, LB_GETTEXT, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(n == LB_ERR ? 0 : static_cast<std::size_t>(n));
  return narrow(buffer);
}

Text Win32Ui::list_data(int index) {
  const auto& d = impl_->list_data;
  return index >= 0 && static_cast<std::size_t>(index) < d.size()
             ? d[static_cast<std::size_t>(index)]
             : Text{};
}

void Win32Ui::list_set_redraw(bool on) {
  HWND w = list_window(*impl_);
  SendMessageW(w, WM_SETREDRAW, on ? TRUE : FALSE, 0);
  if (on) RedrawWindow(w, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

int Win32Ui::list_selection() {
  const LRESULT n = SendMessageW(list_window(*impl_), LB_GETCURSEL, 0, 0);
  return n == LB_ERR ? -1 : static_cast<int>(n);
}

// --- Lyrics table -----------------------------------------------------------------

namespace {
HWND table_window(const Win32Ui::Impl& s) { return s.of(Control::超级列表框1); }
}  // namespace

void Win32Ui::table_clear() { SendMessageW(table_window(*impl_), LVM_DELETEALLITEMS, 0, 0); }

int Win32Ui::table_append_row() {
  HWND w = table_window(*impl_);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(SendMessageW(w, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = const_cast<wchar_t*>(L"");
  return static_cast<int>(SendMessageW(w, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void Win32Ui::table_set(int row, int column, const Text& text) {
  std::wstring w = wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = w.data();
  SendMessageW(table_window(*impl_), LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&item));
}

Text Win32Ui::table_text(int row, int column) {
  HWND w = table_window(*impl_);
  if (row < 0 || row >= table_count()) return {};
  std::wstring buffer(256, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto n = static_cast<std::size_t>(SendMessageW(
        w, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (n + 1 < buffer.size()) {
      buffer.resize(n);
      return narrow(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

int Win32Ui::table_count() {
  return static_cast<int>(SendMessageW(table_window(*impl_), LVM_GETITEMCOUNT, 0, 0));
}

void Win32Ui::table_set_current(int row) {
  HWND w = table_window(*impl_);
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(w, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (row < 0 || row >= table_count()) return;
  LVITEMW set{};
  set.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  set.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(w, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&set));
}

void Win32Ui::table_set_redraw(bool on) {
  HWND w = table_window(*impl_);
  SendMessageW(w, WM_SETREDRAW, on ? TRUE : FALSE, 0);
  if (on)
    RedrawWindow(w, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// --- Dialogs, queue, program ------------------------------------------------------

void Win32Ui::message_box(const Text& text, const Text& caption) {
  MessageBoxW(nullptr, wide(text).c_str(), wide(caption).c_str(), MB_OK | MB_TASKMODAL);
}

Text Win32Ui::browse_folder(const Text& prompt) {
  HWND owner = GetActiveWindow();
  return browse_for_folder(owner != nullptr ? owner : impl_->main(), prompt);
}

bool Win32Ui::process_pending_events() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) return false;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (impl_->main() != nullptr && IsDialogMessageW(impl_->main(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void Win32Ui::register_drop_target(Control drop_object, Control area) {
  Impl* s = impl_.get();
  register_file_drop(s->of(area), [s, drop_object](const Text& paths) {
    s->raise(drop_object, Event::files_received, paths);
  });
}

void Win32Ui::end_program(int exit_code) {
  // Ends at once, also from inside a nested message loop; the exit routine
  // registered at start-up runs.
  std::exit(exit_code);
}

}  // namespace lyricsub::win32
