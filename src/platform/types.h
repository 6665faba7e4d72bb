// Plain value types shared by the behaviour code and every platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lyricsub {

// A text as the program handles it: bytes in code page 936 (GBK). Lengths and
// positions count bytes. Conversion to UTF-16 or UTF-8 happens only at the
// platform edge (see codepage.h), always naming code page 936.
using Text = std::string;

// Raw bytes: file contents, image files, bitmaps.
using Bytes = std::vector<std::uint8_t>;

// A window handle as a signed 32-bit integer; 0 means none. Win32 handles are
// 32-bit significant even in 64-bit processes, so this round-trips.
using Handle = std::int32_t;

// 0x00BBGGRR. kFaceColour stands for the system button-face colour at the
// moment it is used.
using Colour = std::uint32_t;
inline constexpr Colour kFaceColour = 0xFF000000u;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Screen or client rectangle; right and bottom are exclusive.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  [[nodiscard]] std::int32_t width() const { return right - left; }
  [[nodiscard]] std::int32_t height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Position and size, as window definitions and move operations give them.
struct Box {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Box&, const Box&) = default;
};

}  // namespace lyricsub
