// Code page 936 conversions on POSIX systems, through iconv. Windows uses
// MultiByteToWideChar/WideCharToMultiByte instead (src/platform/win32).
#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>

namespace lyricsub::cp936 {
namespace {

// Converts in one pass; a sequence the target cannot hold becomes
// replacement, and a byte the source cannot read is skipped as one unit.
std::string convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    std::size_t unit) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out;
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char* dst = out.data();
  std::size_t dst_left = out.size();
  while (src_left > 0) {
    if (iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      const std::size_t used = out.size() - dst_left;
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
      continue;
    }
    // EILSEQ or EINVAL: replace one source unit and go on.
    const std::size_t step = std::min(unit, src_left);
    src += step;
    src_left -= step;
    const std::size_t used = out.size() - dst_left;
    if (dst_left < replacement.size() + 8) {
      out.resize(out.size() * 2 + replacement.size());
      dst = out.data() + used;
      dst_left = out.size() - used;
    }
    for (char c : replacement) {
      *dst++ = c;
      --dst_left;
    }
  }
  out.resize(out.size() - dst_left);
  iconv_close(cd);
  return out;
}

std::string_view bytes_of(std::u16string_view s) {
  return {reinterpret_cast<const char*>(s.data()), s.size() * sizeof(char16_t)};
}

}  // namespace

Text from_utf8(std::string_view utf8) { return convert("GBK", "UTF-8", utf8, "?", 1); }

Text from_utf16(std::u16string_view utf16) { return convert("GBK", "UTF-16LE", bytes_of(utf16), "?", 2); }

std::string to_utf8(const Text& text) { return convert("UTF-8", "GBK", text, "?", 1); }

std::u16string to_utf16(const Text& text) {
  const std::string bytes = convert("UTF-16LE", "GBK", text, std::string("?\0", 2), 1);
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return out;
}

}  // namespace lyricsub::cp936
