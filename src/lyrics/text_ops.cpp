#include "lyrics/text_ops.h"

#include <algorithm>

namespace lyricsub {
namespace {

bool is_lead_byte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool follows_at(std::string_view text, std::size_t i, std::string_view wanted) {
  return text.size() - i >= wanted.size() && text.compare(i, wanted.size(), wanted) == 0;
}

Text bytes(std::string_view text, std::size_t from, std::size_t count) {
  return Text(text.substr(from, count));
}

}  // namespace

std::size_t character_length(std::string_view text, std::size_t i) {
  return is_lead_byte(text[i]) && i + 1 < text.size() ? 2 : 1;
}

bool is_broken_character(std::string_view text, std::size_t i) {
  return i + 1 == text.size() && is_lead_byte(text[i]);
}

int find_text(std::string_view text, std::string_view wanted) {
  for (std::size_t i = 0; i < text.size(); i += character_length(text, i)) {
    if (text.size() - i < wanted.size()) break;
    if (follows_at(text, i, wanted)) return static_cast<int>(i) + 1;
  }
  return -1;
}

Text middle_text(std::string_view text, int start, int count) {
  if (start < 1 || count <= 0) return {};
  const auto from = static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return {};
  return bytes(text, from, static_cast<std::size_t>(count));
}

Text left_text(std::string_view text, int count) {
  if (count <= 0) return {};
  return bytes(text, 0, static_cast<std::size_t>(count));
}

Text right_text(std::string_view text, int count) {
  if (count <= 0) return {};
  const auto n = std::min(text.size(), static_cast<std::size_t>(count));
  return bytes(text, text.size() - n, n);
}

Text text_between(std::string_view text, std::string_view first, std::string_view second) {
  const int p = find_text(text, first);
  if (p < 0) return {};
  const Text rest =
      middle_text(text, p + static_cast<int>(first.size()), static_cast<int>(text.size()));
  const int q = find_text(rest, second);
  return middle_text(rest, 1, q - 1);
}

std::vector<Text> split_text(std::string_view text, std::string_view separator) {
  std::vector<Text> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t piece_start = 0;
  std::size_t i = 0;
  while (text.size() - i >= separator.size() && !is_broken_character(text, i)) {
    if (follows_at(text, i, separator)) {
      pieces.push_back(bytes(text, piece_start, i - piece_start));
      i += separator.size();
      piece_start = i;
    } else {
      i += character_length(text, i);
    }
  }
  if (piece_start < text.size()) pieces.push_back(bytes(text, piece_start, Text::npos));
  return pieces;
}

Text trim_spaces(std::string_view text) {
  constexpr std::string_view kFullWidthSpace = "\xA1\xA1";
  std::size_t first = text.size();  // start of the first character kept
  std::size_t end = 0;              // end of the last character kept
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = character_length(text, i);
    const bool space = text[i] == ' ' || (n == 2 && follows_at(text, i, kFullWidthSpace)) ||
                       is_broken_character(text, i);
    if (!space) {
      first = std::min(first, i);
      end = i + n;
    }
    i += n;
  }
  if (end == 0) return {};
  return bytes(text, first, end - first);
}

bool ends_with_backslash(std::string_view text) {
  std::size_t last = Text::npos;
  for (std::size_t i = 0; i < text.size(); i += character_length(text, i)) last = i;
  return last != Text::npos && text.size() - last == 1 && text[last] == '\\';
}

}  // namespace lyricsub
