// Code page 936 conversions at the Win32 edge. The code page is always named:
// the system's ANSI code page may be anything.
#include "platform/codepage.h"

#include <windows.h>

namespace lyricsub::cp936 {
namespace {

constexpr UINT kCodePage = 936;

std::u16string wide_from(UINT code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n =
      MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()),
                      reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

std::string bytes_from(UINT code_page, std::u16string_view wide) {
  if (wide.empty()) return {};
  const auto* w = reinterpret_cast<const wchar_t*>(wide.data());
  const char* default_char = code_page == CP_UTF8 ? nullptr : "?";
  // Characters the code page cannot hold become "?", never a look-alike.
  const DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(code_page, flags, w, static_cast<int>(wide.size()), nullptr, 0,
                                    default_char, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(code_page, flags, w, static_cast<int>(wide.size()), out.data(), n,
                      default_char, nullptr);
  return out;
}

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Code page 936 holds nothing beyond the basic plane. A surrogate pair would
// become two default characters; make it, and any lone surrogate, one "?".
std::u16string basic_plane_only(std::u16string_view wide) {
  std::u16string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char16_t c = wide[i];
    if (!is_high_surrogate(c) && !is_low_surrogate(c)) {
      out.push_back(c);
      continue;
    }
    if (is_high_surrogate(c) && i + 1 < wide.size() && is_low_surrogate(wide[i + 1])) ++i;
    out.push_back(u'?');
  }
  return out;
}

}  // namespace

Text from_utf8(std::string_view utf8) {
  return bytes_from(kCodePage, basic_plane_only(wide_from(CP_UTF8, utf8)));
}
Text from_utf16(std::u16string_view utf16) {
  return bytes_from(kCodePage, basic_plane_only(utf16));
}
std::string to_utf8(const Text& text) { return bytes_from(CP_UTF8, wide_from(kCodePage, text)); }
std::u16string to_utf16(const Text& text) { return wide_from(kCodePage, text); }

}  // namespace lyricsub::cp936
