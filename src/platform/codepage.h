// Conversions between code page 936 texts and Unicode. Implemented with
// MultiByteToWideChar/WideCharToMultiByte (CP 936) on Windows and iconv
// elsewhere. Characters code page 936 cannot hold become "?".
#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"

namespace lyricsub::cp936 {

Text from_utf8(std::string_view utf8);
Text from_utf16(std::u16string_view utf16);
std::string to_utf8(const Text& text);
std::u16string to_utf16(const Text& text);

}  // namespace lyricsub::cp936
