// Loading a lyrics file into the lyrics table.
#pragma once

#include <string_view>
#include <vector>

#include "app/app.h"

namespace lyricsub {

// An entry of the lyrics file list was selected.
void load_selected_file(App& app);
// Files were dropped onto the lyrics table.
void load_dropped_files(App& app, const Text& paths);

// Appends one row per line of the file at path to the lyrics table, the
// line's time tag in column 0. The caller has emptied the table. A file that
// cannot be read adds nothing; nothing is ever reported.
void fill_lyrics_table(App& app, const Text& path);

// The text a lyrics file's bytes stand for: UTF-8 (with a byte-order mark, or
// valid and not plain ASCII) and UTF-16 with a byte-order mark are converted
// to code page 936; anything else is taken byte for byte. Ends before the
// first zero byte.
Text lyrics_text_from_bytes(std::string_view bytes);

// The lines of a lyrics text: split at "\r\n" and at a lone "\n", walking by
// characters; empty lines are kept, but no empty line follows the last line
// end.
std::vector<std::string_view> split_lyrics_lines(std::string_view text);

// folder, "\" and name, without a second "\" when folder already ends in one.
Text join_path(std::string_view folder, std::string_view name);

}  // namespace lyricsub
