// The text operations every part of the program shares.
//
// A text is walked from its first byte one character at a time: a byte below
// 0x80 is a character of its own, a byte of 0x80 or above starts a two-byte
// character with the byte after it. Such a byte at the very end of the text is
// a broken character. Searching and splitting compare only at character
// starts, so the second byte of a two-byte character is never mistaken for
// "[", "]" or "\". Positions are 1-based byte positions; -1 means not found.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace lyricsub {

// A byte of 0x80 or above starts a two-byte character.
inline bool is_lead_byte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Length in bytes of the character that starts at byte index i (0-based):
// 1 or 2; 1 for a broken character.
inline std::size_t character_length(std::string_view text, std::size_t i) {
  return is_lead_byte(text[i]) && i + 1 < text.size() ? 2 : 1;
}

// True when the byte at index i (0-based) is a lead byte with nothing after
// it.
inline bool is_broken_character(std::string_view text, std::size_t i) {
  return i + 1 == text.size() && is_lead_byte(text[i]);
}

// True when a character starts at byte index k (0-based) of text, found
// without walking from the start: a byte below 0x80 is never a lead byte, so
// a character starts right after one; from there the bytes of 0x80 or above
// pair up.
inline bool is_character_start(std::string_view text, std::size_t k) {
  std::size_t run = 0;  // bytes of 0x80 or above right before k
  while (run < k && is_lead_byte(text[k - run - 1])) ++run;
  return run % 2 == 0;
}

// Position of the first occurrence of wanted that starts at a character
// start, or -1. An empty wanted is found at 1 in a non-empty text only.
int find_text(std::string_view text, std::string_view wanted);

// count bytes from position start, cut at the end of the text; empty when
// start is outside the text or count is 0 or less. Counts bytes, so it can
// cut a two-byte character in two.
Text middle_text(std::string_view text, int start, int count);

// The first / last count bytes; empty for count <= 0, the whole text when
// count reaches its length.
Text left_text(std::string_view text, int count);
Text right_text(std::string_view text, int count);

// The bytes after the first occurrence of first up to the first occurrence
// of second that follows it. Empty when second does not follow, follows at
// once, or first does not occur at all.
Text text_between(std::string_view text, std::string_view first, std::string_view second);

// Pieces of text between occurrences of separator (met at character starts).
// The empty text gives no pieces; empty pieces are kept, except that nothing
// after the last separator gives no last piece. The walk stops at a broken
// character, which then ends the last piece. An empty separator gives the
// whole text as one piece.
std::vector<Text> split_text(std::string_view text, std::string_view separator);

// Removes every space at the start and the last run of spaces at the end.
// Spaces are 0x20 and the full-width space 0xA1 0xA1 at a character start;
// a broken character at the very end is removed too.
Text trim_spaces(std::string_view text);

// True when the text's last character is the one-byte "\" (a two-byte
// character whose second byte is 0x5C does not count).
bool ends_with_backslash(std::string_view text);

}  // namespace lyricsub
