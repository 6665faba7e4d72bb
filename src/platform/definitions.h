// Window and control definitions: plain data that the loader turns into real
// windows through a WindowBuilder. The tables themselves are in
// src/app/windows.cpp.
#pragma once

#include <span>

#include "platform/controls.h"
#include "platform/types.h"

namespace lyricsub {

enum class Kind {
  group_box,
  label,
  edit_box,
  push_button,
  check_box,
  list_box,
  report_list,
  picture_box,
  canvas,
  timer,
  drop_object,
  web_browser,
};

enum class Border { none, single, sunken };
enum class Align { left, centre, right };
enum class Picture { none, app_icon, cross_hair };
enum class PicturePlacement { top_left, centred };
enum class Pointer { standard, hand };

struct Font {
  const char* face;  // code page 936
  int height;        // character height in pixels
  int weight;
  int charset;  // 134: GB2312
};

struct Column {
  const char* title;
  int width;
};

struct ControlDef {
  Control name;
  Kind kind;
  Control container;  // Control::main_window / highlight_window or a group box
  Box box;            // relative to the container
  bool visible = true;
  bool tab_stop = false;
  const char* text = "";  // caption or initial text, code page 936
  Colour text_colour = 0x000000;
  Colour background = kFaceColour;
  const Font* font = nullptr;  // nullptr: the default GUI font
  Border border = Border::none;
  Align align = Align::left;
  bool checked = false;
  Picture picture = Picture::none;
  PicturePlacement placement = PicturePlacement::top_left;
  Pointer pointer = Pointer::standard;
  std::span<const Column> columns = {};
  const char* page = "";  // web browser: page file beside the program
};

struct WindowDef {
  Control name;
  const char* title;  // code page 936
  Box box;            // outer rectangle; left and top are replaced when centred
  bool centred;
  bool framed;  // caption bar and fixed frame with system menu and close button
  bool always_on_top;
  bool owned_popup;  // no taskbar button, owned by the main window
  bool visible;
  std::span<const ControlDef> controls;
};

// The primitives the loader needs. Win32Ui implements them with real
// windows; FakeUi records them.
class WindowBuilder {
 public:
  virtual ~WindowBuilder() = default;
  // Hidden, placed (centred on the primary screen when asked), sized to the
  // definition's outer size, with icon and default GUI font; made top-most
  // when marked always on top.
  virtual void create_window(const WindowDef& window) = 0;
  // Created hidden inside its container.
  virtual void create_control(const WindowDef& window, const ControlDef& control) = 0;
  // Places control directly below above in its container's z-order.
  virtual void stack_below(Control control, Control above) = 0;
  virtual void show_control(Control control) = 0;  // without activating
  virtual void show_window(Control window) = 0;
};

}  // namespace lyricsub
