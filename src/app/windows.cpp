#include "app/windows.h"

#include <array>

namespace lyricsub {
namespace {

using enum Control;

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kMagenta = 0xFF00FF;
constexpr Colour kPurple = 0x800080;
constexpr Colour kTableText = 0xE03058;
constexpr int kGb2312Charset = 134;

constexpr Font kClockFont{"黑体", 19, 700, kGb2312Charset};
constexpr Font kLyricFont{"楷体_GB2312", 20, 700, kGb2312Charset};

constexpr std::array kTableColumns{
    Column{"延时", 0},
    Column{"歌词", 400},
};

// Earlier entries lie above later entries of the same container.
constexpr std::array kMainControls{
    ControlDef{.name = 选择框1,
               .kind = Kind::check_box,
               .container = 分组框5,
               .box = {8, 14, 232, 16},
               .tab_stop = true,
               .text = "是否将窗口显示在最前",
               .checked = true},
    ControlDef{.name = 图片框1,
               .kind = Kind::picture_box,
               .container = 分组框6,
               .box = {480, 8, 32, 80},
               .background = kWhite,
               .picture = Picture::app_icon,
               .placement = PicturePlacement::centred},
    ControlDef{.name = 分组框6,
               .kind = Kind::group_box,
               .container = main_window,
               .box = {0, 488, 560, 112}},
    ControlDef{.name = 超文本浏览框1,
               .kind = Kind::web_browser,
               .container = 分组框6,
               .box = {-4, -20, 589, 154},
               .tab_stop = true,
               .page = "vip\\new_1.html"},
    ControlDef{.name = 标签5,
               .kind = Kind::label,
               .container = 分组框5,
               .box = {8, 10, 496, 24},
               .text = "如果有问题请联系客服(仅支持本地lrc歌词读取)",
               .text_colour = kRed,
               .align = Align::right},
    ControlDef{.name = 分组框5,
               .kind = Kind::group_box,
               .container = main_window,
               .box = {8, 58, 512, 40}},
    ControlDef{.name = 编辑框3,
               .kind = Kind::edit_box,
               .container = main_window,
               .box = {270, 525, 80, 20},
               .tab_stop = true,
               .background = kWhite,
               .border = Border::sunken},
    ControlDef{.name = 标签3,
               .kind = Kind::label,
               .container = main_window,
               .box = {200, 522, 64, 24},
               .text = "焦点句柄："},
    ControlDef{.name = 标签2,
               .kind = Kind::label,
               .container = main_window,
               .box = {19, 522, 72, 24},
               .text = "选择的句柄："},
    ControlDef{.name = 编辑框2,
               .kind = Kind::edit_box,
               .container = main_window,
               .box = {90, 526, 80, 20},
               .tab_stop = true,
               .background = kWhite,
               .border = Border::sunken},
    ControlDef{.name = 图片框2,
               .kind = Kind::picture_box,
               .container = 分组框4,
               .box = {7, 10, 34, 34},
               .background = kWhite,
               .border = Border::single,
               .picture = Picture::cross_hair,
               .pointer = Pointer::hand},
    ControlDef{.name = 分组框4,
               .kind = Kind::group_box,
               .container = main_window,
               .box = {464, 8, 48, 48}},
    ControlDef{.name = 列表框1,
               .kind = Kind::list_box,
               .container = 分组框3,
               .box = {8, 16, 205, 359},
               .tab_stop = true,
               .text_colour = kPurple,
               .border = Border::single},
    ControlDef{.name = 按钮3,
               .kind = Kind::push_button,
               .container = 分组框1,
               .box = {211, 15, 46, 25},
               .tab_stop = true,
               .text = "浏览"},
    ControlDef{.name = 编辑框MP3,
               .kind = Kind::edit_box,
               .container = 分组框1,
               .box = {66, 17, 138, 20},
               .tab_stop = true,
               .background = kWhite,
               .border = Border::sunken},
    ControlDef{.name = 按钮1,
               .kind = Kind::push_button,
               .container = 分组框1,
               .box = {280, 15, 64, 25},
               .tab_stop = true,
               .text = "播放字幕"},
    ControlDef{.name = 分组框3,
               .kind = Kind::group_box,
               .container = main_window,
               .box = {11, 99, 221, 384},
               .text = "歌词列表"},
    ControlDef{.name = 超级列表框1,
               .kind = Kind::report_list,
               .container = 分组框2,
               .box = {8, 18, 264, 360},
               .tab_stop = true,
               .text_colour = kTableText,
               .border = Border::single,
               .columns = kTableColumns},
    ControlDef{.name = 分组框2,
               .kind = Kind::group_box,
               .container = main_window,
               .box = {232, 99, 280, 384},
               .text = "歌词显示"},
    ControlDef{.name = 编辑框1,
               .kind = Kind::edit_box,
               .container = 分组框1,
               .box = {354, 16, 93, 24},
               .tab_stop = true,
               .text = "00:00.00",
               .text_colour = kRed,
               .font = &kClockFont},
    ControlDef{.name = 标签1,
               .kind = Kind::label,
               .container = 分组框1,
               .box = {7, 16, 56, 24},
               .text = "歌词目录："},
    ControlDef{
        .name = 分组框1, .kind = Kind::group_box, .container = main_window, .box = {8, 8, 456, 48}},
    ControlDef{.name = 编辑框歌词,
               .kind = Kind::edit_box,
               .container = main_window,
               .box = {32, 496, 416, 40},
               .visible = false,
               .tab_stop = true,
               .text = "歌词准备中。。。。",
               .text_colour = kMagenta,
               .font = &kLyricFont,
               .align = Align::centre},
    ControlDef{.name = 时钟1, .kind = Kind::timer, .container = main_window},
    ControlDef{.name = 拖放对象1, .kind = Kind::drop_object, .container = main_window},
};

constexpr std::array kHighlightControls{
    ControlDef{.name = 时钟_闪烁, .kind = Kind::timer, .container = highlight_window},
    ControlDef{.name = 画板_闪烁数据,
               .kind = Kind::canvas,
               .container = highlight_window,
               .box = {9, 9, 360, 85},
               .background = kWhite},
};

constexpr WindowDef kMainWindow{
    .name = main_window,
    .title = "YYLirvo语音平台自动字幕 - 支持YY IS ",
    .box = {50, 50, 522, 614},
    .centred = true,
    .framed = true,
    .always_on_top = true,
    .owned_popup = false,
    .visible = true,
    .controls = kMainControls,
};

constexpr WindowDef kHighlightWindow{
    .name = highlight_window,
    .title = "",
    .box = {50, 50, 380, 105},
    .centred = true,
    .framed = false,
    .always_on_top = false,
    .owned_popup = true,
    .visible = false,
    .controls = kHighlightControls,
};

bool is_window_control(Kind kind) { return kind != Kind::timer && kind != Kind::drop_object; }

}  // namespace

const WindowDef& main_window_definition() { return kMainWindow; }
const WindowDef& highlight_window_definition() { return kHighlightWindow; }

void load_window(const WindowDef& window, WindowBuilder& builder, EventSink& events) {
  builder.create_window(window);

  // Group boxes are real parents, so they exist before the controls in them.
  for (const ControlDef& c : window.controls)
    if (c.kind == Kind::group_box) builder.create_control(window, c);
  for (const ControlDef& c : window.controls)
    if (c.kind != Kind::group_box) builder.create_control(window, c);

  const ControlDef* above_in[kControlCount] = {};
  for (const ControlDef& c : window.controls) {
    if (!is_window_control(c.kind)) continue;
    const ControlDef*& above = above_in[static_cast<int>(c.container)];
    if (above != nullptr) builder.stack_below(c.name, above->name);
    above = &c;
  }

  for (const ControlDef& c : window.controls)
    if (c.visible && is_window_control(c.kind)) builder.show_control(c.name);

  events.raise(window.name, Event::created, {});
  if (window.visible) builder.show_window(window.name);
}

}  // namespace lyricsub
