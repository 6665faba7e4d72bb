// The picker's cursor images and the application icon: file layout, hot
// spots, palettes, and where the drawings are transparent.
#include "target/cursor_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace lyricsub {
namespace {

using Span = std::span<const std::uint8_t>;

std::uint32_t u16(Span b, std::size_t at) { return b[at] | b[at + 1] << 8; }
std::uint32_t u32(Span b, std::size_t at) { return u16(b, at) | u16(b, at + 2) << 16; }
std::int32_t i32(Span b, std::size_t at) { return static_cast<std::int32_t>(u32(b, at)); }

std::vector<std::uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr int kSize = 32;

// A one-image .cur file: 6-byte header, 16-byte entry, then the DIB.
struct Cursor {
  Span bytes;
  static constexpr std::size_t kDib = 22;

  int hot_x() const { return u16(bytes, 10); }
  int hot_y() const { return u16(bytes, 12); }
  int bits_per_pixel() const { return u16(bytes, kDib + 14); }
  std::size_t palette() const { return kDib + 40; }
  std::size_t colour_bits() const { return palette() + 4 * (1u << bits_per_pixel()); }
  std::size_t colour_stride() const { return (kSize * bits_per_pixel() + 31) / 32 * 4; }
  std::size_t mask_bits() const { return colour_bits() + colour_stride() * kSize; }

  // Rows are stored bottom-up; y counts from the top as on screen.
  int colour(int x, int y) const {
    const std::size_t row = colour_bits() + colour_stride() * (kSize - 1 - y);
    if (bits_per_pixel() == 8) return bytes[row + x];
    return bytes[row + x / 8] >> (7 - x % 8) & 1;
  }
  bool transparent(int x, int y) const {
    const std::size_t row = mask_bits() + 4 * (kSize - 1 - y);
    return (bytes[row + x / 8] >> (7 - x % 8) & 1) != 0;
  }
  bool opaque(int x, int y) const {
    return x >= 0 && y >= 0 && x < kSize && y < kSize && !transparent(x, y);
  }
  // An opaque pixel next to a transparent one (or the image edge).
  bool on_outline(int x, int y) const {
    return !opaque(x - 1, y) || !opaque(x + 1, y) || !opaque(x, y - 1) || !opaque(x, y + 1);
  }
};

void expect_cursor_layout(const Cursor& c, std::size_t file_size, int bits_per_pixel) {
  const Span b = c.bytes;
  ASSERT_EQ(b.size(), file_size);
  EXPECT_EQ(u16(b, 0), 0u);
  EXPECT_EQ(u16(b, 2), 2u) << "type 2 is a cursor";
  EXPECT_EQ(u16(b, 4), 1u) << "one image";
  EXPECT_EQ(b[6], kSize);
  EXPECT_EQ(b[7], kSize);
  EXPECT_EQ(u32(b, 14), file_size - Cursor::kDib) << "bytes in resource";
  EXPECT_EQ(u32(b, 18), Cursor::kDib) << "image offset";
  EXPECT_EQ(u32(b, 22), 40u) << "BITMAPINFOHEADER";
  EXPECT_EQ(i32(b, 26), kSize);
  EXPECT_EQ(i32(b, 30), 2 * kSize) << "colour bits and AND mask";
  EXPECT_EQ(u16(b, 34), 1u) << "planes";
  EXPECT_EQ(c.bits_per_pixel(), bits_per_pixel);
  EXPECT_EQ(u32(b, 38), 0u) << "uncompressed";
  EXPECT_EQ(c.mask_bits() + 4 * kSize, file_size);
}

// Transparent pixels must have colour 0: with the AND bit set, any other
// colour would invert the screen beneath instead of leaving it alone.
void expect_clear_where_transparent(const Cursor& c) {
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      if (c.transparent(x, y)) {
        EXPECT_EQ(c.colour(x, y), 0) << x << "," << y;
      }
}

TEST(CrossHairCursor, IsA256GreyCursorWithHotSpotAtTheCentre) {
  const Cursor c{cross_hair_cursor()};
  expect_cursor_layout(c, 2238, 8);
  EXPECT_EQ(c.hot_x(), 15);
  EXPECT_EQ(c.hot_y(), 16);
  for (int i = 0; i < 256; ++i) {
    const std::size_t at = c.palette() + 4 * i;
    EXPECT_EQ(c.bytes[at], i);
    EXPECT_EQ(c.bytes[at + 1], i);
    EXPECT_EQ(c.bytes[at + 2], i);
  }
}

TEST(CrossHairCursor, IsAPlusWithSixPixelArmsAndATransparentCentre) {
  const Cursor c{cross_hair_cursor()};
  ASSERT_EQ(c.bytes.size(), 2238u);
  for (int y = 15; y <= 16; ++y)
    for (int x = 15; x <= 16; ++x) EXPECT_TRUE(c.transparent(x, y)) << "hole " << x << "," << y;

  int left = kSize, right = -1, top = kSize, bottom = -1;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      if (!c.opaque(x, y)) continue;
      const bool in_arm = (y >= 13 && y <= 18) || (x >= 13 && x <= 18);
      EXPECT_TRUE(in_arm) << "stray pixel " << x << "," << y;
      if (c.on_outline(x, y)) {
        EXPECT_EQ(c.colour(x, y), 0) << "outline " << x << "," << y;
      }
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  EXPECT_EQ(left, 1);
  EXPECT_EQ(right, 30);
  EXPECT_EQ(top, 2);
  EXPECT_EQ(bottom, 29);

  // Away from the rounded ends and the centre, each arm is exactly 6 wide:
  // black edge, greys inside, black edge.
  for (const int along : {6, 25}) {
    for (int across = 0; across < kSize; ++across) {
      const bool expected = across >= 13 && across <= 18;
      EXPECT_EQ(c.opaque(along, across), expected) << "horizontal arm " << along << "," << across;
      EXPECT_EQ(c.opaque(across, along), expected) << "vertical arm " << across << "," << along;
    }
    for (int across = 14; across <= 17; ++across) {
      EXPECT_GT(c.colour(along, across), 0) << "grey fill";
      EXPECT_GT(c.colour(across, along), 0) << "grey fill";
    }
  }
  // Rounded ends: the outermost column of the arm is narrower than the arm.
  int end_height = 0;
  for (int y = 0; y < kSize; ++y) end_height += c.opaque(1, y);
  EXPECT_GT(end_height, 0);
  EXPECT_LT(end_height, 6);
  expect_clear_where_transparent(c);
}

TEST(HandCursor, IsAMonochromeCursorWithHotSpotAtTheFingertip) {
  const Cursor c{hand_cursor()};
  expect_cursor_layout(c, 326, 1);
  EXPECT_EQ(c.hot_x(), 6);
  EXPECT_EQ(c.hot_y(), 0);
  const std::vector<std::uint8_t> palette(c.bytes.begin() + c.palette(),
                                          c.bytes.begin() + c.palette() + 8);
  EXPECT_EQ(palette, (std::vector<std::uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));

  EXPECT_TRUE(c.opaque(6, 0)) << "the fingertip is the hot spot";
  EXPECT_EQ(c.colour(6, 0), 0);
  int white = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      if (!c.opaque(x, y)) continue;
      EXPECT_TRUE(x < 17 && y < 22) << "outside the 17x22 drawing: " << x << "," << y;
      if (c.on_outline(x, y)) {
        EXPECT_EQ(c.colour(x, y), 0) << "outline " << x << "," << y;
      }
      white += c.colour(x, y);
    }
  }
  EXPECT_GT(white, 100) << "white fill";
  expect_clear_where_transparent(c);
}

