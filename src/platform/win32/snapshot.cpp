#include "platform/win32/snapshot.h"

#include <cstdint>
#include <cstring>

namespace lyricsub::win32 {
namespace {

// Above this a copy would cost hundreds of megabytes every other tick; such a
// window gets no picture instead. 8K UHD still fits.
constexpr std::int64_t kMaxPixels = std::int64_t{7680} * 4320;

// Each GDI object lives exactly as long as one snapshot.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

class MemoryDc {
 public:
  explicit MemoryDc(HDC compatible_with) : dc_(CreateCompatibleDC(compatible_with)) {}
  ~MemoryDc() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class Bitmap {
 public:
  Bitmap(HDC compatible_with, int width, int height)
      : bitmap_(CreateCompatibleBitmap(compatible_with, width, height)) {}
  ~Bitmap() {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  HBITMAP get() const { return bitmap_; }

 private:
  HBITMAP bitmap_;
};

// Selected for the copy only: a bitmap must leave its DC before GetDIBits
// reads it and before it can be deleted.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  bool ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

BITMAPINFOHEADER header_for(int width, int height) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = height;  // positive: bottom-up rows
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
  return h;
}

}  // namespace

Bytes snapshot_window(HWND window) {
  if (!IsWindow(window)) return {};
  RECT r{};
  if (!GetWindowRect(window, &r)) return {};
  const std::int64_t width = std::int64_t{r.right} - r.left;
  const std::int64_t height = std::int64_t{r.bottom} - r.top;
  if (width <= 0 || height <= 0 || width * height > kMaxPixels) return {};
  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);

  const WindowDc source(window);
  if (source.get() == nullptr) return {};
  const MemoryDc memory(source.get());
  if (memory.get() == nullptr) return {};
  const Bitmap bitmap(source.get(), w, h);
  if (bitmap.get() == nullptr) return {};
  {
    const Selection selected(memory.get(), bitmap.get());
    if (!selected.ok()) return {};
    BitBlt(memory.get(), 0, 0, w, h, source.get(), 0, 0, SRCCOPY);
  }

  // BITMAPINFO rather than a bare header: GetDIBits may write a colour table.
  BITMAPINFO info{};
  info.bmiHeader = header_for(w, h);
  Bytes out(sizeof(BITMAPINFOHEADER) + std::size_t{info.bmiHeader.biSizeImage});
  if (GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(h),
                out.data() + sizeof(BITMAPINFOHEADER), &info, DIB_RGB_COLORS) != h)
    return {};
  const BITMAPINFOHEADER header = header_for(w, h);
  std::memcpy(out.data(), &header, sizeof header);
  return out;
}

}  // namespace lyricsub::win32
