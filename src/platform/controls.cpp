#include "platform/controls.h"

#include <array>

namespace lyricsub {

const char* control_name(Control c) {
  static constexpr std::array<const char*, kControlCount> kNames{
      "main_window",   "highlight_window",
      "选择框1",       "图片框1",
      "分组框6",       "超文本浏览框1",
      "标签5",         "分组框5",
      "编辑框3",       "标签3",
      "标签2",         "编辑框2",
      "图片框2",       "分组框4",
      "列表框1",       "按钮3",
      "编辑框MP3",     "按钮1",
      "分组框3",       "超级列表框1",
      "分组框2",       "编辑框1",
      "标签1",         "分组框1",
      "编辑框歌词",    "时钟1",
      "拖放对象1",     "时钟_闪烁",
      "画板_闪烁数据",
  };
  return kNames[static_cast<int>(c)];
}

}  // namespace lyricsub
