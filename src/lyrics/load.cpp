#include "lyrics/load.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "lyrics/text_ops.h"
#include "platform/codepage.h"

namespace lyricsub {
namespace {

using enum Control;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// Length of the well-formed UTF-8 sequence at i, or 0 when there is none.
std::size_t utf8_sequence_length(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  std::size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3;
    if (b0 == 0xE0) low = 0xA0;   // no overlong forms
    if (b0 == 0xED) high = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (s.size() - i < n) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

bool has_high_byte(const char* eight_bytes) {
  std::uint64_t word;
  std::memcpy(&word, eight_bytes, sizeof word);
  return (word & 0x8080808080808080ull) != 0;
}

// Valid UTF-8 with at least one multi-byte sequence: plain ASCII is left
// alone, and GBK text almost never passes.
bool is_multibyte_utf8(std::string_view s) {
  bool multibyte = false;
  for (std::size_t i = 0; i < s.size();) {
    if (s.size() - i >= 8 && !has_high_byte(s.data() + i)) {
      i += 8;
      continue;
    }
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The common case first: a three-byte character without range limits.
    if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && s.size() - i >= 3 &&
        (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80 &&
        (static_cast<unsigned char>(s[i + 2]) & 0xC0) == 0x80) {
      multibyte = true;
      i += 3;
      continue;
    }
    const std::size_t n = utf8_sequence_length(s, i);
    if (n == 0) return false;
    multibyte = true;
    i += n;
  }
  return multibyte;
}

Text from_utf16_bytes(std::string_view s, bool big_endian) {
  std::u16string units(s.size() / 2, u'\0');  // an odd last byte is no character
  for (std::size_t k = 0; k < units.size(); ++k) {
    const auto first = static_cast<unsigned char>(s[2 * k]);
    const auto second = static_cast<unsigned char>(s[2 * k + 1]);
    units[k] = static_cast<char16_t>(big_endian ? (first << 8) | second : (second << 8) | first);
  }
  return cp936::from_utf16(units);
}

Text decode(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) return cp936::from_utf8(bytes.substr(kUtf8Mark.size()));
  if (bytes.starts_with(kUtf16LeMark)) return from_utf16_bytes(bytes.substr(2), false);
  if (bytes.starts_with(kUtf16BeMark)) return from_utf16_bytes(bytes.substr(2), true);
  if (is_multibyte_utf8(bytes)) return cp936::from_utf8(bytes);
  return Text(bytes);
}

Text before_zero_byte(Text text) {
  const std::size_t zero = text.find('\0');
  if (zero != Text::npos) text.resize(zero);
  return text;
}

void append_row(Ui& ui, std::string_view line) {
  const int row = ui.table_append_row();
  ui.table_set(row, 1, Text(line));
  if (find_text(line, "[") > 0 && find_text(line, ":") > 0)
    ui.table_set(row, 0, text_between(line, "[", "]"));
}

void fill_from_bytes(App& app, std::string_view bytes) {
  const Text text = trim_spaces(lyrics_text_from_bytes(bytes));
  const std::vector<std::string_view> lines = split_lyrics_lines(text);
  if (lines.empty()) return;
  // Rows still go in one at a time, but the table paints once at the end.
  app.ui.table_set_redraw(false);
  for (std::string_view line : lines) append_row(app.ui, line);
  app.ui.table_set_redraw(true);
}

std::string_view as_chars(const Bytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

Text lyrics_text_from_bytes(std::string_view bytes) { return before_zero_byte(decode(bytes)); }

std::vector<std::string_view> split_lyrics_lines(std::string_view text) {
  // Every line end holds a line feed, so look only at line feeds, and take
  // one where a character starts there.
  std::vector<std::string_view> lines;
  std::size_t line_start = 0;
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    if (!is_character_start(text, at)) continue;  // second byte of a two-byte character
    const bool after_return =
        at > line_start && text[at - 1] == '\r' && is_character_start(text, at - 1);
    lines.push_back(text.substr(line_start, at - line_start - (after_return ? 1 : 0)));
    line_start = at + 1;
  }
  if (line_start < text.size()) lines.push_back(text.substr(line_start));
  return lines;
}

Text join_path(std::string_view folder, std::string_view name) {
  Text path(folder);
  if (!ends_with_backslash(folder)) path += '\\';
  path += name;
  return path;
}

void fill_lyrics_table(App& app, const Text& path) {
  if (path.empty()) return;
  const std::optional<Bytes> bytes = app.files.read_file(path);
  if (!bytes) return;
  fill_from_bytes(app, as_chars(*bytes));
}

void load_selected_file(App& app) {
  app.ui.table_clear();
  const int index = app.ui.list_selection();
  const Text name = app.ui.list_text(index);
  // Each entry remembers the folder the scan found it in; entries without one
  // belong to the folder box's folder.
  Text folder = app.ui.list_data(index);
  if (folder.empty()) folder = app.ui.text(编辑框MP3);
  fill_lyrics_table(app, join_path(folder, name));
}

void load_dropped_files(App& app, const Text& paths) {
  app.ui.table_clear();
  // Several files arrive joined by "\r\n"; no single path holds a line break.
  if (paths.empty() || paths.find_first_of("\r\n") != Text::npos) return;
  const std::optional<Bytes> bytes = app.files.read_file(paths);
  if (!bytes) return;
  fill_from_bytes(app, as_chars(*bytes));
}

}  // namespace lyricsub
