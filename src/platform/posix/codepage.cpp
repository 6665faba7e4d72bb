// Code page 936 conversions on POSIX systems, through iconv. Windows uses
// MultiByteToWideChar/WideCharToMultiByte instead (src/platform/win32).
#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

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

std::size_t utf16le_length(std::string_view in) {
  if (in.size() < 4) return std::min<std::size_t>(2, in.size());
  const auto unit = [&](std::size_t k) {
    return static_cast<unsigned>(static_cast<unsigned char>(in[k]) |
                                 (static_cast<unsigned char>(in[k + 1]) << 8));
  };
  const bool pair =
      unit(0) >= 0xD800 && unit(0) <= 0xDBFF && unit(2) >= 0xDC00 && unit(2) <= 0xDFFF;
  return pair ? 4 : 2;
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

std::string_view bytes_of(std::u16string_view s) {
  return {reinterpret_cast<const char*>(s.data()), s.size() * sizeof(char16_t)};
}

}  // namespace

Text from_utf8(std::string_view utf8) { return convert("GBK", "UTF-8", utf8, "?", utf8_length); }

Text from_utf16(std::u16string_view utf16) {
  return convert("GBK", "UTF-16LE", bytes_of(utf16), "?", utf16le_length);
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
