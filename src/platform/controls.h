// Names of the program's own windows and controls. Behaviour code addresses
// every control by these names; the window definitions (src/app/windows.cpp)
// give each its kind, place and settings.
#pragma once

namespace lyricsub {

enum class Control {
  // The two top-level windows.
  main_window,
  highlight_window,

  // Main window, in stacking order (earlier lies above later).
  选择框1,  // on-top box
  图片框1,  // application icon
  分组框6,
  超文本浏览框1,  // web panel
  标签5,
  分组框5,
  编辑框3,  // focus handle
  标签3,
  标签2,
  编辑框2,  // hovered handle
  图片框2,  // the picker
  分组框4,
  列表框1,    // lyrics file list
  按钮3,      // browse button
  编辑框MP3,  // folder box
  按钮1,      // play button
  分组框3,
  超级列表框1,  // lyrics table
  分组框2,
  编辑框1,  // clock box
  标签1,
  分组框1,
  编辑框歌词,  // lyric box (hidden)
  时钟1,       // playback timer
  拖放对象1,   // drop object

  // Highlight window.
  时钟_闪烁,      // flash timer
  画板_闪烁数据,  // flash canvas
};

inline constexpr int kControlCount = static_cast<int>(Control::画板_闪烁数据) + 1;

// The control's name in code page 936, for logs and diagnostics.
const char* control_name(Control c);

}  // namespace lyricsub