TEST(CursorImages, CommittedFilesMatchTheProgramsBytes) {
  const struct {
    const char* file;
    Span bytes;
  } cases[] = {{"/assets/cross_hair.cur", cross_hair_cursor()},
               {"/assets/hand.cur", hand_cursor()}};
  for (const auto& c : cases) {
    const std::vector<std::uint8_t> on_disk = read_file(std::string(LYRICSUB_SOURCE_DIR) + c.file);
    EXPECT_EQ(on_disk, std::vector<std::uint8_t>(c.bytes.begin(), c.bytes.end())) << c.file;
  }
}

TEST(AppIcon, HoldsFiveSquare32BitImagesWithAlpha) {
  const std::vector<std::uint8_t> file =
      read_file(std::string(LYRICSUB_SOURCE_DIR) + "/assets/lyricsub.ico");
  const Span b = file;
  ASSERT_EQ(b.size(), 70110u);
  EXPECT_EQ(u16(b, 2), 1u) << "type 1 is an icon";
  ASSERT_EQ(u16(b, 4), 5u);
  std::uint32_t next = 6 + 16 * 5;
  const int sizes[] = {96, 64, 48, 32, 16};
  for (int i = 0; i < 5; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const int size = sizes[i];
    SCOPED_TRACE(size);
    EXPECT_EQ(b[entry], size);
    EXPECT_EQ(b[entry + 1], size);
    EXPECT_EQ(u16(b, entry + 6), 32u) << "bits per pixel";
    const std::uint32_t length = u32(b, entry + 8);
    ASSERT_EQ(u32(b, entry + 12), next) << "images follow one another";
    const std::size_t dib = next;
    EXPECT_EQ(i32(b, dib + 4), size);
    EXPECT_EQ(i32(b, dib + 8), 2 * size);
    EXPECT_EQ(u16(b, dib + 14), 32u);
    const std::size_t mask_stride = (size + 31) / 32 * 4;
    EXPECT_EQ(length, 40 + 4u * size * size + mask_stride * size);

    // The corners are clear and the middle is solid; the AND mask agrees
    // with alpha, for programs that ignore alpha.
    const auto alpha = [&](int x, int y) {
      return b[dib + 40 + 4 * ((size - 1 - y) * size + x) + 3];
    };
    const auto masked = [&](int x, int y) {
      const std::size_t row = dib + 40 + 4 * size * size + mask_stride * (size - 1 - y);
      return (b[row + x / 8] >> (7 - x % 8) & 1) != 0;
    };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(size - 1, size - 1), 0);
    EXPECT_EQ(alpha(size / 2, size / 3), 255);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) EXPECT_EQ(masked(x, y), alpha(x, y) == 0) << x << "," << y;
    next += length;
  }
  EXPECT_EQ(next, b.size());
}

}  // namespace
}  // namespace lyricsub
