// Reading the times and the lyric text of one LRC line.
//
// A line starts with its leading tags: "[...]" groups one after another,
// spaces allowed before and between them. Those of the form [m:ss],
// [m:ss.f], [m:ss.ff] or [m:ss.fff] are the line's times; other leading tags
// ([ti:...], [offset:...], [Chorus]) are passed over. The lyric text is
// everything after the last leading tag, with word-timing marks <m:ss.ff>
// removed. Lines are walked by characters of code page 936, so a "]" that is
// the second byte of a two-byte character never closes a tag.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace lyricsub::lrc {

// Time from the start of the song in hundredths of a second, the clock's unit.
using Hundredths = std::int32_t;

inline constexpr Hundredths kHundredthsPerMinute = 6000;
// Tags beyond this many minutes are not times: a typo such as [99999:00.00]
// would otherwise keep playback (and the preview) running for months.
inline constexpr Hundredths kMaxMinutes = 999;

// The time written in a tag without its brackets ("01:23.45"), or nullopt when
// the tag is not a time. Three decimals are truncated to hundredths.
std::optional<Hundredths> parse_time(std::string_view tag);

// The clock text MM:SS.hh: a field below 10 gets one leading "0", a field of
// 10 or more is written unchanged (123:45.67).
Text clock_text(Hundredths time);

// The line's times in the order of its tags.
std::vector<Hundredths> times(std::string_view line);

// Whether any of the line's leading tags is the time `time`.
bool has_time(std::string_view line, Hundredths time);

// The latest of the line's times, nullopt when it has none.
std::optional<Hundredths> latest_time(std::string_view line);

// The text after the line's last leading tag with word-timing marks removed.
Text lyric_text(std::string_view line);

}  // namespace lyricsub::lrc
