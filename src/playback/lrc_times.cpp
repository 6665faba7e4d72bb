#include "playback/lrc_times.h"

#include <algorithm>

namespace lyricsub::lrc {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_lead_byte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Position of the "]" that closes a tag whose content starts at `from`,
// walking by characters; nullopt when the line ends first or at a broken
// character.
std::optional<std::size_t> closing_bracket(std::string_view line, std::size_t from) {
  std::size_t i = from;
  while (i < line.size()) {
    if (line[i] == ']') return i;
    if (is_lead_byte(line[i])) {
      if (i + 1 >= line.size()) return std::nullopt;
      i += 2;
    } else {
      ++i;
    }
  }
  return std::nullopt;
}

// Calls visit(content) for each leading tag in order until it answers true.
// Returns the position just after the last tag visited (0 when none).
template <typename Visit>
std::size_t walk_leading_tags(std::string_view line, Visit visit) {
  std::size_t after_last_tag = 0;
  std::size_t pos = 0;
  for (;;) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size() || line[pos] != '[') break;
    const std::optional<std::size_t> close = closing_bracket(line, pos + 1);
    if (!close) break;
    after_last_tag = *close + 1;
    if (visit(line.substr(pos + 1, *close - pos - 1))) break;
    pos = after_last_tag;
  }
  return after_last_tag;
}

// Digits in s from pos on; their count and value (saturated well above any
// field this reader accepts).
struct Digits {
  std::size_t count = 0;
  std::int64_t value = 0;
};

Digits read_digits(std::string_view s, std::size_t pos) {
  Digits d;
  while (pos + d.count < s.size() && is_digit(s[pos + d.count])) {
    d.value = std::min<std::int64_t>(d.value * 10 + (s[pos + d.count] - '0'), 1'000'000'000);
    ++d.count;
  }
  return d;
}

void append_field(Text& out, std::int64_t value) {
  if (value < 10) out += '0';
  out += std::to_string(value);
}

}  // namespace

std::optional<Hundredths> parse_time(std::string_view tag) {
  const Digits minutes = read_digits(tag, 0);
  if (minutes.count == 0 || minutes.value > kMaxMinutes) return std::nullopt;
  std::size_t pos = minutes.count;
  if (pos >= tag.size() || tag[pos] != ':') return std::nullopt;
  ++pos;
  const Digits seconds = read_digits(tag, pos);
  if (seconds.count != 2 || seconds.value > 59) return std::nullopt;
  pos += 2;
  std::int64_t hundredths = 0;
  if (pos < tag.size()) {
    if (tag[pos] != '.') return std::nullopt;
    ++pos;
    const Digits fraction = read_digits(tag, pos);
    if (fraction.count < 1 || fraction.count > 3) return std::nullopt;
    pos += fraction.count;
    if (pos != tag.size()) return std::nullopt;
    // Tenths, hundredths, or thousandths truncated to hundredths.
    hundredths = fraction.count == 1   ? fraction.value * 10
                 : fraction.count == 2 ? fraction.value
                                       : fraction.value / 10;
  }
  return static_cast<Hundredths>(minutes.value * kHundredthsPerMinute + seconds.value * 100 +
                                 hundredths);
}

Text clock_text(Hundredths time) {
  Text out;
  append_field(out, time / kHundredthsPerMinute);
  out += ':';
  append_field(out, time / 100 % 60);
  out += '.';
  append_field(out, time % 100);
  return out;
}

std::vector<Hundredths> times(std::string_view line) {
  std::vector<Hundredths> out;
  walk_leading_tags(line, [&](std::string_view tag) {
    if (const std::optional<Hundredths> t = parse_time(tag)) out.push_back(*t);
    return false;
  });
  return out;
}

bool has_time(std::string_view line, Hundredths time) {
  bool found = false;
  walk_leading_tags(line, [&](std::string_view tag) {
    found = parse_time(tag) == time;
    return found;
  });
  return found;
}

std::optional<Hundredths> latest_time(std::string_view line) {
  std::optional<Hundredths> latest;
  walk_leading_tags(line, [&](std::string_view tag) {
    const std::optional<Hundredths> t = parse_time(tag);
    if (t && (!latest || *t > *latest)) latest = t;
    return false;
  });
  return latest;
}

Text lyric_text(std::string_view line) {
  const std::string_view rest =
      line.substr(walk_leading_tags(line, [](std::string_view) { return false; }));
  Text out;
  out.reserve(rest.size());
  std::size_t i = 0;
  while (i < rest.size()) {
    if (rest[i] == '<') {
      // ">" (0x3E) is never the second byte of a two-byte character.
      const std::size_t close = rest.find('>', i + 1);
      if (close != std::string_view::npos && parse_time(rest.substr(i + 1, close - i - 1))) {
        i = close + 1;
        continue;
      }
    }
    const std::size_t length = is_lead_byte(rest[i]) && i + 1 < rest.size() ? 2 : 1;
    out.append(rest.substr(i, length));
    i += length;
  }
  return out;
}

}  // namespace lyricsub::lrc
