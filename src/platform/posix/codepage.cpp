// Code page 936 conversions on POSIX systems, through iconv. Windows uses
// MultiByteToWideChar/WideCharToMultiByte instead (src/platform/win32).
#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <vector>

namespace lyricsub::cp936 {
namespace {

// How many source bytes make up the character at the start of in, so that a
// character the target cannot hold, or a malformed one, is skipped whole and
// replaced once.
using CharacterLength = std::size_t (*)(std::string_view in);

std::size_t utf8_length(std::string_view in) {
  const auto lead = static_cast<unsigned char>(in[0]);
  const std::size_t n = lead >= 0xF0 && lead <= 0xF4   ? 4
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                                                       : 1;
  if (in.size() < n) return 1;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(in[k]) & 0xC0) != 0x80) return 1;
  return n;
}

// A lead byte followed only by continuation bytes up to the end of the text
// is one cut-off character; anything else malformed is one byte.
std::size_t cut_off_length(std::string_view in) {
  const auto lead = static_cast<unsigned char>(in[0]);
  if (lead < 0xC2 || lead > 0xF4) return 1;
  std::size_t k = 1;
  while (k < in.size() && (static_cast<unsigned char>(in[k]) & 0xC0) == 0x80) ++k;
  return k == in.size() ? k : 1;
}

std::size_t gbk_length(std::string_view in) {
  const auto lead = static_cast<unsigned char>(in[0]);
  if (lead < 0x81 || lead == 0xFF || in.size() < 2) return 1;
  const auto trail = static_cast<unsigned char>(in[1]);
  return trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement, CharacterLength character_length) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(in.size() + 16, '\0');  // grows when the target needs more
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  std::size_t used = 0;
  const auto make_room = [&](std::size_t n) {
    if (out.size() - used < n) out.resize(std::max(out.size() * 2, used + n));
  };
  while (src_left > 0) {
    char* dst = out.data() + used;
    std::size_t dst_left = out.size() - used;
    const std::size_t result = iconv(cd, &src, &src_left, &dst, &dst_left);
    used = out.size() - dst_left;
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      make_room(out.size());
      continue;
    }
    // EILSEQ: a character the target cannot hold or a malformed one;
    // EINVAL: an incomplete character at the end. Either becomes one
    // replacement.
    const std::size_t step =
        errno == EINVAL ? src_left : std::min(character_length({src, src_left}), src_left);
    src += step;
    src_left -= step;
    make_room(replacement.size());
    std::copy(replacement.begin(), replacement.end(), out.begin() + static_cast<long>(used));
    used += replacement.size();
  }
  out.resize(used);
  iconv_close(cd);
  return out;
}

// Unicode (basic plane) to code page 936, built once from iconv's own
// mapping: converting to code page 936 is what lyrics loading does with every
// UTF-8 file, and a table lookup is many times faster than iconv.
class ToGbkTable {
 public:
  ToGbkTable() : codes_(0x10000, 0) {
    iconv_t cd = iconv_open("UTF-16LE", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        unsigned char out[4] = {};
        char* src = in;
        char* dst = reinterpret_cast<char*>(out);
        std::size_t src_left = 2, dst_left = sizeof out;
        if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1)) continue;
        if (sizeof out - dst_left != 2) continue;
        const unsigned unit = out[0] | (out[1] << 8);
        if (unit >= 0x80 && codes_[unit] == 0)
          codes_[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
      }
    }
    iconv_close(cd);
  }
  // Writes the character's bytes at out, or "?" when code page 936 cannot
  // hold it; returns the end of what it wrote.
  char* put(char* out, char32_t c) const {
    if (c < 0x80) {
      *out = static_cast<char>(c);
      return out + 1;
    }
    const std::uint16_t code = c < 0x10000 ? codes_[c] : 0;
    if (code == 0) {
      *out = '?';
      return out + 1;
    }
    out[0] = static_cast<char>(code >> 8);
    out[1] = static_cast<char>(code & 0xFF);
    return out + 2;
  }

  // Appends the character's bytes, or "?" when code page 936 cannot hold it.
  void append(std::string& out, char32_t c) const {
    if (c < 0x80) {
      out += static_cast<char>(c);
      return;
    }
    const std::uint16_t code = c < 0x10000 ? codes_[c] : 0;
    if (code == 0) {
      out += '?';
      return;
    }
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
  }

 private:
  std::vector<std::uint16_t> codes_;
};

const ToGbkTable& to_gbk() {
  static const ToGbkTable table;
  return table;
}

// The code point of the well-formed sequence of n bytes at in, or nothing
// for overlong forms, surrogates and values beyond U+10FFFF.
std::optional<char32_t> utf8_code_point(std::string_view in, std::size_t n) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(in[k]); };
  char32_t c = n == 2 ? byte(0) & 0x1F : n == 3 ? byte(0) & 0x0F : byte(0) & 0x07;
  for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (byte(k) & 0x3F);
  const char32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
  if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return std::nullopt;
  return c;
}

}  // namespace

Text from_utf8(std::string_view utf8) {
  const ToGbkTable& table = to_gbk();
  const auto* b = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t size = utf8.size();
  Text out(size, '\0');  // never longer than the UTF-8 text
  char* o = out.data();
  for (std::size_t i = 0; i < size;) {
    if (b[i] < 0x80) {
      *o++ = static_cast<char>(b[i++]);
      continue;
    }
    // The common case first: a well-formed three-byte character (CJK).
    if (b[i] >= 0xE1 && b[i] <= 0xEF && b[i] != 0xED && size - i >= 3 &&
        (b[i + 1] & 0xC0) == 0x80 && (b[i + 2] & 0xC0) == 0x80) {
      o = table.put(o, static_cast<char32_t>((b[i] & 0x0F) << 12 | (b[i + 1] & 0x3F) << 6 |
                                             (b[i + 2] & 0x3F)));
      i += 3;
      continue;
    }
    // A malformed sequence, or one cut off at the end, is one "?" too.
    const std::size_t n = utf8_length(utf8.substr(i));
    if (n == 1) {
      *o++ = '?';
      i += cut_off_length(utf8.substr(i));
      continue;
    }
    const std::optional<char32_t> c = utf8_code_point(utf8.substr(i), n);
    o = c ? table.put(o, *c) : (*o = '?', o + 1);
    i += n;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

Text from_utf16(std::u16string_view utf16) {
  const ToGbkTable& table = to_gbk();
  Text out;
  out.reserve(utf16.size() * 2);
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (unit < 0xD800 || unit > 0xDFFF) {
      table.append(out, unit);
      continue;
    }
    // Nothing beyond the basic plane fits: a pair, or a lone surrogate, is one "?".
    if (unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF)
      ++i;
    out += '?';
  }
  return out;
}

std::string to_utf8(const Text& text) { return convert("UTF-8", "GBK", text, "?", gbk_length); }

std::u16string to_utf16(const Text& text) {
  const std::string bytes =
      convert("UTF-16LE", "GBK", text, std::string_view("?\0", 2), gbk_length);
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return out;
}

}  // namespace lyricsub::cp936
