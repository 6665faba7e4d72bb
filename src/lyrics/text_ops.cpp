#include "lyrics/text_ops.h"

#include <algorithm>

namespace lyricsub {
namespace {

// Compares the first byte before the rest: most character starts differ
// there.
bool follows_at(std::string_view text, std::size_t i, std::string_view wanted) {
  return text.size() - i >= wanted.size() && (wanted.empty() || text[i] == wanted[0]) &&
         text.compare(i, wanted.size(), wanted) == 0;
}

Text bytes(std::string_view text, std::size_t from, std::size_t count) {
  return Text(text.substr(from, count));
}

std::string_view middle_view(std::string_view text, int start, int count) {
  if (start < 1 || count <= 0) return {};
  const auto from = static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return {};
  return text.substr(from, static_cast<std::size_t>(count));
}

}  // namespace

int find_text(std::string_view text, std::string_view wanted) {
  if (text.empty() || wanted.size() > text.size()) return -1;
  const std::size_t last_start = text.size() - wanted.size();
  for (std::size_t i = 0; i <= last_start; i += character_length(text, i))
    if (follows_at(text, i, wanted)) return static_cast<int>(i) + 1;
  return -1;
}

Text middle_text(std::string_view text, int start, int count) {
  return Text(middle_view(text, start, count));
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
  const std::string_view rest =
      middle_view(text, p + static_cast<int>(first.size()), static_cast<int>(text.size()));
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
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const std::size_t n = text.size();
  // Leading spaces, walking from the start.
  std::size_t first = 0;
  while (first < n) {
    if (byte(first) == ' ') {
      ++first;
    } else if (first + 1 < n && byte(first) == 0xA1 && byte(first + 1) == 0xA1) {
      first += 2;
    } else {
      break;
    }
  }
  if (first < n && is_broken_character(text, first)) return {};
  if (first == n) return {};
  // Trailing spaces: walk only the tail, from the last character start that
  // is known without walking the whole text (after the last byte below 0x80
  // that lies before the run of spaces and 0xA1 bytes at the end).
  std::size_t tail = n;
  while (tail > first && (byte(tail - 1) == ' ' || byte(tail - 1) == 0xA1 || tail == n)) --tail;
  while (tail > first && !is_character_start(text, tail)) --tail;
  std::size_t end = tail;  // end of the last character kept
  for (std::size_t i = tail; i < n;) {
    const std::size_t length = character_length(text, i);
    const bool space = byte(i) == ' ' || (length == 2 && byte(i) == 0xA1 && byte(i + 1) == 0xA1) ||
                       is_broken_character(text, i);
    if (!space) end = i + length;
    i += length;
  }
  if (end <= first) return {};
  return bytes(text, first, end - first);
}

bool ends_with_backslash(std::string_view text) {
  std::size_t last = Text::npos;
  for (std::size_t i = 0; i < text.size(); i += character_length(text, i)) last = i;
  return last != Text::npos && text.size() - last == 1 && text[last] == '\\';
}

}  // namespace lyricsub
